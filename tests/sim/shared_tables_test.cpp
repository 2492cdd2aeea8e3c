// The tables the simulated devices and the program each keep for themselves:
// the frame, the command and status codes, the checksum, the products'
// identities on the bus, the notification codes and the record layouts.
// Each is checked twice: entries typed here from the protocol's tables (what
// both must hold), and both copies compared entry by entry (that neither was
// mistyped where the typed entries do not look). The keyboards' factory key
// codes have their own test (keyboard_firmware_test.cpp).

#include "device/command_channel.h"
#include "device/command_frame.h"
#include "device/hid_records.h"
#include "device/keyboard/keyboard_notifications.h"
#include "device/keyboard/keyboard_lighting.h"
#include "device/keyboard/keyboard_records.h"
#include "device/mouse/mouse_records.h"
#include "device/mousepad/mousepad_protocol.h"
#include "device/mousepad/mousepad_settings.h"
#include "sim/firmware_images.h"
#include "sim/keyboard_firmware.h"
#include "sim/mouse_model.h"
#include "sim/profile_window.h"
#include "sim/sim_products.h"

#include <gtest/gtest.h>

#include <numeric>

namespace talven {
namespace {

// One entry of a table both sides keep: as typed here from the protocol's
// table, as the simulated device states it, as the program states it.
template <typename T>
struct Shared {
    const char* name;
    T typed, device, program;
};

template <typename T, size_t N>
void expectAgree(const Shared<T> (&rows)[N]) {
    for (const Shared<T>& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.device, row.typed) << "simulator";
        EXPECT_EQ(row.program, row.typed) << "program";
    }
}

// --- the frame ---------------------------------------------------------------

TEST(SharedTablesTest, FrameLayoutAndCodes) {
    EXPECT_EQ(sim::kFrameSize, 64u);
    EXPECT_EQ(kFrameSize, 64u);
    EXPECT_EQ(sim::kFrameDataOffset, 8u);
    EXPECT_EQ(kFrameDataOffset, 8u);
    EXPECT_EQ(sim::kFrameMaxData, 56u);
    EXPECT_EQ(kFrameMaxData, 56u);
    EXPECT_EQ(sim::kCommandReportId, 0x04);
    EXPECT_EQ(kCommandReportId, 0x04);
    const Shared<uint8_t> codes[] = {
        {"begin", 0x01, sim::cmd::Begin, cmd::Begin},
        {"end", 0x02, sim::cmd::End, cmd::End},
        {"read info", 0x03, sim::cmd::ReadInfo, cmd::ReadInfo},
        {"read block", 0x05, sim::cmd::ReadBlock, cmd::ReadBlock},
        {"write block", 0x06, sim::cmd::WriteBlock, cmd::WriteBlock},
        {"read table", 0x07, sim::cmd::ReadTable, cmd::ReadTable},
        {"write table", 0x09, sim::cmd::WriteTable, cmd::WriteTable},
        {"write short", 0x0B, sim::cmd::WriteShort, cmd::WriteShort},
        {"light frame", 0x12, sim::cmd::WriteLightFrame, cmd::WriteLightFrame},
        {"write buffer", 0x15, sim::cmd::WriteBuffer, cmd::WriteBuffer},
        {"read short", 0x1A, sim::cmd::ReadShort, cmd::ReadShort},
        {"read third table", 0x1B, sim::cmd::ReadThirdTable, cmd::ReadThirdTable},
        {"link check", 0xAA, sim::cmd::IsOnline, cmd::IsOnline},
        {"status ok", 0x00, sim::status::Ok, status::Ok},
        {"status 0xFF", 0xFF, sim::status::Failed, status::Failed},
        {"status 0xFE", 0xFE, sim::status::Rejected, status::Rejected},
    };
    expectAgree(codes);
}

TEST(SharedTablesTest, Checksum) {
    // By hand: the 16-bit sum of bytes 3..63; bytes 0..2 are not summed.
    struct Case {
        std::vector<std::pair<size_t, uint8_t>> bytes;
        uint16_t sum;
    };
    const Case cases[] = {
        {{{0, 0x04}, {3, 0x01}}, 0x0001},                              // begin, nothing else
        {{{0, 0x04}, {1, 0x77}, {2, 0x88}, {3, 0x05}, {4, 25}, {5, 25}}, 0x0037},
        {{{3, 0xFF}, {7, 0xFF}, {63, 0xFF}}, 0x02FD},
    };
    for (const Case& c : cases) {
        sim::Frame frame{};
        for (const auto& [at, value] : c.bytes) frame[at] = value;
        EXPECT_EQ(sim::frameChecksum(frame), c.sum) << "simulator";
        EXPECT_EQ(frameChecksum(frame), c.sum) << "program";
    }
    // All bytes 0xFF: 61 x 255 = 15555 = 0x3CC3; truncation shows with more.
    sim::Frame full;
    full.fill(0xFF);
    EXPECT_EQ(sim::frameChecksum(full), 0x3CC3);
    EXPECT_EQ(frameChecksum(full), 0x3CC3);
    // Entry by entry: frames of every byte value in every place.
    for (unsigned seed = 0; seed < 64; ++seed) {
        sim::Frame frame;
        std::iota(frame.begin(), frame.end(), static_cast<uint8_t>(seed * 7));
        EXPECT_EQ(sim::frameChecksum(frame), frameChecksum(frame)) << seed;
    }
}

// --- identities on the bus -----------------------------------------------------

struct Identity {
    const char* product;
    uint16_t vendorId, productId, interfaceNumber;
    int commandCollection, notificationCollection;
    uint16_t kind;  // device type byte and the recognition table's kind
};

// The recognition table's rows, typed from it.
constexpr Identity kTypedIdentities[] = {
    {"mouse", 0x0000, 0x0000, 1, 4, 3, 2},
    {"keyboard", 0x320F, 0x5029, 1, 4, 3, 1},
    {"mousepad", 0x0C45, 0x6627, 1, 4, 3, 3},
    {"headset", 0x0D8C, 0x01DA, 3, 0, -1, 7},
    {"keyboard7440", 0x0000, 0x0000, 1, 4, 3, 1},
};

// The program's row for (vendor, product, interface, collection, role).
const InterfaceEntry* programRow(const Identity& id, int collection, uint16_t role) {
    for (const InterfaceEntry& row : recognitionTable()) {
        if (row.vendorId == id.vendorId && row.productId == id.productId && row.interfaceNumber == id.interfaceNumber &&
            row.collectionNumber == collection && row.role == role && row.kind == id.kind)
            return &row;
    }
    return nullptr;
}

TEST(SharedTablesTest, ProductIdentities) {
    for (const Identity& id : kTypedIdentities) {
        SCOPED_TRACE(id.product);
        const sim::ProductSpec* spec = sim::findSimProduct(id.product);
        ASSERT_NE(spec, nullptr);
        EXPECT_EQ(spec->vendorId, id.vendorId);
        EXPECT_EQ(spec->productId, id.productId);
        EXPECT_EQ(spec->interfaceNumber, id.interfaceNumber);
        EXPECT_EQ(spec->commandCollection, id.commandCollection);
        EXPECT_EQ(spec->notificationCollection, id.notificationCollection);
        EXPECT_EQ(static_cast<uint16_t>(spec->type), id.kind);
        // The information record says the same kind (byte 2).
        EXPECT_EQ(spec->firmware().info[2], id.kind);
        // The program recognises the command collection, and the
        // notification collection where there is one.
        const InterfaceEntry* command = programRow(id, id.commandCollection, role::Command);
        ASSERT_NE(command, nullptr) << "no command row";
        EXPECT_EQ(command->usagePage, id.notificationCollection < 0 ? 0x000C : 0xFF1C);
        if (id.notificationCollection >= 0) {
            EXPECT_NE(programRow(id, id.notificationCollection, role::Event), nullptr);
        }
    }
    // Entry by entry: every default product is recognised by some row pair.
    EXPECT_EQ(sim::simProducts().size(), std::size(kTypedIdentities));
    for (const sim::ProductSpec& spec : sim::simProducts()) {
        SCOPED_TRACE(spec.name);
        bool found = false;
        for (const InterfaceEntry& row : recognitionTable())
            found |= row.vendorId == spec.vendorId && row.productId == spec.productId &&
                     row.interfaceNumber == spec.interfaceNumber && row.collectionNumber == spec.commandCollection &&
                     row.role == role::Command;
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(sim::usb::kVendorUsagePage, 0xFF1C);
    EXPECT_EQ(sim::usb::kCommandUsage, 0x92);
    EXPECT_EQ(sim::usb::kConsumerUsagePage, 0x000C);
    EXPECT_EQ(sim::usb::kConsumerControlUsage, 0x01);
    EXPECT_EQ(sim::role::Command, role::Command);
    EXPECT_EQ(sim::role::Event, role::Event);
}

// --- notifications -----------------------------------------------------------

TEST(SharedTablesTest, NotificationCodes) {
    namespace kn = keyboard::notification;
    const Shared<uint16_t> notes[] = {
        {"synchronise", 0x0401, sim::note::Synchronise, kn::Synchronise},
        {"game mode", 0x0403, sim::note::GameMode, kn::GameMode},
        {"counter", 0x0404, sim::note::Counter, kn::Counter},
        {"key press", 0x0500, sim::note::KeyPressBase, kn::KeyPressBase},
        {"key release", 0x0600, sim::note::KeyReleaseBase, kn::KeyReleaseBase},
        {"pad synchronise", 0x0401, sim::note::Synchronise, mousepad::kSynchroniseNotification},
    };
    expectAgree(notes);
    // What goes on the wire: a press of table position 7 is 07 05, then the release.
    const sim::ProductSpec* spec = sim::findSimProduct("keyboard");
    const auto reports = spec->makeModel(spec->firmware())->notificationReports(0x0507);
    ASSERT_TRUE(reports);
    EXPECT_EQ(reports->front(), (std::vector<uint8_t>{0x03, 0x07, 0x05}));
}

// --- record layouts ----------------------------------------------------------

TEST(SharedTablesTest, RecordLayouts) {
    const Shared<size_t> layouts[] = {
        {"info size", 34, sim::kInfoSize, std::tuple_size_v<DeviceInfo>},
        {"info key count", 5, sim::kInfoKeyCount, keyboard::kInfoKeyCount},
        {"info button slots", 5, sim::kInfoKeyCount, mouse::kInfoKeySlots},
        {"info macro units", 6, sim::kInfoMacroUnits, keyboard::kInfoMacroUnits},
        {"info macro units (mouse)", 6, sim::kInfoMacroUnits, mouse::kInfoMacroUnits},
        {"macro unit", 128, sim::kMacroUnit, keyboard::kMacroUnit},
        {"macro unit (mouse)", 128, sim::kMacroUnit, mouse::kMacroUnit},
        {"layout code", 8, sim::kInfoLayoutCode, keyboard::kInfoLayoutCode},
        {"compact layout", 4216, sim::kCompactLayoutCode, keyboard::kCompactLayoutCode},
        {"keyboard record", 25, sim::kLightingRecordSize, keyboard::kRecordSize},
        {"pad block", 25, sim::kLightingRecordSize, mousepad::kBlockSize},
        {"pad read stride", 25, sim::kLightingRecordSize, mousepad::kReadStride},
        {"pad write window", 64, sim::kProfileWindow, mousepad::kWriteStride},
        {"mouse block stride", 128, sim::kMouseBlockStride, mouse::kProfileStride},
        {"status size", 6, sim::kStatusSize, keyboard::kStatusSize},
        {"key table", 512, sim::kTableSize, CommandChannel::kMaxTableSize},
    };
    expectAgree(layouts);
}

// The mouse's factory button table as the simulated mouse reports it holds
// every factory code the program looks for (the button it lacks aside).
TEST(SharedTablesTest, MouseFactoryButtons) {
    const sim::ProductSpec* spec = sim::findSimProduct("mouse");
    const sim::FirmwareImage image = spec->firmware();
    const size_t slots = image.info[5];
    ASSERT_GE(image.keyTable.size(), slots * 3);
    auto slotOf = [&](const KeyCode& code) {
        for (size_t k = 0; k < slots; ++k)
            if (std::equal(code.begin(), code.end(), image.keyTable.begin() + 3 * k)) return static_cast<int>(k);
        return -1;
    };
    // Typed from the button table: left, right, middle, back, forward, M8.
    const std::pair<KeyCode, int> typed[] = {
        {{0x10, 0x01, 0x00}, 0}, {{0x10, 0x02, 0x00}, 1}, {{0x10, 0x04, 0x00}, 2},
        {{0x10, 0x08, 0x00}, 3}, {{0x10, 0x10, 0x00}, 4}, {{0x16, 0x90, 0x01}, 10},
    };
    for (const auto& [code, slot] : typed) EXPECT_EQ(slotOf(code), slot);
    // Entry by entry: each of the program's eleven buttons finds its slot.
    for (const mouse::MouseButton& button : mouse::kMouseButtons) {
        SCOPED_TRACE(std::string(button.label));
        EXPECT_GE(slotOf(button.factoryCode), 0);
    }
}

}  // namespace
}  // namespace talven
