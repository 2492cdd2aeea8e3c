#include "sdk/osconflib/exit_signals.h"

#include <pipewire/loop.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace osconf::exit_signals {

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

int wakeFd = -1;
volatile std::sig_atomic_t caught = 0;
std::array<bool, 3> ours{};
pw_loop* armedLoop = nullptr;
spa_source* wakeSource = nullptr;
bool running = false;  // inside the cleanup, which disarms
std::function<void()> cleanupFn;

extern "C" void onExitSignal(int signal) {
    caught = signal;
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wakeFd, &one, sizeof one);
}


void onLastWait(void*, std::uint64_t) { finish(); }

void onWake(void*, int fd, std::uint32_t) {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t got = ::read(fd, &count, sizeof count);
    if (caught == 0) return;
    pw_loop* loop = armedLoop;
    running = true;
    if (cleanupFn) cleanupFn();
    running = false;
    spa_source* timer = pw_loop_add_timer(loop, onLastWait, nullptr);
    if (timer == nullptr) return finish();
    timespec lastWait{1, 0};
    pw_loop_update_timer(loop, timer, &lastWait, nullptr, false);
}

}  // namespace

void arm(pw_loop* loop, std::function<void()> cleanup) {
    if (armedLoop != nullptr) return;
    if (wakeFd < 0) wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) return;
    wakeSource = pw_loop_add_io(loop, wakeFd, SPA_IO_IN, false, onWake, nullptr);
    if (wakeSource == nullptr) return;
    armedLoop = loop;
    cleanupFn = std::move(cleanup);
    struct sigaction action {};
    action.sa_handler = onExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        ours[i] = ::sigaction(kSignals[i], nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
                  ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

void finish() {
    const int signal = caught;
    if (signal == 0) return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void disarm() {
    if (armedLoop == nullptr) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        // A handler the program put in meanwhile is the program's to keep.
        if (ours[i] && ::sigaction(kSignals[i], nullptr, &current) == 0 && current.sa_handler == onExitSignal)
            std::signal(kSignals[i], SIG_DFL);
        ours[i] = false;
    }
    // The source ends with its loop when disarmed from inside its callback.
    if (!running) pw_loop_destroy_source(armedLoop, wakeSource);
    wakeSource = nullptr;
    armedLoop = nullptr;
    if (!running) cleanupFn = nullptr;
}

}  // namespace osconf::exit_signals
