// What one render tick of a device page costs, measured on the page itself
// with a simulated mouse behind it: a tick whose frame did not change (it
// should cost a comparison), and a tick whose frame changed (comparison,
// encoding and the send through the simulator), each set against a bare send
// of the same frame through the same channel.

#include "device/hid_records.h"
#include "device/lighting/led_frame.h"
#include "pages/usb_device_page.h"
#include "sim/simulator.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <sched.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A page as a device class that sends its frames would be.
class FramePage : public talven::COrvaneUSBDevice {
public:
    FramePage() { setDrivesDevice(true); }
};

void pinToFirstCore(int tid) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(0, &set);
    ::sched_setaffinity(tid, sizeof set, &set);
}

// One page connected to a simulated mouse. Caller and simulator share one
// core, so the numbers do not depend on where the scheduler puts them.
struct Rig {
    explicit Rig(int leds) : dir(makeDir()), sim(dir) {
        sim.addProduct("mouse");
        sim.plug("mouse");
        talven::CommandChannel& channel = page.commandChannel();
        channel.device().open(sim.device("mouse")->interfacePath(talven::role::Command), true, true, true, false);
        channel.setConnected(true);
        page.setLedCount(leds);
        for (int i = 0; i < 100 && sim.device("mouse")->hid().serviceThreadId() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        pinToFirstCore(static_cast<int>(::gettid()));
        pinToFirstCore(sim.device("mouse")->hid().serviceThreadId());
        page.renderFrame();  // the first frame goes out once
    }
    ~Rig() {
        page.commandChannel().device().close();
        sim.unplugAll();
        ::rmdir(dir.c_str());
    }
    static std::string makeDir() {
        char pattern[] = "/tmp/talven-bench-XXXXXX";
        return ::mkdtemp(pattern);
    }
    // Changes one LED, so the next tick has a new frame to send.
    void changeFrame() {
        colour ^= 0x000000FF;
        page.setLedColour(0, colour);
    }
    bool bareSend() {
        const talven::lighting::LightFrameBuffer buffer = talven::lighting::encodeLightFrame(frame);
        return page.commandChannel().writeLightFrame(buffer.data(), buffer.length) == talven::channel_result::Success;
    }

    std::string dir;
    talven::sim::Simulator sim;
    FramePage page;
    std::vector<uint32_t> frame = std::vector<uint32_t>(126, 0xFF102030);
    uint32_t colour = 0xFF0000FF;
};

void BM_TickUnchangedFrame(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) rig.page.renderFrame();
}
BENCHMARK(BM_TickUnchangedFrame)->Arg(8)->Arg(126)->Unit(benchmark::kNanosecond);

void BM_TickChangedFrame(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        rig.changeFrame();
        rig.page.renderFrame();
    }
}
BENCHMARK(BM_TickChangedFrame)->Arg(8)->Arg(126)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Ticks with a changed frame and bare sends of a frame of the same size,
// alternated in blocks so machine noise hits both alike.
void BM_ChangedTickVsBareSend(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)));
    rig.frame.resize(static_cast<size_t>(state.range(0)));
    constexpr int kBlock = 16;
    Clock::duration ticks{}, bare{};
    for (auto _ : state) {
        auto start = Clock::now();
        for (int i = 0; i < kBlock; ++i) {
            rig.changeFrame();
            rig.page.renderFrame();
        }
        ticks += Clock::now() - start;
        start = Clock::now();
        for (int i = 0; i < kBlock; ++i)
            if (!rig.bareSend()) state.SkipWithError("the simulated mouse did not take the frame");
        bare += Clock::now() - start;
    }
    const double n = static_cast<double>(state.iterations()) * kBlock;
    const double tickUs = std::chrono::duration<double, std::micro>(ticks).count() / n;
    const double bareUs = std::chrono::duration<double, std::micro>(bare).count() / n;
    state.counters["tick_us"] = tickUs;
    state.counters["bare_send_us"] = bareUs;
    state.counters["ratio"] = tickUs / bareUs;
}
BENCHMARK(BM_ChangedTickVsBareSend)->Arg(8)->Arg(126)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
