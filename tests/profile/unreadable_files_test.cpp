// Things in the place of a profile list, a profile or a macro file that must
// not be read: a FIFO (opening it would wait for a writer for ever), a folder
// and a file above the size bound. Every operation refuses with a message
// naming the reason, and leaves the thing where and as it is: nothing is
// moved aside as ".damaged" and nothing is written in its place.

#include "profile/json_file.h"
#include "profile/macro_store.h"
#include "profile/profile_data_keyboard.h"
#include "profile/profile_list.h"

#include "profile/profile_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sys/stat.h>

namespace talven {
namespace {

namespace fs = std::filesystem;
using test::writeFile;

// 4 MiB: the bound the readers state for a profile, the largest of them.
constexpr std::uintmax_t kBound = 4u * 1024u * 1024u;

struct Obstacle {
    const char* name;
    const char* reason;  // part of the message expected
    std::function<void(const fs::path&)> place;
};

const Obstacle kObstacles[] = {
    {"FIFO", "not a regular file", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
    {"folder", "folder",
     [](const fs::path& p) {
         fs::create_directory(p);
         writeFile(p / "inside", "kept");
     }},
    {"file above the bound", "above the limit",
     [](const fs::path& p) {
         std::ofstream(p).put('{');
         fs::resize_file(p, kBound + 1);  // sparse: cheap to make, costly to read
     }},
};

// What a folder holds, without reading any file (reading a FIFO blocks).
std::map<std::string, std::string> shapeOf(const fs::path& folder) {
    std::map<std::string, std::string> shape;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const auto type = e.symlink_status().type();
        shape[e.path().string()] = std::to_string(static_cast<int>(type)) + ":" +
                                   (type == fs::file_type::regular ? std::to_string(e.file_size()) : "-");
    }
    return shape;
}

struct Outcome {
    int code;
    std::string message;
};

struct Operation {
    const char* name;
    const char* file;  // where the obstacle goes, in the data folder
    int expected;
    std::function<void(const std::string& folder)> prepare;
    std::function<Outcome(const std::string& folder, const std::string& factory)> run;
};

ProfileList listIn(const std::string& folder, const std::string& factory) {
    ProfileList list;
    list.setDeviceKind(profile_kind::Keyboard);
    list.setFolders(folder, factory);
    return list;
}

// A list selecting "p", in the form starting the list leaves it.
void listSelectingP(const std::string& folder) {
    writeFile(folder + kProfileListFileName, R"({"profilelist": [{"profilename": "A", "profileUUID": "p"}],
                                                "profileselect": 0})");
    listIn(folder, {}).init();
}

void macroListNamingG(const std::string& folder) {
    writeFile(folder + kMacroListFileName, R"({"MacroInfo": [{"MacroName": "m", "Guid": "g"}]})");
}

Outcome of(const ProfileResult& r) { return {static_cast<int>(r.outcome), r.error}; }
Outcome of(const MacroResult& r) { return {static_cast<int>(r.outcome), r.error}; }

const int kDamaged = static_cast<int>(ProfileOutcome::damagedFile);
const int kWriteFailed = static_cast<int>(ProfileOutcome::writeFailed);
const int kMacroDamaged = static_cast<int>(MacroOutcome::damagedFile);
const int kMacroMissing = static_cast<int>(MacroOutcome::missingFile);
const int kProfileDamaged = static_cast<int>(ProfileStatus::damagedFile);

const Operation kOperations[] = {
    {"profile list: start", kProfileListFileName, kDamaged, nullptr,
     [](const std::string& f, const std::string& factory) { return of(listIn(f, factory).init()); }},
    {"profile list: add", kProfileListFileName, kWriteFailed, nullptr,
     [](const std::string& f, const std::string& factory) { return of(listIn(f, factory).add()); }},
    {"profile list: the selected profile", kProfileListFileName, 1, nullptr,
     [](const std::string& f, const std::string&) {
         const SelectedProfile s = readSelectedProfile(f);
         return Outcome{s.path.empty() ? 1 : 0, s.error};
     }},
    {"profile: load", "p.Json", kProfileDamaged, nullptr,
     [](const std::string& f, const std::string& factory) {
         CKeyboardProfiledata profile;
         profile.SetDefaultPath(factory);
         profile.LoadDeviceEntry(f + "p.Json");
         return Outcome{static_cast<int>(profile.lastStatus()), profile.lastError()};
     }},
    {"profile: save", "p.Json", kProfileDamaged, nullptr,
     [](const std::string& f, const std::string&) {
         CKeyboardProfiledata profile;
         profile.WriteLightInfo(1, 0, 0);
         return Outcome{static_cast<int>(profile.SaveDeviceEntry(profile.deviceEntry(), f + "p.Json")),
                        profile.lastError()};
     }},
    {"profile: reset", "p.Json", kDamaged, listSelectingP,
     [](const std::string& f, const std::string& factory) {
         ProfileList list = listIn(f, factory);
         list.init();
         return of(list.reset());
     }},
    {"macro list: add", kMacroListFileName, kMacroDamaged, nullptr,
     [](const std::string& f, const std::string&) { return of(MacroStore(f).add()); }},
    {"macro list: rename", kMacroListFileName, kMacroDamaged, nullptr,
     [](const std::string& f, const std::string&) { return of(MacroStore(f).rename(0, "x")); }},
    {"macro file: events for the keyboard", "g.mac", 1, macroListNamingG,
     [](const std::string& f, const std::string&) {
         std::vector<std::vector<MacroEventBytes>> macros;
         std::string error;
         return Outcome{readEncodedMacrosChecked(f, macros, &error) ? 0 : 1, error};
     }},
    {"macro file: export", "g.mac", kMacroMissing, macroListNamingG,
     [](const std::string& f, const std::string&) { return of(MacroStore(f).exportTo(0, f + "../out.mac")); }},
    {"macro file: import", "in.mac", kMacroMissing, nullptr,
     [](const std::string& f, const std::string&) { return of(MacroStore(f).importFrom(f + "in.mac")); }},
};

TEST(UnreadableFiles, AreRefusedAndLeftAsTheyAre) {
    ASSERT_EQ(kMaxJsonFileSize, kBound);
    for (const Obstacle& obstacle : kObstacles) {
        for (const Operation& op : kOperations) {
            SCOPED_TRACE(std::string(op.name) + " with a " + obstacle.name);
            test::TempDir dir;
            const fs::path data = dir / "data";
            fs::create_directory(data);
            const std::string folder = data.string() + "/", factory = (dir / "factory.Json").string();
            writeFile(factory, R"({"Device": [{"LightInfo": {"SelectItem": 1}}]})");
            if (op.prepare) op.prepare(folder);
            obstacle.place(data / op.file);
            const auto before = shapeOf(data);

            const std::string messageFile = (dir / "message").string();
            const std::optional<int> code = test::exitCodeWithin(10, [&] {
                const Outcome outcome = op.run(folder, factory);
                std::ofstream(messageFile) << outcome.message;
                return outcome.code;
            });
            ASSERT_TRUE(code.has_value()) << "did not return";
            EXPECT_EQ(*code, op.expected);
            const std::string message = test::readFile(messageFile);
            EXPECT_NE(message.find(obstacle.reason), std::string::npos) << message;
            EXPECT_EQ(shapeOf(data), before);
        }
    }
}

TEST(UnreadableFiles, LinksAreFollowedToWhatTheyName) {
    test::TempDir dir;
    writeFile(dir / "real.json", R"({"a": 1})");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink(dir / "real.json", dir / "to-real");
    fs::create_symlink(dir / "fifo", dir / "to-fifo");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    {
        std::ofstream(dir / "at-bound").put('{');
        fs::resize_file(dir / "at-bound", kBound);
    }
    struct Case {
        std::string name;
        FileReadState state;
        size_t size;
    };
    const Case cases[] = {
        {"to-real", FileReadState::ok, 8},
        {"at-bound", FileReadState::ok, kBound},
        {"to-fifo", FileReadState::unreadable, 0},
        {"dangling", FileReadState::missing, 0},
        {std::string(300, 'u') + ".Json", FileReadState::missing, 0},  // too long a name to exist
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        const std::optional<int> code = test::exitCodeWithin(10, [&] {
            const FileRead read = readRegularFile((dir / c.name).string());
            return read.state == c.state && read.bytes.size() == c.size ? 0 : 1;
        });
        EXPECT_EQ(code, std::optional<int>(0));
    }
}

}  // namespace
}  // namespace talven
