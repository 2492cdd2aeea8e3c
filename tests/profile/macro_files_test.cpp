// Reading macro files and the four bytes a device gets per event.

#include "profile/macro_files.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

Json::Value event(const char* action, Json::Value type, Json::Value button, Json::Value delay) {
    Json::Value e(Json::objectValue);
    e["Action"] = action;
    e["Type"] = type;
    e["Button"] = button;
    e["Delay"] = delay;
    return e;
}

TEST(MacroFiles, EventEncoding) {
    struct Case {
        Json::Value event;
        MacroEventBytes bytes;
    };
    const Case cases[] = {
        {event("down", 1, 4, "300"), {0x2C, 0x01, 0x81, 0x04}},
        {event("up", 1, 4, "300"), {0x2C, 0x01, 0x01, 0x04}},
        {event("Down", 10, 4, "0"), {0x00, 0x00, 0x0A, 0x04}},   // case matters: a release
        {event("down", 9, 0x80, "70000"), {0x70, 0x11, 0x89, 0x80}},  // 70000 mod 65536 = 4464
        {event("down", 0x181, 0x1FF, "12ms"), {12, 0, 0x81, 0xFF}},    // low bits; leading digits
        {event("up", 5, 3, "fast"), {0, 0, 0x05, 0x03}},
        {event("up", 5, 3, " -1"), {0xFF, 0xFF, 0x05, 0x03}},
        {event("up", 5, 3, 250), {0xFA, 0x00, 0x05, 0x03}},  // a number instead of text
        {Json::Value("junk"), {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event.toStyledString());
        EXPECT_EQ(EncodeMacroEvent(c.event), c.bytes);
    }
}

TEST(MacroFiles, ListAndEventsFromAFolder) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "data");
    const std::string folder = (dir / "data").string() + "/";
    test::writeFile(folder + "macro.config", R"({"MacroInfo": [
        {"MacroName": "one", "Guid": "g1"},
        {"MacroName": "gone", "Guid": "missing"},
        {"MacroName": "escape", "Guid": "../outside"},
        7]})");
    test::writeFile(folder + "g1.mac", R"({"Events": [
        {"Action": "down", "Type": 10, "Button": 4, "Delay": "20"},
        {"Action": "up", "Type": 10, "Button": 4, "Delay": "5"}], "Version": 64})");
    test::writeFile(dir / "outside.mac", R"({"Events": [{"Action": "down"}]})");

    const auto list = ReadMacroList(folder + "macro.config");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (MacroListEntry{"one", "g1"}));
    EXPECT_EQ(list[3], (MacroListEntry{}));

    const auto macros = ReadEncodedMacros(folder);
    ASSERT_EQ(macros.size(), 4u);
    EXPECT_EQ(macros[0], (std::vector<MacroEventBytes>{{20, 0, 0x8A, 4}, {5, 0, 0x0A, 4}}));
    EXPECT_TRUE(macros[1].empty());  // no file: no events
    EXPECT_TRUE(macros[2].empty());  // a Guid naming another folder is not followed
    EXPECT_TRUE(macros[3].empty());
}

TEST(MacroFiles, DamagedOrMissingFilesReadAsEmpty) {
    test::TempDir dir;
    test::writeFile(dir / "macro.config", "{\"MacroInfo\": [");
    EXPECT_TRUE(ReadMacroList((dir / "macro.config").string()).empty());
    EXPECT_TRUE(ReadMacroList((dir / "none.config").string()).empty());
    test::writeFile(dir / "x.mac", R"({"Events": {"Action": "down"}})");
    EXPECT_TRUE(ReadMacroEvents((dir / "x.mac").string()).empty());
    EXPECT_TRUE(ReadEncodedMacros(dir.str() + "/").empty());
}

}  // namespace
}  // namespace talven
