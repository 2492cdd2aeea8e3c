#include "update/update_check.h"

#include <gtest/gtest.h>

#include <array>

namespace talven::update {
namespace {

constexpr std::size_t kKeyboardRow = 1;  // hexadecimal firmware row
constexpr std::size_t kAppRow = 5;       // "ALL", decimal

TEST(UpdateRecords, LabelsAndBodyFollowTheRowsBase) {
    struct Case {
        std::size_t row;
        uint32_t version;
        const char* current;
        const char* initial;
        const char* body;
    };
    const Case cases[] = {
        {kKeyboardRow, 0x0103, "V0103", "V0103", "app_key=VELKO_1_K7340_TALVEN-K88_1&version=103"},
        {kKeyboardRow, 0x1A2B, "V1a2b", "V1a2b", "app_key=VELKO_1_K7340_TALVEN-K88_1&version=1a2b"},
        {kKeyboardRow, 0x7, "V0007", "V0007", "app_key=VELKO_1_K7340_TALVEN-K88_1&version=7"},
        {kAppRow, 5, "V5", "V05", "app_key=VELKO_0_ALL_TALVEN-K88-Software_0&version=5"},
        {kAppRow, 10203, "V10203", "V010203", "app_key=VELKO_0_ALL_TALVEN-K88-Software_0&version=10203"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const UpdateRecord record = makeUpdateRecord(c.row, c.version);
        EXPECT_EQ(currentVersionLabel(record), c.current);
        EXPECT_EQ(record.versionLabel, c.current);
        EXPECT_EQ(initialVersionLabel(record), c.initial);
        EXPECT_EQ(requestBody(record), c.body);
    }
}

TEST(UpdateRecords, EveryApplicationKeyTravelsUnchangedInAFormBody) {
    for (std::size_t row = 0; row < kUpdateTable.size(); ++row) {
        const std::string key = applicationKey(makeUpdateRecord(row, 1));
        SCOPED_TRACE(key);
        EXPECT_EQ(key.find_first_of("&=+% #?"), std::string::npos);
        EXPECT_EQ(key.rfind("VELKO_", 0), 0u);
    }
    EXPECT_EQ(kUpdateTable.back().modelCode, "ALL");
}

TEST(UpdateRecords, OnlyRowsWithAVersionAreAsked) {
    const std::array<uint32_t, 5> none{};
    const std::vector<UpdateRecord> alone = updateRecords(none, 100);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0].modelCode, "ALL");
    EXPECT_EQ(listDisplayName(alone[0]), "TALVEN  K88  Gaming Keyboard :");

    const std::array<uint32_t, 5> keyboardAndPad{0, 0x0103, 0x0200, 0, 0};
    const std::vector<UpdateRecord> three = updateRecords(keyboardAndPad, 100);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].displayName, "TALVEN-K88 :");
    EXPECT_EQ(listDisplayName(three[0]), "TALVEN-K88 :");
    EXPECT_EQ(three[1].currentVersion, 0x0200u);
    EXPECT_EQ(three[2].currentVersion, 100u);
    EXPECT_TRUE(updateRecords(none, 0).empty());
}

TEST(UpdateRecords, ProgramVersionBecomesOneNumber) {
    struct Case {
        const char* text;
        uint32_t number;
    };
    for (const Case& c : {Case{"0.1.0", 100}, Case{"1.2.3", 10203}, Case{"2.10.0", 21000}, Case{"1.2", 0},
                          Case{"1.2.3.4", 0}, Case{"1.x.3", 0}, Case{"1.200.3", 0}, Case{"", 0}}) {
        EXPECT_EQ(applicationVersionNumber(c.text), c.number) << c.text;
    }
}

TEST(UpdateEndpoint, UpdatesBelowTheBaseAddress) {
    EXPECT_EQ(updateEndpoint("https://updates.example/api/"), "https://updates.example/api/updates");
    EXPECT_EQ(updateEndpoint("https://updates.example/api"), "https://updates.example/api/updates");
    EXPECT_EQ(updateEndpoint(""), "");
}

