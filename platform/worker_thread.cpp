#include "platform/worker_thread.h"

#include "platform/debug_output.h"

#include <pthread.h>
#include <sched.h>

namespace talven {

const char* threadStopText(ThreadStop outcome) {
    switch (outcome) {
    case ThreadStop::Ended: return "线程退出：：对象处于激发状态\n";
    case ThreadStop::TimedOut: return "线程退出：：对象处于非激发状态，超时\n";
    case ThreadStop::NotRunning: break;
    }
    // Waiting for no thread is an error of the wait; threads here own no
    // lock that could be left behind, so the abandoned case never arises.
    return "线程退出：：错误\n";
}

void nameThisThread(const std::string& name) {
    (void)pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}

int firstAllowedCpu() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return 0;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &allowed)) return cpu;
    return 0;
}

bool keepThisThreadOn(int cpu) {
    if (cpu < 0 || cpu >= CPU_SETSIZE) return false;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0;
}

bool waitForTurnOnWakeUp() {
    const sched_param normal{};
    return pthread_setschedparam(pthread_self(), SCHED_BATCH, &normal) == 0;
}

WorkerThread::~WorkerThread() {
    if (started()) stop();
}

bool WorkerThread::start(std::function<void(Event& stop)> body) {
    if (started() || !body) return false;
    stop_.reset();
    finished_.reset();
    thread_ = std::thread([this, body = std::move(body)] {
        body(stop_);
        finished_.set();
    });
    return true;
}

bool WorkerThread::running() const { return started() && !finished_.isSet(); }

ThreadStop WorkerThread::stop(int timeoutMs) {
    if (!started()) {
        debugOutput(threadStopText(ThreadStop::NotRunning));
        return ThreadStop::NotRunning;
    }
    stop_.set();
    const ThreadStop outcome = finished_.wait(timeoutMs) ? ThreadStop::Ended : ThreadStop::TimedOut;
    debugOutput(threadStopText(outcome));
    thread_.join();
    return outcome;
}

}  // namespace talven
