#include "platform/hid/report_descriptor.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace talven::hid {
namespace {

using Bytes = std::vector<uint8_t>;

// A hid-recorder file: "R: <len> <hex>" is the descriptor, each
// "E: <time> <len> <hex>" one input report as the device sent it.
struct Recording {
    Bytes descriptor;
    std::vector<Bytes> reports;
};

Bytes hexBytes(std::istringstream& in, size_t count) {
    Bytes out;
    unsigned v = 0;
    while (out.size() < count && in >> std::hex >> v) out.push_back(static_cast<uint8_t>(v));
    return out;
}

Recording loadRecording(const std::string& name) {
    std::ifstream file(test::testDataPath("hid/" + name));
    EXPECT_TRUE(file) << name;
    Recording rec;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string tag, time;
        size_t len = 0;
        in >> tag;
        if (tag == "R:" && in >> std::dec >> len) rec.descriptor = hexBytes(in, len);
        if (tag == "E:" && in >> time >> std::dec >> len) rec.reports.push_back(hexBytes(in, len));
    }
    return rec;
}

ReportDescriptor parseOk(const Bytes& bytes) {
    std::string error;
    auto parsed = parseReportDescriptor(bytes, &error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(ReportDescriptor{});
}

const TopLevelCollection* owner(const ReportDescriptor& d, uint8_t id) {
    for (const auto& c : d.collections)
        if (c.ownsReportId(id)) return &c;
    return nullptr;
}

// Usages that are on in one decoded report, as (page << 16 | id).
std::vector<uint32_t> usagesOn(const TopLevelCollection& c, const Bytes& report) {
    std::vector<DataItem> items = makeInputDataItems(c);
    EXPECT_TRUE(unpackInputReport(c, report, items));
    std::vector<uint32_t> out;
    for (const DataItem& item : items)
        if (item.isButton && item.hasData)
            for (uint16_t u : item.usages) out.push_back(uint32_t{item.usagePage} << 16 | u);
    return out;
}

struct CollectionExpectation {
    uint16_t page, usage;
    std::vector<uint8_t> ids;
    uint16_t in, out, feature;
};

struct FileExpectation {
    std::string file;
    std::vector<CollectionExpectation> collections;
};

// Lengths worked out by hand from each descriptor (sum of size x count per
// report ID, rounded up to bytes, plus the ID byte).
const std::vector<FileExpectation> kFiles = {
    {"apple_wireless_keyboard_05ac_0256.hid",
     {{0x0001, 0x06, {0x01}, 9, 2, 0}, {0x000C, 0x01, {0x47}, 2, 0, 0}, {0x000C, 0x01, {0x11, 0x12, 0x13, 0x09}, 2, 0, 4}}},
    {"genius_gila_mouse_0458_0138_if0.hid",
     {{0x0001, 0x02, {1}, 8, 0, 0}, {0x0001, 0x80, {2}, 2, 0, 0}, {0x000C, 0x01, {3}, 8, 0, 0},
      {0xFF00, 0x01, {6}, 4, 0, 0}, {0xFF01, 0x01, {7}, 0, 0, 8}}},
    {"kye_imperator_0458_4018_if1.hid",
     {{0x0001, 0x02, {1}, 5, 0, 0}, {0x0001, 0x80, {2}, 2, 0, 0}, {0x000C, 0x01, {3}, 3, 0, 0},
      {0xFF00, 0x01, {6}, 3, 0, 0}}},
    {"ite8595_keyboard_06cb_2968_rdesc.txt",
     {{0xFF85, 0x95, {0x5A}, 0, 0, 17}, {0x0001, 0x06, {1}, 9, 2, 0}, {0x000C, 0x01, {2}, 3, 0, 0},
      {0x0001, 0x0C, {3}, 2, 0, 0}, {0x0088, 0x01, {4}, 3, 0, 0}, {0x0001, 0x80, {5}, 2, 0, 0}}},
    {"mi_dongle_mi_wireless_mouse_2717_003b_rdesc.txt",
     {{0x0001, 0x02, {1, 2}, 4, 0, 0}, {0x000C, 0x01, {3}, 2, 0, 0}}},
};

TEST(ReportDescriptor, FindsTopLevelCollectionsOfCapturedDevices) {
    for (const FileExpectation& f : kFiles) {
        SCOPED_TRACE(f.file);
        ReportDescriptor d = parseOk(loadRecording(f.file).descriptor);
        EXPECT_TRUE(d.usesReportIds);
        ASSERT_EQ(d.collections.size(), f.collections.size());
        for (size_t i = 0; i < f.collections.size(); ++i) {
            const auto& want = f.collections[i];
            const auto& got = d.collections[i];
            SCOPED_TRACE("collection " + std::to_string(i));
            EXPECT_EQ(got.usagePage, want.page);
            EXPECT_EQ(got.usage, want.usage);
            EXPECT_EQ(got.reportIds, want.ids);
            EXPECT_EQ(got.inputReportByteLength, want.in);
            EXPECT_EQ(got.outputReportByteLength, want.out);
            EXPECT_EQ(got.featureReportByteLength, want.feature);
        }
    }
}

// The evemu lines "E: <time> <type> <code> <value>" of one event type.
std::vector<std::pair<int, int>> kernelEvents(const std::string& file, std::initializer_list<int> types) {
    std::ifstream in(test::testDataPath("hid/" + file));
    std::vector<std::pair<int, int>> out;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string tag, time;
        unsigned type = 0, code = 0;
        int value = 0;
        if (!(s >> tag >> time >> std::hex >> type >> code >> std::dec >> value) || tag != "E:") continue;
        for (int t : types)
            if (int(type) == t) out.push_back({static_cast<int>(type << 16 | code), value});
    }
    return out;
}

