// The macro editor's file effects on a data folder: list edits, saves,
// byte-for-byte import and export, and what damaged or unwritable files do.

#include "profile/macro_store.h"

#include "profile/profile_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sys/stat.h>

namespace talven {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class MacroStoreTest : public ::testing::Test {
protected:
    MacroStoreTest() { fs::create_directory(dir / "data"); }

    std::string folder() const { return (dir / "data").string() + "/"; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const MacroListEntry& e : store.entries()) out.push_back(e.name);
        return out;
    }
    void addMacros(int n) {
        for (int i = 0; i < n; ++i) ASSERT_TRUE(store.add().ok());
    }
    static MacroStep step(const char* action, int type, int button, uint16_t delay) {
        Json::Value e(Json::objectValue);
        e["Action"] = action;
        e["Type"] = type;
        e["Button"] = button;
        e["Delay"] = "999";  // the edit box's value wins
        return {e, delay};
    }

    test::TempDir dir;
    MacroStore store{folder()};
};

TEST_F(MacroStoreTest, NamesAreTheFirstFreeMacroNumberWithoutRegardToCase) {
    addMacros(2);
    EXPECT_EQ(names(), (std::vector<std::string>{"macro_1", "macro_2"}));
    EXPECT_EQ(fs::exists(store.macroPath(0)), false);  // no file until the first save

    EXPECT_TRUE(store.rename(0, "Burst").ok());
    ASSERT_TRUE(store.add().ok());
    EXPECT_EQ(names(), (std::vector<std::string>{"Burst", "macro_2", "macro_1"}));

    struct Case {
        int index;
        std::string name;
        MacroOutcome outcome;
    };
    const Case cases[] = {
        {1, "BURST", MacroOutcome::nameRefused}, {1, "", MacroOutcome::nameRefused},
        {1, "   ", MacroOutcome::nameRefused},   {1, "a\tb", MacroOutcome::nameRefused},
        {0, "burst", MacroOutcome::done},  // its own name in other letters
        {5, "Far", MacroOutcome::unchanged},     {1, "连发 Ü", MacroOutcome::done},
    };
    for (const Case& c : cases) EXPECT_EQ(store.rename(c.index, c.name).outcome, c.outcome) << c.name;
    EXPECT_EQ(names(), (std::vector<std::string>{"burst", "连发 Ü", "macro_1"}));
    EXPECT_EQ(ReadMacroList(store.listPath())[1].name, "连发 Ü");
}

TEST_F(MacroStoreTest, SaveWritesTheStepsWithTheirDelaysAsText) {
    addMacros(1);
    ASSERT_TRUE(store.save(0, {step("down", 1, 4, 300), step("up", 1, 4, 70)}).ok());
    const Json::Value file = ReadJsonValue(store.macroPath(0));
    EXPECT_EQ(file["MacroName"], "macro_1");
    EXPECT_EQ(file["Guid"], store.entries()[0].guid);
    EXPECT_EQ(file["Version"], 64);
    ASSERT_EQ(file["Events"].size(), 2u);
    EXPECT_EQ(file["Events"][0]["Delay"], "300");
    EXPECT_EQ(file["Events"][1]["Action"], "up");
    const auto macros = ReadEncodedMacros(folder());
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0][0], (MacroEventBytes{0x2C, 0x01, 0x81, 0x04}));

    // Renaming leaves the file's own name stale until the next save.
    ASSERT_TRUE(store.rename(0, "Combo").ok());
    EXPECT_EQ(ReadJsonValue(store.macroPath(0))["MacroName"], "macro_1");
    ASSERT_TRUE(store.save(0, {}).ok());
    EXPECT_EQ(ReadJsonValue(store.macroPath(0))["MacroName"], "Combo");
    EXPECT_TRUE(ReadEncodedMacros(folder())[0].empty());
}

TEST_F(MacroStoreTest, SaveWritesNothingForAnEntryWithoutAUsableGuid) {
    writeFile(store.listPath(), R"({"MacroInfo": [{"MacroName": "a", "Guid": ""},
                                                  {"MacroName": "b", "Guid": "../escape"}]})");
    EXPECT_EQ(store.save(0, {step("down", 10, 4, 5)}).outcome, MacroOutcome::unchanged);
    EXPECT_EQ(store.save(1, {step("down", 10, 4, 5)}).outcome, MacroOutcome::unchanged);
    EXPECT_EQ(test::fileCount(dir / "data"), 1u);
    EXPECT_FALSE(fs::exists(dir / "escape.mac"));
}

TEST_F(MacroStoreTest, DeletingMovesLaterMacrosUpAndRemovesOnlyItsFile) {
    addMacros(4);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(store.save(i, {step("down", 10, 4 + i, 1)}).ok());
    const std::vector<MacroListEntry> before = store.entries();
    const std::string gone = store.macroPath(1);

    ASSERT_TRUE(store.remove(1).ok());
    EXPECT_EQ(store.entries(), (std::vector<MacroListEntry>{before[0], before[2], before[3]}));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_EQ(ReadEncodedMacros(folder())[1][0][3], 6);  // former macro 3 is number 2
    EXPECT_EQ(store.remove(3).outcome, MacroOutcome::unchanged);
    EXPECT_EQ(store.entries().size(), 3u);
}

