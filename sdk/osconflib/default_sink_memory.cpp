#include "sdk/osconflib/default_sink_memory.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <unistd.h>

namespace osconf {

namespace {

// First line "1" and the value on the second, or "0" alone for no default.
constexpr char kSome[] = "1\n";
constexpr char kNone[] = "0\n";

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

DefaultSinkMemory::DefaultSinkMemory(std::string folder)
    : folder_(std::move(folder)), path_(folder_ + "/default-sink") {}

DefaultSinkMemory::~DefaultSinkMemory() { unlock(); }

std::string DefaultSinkMemory::defaultFolder() {
    std::string state = envOrEmpty("XDG_STATE_HOME");
    if (state.empty() || state[0] != '/') state = envOrEmpty("HOME") + "/.local/state";
    return state + "/osConfLib";
}

bool DefaultSinkMemory::lock(std::string& error) {
    if (locked()) return true;
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    int fd = ::open((folder_ + "/default-sink.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot make the lock file in " + folder_ + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "another program plays the equaliser" : std::string(std::strerror(errno));
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

void DefaultSinkMemory::unlock() {
    if (lockFd_ < 0) return;
    ::close(lockFd_);  // closing releases the lock
    lockFd_ = -1;
}

bool DefaultSinkMemory::save(const std::optional<std::string>& previous, std::string& error) {
    if (!locked()) {
        error = "the default sink is saved only under the lock";
        return false;
    }
    std::string text = previous ? kSome + *previous + "\n" : kNone;
    int result = talven::writeFileAtomically(path_, text);
    if (result != 0) error = "cannot write " + path_ + ": " + std::strerror(result);
    return result == 0;
}

std::optional<std::optional<std::string>> DefaultSinkMemory::load() const {
    std::ifstream in(path_);
    if (!in) return std::nullopt;
    std::string text;
    // A read error (the path is a folder, the disk fails) throws from the
    // stream's buffer: it restores nothing rather than end the program.
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return std::nullopt;
    }
    if (text == kNone) return std::optional<std::string>();
    // A value is one line; anything else is not a file this library wrote
    // whole (the write is atomic), so it restores nothing.
    if (text.rfind(kSome, 0) != 0 || text.size() < 4 || text.back() != '\n') return std::nullopt;
    std::string value = text.substr(2, text.size() - 3);
    if (value.find('\n') != std::string::npos) return std::nullopt;
    return std::optional<std::string>(value);
}

void DefaultSinkMemory::forget() { ::unlink(path_.c_str()); }

}  // namespace osconf
