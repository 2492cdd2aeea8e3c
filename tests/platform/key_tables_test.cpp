// The capture's key tables against the kernel's own usage table (read from
// the captured copy in the test data, by a decoder of its own here) and
// against the set-1 scan codes and virtual keys of the keys themselves.

#include "device/key_functions.h"
#include "platform/input/evdev_devices.h"
#include "platform/input/input_capture.h"
#include "platform/input/input_events.h"
#include "platform/input/key_tables.h"
#include "support/debug_capture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <fstream>
#include <map>
#include <sstream>

namespace talven::input {
namespace {

struct KernelRow {
    unsigned keycode;
    std::string name;
};

// Lines "0xUU keycode KEY_NAME" after the comment header.
std::map<unsigned, KernelRow> readKernelTable() {
    std::ifstream file(std::string(TALVEN_TESTDATA_DIR) + "/hid/linux_hid_keyboard_usage07_to_keycode.txt");
    std::map<unsigned, KernelRow> rows;
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("0x", 0) != 0) continue;
        std::istringstream fields(line);
        std::string usage, name;
        unsigned keycode = 0;
        fields >> usage >> keycode >> name;
        rows[std::stoul(usage, nullptr, 16)] = {keycode, name};
    }
    return rows;
}

TEST(KeyTablesTest, UsageToKeycodeIsTheKernelsTable) {
    const auto kernel = readKernelTable();
    ASSERT_EQ(kernel.size(), 256u);
    for (const auto& [usage, row] : kernel) {
        EXPECT_EQ(linuxKeyForHidUsage(static_cast<uint8_t>(usage)), row.keycode) << std::hex << usage;
    }
}

TEST(KeyTablesTest, KeycodeToUsageIsTheLowestUsageOfTheKey) {
    std::map<unsigned, unsigned> lowest;
    for (const auto& [usage, row] : readKernelTable()) lowest.try_emplace(row.keycode, usage);
    for (const auto& [keycode, usage] : lowest) {
        if (keycode == 0 || keycode == KEY_UNKNOWN) continue;
        EXPECT_EQ(hidUsageForLinuxKey(static_cast<uint16_t>(keycode)), usage) << keycode;
    }
    EXPECT_EQ(hidUsageForLinuxKey(0), std::nullopt);
    EXPECT_EQ(hidUsageForLinuxKey(KEY_UNKNOWN), std::nullopt);
    EXPECT_EQ(hidUsageForLinuxKey(KEY_FN), std::nullopt);
}

// Letters, digits and function keys by their names in the kernel's table.
TEST(KeyTablesTest, NamedKeysGiveTheirVirtualKeys) {
    int checked = 0;
    for (const auto& [usage, row] : readKernelTable()) {
        const std::string& name = row.name;
        if (name.size() != 5 && !(name.rfind("KEY_F", 0) == 0 && name.size() <= 7)) continue;
        uint16_t expected = 0;
        if (name.size() == 5 && std::isalnum(static_cast<unsigned char>(name[4]))) {
            expected = static_cast<uint16_t>(name[4]);  // 'A'..'Z', '0'..'9'
        } else if (name.rfind("KEY_F", 0) == 0 && std::isdigit(static_cast<unsigned char>(name[5]))) {
            expected = static_cast<uint16_t>(0x70 + std::stoi(name.substr(5)) - 1);
        } else {
            continue;
        }
        const auto key = winKeyForLinuxKey(static_cast<uint16_t>(row.keycode));
        ASSERT_TRUE(key) << name;
        EXPECT_EQ(key->virtualKey, expected) << name;
        ++checked;
    }
    EXPECT_EQ(checked, 26 + 10 + 24);
}

