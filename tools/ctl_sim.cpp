#include "tools/ctl_sim.h"

#include "sim/sim_control.h"

#include <cstdio>
#include <cstdlib>

namespace talven::ctl {

int runSimCommand(const std::vector<std::string>& words) {
    if (words.empty()) {
        std::fprintf(stderr, "talvenctl: sim needs a command (list, plug, unplug, fault, notify, key, profile)\n");
        return 2;
    }
    std::string line;
    for (const auto& w : words) line += (line.empty() ? "" : " ") + w;
    const char* env = std::getenv("TALVEN_SIM_DIR");
    const std::string dir = (env && *env) ? env : sim::defaultSimDir();
    std::string error;
    auto answer = sim::sendSimControl(dir, line, &error);
    if (!answer) {
        std::fprintf(stderr, "talvenctl: %s\n", error.c_str());
        return 1;
    }
    const bool ok = answer->rfind("ok", 0) == 0;
    std::fprintf(ok ? stdout : stderr, "%s\n", answer->c_str());
    return ok ? 0 : 1;
}

}  // namespace talven::ctl
