// Replays a corpus through a fuzz harness without libFuzzer: every regular
// file under the folders (or the files) named on the command line is read and
// handed to LLVMFuzzerTestOneInput once, in name order so a failure is easy
// to reproduce. A crash or a sanitizer report ends the program; an empty or
// missing corpus is an error, so a renamed folder cannot pass unnoticed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path& arg) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_regular_file(arg, ec)) return {arg};
    for (const auto& entry : fs::recursive_directory_iterator(arg, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A heap block of exactly the file's size, as libFuzzer hands over, so
    // ASan sees a read one byte past the end.
    const std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    LLVMFuzzerTestOneInput(exact.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputsOf(argv[i])) {
            if (!replay(file)) {
                std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
                return 1;
            }
            ++count;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    std::printf("replay: %zu inputs ran\n", count);
    return 0;
}
