// What one command exchange costs through the whole stack (channel, HID
// device, simulator socket, firmware model and back) compared with a bare
// 64-byte round trip on the same kind of socket.
//
// Both sides are measured alike: wall-clock time per exchange, taken on the
// same thread, against a peer thread that wakes the same way. The simulated
// node's service thread sleeps in one epoll set that holds its sockets and
// its stop event, so the bare peer does the same with its socket and a stop
// event; only the work between the wake-up and the answer differs.
//
// BM_ExchangeVsRoundTrip is the comparison: it alternates blocks of each,
// in ABBA order, so that the machine's load and the other side's trailing
// work fall on both alike. Its counters: the mean wall time of one exchange
// and of one round trip, `ratio` = the quotient of these two means, and
// `ratio_median` = the median over adjacent block pairs of their time
// quotient. The two single benchmarks are there to profile one side at a
// time.

#include "device/command_channel.h"
#include "device/hid_records.h"
#include "platform/event.h"
#include "sim/simulator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Report = std::array<uint8_t, 64>;

// Where the answering thread runs decides most of the cost of a wake-up: on
// the caller's core the switch is local, on the other core the sleeping core
// has to be woken first, which on a virtual machine can cost more than the
// whole exchange. Left to the scheduler, the two peers of one run may land
// differently and the comparison measures their luck. So every benchmark
// places the caller and its peers explicitly: argument 0 puts them all on
// one core, 1 puts the peers on the other core.
bool pinThread(int tid, int cpu) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    return tid > 0 && ::sched_setaffinity(tid, sizeof set, &set) == 0;
}

int waitForTid(const std::function<int()>& tid) {
    for (int i = 0; i < 1000 && tid() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return tid();
}

// Pins the calling thread and the given peer threads for the benchmark's
// duration, then gives the caller back its former cores.
class Placement {
public:
    Placement(benchmark::State& state, std::initializer_list<int> peers) {
        ::sched_getaffinity(0, sizeof saved_, &saved_);
        const int peerCpu = state.range(0) == 0 ? 0 : 1;
        bool ok = pinThread(static_cast<int>(::gettid()), 0);
        for (int tid : peers) ok = ok && pinThread(tid, peerCpu);
        if (!ok) state.SkipWithError("cannot place the threads (needs two cores)");
        state.SetLabel(peerCpu == 0 ? "one core" : "peer on the other core");
    }
    ~Placement() { ::sched_setaffinity(0, sizeof saved_, &saved_); }

private:
    cpu_set_t saved_;
};

// Answers every packet with itself.
class EchoPeer {
public:
    EchoPeer() {
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds_) != 0) std::abort();
        thread_ = std::thread([this] { serve(); });
    }
    ~EchoPeer() {
        stop_.set();
        thread_.join();
        ::close(fds_[0]);
        ::close(fds_[1]);
    }
    int threadId() const { return tid_.load(); }
    bool roundTrip(Report& report) {
        return ::send(fds_[0], report.data(), report.size(), MSG_NOSIGNAL) == 64 &&
               ::recv(fds_[0], report.data(), report.size(), 0) == 64;
    }

private:
    void serve() {
        tid_ = static_cast<int>(::gettid());
        const int waitFd = ::epoll_create1(EPOLL_CLOEXEC);
        for (int fd : {fds_[1], stop_.fd()}) {
            epoll_event e{};
            e.events = EPOLLIN;
            e.data.fd = fd;
            ::epoll_ctl(waitFd, EPOLL_CTL_ADD, fd, &e);
        }
        std::array<uint8_t, 4096> buffer;
        for (;;) {
            epoll_event ready[4];
            const int n = ::epoll_wait(waitFd, ready, 4, -1);
            if (n < 0) continue;
            if (stop_.isSet()) break;
            const ssize_t got = ::recv(fds_[1], buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (got > 0) ::send(fds_[1], buffer.data(), static_cast<size_t>(got), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        ::close(waitFd);
    }

    int fds_[2];
    std::atomic<int> tid_{0};
    talven::Event stop_{true};
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
    bool exchange() { return channel.begin() == talven::channel_result::Success; }
    int serviceThread() {
        return waitForTid([this] { return sim.device("keyboard")->hid().serviceThreadId(); });
    }

    std::string dir;
    talven::sim::Simulator sim;
    talven::CommandChannel channel;
};

void BM_ChannelExchange(benchmark::State& state) {
    SimChannel s;
    Placement placement(state, {s.serviceThread()});
    for (auto _ : state) {
        if (!s.exchange()) state.SkipWithError("the simulated keyboard did not answer");
    }
}
BENCHMARK(BM_ChannelExchange)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_BareRoundTrip(benchmark::State& state) {
    EchoPeer peer;
    Placement placement(state, {waitForTid([&] { return peer.threadId(); })});
    Report report{};
    for (auto _ : state) {
        if (!peer.roundTrip(report)) state.SkipWithError("the echo peer did not answer");
    }
}
BENCHMARK(BM_BareRoundTrip)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

constexpr int kBlock = 16;

template <typename Step>
Clock::duration timeBlock(Step step, benchmark::State& state) {
    const auto start = Clock::now();
    for (int i = 0; i < kBlock; ++i) {
        if (!step()) state.SkipWithError("a peer did not answer");
    }
    return Clock::now() - start;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

void BM_ExchangeVsRoundTrip(benchmark::State& state) {
    SimChannel s;
    EchoPeer peer;
    Placement placement(state, {s.serviceThread(), waitForTid([&] { return peer.threadId(); })});
    Report report{};
    auto exchange = [&] { return s.exchange(); };
    auto bare = [&] { return peer.roundTrip(report); };
    Clock::duration exchangeTime{}, bareTime{};
    std::vector<double> pairRatios;
    bool exchangeFirst = true;
    for (auto _ : state) {
        Clock::duration e{}, b{};
        if (exchangeFirst) {
            e = timeBlock(exchange, state);
            b = timeBlock(bare, state);
        } else {
            b = timeBlock(bare, state);
            e = timeBlock(exchange, state);
        }
        exchangeFirst = !exchangeFirst;
        exchangeTime += e;
        bareTime += b;
        pairRatios.push_back(std::chrono::duration<double>(e) / std::chrono::duration<double>(b));
    }
    const double n = static_cast<double>(state.iterations()) * kBlock;
    const double exchangeUs = std::chrono::duration<double, std::micro>(exchangeTime).count() / n;
    const double bareUs = std::chrono::duration<double, std::micro>(bareTime).count() / n;
    state.counters["exchange_us"] = exchangeUs;
    state.counters["bare_us"] = bareUs;
    state.counters["ratio"] = exchangeUs / bareUs;
    // Blocks next to each other in time share the machine's load; the median
    // of their ratios is what a burst of other work on the machine leaves alone.
    state.counters["ratio_median"] = median(std::move(pairRatios));
}
// One iteration is a block of each side; the counters are per exchange.
BENCHMARK(BM_ExchangeVsRoundTrip)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