constexpr int kEvKey = 1, kEvRel = 2;

// "0x00e9 | Volume Increment | KEY_VOLUMEUP | 115" -> {0xE9, 115}
std::map<uint16_t, int> consumerKeyCodes() {
    std::ifstream in(test::testDataPath("hid/linux_consumer_page_0x0c_media_keys.txt"));
    std::map<uint16_t, int> out;
    std::string line;
    while (std::getline(in, line)) {
        size_t lastBar = line.rfind('|');
        if (line.empty() || line[0] == '#' || lastBar == std::string::npos) continue;
        out[static_cast<uint16_t>(std::stoul(line, nullptr, 16))] = std::stoi(line.substr(lastBar + 1));
    }
    return out;
}

// Media keys of the recorded consumer-control reports, turned into key
// presses and releases, must be the keys the kernel produced from them.
TEST(ReportDescriptor, ConsumerUsagesMatchKernelKeys) {
    Recording rec = loadRecording("kye_imperator_0458_4018_if1.hid");
    ReportDescriptor d = parseOk(rec.descriptor);
    std::map<uint16_t, int> keys = consumerKeyCodes();
    ASSERT_TRUE(keys.count(0xE9) && keys.count(0xEA) && keys.count(0xE2));

    std::vector<std::pair<int, int>> produced;
    std::vector<uint32_t> down;
    for (const Bytes& r : rec.reports) {
        const TopLevelCollection* c = owner(d, r[0]);
        ASSERT_NE(c, nullptr);
        if (c->usagePage != 0x000C) continue;
        std::vector<uint32_t> now = usagesOn(*c, r);
        for (uint32_t u : down)
            if (std::find(now.begin(), now.end(), u) == now.end()) produced.push_back({kEvKey << 16 | keys.at(u & 0xFFFF), 0});
        for (uint32_t u : now)
            if (std::find(down.begin(), down.end(), u) == down.end()) produced.push_back({kEvKey << 16 | keys.at(u & 0xFFFF), 1});
        down = now;
    }
    auto expected = kernelEvents("kye_imperator_0458_4018_if1_expected_linux3.18.ev", {kEvKey});
    ASSERT_EQ(expected.size(), 14u);  // seven media keys, each pressed and released
    EXPECT_EQ(produced, expected);
}

