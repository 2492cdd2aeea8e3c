// Shoot files: where a bullet's four events sit, how directions read, which
// files can be edited, and the factory copies.

#include "profile/json_document.h"
#include "profile/shoot_file.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace talven {
namespace {

Json::Value event(const char* action, int button, const char* delay, int type) {
    Json::Value e(Json::objectValue);
    e["Action"] = action;
    e["Button"] = button;
    e["Delay"] = delay;
    e["Type"] = type;
    return e;
}

// 120 events, each telling its own number in "Button", all "up".
Json::Value numberedDocument() {
    Json::Value doc(Json::objectValue);
    for (int i = 0; i < 120; ++i) doc["Events"].append(event("up", i, "7", 9));
    return doc;
}

TEST(ShootFile, BulletIsReadFromItsThirdAndFourthEvent) {
    Json::Value doc = numberedDocument();
    doc["Events"][22] = event("down", 12, "5", 4);   // bullet 5's horizontal move
    doc["Events"][23] = event("up", 34, "120", 5);   // its vertical move and delay
    EXPECT_EQ(readShootBullet(doc, 5), (ShootBullet{12, true, 34, false, 120}));
    // Bullet 29's moves are events 118 and 119.
    EXPECT_EQ(readShootBullet(doc, 29), (ShootBullet{118, false, 119, false, 7}));
}

TEST(ShootFile, OnlyAnActionOfDownInAnyCaseMovesLeftOrUp) {
    struct Case {
        Json::Value action;
        bool leftOrUp;
    };
    const Case cases[] = {{"down", true}, {"DOWN", true}, {"Down", true}, {"Down ", false},
                          {" down", false}, {"up", false}, {"", false}, {1, false}, {Json::Value(), false}};
    for (const Case& c : cases) {
        Json::Value doc = numberedDocument();
        doc["Events"][2]["Action"] = c.action;
        doc["Events"][3]["Action"] = c.action;
        const ShootBullet b = readShootBullet(doc, 0);
        EXPECT_EQ(b.left, c.leftOrUp) << c.action.toStyledString();
        EXPECT_EQ(b.up, c.leftOrUp) << c.action.toStyledString();
    }
}

TEST(ShootFile, SavingBulletTwoReplacesEventsEightToElevenOnly) {
    Json::Value doc = numberedDocument();
    writeShootBullet(doc, 2, ShootBullet{6, true, 9, false, 88});
    const Json::Value expected[] = {event("down", 1, "10", 1), event("up", 1, "0", 1), event("down", 6, "5", 4),
                                    event("up", 9, "88", 5)};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(doc["Events"][8 + i], expected[i]) << 8 + i;
    ASSERT_EQ(doc["Events"].size(), 120u);
    for (int i = 0; i < 120; ++i)
        if (i < 8 || i > 11) EXPECT_EQ(doc["Events"][i], event("up", i, "7", 9)) << i;
    // Right and up are "up" and "down" on the moves.
    writeShootBullet(doc, 0, ShootBullet{1, false, 2, true, 3});
    EXPECT_EQ(doc["Events"][2]["Action"].asString(), "up");
    EXPECT_EQ(doc["Events"][3]["Action"].asString(), "down");
}

TEST(ShootFile, OnlyWholeShootFilesAreEdited) {
    Json::Value short119 = numberedDocument();
    short119["Events"].resize(119);
    Json::Value notObject = numberedDocument();
    notObject["Events"][50] = 3;
    Json::Value eventsObject(Json::objectValue);
    eventsObject["Events"]["0"] = event("up", 1, "0", 1);
    struct Case {
        const char* what;
        Json::Value doc;
        bool ok;
    };
    const Case cases[] = {{"120 events", numberedDocument(), true},  {"119 events", short119, false},
                          {"an event not an object", notObject, false}, {"Events an object", eventsObject, false},
                          {"an array", Json::Value(Json::arrayValue), false}, {"null", Json::Value(), false}};
    for (const Case& c : cases) EXPECT_EQ(isShootDocument(c.doc), c.ok) << c.what;
    EXPECT_FALSE(isShootText("{\"Events\": [")) << "cut off";
    EXPECT_FALSE(isShootText(""));
}

TEST(ShootFile, NumbersTheMouseTakes) {
    struct Case {
        ShootBullet b;
        bool ok;
    };
    const Case cases[] = {{{0, false, 0, false, 0}, true},       {{255, true, 255, true, 65535}, true},
                          {{256, false, 0, false, 0}, false},    {{0, false, 256, false, 0}, false},
                          {{-1, false, 0, false, 0}, false},     {{0, false, 0, false, 65536}, false},
                          {{0, false, 0, false, -1}, false}};
    for (const Case& c : cases) EXPECT_EQ(shootBulletInRange(c.b), c.ok) << c.b.horizontal << " " << c.b.delay;
}

TEST(ShootFile, FactoryCopiesHoldThirtyClicksWithTheirMoves) {
    const std::filesystem::path folder = std::filesystem::path(TALVEN_TESTDATA_DIR) / ".." / ".." / "resources" /
                                         "DefaultData";
    for (int gun = 0; gun < 4; ++gun) {
        const std::string name = "ShootData_" + std::to_string(gun) + ".Shoot";
        EXPECT_EQ(shootFileName(gun), name);
        const JsonDocument doc = readJsonDocument((folder / name).string());
        ASSERT_EQ(doc.state, JsonFileState::ok) << name;
        ASSERT_TRUE(isShootDocument(doc.value)) << name;
        for (int b = 0; b < 30; ++b) {
            const Json::Value& e = doc.value["Events"];
            EXPECT_EQ(e[4 * b], event("down", 1, "10", 1)) << name << " bullet " << b;
            EXPECT_EQ(e[4 * b + 1], event("up", 1, "0", 1)) << name << " bullet " << b;
            EXPECT_EQ(e[4 * b + 2]["Type"].asInt(), 4);
            EXPECT_EQ(e[4 * b + 2]["Delay"].asString(), "5");
            EXPECT_EQ(e[4 * b + 3]["Type"].asInt(), 5);
            EXPECT_TRUE(shootBulletInRange(readShootBullet(doc.value, b))) << name << " bullet " << b;
        }
    }
}

}  // namespace
}  // namespace talven
