#include "app/unix_signals.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace talven {
namespace {

std::array<int, 2> pipeFds = {-1, -1};
constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onUnixSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t written = ::write(pipeFds[1], &number, 1);
}

}  // namespace

UnixSignals::UnixSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFds.data()) != 0) return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UnixSignals::readSignal);
    struct sigaction action {};
    action.sa_handler = onUnixSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

UnixSignals::~UnixSignals() {
    for (int signal : kSignals) std::signal(signal, SIG_DFL);
    delete notifier_;
    for (int& fd : pipeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void UnixSignals::readSignal() {
    unsigned char number = 0;
    while (::read(pipeFds[0], &number, 1) == 1) {
        if (onSignal_) onSignal_(number);
    }
}

}  // namespace talven
