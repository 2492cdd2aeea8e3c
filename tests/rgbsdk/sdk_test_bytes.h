#pragma once
// Byte builders for the protocol tests: little-endian fields written out by
// hand, independent of the encoder under test.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace talven::rgbsdk::test {

struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(uint8_t x) {
        v.push_back(x);
        return *this;
    }
    Bytes& u16(uint16_t x) { return u8(x & 0xFF).u8(x >> 8); }
    Bytes& u32(uint32_t x) { return u16(x & 0xFFFF).u16(x >> 16); }
    Bytes& raw(std::initializer_list<uint8_t> bytes) {
        v.insert(v.end(), bytes);
        return *this;
    }
    // Length with the NUL, text, NUL.
    Bytes& str(const std::string& s) {
        u16(static_cast<uint16_t>(s.size() + 1));
        v.insert(v.end(), s.begin(), s.end());
        return u8(0);
    }
    Bytes& append(const std::vector<uint8_t>& more) {
        v.insert(v.end(), more.begin(), more.end());
        return *this;
    }
};

inline std::vector<uint8_t> header(uint32_t device, uint32_t id, uint32_t size) {
    return Bytes().raw({'O', 'R', 'G', 'B'}).u32(device).u32(id).u32(size).v;
}

inline std::vector<uint8_t> packet(uint32_t device, uint32_t id, const std::vector<uint8_t>& payload) {
    return Bytes().append(header(device, id, static_cast<uint32_t>(payload.size()))).append(payload).v;
}

}  // namespace talven::rgbsdk::test
