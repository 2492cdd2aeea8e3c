#include "fuzz_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace talven::fuzz {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/talven-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) fail("cannot make a temporary folder", pattern);
        path_ = pattern + "/";
        // Kept open for the whole run: clearing it then costs no allocation,
        // where a directory iterator per input took a seventh of a loader's run.
        listing_ = ::opendir(path_.c_str());
        if (!listing_) fail("cannot open", path_);
    }
    ~ScratchFolder() {
        ::closedir(listing_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

    void clear() {
        ::rewinddir(listing_);
        while (const dirent* entry = ::readdir(listing_)) {
            const char* name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            if (::unlinkat(::dirfd(listing_), name, 0) == 0 || errno == ENOENT) continue;
            // A folder a loader made: rare enough for the slow way.
            std::error_code ec;
            std::filesystem::remove_all(path_ + name, ec);
        }
    }

    [[noreturn]] static void fail(const char* what, const std::string& path) {
        std::fprintf(stderr, "fuzz: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
        std::abort();
    }

private:
    std::string path_;
    DIR* listing_ = nullptr;
};

ScratchFolder& folder() {
    static ScratchFolder instance;
    return instance;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

const std::string& scratchFolder() { return folder().path(); }

void clearScratchFolder() { folder().clear(); }

std::string writeScratchFile(const std::string& name, std::string_view bytes) {
    std::string path = scratchFolder() + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && writeAll(fd, bytes);
    if (fd < 0 || ::close(fd) != 0 || !written) ScratchFolder::fail("cannot write", path);
    return path;
}

uint8_t InputReader::byte() {
    const auto piece = take(1);
    return piece.empty() ? 0 : piece[0];
}

uint16_t InputReader::word() {
    const uint16_t low = byte();
    return static_cast<uint16_t>(low | byte() << 8);
}

std::span<const uint8_t> InputReader::take(size_t count) {
    const size_t n = count < remaining() ? count : remaining();
    const auto piece = bytes_.subspan(at_, n);
    at_ += n;
    return piece;
}

std::string_view InputReader::restAsText() {
    const auto piece = rest();
    return {reinterpret_cast<const char*>(piece.data()), piece.size()};
}

}  // namespace talven::fuzz