// The mouse's signed 16-bit motion, its 8-bit wheel and the consumer AC Pan
// (an extended usage after a page switch) against the kernel's events.
TEST(ReportDescriptor, MouseValuesMatchKernelEvents) {
    Recording rec = loadRecording("genius_gila_mouse_0458_0138_if0.hid");
    ReportDescriptor d = parseOk(rec.descriptor);
    const TopLevelCollection& mouse = d.collections.at(0);
    const std::map<uint32_t, int> relCodes = {{0x00010030, 0}, {0x00010031, 1}, {0x00010038, 8}, {0x000C0238, 6}};
    constexpr int kBtnLeft = 0x110;

    std::vector<DataItem> items = makeInputDataItems(mouse);
    std::vector<std::pair<int, int>> produced;
    std::vector<uint16_t> down;
    for (const Bytes& r : rec.reports) {
        ASSERT_TRUE(unpackInputReport(mouse, r, items));
        for (const DataItem& item : items) {
            if (item.isButton && item.usagePage == 0x09) {
                for (uint16_t b = 1; b <= 5; ++b) {
                    bool was = std::count(down.begin(), down.end(), b), is = std::count(item.usages.begin(), item.usages.end(), b);
                    if (was != is) produced.push_back({kEvKey << 16 | (kBtnLeft + b - 1), is});
                }
                down = item.usages;
            } else if (!item.isButton && item.rawValue != 0) {
                produced.push_back({kEvRel << 16 | relCodes.at(uint32_t{item.usagePage} << 16 | item.usage), item.rawValue});
            }
        }
    }
    auto expected = kernelEvents("genius_gila_mouse_0458_0138_if0_expected_linux3.18.ev", {kEvKey, kEvRel});
    ASSERT_GT(expected.size(), 900u);
    EXPECT_EQ(produced, expected);
}

struct ReportCase {
    std::string file;
    Bytes report;
    std::vector<uint32_t> usages;  // (page << 16 | id), in report order
};

TEST(ReportDescriptor, DecodesArraysAndButtons) {
    const std::vector<ReportCase> cases = {
        // Keyboard: modifier bits and a 6-key array on page 7.
        {"apple_wireless_keyboard_05ac_0256.hid", {0x01, 0x00, 0x00, 0x04, 0x16, 0x07, 0, 0, 0}, {0x70004, 0x70016, 0x70007}},
        {"apple_wireless_keyboard_05ac_0256.hid", {0x01, 0x22, 0x00, 0x00, 0, 0, 0, 0, 0}, {0x700E1, 0x700E5}},
        // Consumer array 0..0x23C: a value past the logical maximum is nothing.
        {"ite8595_keyboard_06cb_2968_rdesc.txt", {0x02, 0xE9, 0x00}, {0xC00E9}},
        {"ite8595_keyboard_06cb_2968_rdesc.txt", {0x02, 0x3D, 0x02}, {}},
        {"ite8595_keyboard_06cb_2968_rdesc.txt", {0x02, 0x00, 0x00}, {}},
        // One-bit consumer variables: CD, 183, B5, B6, EA, E9, 225, 224.
        {"mi_dongle_mi_wireless_mouse_2717_003b_rdesc.txt", {0x03, 0x30}, {0xC00EA, 0xC00E9}},
        {"mi_dongle_mi_wireless_mouse_2717_003b_rdesc.txt", {0x03, 0x82}, {0xC0183, 0xC0224}},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.file);
        ReportDescriptor d = parseOk(loadRecording(c.file).descriptor);
        const TopLevelCollection* col = owner(d, c.report[0]);
        ASSERT_NE(col, nullptr);
        EXPECT_EQ(usagesOn(*col, c.report), c.usages);
    }
}

