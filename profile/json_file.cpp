#include "profile/json_file.h"

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "profile/json_document.h"

#include <json/writer.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talven {

namespace {

FileRead refusal(FileReadState state, std::string error) {
    FileRead r;
    r.state = state;
    r.error = std::move(error);
    return r;
}

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

// Everything after a successful open: the checks on what was opened, then
// the bytes.
FileRead readOpened(int fd, std::uintmax_t maxBytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return refusal(FileReadState::unreadable, std::string("it cannot be examined: ") + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return refusal(FileReadState::unreadable, "it is a folder, not a file");
    if (!S_ISREG(st.st_mode)) return refusal(FileReadState::unreadable, "it is not a regular file");
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        return refusal(FileReadState::unreadable, "it is " + std::to_string(st.st_size) +
                                                      " bytes, above the limit of " + std::to_string(maxBytes) +
                                                      " bytes for such a file");
    }
    FileRead r;
    r.bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < r.bytes.size()) {
        const ssize_t n = ::read(fd, r.bytes.data() + done, r.bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            return refusal(FileReadState::unreadable, n < 0 ? std::string("it cannot be read: ") + std::strerror(errno)
                                                            : "it shrank while being read");
        }
        done += static_cast<size_t>(n);
    }
    r.state = FileReadState::ok;
    return r;
}

}  // namespace

const JsonLimits& jsonLimitsFor(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (name == "ProfileList.ini" || name == "macro.config" || name == "velko_macro.config") return kListJsonLimits;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mac") == 0) return kMacroJsonLimits;
    return kProfileJsonLimits;
}

FileRead readRegularFile(const std::string& path, std::uintmax_t maxBytes) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer for ever. It changes nothing for the regular files we go on to
    // read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    debugOutputf("readjsonFile 错误吗：：%d", fd < 0 ? errno : 0);
    if (fd < 0) {
        const int error = errno;
        // A name too long to exist is as absent as one that does not.
        if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG)
            return refusal(FileReadState::missing, "it does not exist");
        return refusal(FileReadState::unreadable, std::string("it cannot be opened: ") + std::strerror(error));
    }
    const FdCloser closer{fd};
    return readOpened(fd, maxBytes);
}

std::string readjsonFile(const std::string& path) {
    FileRead r = readRegularFile(path);
    return r.state == FileReadState::ok ? std::move(r.bytes) : std::string();
}

Json::Value ReadJsonValue(const std::string& path) {
    JsonDocument doc = readJsonDocument(path);
    if (doc.state != JsonFileState::ok) debugOutput(path + ": " + doc.error);
    return std::move(doc.value);
}

int wirtejsonFile(const std::string& path, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    std::string text = Json::writeString(builder, value);
    text += "\n";
    const int error = writeFileAtomically(path, text);
    debugOutputf("wirtejsonFile 错误吗：：%d", error);
    return error == 0 ? 0 : 1;
}

std::string cannotWrite(const std::string& path) {
    return path + " cannot be written (" + std::strerror(lastAtomicWriteError()) + ")";
}

std::string MakeTimeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

}  // namespace talven