// Key codes 1..88 are the set-1 scan codes; the E0 keys are the classic
// extended block.
TEST(KeyTablesTest, ScanCodesAndExtendedFlag) {
    for (uint16_t code = 1; code <= 88; ++code) {
        const auto key = winKeyForLinuxKey(code);
        if (!key) continue;
        EXPECT_EQ(key->scanCode, code) << code;
        EXPECT_EQ(key->extended, code == KEY_NUMLOCK) << code;
    }
    struct Case {
        uint16_t code;
        WinKey win;
    };
    for (const Case& c : {
             Case{KEY_KPENTER, {0x0D, 0x1C, true}}, Case{KEY_RIGHTCTRL, {0xA3, 0x1D, true}},
             Case{KEY_KPSLASH, {0x6F, 0x35, true}}, Case{KEY_SYSRQ, {0x2C, 0x37, true}},
             Case{KEY_RIGHTALT, {0xA5, 0x38, true}}, Case{KEY_HOME, {0x24, 0x47, true}},
             Case{KEY_UP, {0x26, 0x48, true}}, Case{KEY_PAGEDOWN, {0x22, 0x51, true}},
             Case{KEY_DELETE, {0x2E, 0x53, true}}, Case{KEY_LEFTMETA, {0x5B, 0x5B, true}},
             Case{KEY_COMPOSE, {0x5D, 0x5D, true}}, Case{KEY_PAUSE, {0x13, 0x45, false}},
             Case{KEY_NUMLOCK, {0x90, 0x45, true}}, Case{KEY_CAPSLOCK, {0x14, 0x3A, false}},
             Case{KEY_SCROLLLOCK, {0x91, 0x46, false}}, Case{KEY_RIGHTSHIFT, {0xA1, 0x36, false}},
             Case{KEY_VOLUMEUP, {0xAF, 0x30, true}},
         }) {
        EXPECT_EQ(winKeyForLinuxKey(c.code), c.win) << c.code;
    }
    EXPECT_EQ(winKeyForLinuxKey(KEY_FN), std::nullopt);
}

// The assignment panel's key table pairs virtual keys with usages too; both
// tables must tell the same story for every key they share.
TEST(KeyTablesTest, AgreesWithTheKeyFunctionTable) {
    int checked = 0;
    for (const keyfn::KeyFunction& row : keyfn::kKeyboardKeys) {
        const KeyCode& code = row.record.code;
        const uint16_t vk = row.record.virtualKey;
        if (code[0] != keyfn::kTypeKey || code[2] == 0 || vk == keyfn::kNoVirtualKey || vk >= 0xFF) continue;
        const auto key = winKeyForLinuxKey(linuxKeyForHidUsage(code[2]));
        ASSERT_TRUE(key) << row.name;
        EXPECT_EQ(key->virtualKey, vk) << row.name;
        ++checked;
    }
    EXPECT_GE(checked, 100);
}

TEST(KeyTablesTest, LockKeys) {
    for (uint16_t code : {KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK}) EXPECT_TRUE(isLockLinuxKey(code)) << code;
    for (uint16_t code : {KEY_A, KEY_LEFTSHIFT, KEY_PAUSE, KEY_FN}) EXPECT_FALSE(isLockLinuxKey(code)) << code;
}

TEST(KeyMessageStateTest, AltMakesSystemKeysUnlessCtrlIsHeld) {
    struct Step {
        uint16_t code;
        bool pressed;
        uint32_t message;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{KEY_A, true, kWmKeyDown}, {KEY_A, false, kWmKeyUp}},
        {{KEY_LEFTALT, true, kWmSysKeyDown}, {KEY_A, true, kWmSysKeyDown}, {KEY_A, false, kWmSysKeyUp},
         {KEY_LEFTALT, false, kWmSysKeyUp}, {KEY_A, true, kWmKeyDown}},
        {{KEY_RIGHTCTRL, true, kWmKeyDown}, {KEY_RIGHTALT, true, kWmKeyDown}, {KEY_A, true, kWmKeyDown},
         {KEY_RIGHTCTRL, false, kWmKeyUp}, {KEY_A, false, kWmSysKeyUp}},
        {{KEY_F10, true, kWmSysKeyDown}, {KEY_F10, false, kWmSysKeyUp}},
        {{KEY_LEFTALT, true, kWmSysKeyDown}, {KEY_RIGHTALT, true, kWmSysKeyDown},
         {KEY_LEFTALT, false, kWmSysKeyUp}, {KEY_B, true, kWmSysKeyDown}},
    };
    for (size_t s = 0; s < sequences.size(); ++s) {
        KeyMessageState state;
        for (size_t i = 0; i < sequences[s].size(); ++i) {
            const Step& step = sequences[s][i];
            const auto event = state.translate(step.code, step.pressed);
            ASSERT_TRUE(event) << s << "/" << i;
            EXPECT_EQ(event->message, step.message) << s << "/" << i;
            EXPECT_EQ(event->linuxKey, step.code);
        }
    }
    KeyMessageState state;
    EXPECT_EQ(state.translate(KEY_FN, true), std::nullopt);
    const auto a = state.translate(KEY_A, true);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->virtualKey, 0x41);
    EXPECT_EQ(a->scanCode, 0x1E);
    EXPECT_FALSE(a->extended);
}

