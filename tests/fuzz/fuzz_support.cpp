#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace talven::fuzz {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/talven-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("fuzz: cannot make a temporary folder");
            std::abort();
        }
        path_ = pattern + "/";
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::string& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path();
}

void clearScratchFolder() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(scratchFolder(), ec))
        std::filesystem::remove_all(entry.path(), ec);
}

std::string writeScratchFile(const std::string& name, std::string_view bytes) {
    const std::string path = scratchFolder() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
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