// Three usages but logical range 1..2: 0 and 3 are outside and select
// nothing, even though a third usage is declared.
TEST(ReportDescriptor, ArrayOfUsageListIndexesFromLogicalMinimum) {
    const Bytes desc = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x09, 0xB5, 0x09, 0xB6, 0x09, 0xCD, 0x15, 0x01,
                        0x25, 0x02, 0x75, 0x04, 0x95, 0x02, 0x81, 0x00, 0xC0};
    ReportDescriptor d = parseOk(desc);
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_FALSE(d.usesReportIds);
    EXPECT_EQ(d.collections[0].inputReportByteLength, 2);
    EXPECT_EQ(usagesOn(d.collections[0], {0x00, 0x21}), (std::vector<uint32_t>{0xC00B5, 0xC00B6}));
    EXPECT_EQ(usagesOn(d.collections[0], {0x00, 0x32}), (std::vector<uint32_t>{0xC00B6}));
    EXPECT_EQ(usagesOn(d.collections[0], {0x00, 0x30}), (std::vector<uint32_t>{}));
}

// Items that change parser state: push/pop, a long item, a delimiter set
// and a page switch between the usages of one main item.
TEST(ReportDescriptor, GlobalStackLongItemsDelimitersAndPages) {
    const Bytes desc = {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,              // Desktop Mouse
        0x85, 0x05, 0xA4,                                // report 5, push
        0x85, 0x09, 0x75, 0x10, 0x95, 0x01,              // report 9, 16 bits
        0x15, 0x81, 0x25, 0x7F, 0x35, 0x9C, 0x45, 0x64,  // logical -127..127, physical -100..100
        0x09, 0x30, 0x81, 0x02,                          // X (report 9)
        0xB4,                                            // pop: report 5 again
        0xFE, 0x02, 0x10, 0xAA, 0xBB,                    // long item, skipped
        0x75, 0x08, 0x95, 0x02, 0x15, 0x00, 0x26, 0xFF, 0xFF,  // 8 bits x 2, logical 0..65535
        0xA9, 0x01, 0x09, 0x31, 0x09, 0x33, 0xA9, 0x00,  // delimiter set: Y aliased by Rx
        0x05, 0x0C, 0x09, 0xE9, 0x81, 0x02,              // Consumer Volume Up
        0x05, 0x01, 0x0A, 0x38, 0x02, 0x05, 0x0C,        // 0x238 declared, then page Consumer: AC Pan
        0x95, 0x01, 0x81, 0x02,
        0xC0};
    ReportDescriptor d = parseOk(desc);
    ASSERT_EQ(d.collections.size(), 1u);
    const TopLevelCollection& c = d.collections[0];
    EXPECT_EQ(c.reportIds, (std::vector<uint8_t>{9, 5}));
    EXPECT_EQ(c.inputReportByteLength, 4);
    ASSERT_EQ(c.input.values.size(), 4u);
    EXPECT_EQ(c.input.values[1].usagePage, 0x01);
    EXPECT_EQ(c.input.values[1].usageMin, 0x31);
    EXPECT_EQ(c.input.values[2].usagePage, 0x0C);
    EXPECT_EQ(c.input.values[2].usageMin, 0xE9);
    EXPECT_EQ(c.input.values[2].logicalMax, 65535);
    EXPECT_EQ(c.input.values[3].usagePage, 0x0C);
    EXPECT_EQ(c.input.values[3].usageMin, 0x238);

    std::vector<DataItem> items = makeInputDataItems(c);
    ASSERT_TRUE(unpackInputReport(c, Bytes{0x09, 0xF6, 0xFF}, items));  // X = -10
    EXPECT_TRUE(items[0].hasData);
    EXPECT_EQ(items[0].rawValue, -10);
    EXPECT_EQ(items[0].scaledValue, -8);  // -100 + 117 * 200 / 254
    EXPECT_FALSE(items[1].hasData);
    ASSERT_TRUE(unpackInputReport(c, Bytes{0x05, 0xFF, 0x80, 0x01}, items));
    EXPECT_EQ(items[1].rawValue, 255);  // unsigned: logical minimum is 0
    EXPECT_EQ(items[2].rawValue, 128);
}