TEST_F(MacroStoreTest, ImportAndExportCopyTheFileByteForByte) {
    const std::string odd = "{ \"MacroName\": \"theirs\", \"Guid\": \"x\",\n  \"Events\": []  }\n";
    writeFile(dir / "in.mac", odd);
    addMacros(1);
    const MacroResult imported = store.importFrom((dir / "in.mac").string());
    ASSERT_TRUE(imported.ok()) << imported.error;
    EXPECT_EQ(imported.index, 1);
    EXPECT_EQ(names()[1], "macro_2");
    EXPECT_EQ(readFile(store.macroPath(1)), odd);  // the copy keeps its own names
    ASSERT_TRUE(store.exportTo(1, (dir / "out.mac").string()).ok());
    EXPECT_EQ(readFile(dir / "out.mac"), odd);

    // Nothing to copy: nothing is added and nothing written.
    EXPECT_EQ(store.importFrom((dir / "none.mac").string()).outcome, MacroOutcome::missingFile);
    EXPECT_EQ(store.exportTo(0, (dir / "out2.mac").string()).outcome, MacroOutcome::missingFile);
    EXPECT_EQ(store.entries().size(), 2u);
    EXPECT_FALSE(fs::exists(dir / "out2.mac"));
}

TEST_F(MacroStoreTest, TheFiftiethMacroIsTheLast) {
    addMacros(50);
    writeFile(dir / "in.mac", "{}");
    EXPECT_EQ(store.add().outcome, MacroOutcome::limitReached);
    EXPECT_EQ(store.importFrom((dir / "in.mac").string()).outcome, MacroOutcome::limitReached);
    EXPECT_EQ(store.entries().size(), 50u);
    EXPECT_EQ(test::fileCount(dir / "data"), 1u);
}

TEST_F(MacroStoreTest, ADamagedListIsKeptAsideNeverOverwritten) {
    writeFile(store.listPath(), "{\"MacroInfo\": [ oops");
    EXPECT_TRUE(store.entries().empty());
    EXPECT_EQ(store.rename(0, "x").outcome, MacroOutcome::unchanged);
    EXPECT_EQ(readFile(store.listPath()), "{\"MacroInfo\": [ oops");

    ASSERT_TRUE(store.add().ok());
    EXPECT_EQ(names(), std::vector<std::string>{"macro_1"});
    EXPECT_EQ(readFile(store.listPath() + ".damaged"), "{\"MacroInfo\": [ oops");

    // A damaged macro file reads as an empty macro and its neighbours stay.
    ASSERT_TRUE(store.add().ok());
    ASSERT_TRUE(store.save(1, {step("down", 10, 4, 1)}).ok());
    writeFile(store.macroPath(0), "\x01\x02garbage");
    const auto macros = ReadEncodedMacros(folder());
    EXPECT_TRUE(macros[0].empty());
    EXPECT_EQ(macros[1].size(), 1u);
}

TEST_F(MacroStoreTest, ListEntriesOfTheWrongTypeAreNeverRewritten) {
    // Macro 1 is the odd one; macro 0 has a file that must survive.
    for (const char* shape : {"42", "\"text\"", "null", "[\"m\"]", "false"}) {
        SCOPED_TRACE(shape);
        const std::string text =
            std::string(R"({"MacroInfo": [{"MacroName": "first", "Guid": "g0"}, )") + shape + "]}";
        writeFile(store.listPath(), text);
        writeFile(folder() + "g0.mac", R"({"Events": []})");
        const auto before = test::folderContents(dir / "data");
        struct Operation {
            const char* name;
            std::function<MacroResult()> run;
            MacroOutcome outcome;
        };
        const Operation operations[] = {
            {"rename", [&] { return store.rename(1, "x"); }, MacroOutcome::damagedFile},
            {"save", [&] { return store.save(1, {step("down", 10, 4, 1)}); }, MacroOutcome::unchanged},
            {"export", [&] { return store.exportTo(1, (dir / "out.mac").string()); }, MacroOutcome::unchanged},
        };
        for (const Operation& op : operations) {
            SCOPED_TRACE(op.name);
            MacroResult r;
            EXPECT_NO_THROW(r = op.run());
            EXPECT_EQ(r.outcome, op.outcome);
            EXPECT_EQ(test::folderContents(dir / "data"), before);
        }
        // The others still work and keep the odd element as it is.
        ASSERT_TRUE(store.rename(0, "renamed").ok());
        ASSERT_TRUE(store.add().ok());
        const Json::Value list = ReadJsonValue(store.listPath());
        EXPECT_EQ(list["MacroInfo"][1], test::parseJson(shape));
        EXPECT_EQ(list["MacroInfo"][0]["MacroName"], "renamed");
        EXPECT_EQ(list["MacroInfo"].size(), 3u);
    }
}

TEST_F(MacroStoreTest, AFailedWriteLeavesEveryFileAsItWas) {
    addMacros(2);
    ASSERT_TRUE(store.save(0, {step("down", 10, 4, 1)}).ok());
    writeFile(dir / "in.mac", "{}");
    const auto before = test::folderContents(dir / "data");
    ::chmod(dir.str().c_str(), 0755);
    ::chmod((dir / "data").c_str(), 0555);

    const auto result = test::runUnprivileged([&] {
        int failures = store.add().outcome != MacroOutcome::writeFailed;
        failures += store.rename(0, "New").outcome != MacroOutcome::writeFailed;
        failures += store.remove(0).outcome != MacroOutcome::writeFailed;
        failures += store.save(0, {}).outcome != MacroOutcome::writeFailed;
        failures += store.importFrom((dir / "in.mac").string()).outcome != MacroOutcome::writeFailed;
        return failures;
    });
    ::chmod((dir / "data").c_str(), 0755);
    if (!result) GTEST_SKIP() << "no unprivileged user to run as";
    EXPECT_EQ(*result, 0);
    EXPECT_EQ(test::folderContents(dir / "data"), before);
}

}  // namespace
}  // namespace talven
