#pragma once
// Helpers shared by the fuzz harnesses: a private temporary folder for the
// loaders that read files, and a reader that cuts a fuzz input into pieces.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talven::fuzz {

// A folder made once per process under $TMPDIR (or /tmp) and removed with
// everything in it when the process ends normally.
const std::string& scratchFolder();

// Removes everything inside scratchFolder().
void clearScratchFolder();

// Writes `bytes` to scratchFolder() + name, replacing what was there; the
// full path. Aborts when the file cannot be written: a harness that silently
// tested nothing would look like a clean run.
std::string writeScratchFile(const std::string& name, std::string_view bytes);

// Consumes a fuzz input front to back. Every read past the end yields zeros
// or an empty span, so a harness never has to check sizes itself.
class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : bytes_(data, size) {}

    uint8_t byte();
    uint16_t word();  // little-endian
    // Up to `count` bytes.
    std::span<const uint8_t> take(size_t count);
    std::span<const uint8_t> rest() { return take(remaining()); }
    std::string_view restAsText();
    size_t remaining() const { return bytes_.size() - at_; }

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

}  // namespace talven::fuzz
