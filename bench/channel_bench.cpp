// What one command exchange costs through the whole stack (channel, HID
// device, simulator socket and firmware model) compared with a bare 64-byte
// write and read on the same kind of socket.

#include "device/command_channel.h"
#include "device/hid_records.h"
#include "platform/clock.h"
#include "sim/simulator.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Echoes every packet back, as fast as the socket allows.
class EchoPeer {
public:
    EchoPeer() {
        ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds_);
        thread_ = std::thread([this] {
            std::array<uint8_t, 64> buffer;
            for (;;) {
                ssize_t n = ::recv(fds_[1], buffer.data(), buffer.size(), 0);
                if (n <= 0) return;
                ::send(fds_[1], buffer.data(), static_cast<size_t>(n), MSG_NOSIGNAL);
            }
        });
    }
    ~EchoPeer() {
        ::shutdown(fds_[0], SHUT_RDWR);
        thread_.join();
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    void roundTrip(std::array<uint8_t, 64>& frame) {
        ::send(fds_[0], frame.data(), frame.size(), MSG_NOSIGNAL);
        ::recv(fds_[0], frame.data(), frame.size(), 0);
    }

private:
    int fds_[2];
    std::thread thread_;
};

struct SimChannel {
    SimChannel() : dir(makeDir()), sim(dir) {
        sim.addProduct("keyboard");
        sim.plug("keyboard");
        auto path = sim.device("keyboard")->interfacePath(talven::role::Command);
        channel.device().open(path, true, true, true, false);
        channel.setConnected(true);
    }
    ~SimChannel() {
        channel.device().close();
        sim.unplugAll();
        ::rmdir(dir.c_str());
    }
    static std::string makeDir() {
        char pattern[] = "/tmp/talven-bench-XXXXXX";
        return ::mkdtemp(pattern);
    }
    std::string dir;
    talven::sim::Simulator sim;
    talven::CommandChannel channel;
};

void BM_ChannelExchange(benchmark::State& state) {
    SimChannel s;
    for (auto _ : state) benchmark::DoNotOptimize(s.channel.begin());
}
BENCHMARK(BM_ChannelExchange)->Unit(benchmark::kMicrosecond);

void BM_BareRoundTrip(benchmark::State& state) {
    EchoPeer peer;
    std::array<uint8_t, 64> frame{};
    for (auto _ : state) peer.roundTrip(frame);
}
BENCHMARK(BM_BareRoundTrip)->Unit(benchmark::kMicrosecond);

// Both in one loop, so the machine's load affects them alike; the counters
// give the mean of each and their ratio.
void BM_ExchangeToRoundTripRatio(benchmark::State& state) {
    SimChannel s;
    EchoPeer peer;
    std::array<uint8_t, 64> frame{};
    Clock::duration channelTime{}, bareTime{};
    for (auto _ : state) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(s.channel.begin());
        auto t1 = Clock::now();
        peer.roundTrip(frame);
        auto t2 = Clock::now();
        channelTime += t1 - t0;
        bareTime += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const double channelUs = std::chrono::duration<double, std::micro>(channelTime).count() / n;
    const double bareUs = std::chrono::duration<double, std::micro>(bareTime).count() / n;
    state.counters["channel_us"] = channelUs;
    state.counters["bare_us"] = bareUs;
    state.counters["ratio"] = channelUs / bareUs;
}
BENCHMARK(BM_ExchangeToRoundTripRatio)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
