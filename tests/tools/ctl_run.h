#pragma once
// Runs the real talvenctl binary against a simulator directory and captures
// what it prints.

#include "support/temp_dir.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace talven::test {

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `env` is prepended to the command line (e.g. "XDG_DATA_HOME=/x").
inline CtlRun runTalvenctl(const std::string& simDir, const TempDir& scratch, const std::string& args,
                           const std::string& env = {}) {
    const auto out = scratch / "out", err = scratch / "err";
    const std::string command = env + " TALVEN_SIM_DIR=" + simDir + " " + TALVEN_BINARY_DIR + "/tools/talvenctl " +
                                args + " >" + out.string() + " 2>" + err.string();
    CtlRun r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readFile(out);
    r.err = readFile(err);
    return r;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace talven::test