// 65,535 one-bit buttons (Button 1..65535), every one pressed: each usage
// once, in order, and quickly enough for a device that reports at 1 kHz.
TEST(ReportDescriptor, ReportWithEveryButtonOfAFullPagePressed) {
    const Bytes desc = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Desktop Mouse
                        0x05, 0x09, 0x19, 0x01, 0x2A, 0xFF, 0xFF,  // Button 1..65535
                        0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x96, 0xFF, 0xFF,  // 1 bit x 65535
                        0x81, 0x02, 0xC0};
    ReportDescriptor d = parseOk(desc);
    ASSERT_EQ(d.collections.size(), 1u);
    const TopLevelCollection& c = d.collections[0];
    ASSERT_EQ(c.inputReportByteLength, 1 + 8192);
    Bytes report(c.inputReportByteLength, 0xFF);
    report[0] = 0;  // unnumbered
    std::vector<uint16_t> expected(65535);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint16_t>(i + 1);

    std::vector<DataItem> items = makeInputDataItems(c);
    ASSERT_EQ(items.size(), 1u);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(unpackInputReport(c, report, items));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(items[0].usages, expected);
    // Ten decodes take milliseconds; a lookup per pressed button in the list
    // of those already found takes seconds for each one.
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(ReportDescriptor, ShortReportIsRefused) {
    ReportDescriptor d = parseOk(loadRecording("kye_imperator_0458_4018_if1.hid").descriptor);
    const TopLevelCollection& mouse = d.collections.at(0);
    std::vector<DataItem> items = makeInputDataItems(mouse);
    EXPECT_FALSE(unpackInputReport(mouse, Bytes{0x01, 0x01, 0x05}, items));
    EXPECT_FALSE(unpackInputReport(mouse, Bytes{}, items));
    for (const DataItem& item : items) EXPECT_FALSE(item.hasData);
    EXPECT_TRUE(unpackInputReport(mouse, Bytes{0x01, 0x01, 0x05, 0xFB, 0x00}, items));
}

TEST(ReportDescriptor, RejectsMalformedDescriptors) {
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"truncated item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF}},
        {"truncated long item", {0xFE, 0x05, 0x10, 0x00}},
        {"end collection first", {0xC0, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0}},
        {"collection left open", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xA1, 0x00, 0xC0}},
        {"pop without push", {0x05, 0x01, 0xB4, 0x09, 0x02, 0xA1, 0x01, 0xC0}},
        {"report ID 0", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x00, 0xC0}},
        {"report size too large", {0x75, 0xFF, 0x76, 0x01, 0x01}},
        {"report too long", {0xA1, 0x01, 0x75, 0x08, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0}},
        {"unnumbered data among numbered", {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0}},
        {"usage minimum above maximum", {0x19, 0x10, 0x29, 0x01}},
    };
    for (const auto& [name, bytes] : cases) {
        std::string error;
        EXPECT_FALSE(parseReportDescriptor(bytes, &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
}

// Every prefix and many corrupted copies of a real descriptor: each one
// parses or is refused, and whatever parses decodes a report of its own
// length without reading past it.
TEST(ReportDescriptor, SurvivesTruncationAndCorruption) {
    const Bytes original = loadRecording("genius_gila_mouse_0458_0138_if0.hid").descriptor;
    std::mt19937 rng(1234);
    std::vector<Bytes> inputs;
    for (size_t n = 0; n < original.size(); ++n) inputs.emplace_back(original.begin(), original.begin() + n);
    for (int i = 0; i < 2000; ++i) {
        Bytes b = original;
        for (int k = 0; k < 3; ++k) b[rng() % b.size()] = static_cast<uint8_t>(rng());
        inputs.push_back(std::move(b));
    }
    for (const Bytes& b : inputs) {
        auto d = parseReportDescriptor(b);
        if (!d) continue;
        for (const TopLevelCollection& c : d->collections) {
            std::vector<DataItem> items = makeInputDataItems(c);
            if (c.inputReportByteLength == 0) continue;
            std::vector<uint8_t> ids = c.reportIds;
            if (ids.empty()) ids.push_back(0);
            for (uint8_t id : ids) {
                Bytes report(c.inputReportByteLength, 0xA5);
                report[0] = id;
                unpackInputReport(c, report, items);
            }
        }
    }
}

}  // namespace
}  // namespace talven::hid
