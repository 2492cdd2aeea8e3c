// talven-devsim: simulated peripherals for machines without them.
//
// Plugs the chosen products into a simulator directory and keeps them there
// until it is told to stop. Point the application or talvenctl at the same
// directory with TALVEN_SIM_DIR.

#include "sim/simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using talven::sim::Simulator;

constexpr const char* kProgram = "talven-devsim";

void printUsage() {
    std::printf(
        "usage: %s [--dir DIR] [PRODUCT...]\n"
        "\n"
        "Simulates USB peripherals: each product appears in DIR the way the application\n"
        "and talvenctl look for devices when TALVEN_SIM_DIR=DIR is set.\n"
        "\n"
        "  --dir DIR   simulator directory (default: $TALVEN_SIM_DIR, else\n"
        "              $XDG_RUNTIME_DIR/talven-sim, else /tmp/talven-sim-$UID)\n"
        "  --help      show this text\n"
        "  --version   show the version\n"
        "\n"
        "Products (default: all): %s\n"
        "Variants (only when named): %s\n"
        "\n"
        "Runs until SIGINT, SIGTERM or the control command \"quit\". SIGUSR1 unplugs\n"
        "every product, SIGUSR2 plugs them back. Control commands go to the socket\n"
        "DIR/.control: list, plug, unplug, fault, notify, quit, help; keyboards also\n"
        "key (press a key at a table position), profile (the onboard profile key) and\n"
        "gamemode (the game-mode key: on or off); mice also profile and dpi (the\n"
        "profile and DPI buttons), and the wireless mouse link (up or down: in or out\n"
        "of its receiver's reach).\n",
        kProgram, talven::sim::simProductNames().c_str(), talven::sim::simVariantNames().c_str());
}

int fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    return 1;
}

// A directory in a shared place such as /tmp must be ours: anyone who owns
// it could swap the nodes under us. `exists` tells whether it was there.
bool dirUsable(const std::string& dir, bool* exists, std::string* error) {
    struct stat st;
    *exists = ::lstat(dir.c_str(), &st) == 0;
    if (!*exists) {
        if (errno == ENOENT) return true;
        *error = dir + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = dir + " exists and is not a directory";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        *error = dir + " belongs to another user";
        return false;
    }
    return true;
}

struct Options {
    std::string dir;
    std::vector<std::string> products;
    bool help = false;
    bool version = false;
};

bool parseArgs(int argc, char** argv, Options& options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--dir") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *error = "--dir needs a directory";
                return false;
            }
            options.dir = argv[++i];
        } else if (arg.rfind("--dir=", 0) == 0 && arg.size() > 6) {
            options.dir = arg.substr(6);
        } else if (!arg.empty() && arg[0] == '-') {
            *error = "unknown option " + arg + " (see --help)";
            return false;
        } else if (talven::sim::findSimProduct(arg) == nullptr) {
            *error = "unknown product '" + arg + "' (known: " + talven::sim::simKnownNames() + ")";
            return false;
        } else {
            options.products.push_back(arg);
        }
    }
    if (options.dir.empty()) options.dir = talven::sim::defaultSimDir();
    return true;
}

// Waits for signals and the "quit" command; returns when asked to stop.
void run(Simulator& sim, int signalFd) {
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {sim.quitRequested().fd(), POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        signalfd_siginfo info;
        if (::read(signalFd, &info, sizeof info) != sizeof info) continue;
        if (info.ssi_signo == SIGUSR1) {
            sim.unplugAll();
            std::printf("unplugged all products\n");
        } else if (info.ssi_signo == SIGUSR2) {
            std::string why;
            if (sim.plugAll(&why)) {
                std::printf("plugged all products\n");
            } else {
                std::fprintf(stderr, "%s: %s\n", kProgram, why.c_str());
            }
        } else {
            return;
        }
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseArgs(argc, argv, options, &error)) return fail(error);
    if (options.help) {
        printUsage();
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", kProgram, TALVEN_VERSION);
        return 0;
    }
    bool dirExisted = false;
    if (!dirUsable(options.dir, &dirExisted, &error)) return fail(error);

    // Block the signals before any thread starts so that only the signalfd
    // sees them.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) return fail(std::string("cannot watch signals: ") + std::strerror(errno));

    int status = 0;
    {
        Simulator sim(options.dir);
        if (options.products.empty()) sim.addAllProducts();
        for (const std::string& name : options.products) sim.addProduct(name);
        // The control socket appears last: whoever waits for it (as the
        // install checks do) then finds every product already plugged.
        if (!sim.plugAll(&error) || !sim.startControl(&error)) {
            status = fail(error);
        } else {
            std::printf("%s: simulating", kProgram);
            for (auto* d : sim.devices()) std::printf(" %s", std::string(d->name()).c_str());
            std::printf(" in %s\nexport TALVEN_SIM_DIR=%s\n", options.dir.c_str(), options.dir.c_str());
            std::fflush(stdout);
            run(sim, signalFd);
        }
    }
    ::close(signalFd);
    if (!dirExisted) ::rmdir(options.dir.c_str());  // fails harmlessly when something else is left
    return status;
}
