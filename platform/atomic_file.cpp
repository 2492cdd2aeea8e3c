#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talven {

namespace {

struct Fault {
    std::atomic<AtomicWriteStep> step{AtomicWriteStep::none};
    std::atomic<int> error{0};
    std::atomic<int> skip{0};
};

Fault& fault() {
    static Fault f;
    return f;
}

// The armed error for this write's `step`, or 0. `skip` counts whole writes,
// so it is consumed once per write, at its first step.
int injected(AtomicWriteStep step, bool firstStep) {
    Fault& f = fault();
    const AtomicWriteStep armed = f.step.load();
    if (armed == AtomicWriteStep::none) return 0;
    if (firstStep && f.skip.load() > 0) {
        f.skip.fetch_sub(1);
        return -1;  // this whole write passes
    }
    return armed == step ? f.error.load() : 0;
}

int writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is only durable once the folder holding it is on disk. Folders
// that cannot be opened or synced (some network file systems) are not an
// error: the new contents are already in place for every reader.
void syncFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The temporary file's name: beside the target, so the rename stays on one
// file system, and never longer than a file name may be (a target whose own
// name is near the limit would otherwise fail for its temporary alone).
std::string temporaryName(const std::string& path) {
    constexpr size_t kMaxStem = 200;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t nameLength = path.size() - nameStart;
    return path.substr(0, nameStart + std::min(nameLength, kMaxStem)) + ".tmp-XXXXXX";
}

}  // namespace

void armAtomicWriteFault(AtomicWriteStep step, int error, int skip) {
    Fault& f = fault();
    f.step.store(AtomicWriteStep::none);
    f.error.store(error);
    f.skip.store(skip);
    f.step.store(step);
}

int writeFileAtomically(const std::string& path, std::string_view contents) {
    const int first = injected(AtomicWriteStep::write, true);
    const bool pass = first < 0;
    const auto fail = [pass](AtomicWriteStep step) { return pass ? 0 : injected(step, false); };
    std::string temp = temporaryName(path);
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno ? errno : EIO;
    // Keep the permissions of the file we replace; new files get the usual 0644.
    struct stat st {};
    ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    int error = pass ? 0 : first;
    if (error == 0) error = writeAll(fd, contents);
    if (error == 0) error = fail(AtomicWriteStep::fsync);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) error = fail(AtomicWriteStep::rename);
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    syncFolder(path);
    return 0;
}

}  // namespace talven
