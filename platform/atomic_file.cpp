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

// A temporary name beside the target, so the rename stays on one file
// system, and never longer than a file name may be (a target whose own name
// is near the limit would otherwise fail for its temporary alone). The six
// X are for mkstemp, or replaced here by `unique`.
std::string temporaryName(const std::string& path, const char* unique = "XXXXXX") {
    constexpr size_t kMaxStem = 200;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t nameLength = path.size() - nameStart;
    return path.substr(0, nameStart + std::min(nameLength, kMaxStem)) + ".tmp-" + unique;
}

// The file the new contents go to before they replace the target. Where the
// file system allows it, the file has no name while it is written (O_TMPFILE)
// and gets one only once it is whole and on disk, just before the rename: a
// process killed while writing then leaves nothing in the user's folder.
struct Staged {
    int fd = -1;
    bool unnamed = false;
    std::string name;  // set once the file has a name
};

int openStaged(const std::string& path, bool unnamed, Staged& staged) {
    staged = {};
    if (unnamed) {
        staged.fd = ::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        staged.unnamed = staged.fd >= 0;
        return staged.fd >= 0 ? 0 : errno;
    }
    staged.name = temporaryName(path);
    staged.fd = ::mkstemp(staged.name.data());
    if (staged.fd < 0) staged.name.clear();
    return staged.fd >= 0 ? 0 : errno;
}

// Links the unnamed file under a fresh temporary name.
int nameStaged(const std::string& path, Staged& staged) {
    if (!staged.unnamed) return 0;
    static std::atomic<unsigned> counter{0};
    char proc[64];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", staged.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char unique[16];
        std::snprintf(unique, sizeof unique, "%06x", (static_cast<unsigned>(::getpid()) * 7919u + counter++) & 0xFFFFFFu);
        const std::string name = temporaryName(path, unique);
        if (::linkat(AT_FDCWD, proc, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            staged.name = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// An unnamed file cannot be had here (the file system has none, or no
// /proc to name one by): a named temporary will do.
bool noUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOENT || error == EXDEV;
}

}  // namespace

void armAtomicWriteFault(AtomicWriteStep step, int error, int skip) {
    Fault& f = fault();
    f.step.store(AtomicWriteStep::none);
    f.error.store(error);
    f.skip.store(skip);
    f.step.store(step);
}

namespace {

// One attempt, with an unnamed file or a named one from the start.
int replaceWith(const std::string& path, std::string_view contents, bool unnamed, int first) {
    const bool pass = first < 0;
    const auto fail = [pass](AtomicWriteStep step) { return pass ? 0 : injected(step, false); };
    Staged staged;
    if (const int error = openStaged(path, unnamed, staged); error != 0) return error;
    // Keep the permissions of the file we replace; new files get the usual 0644.
    struct stat st {};
    ::fchmod(staged.fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    int error = pass ? 0 : first;
    if (error == 0) error = writeAll(staged.fd, contents);
    if (error == 0) error = fail(AtomicWriteStep::fsync);
    if (error == 0 && ::fsync(staged.fd) != 0) error = errno;
    if (error == 0) error = nameStaged(path, staged);
    if (::close(staged.fd) != 0 && error == 0) error = errno;
    if (error == 0) error = fail(AtomicWriteStep::rename);
    if (error == 0 && ::rename(staged.name.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0 && !staged.name.empty()) ::unlink(staged.name.c_str());
    return error;
}

}  // namespace

thread_local int lastError = 0;

int lastAtomicWriteError() { return lastError; }

int writeFileAtomically(const std::string& path, std::string_view contents) {
    const int first = injected(AtomicWriteStep::write, true);
    int error = replaceWith(path, contents, true, first);
    // Only when the unnamed file could not be had or named; a failed write
    // or rename is the answer.
    if (error != 0 && noUnnamedFiles(error)) error = replaceWith(path, contents, false, first);
    if (error == 0) syncFolder(path);
    lastError = error;
    return error;
}

}  // namespace talven