TEST(MouseButtonsTest, ButtonsGiveTheirMessagesAndXButtonNumbers) {
    struct Case {
        unsigned xButton;
        uint16_t linuxCode;
        uint32_t down, up;
        uint16_t xNumber;
    };
    for (const Case& c : {Case{1, BTN_LEFT, 513, 514, 0}, Case{3, BTN_RIGHT, 516, 517, 0},
                          Case{2, BTN_MIDDLE, 519, 520, 0}, Case{8, BTN_SIDE, 523, 524, 1},
                          Case{9, BTN_EXTRA, 523, 524, 2}}) {
        const auto fromX = buttonForXButton(c.xButton);
        const auto fromLinux = buttonForLinuxCode(c.linuxCode);
        ASSERT_TRUE(fromX && fromLinux) << c.xButton;
        EXPECT_EQ(*fromX, *fromLinux);
        EXPECT_EQ(buttonEvent(*fromX, true).message, c.down);
        EXPECT_EQ(buttonEvent(*fromX, false).message, c.up);
        EXPECT_EQ(buttonEvent(*fromX, true).xButton, c.xNumber);
    }
    for (unsigned wheel : {4u, 5u, 6u, 7u, 10u}) EXPECT_EQ(buttonForXButton(wheel), std::nullopt) << wheel;
    EXPECT_EQ(buttonForLinuxCode(BTN_TOUCH), std::nullopt);
}

TEST(EvdevDevicesTest, KeyboardsCanTypeAndMiceHaveALeftButton) {
    auto bits = [](std::initializer_list<unsigned> codes) {
        std::vector<uint8_t> map(KEY_MAX / 8 + 1);
        for (unsigned code : codes) map[code / 8] |= static_cast<uint8_t>(1u << (code % 8));
        return map;
    };
    struct Case {
        std::vector<uint8_t> bits;
        bool keyboard, mouse;
    };
    for (const Case& c : {Case{bits({KEY_A, KEY_Z, KEY_SPACE, KEY_CAPSLOCK}), true, false},
                          Case{bits({KEY_POWER}), false, false},
                          Case{bits({KEY_VOLUMEUP, KEY_A}), false, false},
                          Case{bits({BTN_LEFT, BTN_RIGHT}), false, true},
                          Case{bits({KEY_A, KEY_Z, KEY_SPACE, BTN_LEFT}), true, true}}) {
        const EvdevKind kind = classifyEvdevDevice(c.bits);
        EXPECT_EQ(kind.keyboard, c.keyboard);
        EXPECT_EQ(kind.mouse, c.mouse);
    }
    // A short bitmap is not read past its end.
    EXPECT_FALSE(classifyEvdevDevice(std::vector<uint8_t>{0xFF}).mouse);
}

TEST(InputCaptureChoiceTest, WithoutAnyInputSystemNothingIsOpenedAndTheLogSaysSo) {
    test::TempDir empty;
    test::DebugCapture log;
    InputCaptureOptions options;
    options.tryX11 = false;
    options.inputDir = empty.str();
    options.uinputPath = empty.str() + "/uinput";
    EXPECT_EQ(openInputCapture(options), nullptr);
    EXPECT_EQ(log.count("input capture: no X server and no readable event devices, own windows only"), 1);
}

}  // namespace
}  // namespace talven::input
