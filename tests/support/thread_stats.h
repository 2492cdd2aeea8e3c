#pragma once
// How often a thread of this process was switched out: a thread that sleeps
// until it has work adds almost nothing over a second, one that polls adds
// its poll rate.

#include <fstream>
#include <string>

#include <sys/syscall.h>
#include <unistd.h>

namespace talven::test {

inline int currentThreadId() { return static_cast<int>(::syscall(SYS_gettid)); }

// Voluntary and involuntary context switches of thread `tid` of this process.
inline long contextSwitches(int tid) {
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
    long total = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("voluntary_ctxt_switches:") || line.starts_with("nonvoluntary_ctxt_switches:"))
            total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

}  // namespace talven::test
