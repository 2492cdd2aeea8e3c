// A stand-in for the program's headset page when only its sound matters:
// loads the audio library through dlopen as the program does, starts it the
// same way (defaults written, values read), then takes one command a line
// from standard input and answers one line each:
//
//   preset N       select equaliser preset N (1..12), as the preset options do
//   band I V       band I (1..10) to V dB, as the band sliders do
//   enable V       "Enable_EQ_GFX" to V
//   playback       the library's "EQ_Playback" (1: the bands are heard)
//   quit           ends in order (end of input does too)
//
// Answers: "ok", "failed", or the value read. It leaves SIGTERM at its
// default action, as a program that does not handle it would.

#include "device/headset/headset_session.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <poll.h>
#include <unistd.h>

using namespace talven::headset;

namespace {

std::string run(HeadsetAudioSession& session, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    int a = 0;
    int b = 0;
    in >> command;
    bool done = false;
    if (command == "preset" && in >> a) {
        done = session.audio->selectEqualiser(a);
    } else if (command == "band" && in >> a >> b) {
        done = session.audio->setBand(a - 1, b);
    } else if (command == "enable" && in >> a) {
        done = session.port->writeInt(AudioSide::Output, L"Enable_EQ_GFX", a, std::nullopt);
    } else if (command == "playback") {
        auto text = session.port->read(AudioSide::Output, L"EQ_Playback", {});
        return text ? std::string(text->begin(), text->end()) : "failed";
    }
    return done ? "ok" : "failed";
}

// One line of standard input, waited for in poll(2). A ThreadSanitizer build
// runs a signal's handler only once the call the signal interrupted returns,
// and a read(2) (or the C library's buffered input) restarts after a handler
// installed with SA_RESTART, as the library's is, so SIGTERM would wait for
// the next line; poll(2) is never restarted.
bool readLine(std::string& line) {
    line.clear();
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return !line.empty();
        if (c == '\n') return true;
        line.push_back(c);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIBRARY.so\n", argv[0]);
        return 2;
    }
    std::string error;
    auto session = openHeadsetAudio(argv[1], &error);
    if (!session) {
        std::fprintf(stderr, "eq_driver: %s\n", error.c_str());
        return 1;
    }
    std::cout << "ready" << std::endl;
    std::string line;
    while (readLine(line) && line != "quit") std::cout << run(*session, line) << std::endl;
    return 0;
}
