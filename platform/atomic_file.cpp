#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talven {

namespace {

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

}  // namespace

int writeFileAtomically(const std::string& path, std::string_view contents) {
    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno ? errno : EIO;
    // Keep the permissions of the file we replace; new files get the usual 0644.
    struct stat st {};
    ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
    int error = writeAll(fd, contents);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temp.c_str());
    return error;
}

}  // namespace talven
