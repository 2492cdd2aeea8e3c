#include "support/xvfb_server.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace talven::test {

namespace {

std::string readDisplay(int fd) {
    std::string number;
    pollfd p{fd, POLLIN, 0};
    char c = 0;
    while (::poll(&p, 1, 10000) == 1 && ::read(fd, &c, 1) == 1 && c != '\n') number += c;
    return number.empty() ? std::string() : ":" + number;
}

}  // namespace

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const auto candidate = std::filesystem::path(folders.substr(start, end - start)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return {};
}

XvfbServer::XvfbServer(const std::string& screen) {
    const std::string program = findProgram("Xvfb");
    int fds[2];
    if (program.empty() || ::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
                screen.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid_ > 0) display_ = readDisplay(fds[0]);
    ::close(fds[0]);
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

}  // namespace talven::test
