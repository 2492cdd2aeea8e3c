#pragma once
// A worker thread that ends when its manual-reset stop event is set. Every
// stoppable thread of the program is one of these, so they all stop the same
// way: signal the event, wait for the thread up to a limit (1000 ms unless
// told otherwise) and write one line saying how the wait ended.

#include "platform/event.h"

#include <functional>
#include <string>
#include <thread>

namespace talven {

enum class ThreadStop {
    Ended,       // the thread ended within the limit
    TimedOut,    // it overstayed the limit (and was then waited for)
    NotRunning,  // there was no thread to stop
};

class WorkerThread {
public:
    static constexpr int kStopWaitMs = 1000;

    WorkerThread() = default;
    // Stops a running thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs body(stop) on a new thread; the body returns once `stop` is set.
    // False when a thread was started and not stopped yet.
    bool start(std::function<void(Event& stop)> body);
    // The stop event, the same one for every start (cleared by start).
    Event& stopEvent() { return stop_; }
    // Sets the stop event without waiting, so that several threads can be
    // told at once and then waited for one by one.
    void requestStop() { stop_.set(); }

    // Sets the stop event, waits up to timeoutMs for the thread and logs the
    // outcome. A thread that overstays is logged as such and then still
    // waited for: its body works on its owner's memory, and there is no safe
    // way to end a thread from outside.
    ThreadStop stop(int timeoutMs = kStopWaitMs);

    // Started and not stopped yet (its body may have returned on its own).
    bool started() const { return thread_.joinable(); }
    // Started and its body has not returned.
    bool running() const;

private:
    std::thread thread_;
    Event stop_{true};
    Event finished_{true};
};

// The line written for each outcome.
const char* threadStopText(ThreadStop outcome);

// Names the calling thread as `top -H`, `ps -L` and /proc show it: the first
// 15 bytes of `name` (the kernel keeps no more). Every thread the program
// starts names itself, so a busy one can be told apart.
void nameThisThread(const std::string& name);

// The lowest-numbered CPU the calling thread may run on (0 when that cannot
// be read).
int firstAllowedCpu();
// Keeps the calling thread on that one CPU from now on. False for a CPU
// number out of range (-1 included) or when the system refused; the thread
// then runs where it ran before.
bool keepThisThreadOn(int cpu);
// Lets the calling thread, when woken, wait for the running thread to sleep
// or use up its turn instead of taking the CPU from it at once (the
// scheduler's batch class, at the normal weight). For a thread that answers
// another that is about to wait for the answer anyway: the asker finishes
// what it was doing and the CPU then switches once. False when the system
// refused.
bool waitForTurnOnWakeUp();

}  // namespace talven