TEST(UpdateReply, TheServerVersionIsReadInTheRowsBase) {
    struct Case {
        const char* what;
        std::size_t row;
        uint32_t current;
        const char* reply;
        int state;
        const char* newLabel;
    };
    const Case cases[] = {
        {"newer firmware", kKeyboardRow, 0x0103, R"({"version":"0104","version_name":"1.04"})", kAvailable, "V0104"},
        {"same firmware", kKeyboardRow, 0x0103, R"({"version":"0103","version_name":"1.03"})", kUpToDate, "V0103"},
        {"older firmware", kKeyboardRow, 0x0103, R"({"version":"0102"})", kUpToDate, "V0102"},
        // 0x19 = 25 is above 0x15 = 21; read as decimal, 19 would not be.
        {"hexadecimal digits", kKeyboardRow, 0x15, R"({"version":"0019"})", kAvailable, "V0019"},
        {"newer program", kAppRow, 5, R"({"version":"6","version_name":"0.0.6"})", kAvailable, "0.0.6"},
        {"same program", kAppRow, 5, R"({"version":"5","version_name":"0.0.5"})", kUpToDate, "0.0.5"},
        // Read as hexadecimal, "1a" would be 26.
        {"decimal digits", kAppRow, 20, R"({"version":"1a","version_name":"x"})", kUpToDate, "x"},
        {"number instead of text", kAppRow, 5, R"({"version":7,"version_name":"0.0.7"})", kAvailable, "0.0.7"},
        {"no version", kAppRow, 5, R"({"version_name":"0.0.9"})", kUpToDate, "0.0.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const UpdateInfo info = parseUpdateReply(makeUpdateRecord(c.row, c.current), c.reply);
        EXPECT_EQ(info.status, c.state);
        EXPECT_EQ(info.newLabel, c.newLabel);
    }
}

TEST(UpdateReply, AllMembersAreKept) {
    const UpdateInfo info = parseUpdateReply(
        makeUpdateRecord(kKeyboardRow, 0x0103),
        R"({"path":"https://h/fw.bin","name":"K88","version_name":"1.04","version":"0104","device_id":42,)"
        R"("sha256":"ABCDEF"})");
    EXPECT_EQ(info.path, "https://h/fw.bin");
    EXPECT_EQ(info.name, "K88");
    EXPECT_EQ(info.versionName, "1.04");
    EXPECT_EQ(info.deviceId, 42);
    EXPECT_EQ(info.serverVersion, 0x0104u);
    EXPECT_EQ(info.sha256, "abcdef");
    EXPECT_EQ(info.displayName, "TALVEN-K88 :");
    EXPECT_EQ(info.currentLabel, "V0103");
}

TEST(UpdateReply, AnythingButAJsonObjectLeavesTheRowUpToDate) {
    for (const char* reply : {"", "<html>busy</html>", "[1,2,3]", "\"text\"", "42", "{\"version\":", "null"}) {
        SCOPED_TRACE(reply);
        const UpdateInfo info = parseUpdateReply(makeUpdateRecord(kKeyboardRow, 0x0103), reply);
        EXPECT_EQ(info.status, kUpToDate);
        EXPECT_EQ(info.newLabel, "");
        EXPECT_EQ(info.path, "");
    }
}

TEST(UpdateReply, NestingDeeperThanTheParserAllowsLeavesTheRowUpToDate) {
    // Two thousand open brackets: the parser gives up at a thousand levels.
    for (const std::string& reply : {std::string(2000, '['), "{\"a\":" + std::string(2000, '[')}) {
        const UpdateInfo info = parseUpdateReply(makeUpdateRecord(kKeyboardRow, 0x0103), reply);
        EXPECT_EQ(info.status, kUpToDate);
        EXPECT_EQ(info.newLabel, "");
    }
}

TEST(UpdateReply, MembersOfTheWrongTypeReadAsEmpty) {
    const UpdateInfo info = parseUpdateReply(makeUpdateRecord(kAppRow, 5),
                                             R"({"path":[1],"version":{"a":1},"device_id":"7","version_name":3})");
    EXPECT_EQ(info.path, "");
    EXPECT_EQ(info.deviceId, 0);
    EXPECT_EQ(info.versionName, "3");
    EXPECT_EQ(info.status, kUpToDate);
}

}  // namespace
}  // namespace talven::update
