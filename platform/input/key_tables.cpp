#include "platform/input/key_tables.h"

#include <algorithm>
#include <array>

namespace talven::input {

namespace {

constexpr uint8_t kUnk = 240;  // KEY_UNKNOWN

// Usage 0x00 .. 0xFF, sixteen a row, as the kernel's HID input layer maps
// them.
constexpr std::array<uint8_t, 256> kHidUsageToKey = {
    0,    0,    0,    0,    30,   48,   46,   32,   18,   33,   34,   35,   23,   36,   37,   38,
    50,   49,   24,   25,   16,   19,   31,   20,   22,   47,   17,   45,   21,   44,   2,    3,
    4,    5,    6,    7,    8,    9,    10,   11,   28,   1,    14,   15,   57,   12,   13,   26,
    27,   43,   43,   39,   40,   41,   51,   52,   53,   58,   59,   60,   61,   62,   63,   64,
    65,   66,   67,   68,   87,   88,   99,   70,   119,  110,  102,  104,  111,  107,  109,  106,
    105,  108,  103,  69,   98,   55,   74,   78,   96,   79,   80,   81,   75,   76,   77,   71,
    72,   73,   82,   83,   86,   127,  116,  117,  183,  184,  185,  186,  187,  188,  189,  190,
    191,  192,  193,  194,  134,  138,  130,  132,  128,  129,  131,  137,  133,  135,  136,  113,
    115,  114,  kUnk, kUnk, kUnk, 121,  kUnk, 89,   93,   124,  92,   94,   95,   kUnk, kUnk, kUnk,
    122,  123,  90,   91,   85,   kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, 111,  kUnk, kUnk, kUnk,
    kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk,
    kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, 179,  180,  kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk,
    kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk,
    kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, 111,  kUnk, kUnk, kUnk, kUnk, kUnk, kUnk, kUnk,
    29,   42,   56,   125,  97,   54,   100,  126,  164,  166,  165,  163,  161,  115,  114,  113,
    150,  158,  159,  128,  136,  177,  178,  176,  142,  152,  173,  140,  kUnk, kUnk, kUnk, kUnk,
};

struct KeyRow {
    uint16_t linuxKey;
    WinKey win;
};

constexpr KeyRow plain(uint16_t linuxKey, uint16_t vk, uint16_t scan) { return {linuxKey, {vk, scan, false}}; }
constexpr KeyRow e0(uint16_t linuxKey, uint16_t vk, uint16_t scan) { return {linuxKey, {vk, scan, true}}; }

// Key codes 1..88 are the set-1 scan codes of the same keys, so those rows
// only add the virtual key; the E0 keys further down carry their own scan.
// Keypad digits give the virtual keys they have with Num Lock on.
constexpr auto kKeyRows = std::to_array<KeyRow>({
    plain(1, 0x1B, 0x01),   plain(2, 0x31, 0x02),   plain(3, 0x32, 0x03),   plain(4, 0x33, 0x04),
    plain(5, 0x34, 0x05),   plain(6, 0x35, 0x06),   plain(7, 0x36, 0x07),   plain(8, 0x37, 0x08),
    plain(9, 0x38, 0x09),   plain(10, 0x39, 0x0A),  plain(11, 0x30, 0x0B),  plain(12, 0xBD, 0x0C),
    plain(13, 0xBB, 0x0D),  plain(14, 0x08, 0x0E),  plain(15, 0x09, 0x0F),  plain(16, 0x51, 0x10),
    plain(17, 0x57, 0x11),  plain(18, 0x45, 0x12),  plain(19, 0x52, 0x13),  plain(20, 0x54, 0x14),
    plain(21, 0x59, 0x15),  plain(22, 0x55, 0x16),  plain(23, 0x49, 0x17),  plain(24, 0x4F, 0x18),
    plain(25, 0x50, 0x19),  plain(26, 0xDB, 0x1A),  plain(27, 0xDD, 0x1B),  plain(28, 0x0D, 0x1C),
    plain(29, 0xA2, 0x1D),  plain(30, 0x41, 0x1E),  plain(31, 0x53, 0x1F),  plain(32, 0x44, 0x20),
    plain(33, 0x46, 0x21),  plain(34, 0x47, 0x22),  plain(35, 0x48, 0x23),  plain(36, 0x4A, 0x24),
    plain(37, 0x4B, 0x25),  plain(38, 0x4C, 0x26),  plain(39, 0xBA, 0x27),  plain(40, 0xDE, 0x28),
    plain(41, 0xC0, 0x29),  plain(42, 0xA0, 0x2A),  plain(43, 0xDC, 0x2B),  plain(44, 0x5A, 0x2C),
    plain(45, 0x58, 0x2D),  plain(46, 0x43, 0x2E),  plain(47, 0x56, 0x2F),  plain(48, 0x42, 0x30),
    plain(49, 0x4E, 0x31),  plain(50, 0x4D, 0x32),  plain(51, 0xBC, 0x33),  plain(52, 0xBE, 0x34),
    plain(53, 0xBF, 0x35),  plain(54, 0xA1, 0x36),  plain(55, 0x6A, 0x37),  plain(56, 0xA4, 0x38),
    plain(57, 0x20, 0x39),  plain(58, 0x14, 0x3A),  plain(59, 0x70, 0x3B),  plain(60, 0x71, 0x3C),
    plain(61, 0x72, 0x3D),  plain(62, 0x73, 0x3E),  plain(63, 0x74, 0x3F),  plain(64, 0x75, 0x40),
    plain(65, 0x76, 0x41),  plain(66, 0x77, 0x42),  plain(67, 0x78, 0x43),  plain(68, 0x79, 0x44),
    // Num Lock reports the E0 flag although its scan code is Pause's.
    e0(69, 0x90, 0x45),     plain(70, 0x91, 0x46),  plain(71, 0x67, 0x47),  plain(72, 0x68, 0x48),
    plain(73, 0x69, 0x49),  plain(74, 0x6D, 0x4A),  plain(75, 0x64, 0x4B),  plain(76, 0x65, 0x4C),
    plain(77, 0x66, 0x4D),  plain(78, 0x6B, 0x4E),  plain(79, 0x61, 0x4F),  plain(80, 0x62, 0x50),
    plain(81, 0x63, 0x51),  plain(82, 0x60, 0x52),  plain(83, 0x6E, 0x53),  plain(86, 0xE2, 0x56),
    plain(87, 0x7A, 0x57),  plain(88, 0x7B, 0x58),
    // national keys
    plain(89, 0xC1, 0x73),  plain(92, 0x1C, 0x79),  plain(93, 0xF2, 0x70),  plain(94, 0xEB, 0x7B),
    plain(121, 0xC2, 0x7E), plain(122, 0x15, 0x72), plain(123, 0xE9, 0x71), plain(124, 0xDC, 0x7D),
    // the E0 block
    e0(96, 0x0D, 0x1C),     e0(97, 0xA3, 0x1D),     e0(98, 0x6F, 0x35),     e0(99, 0x2C, 0x37),
    e0(100, 0xA5, 0x38),    e0(102, 0x24, 0x47),    e0(103, 0x26, 0x48),    e0(104, 0x21, 0x49),
    e0(105, 0x25, 0x4B),    e0(106, 0x27, 0x4D),    e0(107, 0x23, 0x4F),    e0(108, 0x28, 0x50),
    e0(109, 0x22, 0x51),    e0(110, 0x2D, 0x52),    e0(111, 0x2E, 0x53),    plain(119, 0x13, 0x45),
    e0(125, 0x5B, 0x5B),    e0(126, 0x5C, 0x5C),    e0(127, 0x5D, 0x5D),
    // F13 .. F24
    plain(183, 0x7C, 0x64), plain(184, 0x7D, 0x65), plain(185, 0x7E, 0x66), plain(186, 0x7F, 0x67),
    plain(187, 0x80, 0x68), plain(188, 0x81, 0x69), plain(189, 0x82, 0x6A), plain(190, 0x83, 0x6B),
    plain(191, 0x84, 0x6C), plain(192, 0x85, 0x6D), plain(193, 0x86, 0x6E), plain(194, 0x87, 0x76),
    // media, browser and launch keys
    e0(113, 0xAD, 0x20),    e0(114, 0xAE, 0x2E),    e0(115, 0xAF, 0x30),    e0(163, 0xB0, 0x19),
    e0(165, 0xB1, 0x10),    e0(166, 0xB2, 0x24),    e0(164, 0xB3, 0x22),    e0(155, 0xB4, 0x6C),
    e0(226, 0xB5, 0x6D),    e0(157, 0xB6, 0x6B),    e0(140, 0xB7, 0x21),    e0(172, 0xAC, 0x32),
    e0(217, 0xAA, 0x65),    e0(156, 0xAB, 0x66),    e0(173, 0xA8, 0x67),    e0(128, 0xA9, 0x68),
    e0(159, 0xA7, 0x69),    e0(158, 0xA6, 0x6A),    e0(142, 0x5F, 0x5F),
});

}  // namespace

std::optional<WinKey> winKeyForLinuxKey(uint16_t linuxKey) {
    const auto it = std::find_if(kKeyRows.begin(), kKeyRows.end(),
                                 [&](const KeyRow& row) { return row.linuxKey == linuxKey; });
    if (it == kKeyRows.end()) return std::nullopt;
    return it->win;
}

std::optional<uint16_t> linuxKeyForScanCode(uint16_t scanCode, bool extended) {
    const auto it = std::find_if(kKeyRows.begin(), kKeyRows.end(), [&](const KeyRow& row) {
        return row.win.scanCode == scanCode && row.win.extended == extended;
    });
    if (it == kKeyRows.end()) return std::nullopt;
    return it->linuxKey;
}

uint16_t linuxKeyForHidUsage(uint8_t usage) { return kHidUsageToKey[usage]; }

std::optional<uint8_t> hidUsageForLinuxKey(uint16_t linuxKey) {
    // 0 and KEY_UNKNOWN stand for "no key"; they identify no usage.
    if (linuxKey == 0 || linuxKey == kUnk) return std::nullopt;
    const auto it = std::find(kHidUsageToKey.begin(), kHidUsageToKey.end(), linuxKey);
    if (it == kHidUsageToKey.end()) return std::nullopt;
    return static_cast<uint8_t>(it - kHidUsageToKey.begin());
}

bool isLockKey(uint16_t virtualKey) {
    return virtualKey == kVkCapsLock || virtualKey == kVkNumLock || virtualKey == kVkScrollLock;
}

bool isLockLinuxKey(uint16_t linuxKey) {
    const auto key = winKeyForLinuxKey(linuxKey);
    return key && isLockKey(key->virtualKey);
}

}  // namespace talven::input
