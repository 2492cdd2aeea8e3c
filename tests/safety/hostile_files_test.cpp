// Files no version of the program writes, placed where it reads: each is
// refused or contained with a message saying why, within a bounded time and
// memory, and without being changed. Every case runs in a child process so
// that its peak memory is its own and a crash fails the case, not the suite.

#include "profile/json_document.h"
#include "profile/macro_files.h"
#include "profile/profile_data_headset.h"
#include "profile/profile_data_mouse.h"
#include "profile/user_names.h"

#include "safety/safety_support.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace talven {
namespace {

namespace fs = std::filesystem;

// What a case may cost: well above a refusal's real cost (a read of at most
// a few MiB and one pass over it), far below what parsing the file would.
constexpr double kMaxSeconds = 3.0;
constexpr long kMaxGrowthKiB = 48 * 1024;

struct Measured {
    bool exited = false;  // false: the child crashed or was killed
    std::string message;
    double seconds = 0;
    long growthKiB = 0;
};

long peakKiB() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs `body` in a child, which measures its own peak before and after and
// sends it back with the message through a pipe.
Measured measure(const std::function<std::string()>& body) {
    int pipe[2];
    if (::pipe(pipe) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe[0]);
        const long before = peakKiB();
        const std::string message = body();
        const std::string report = std::to_string(peakKiB() - before) + "\n" + message;
        const ssize_t written = ::write(pipe[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(pipe[1]);
    Measured m;
    const std::string report = test::readAllAndClose(pipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const size_t newline = report.find('\n');
    m.growthKiB = newline == std::string::npos ? -1 : std::atol(report.c_str());
    m.message = newline == std::string::npos ? report : report.substr(newline + 1);
    return m;
}

// Writes `count` copies of `unit` between `head` and `tail`, a chunk at a
// time, so the test itself never holds the file.
void writeRepeated(const fs::path& path, const std::string& head, const std::string& unit, size_t count,
                   const std::string& tail) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string chunk;
    for (size_t i = 0; i < count; ++i) {
        chunk += unit;
        if (i + 1 < count) chunk += ',';
        if (chunk.size() > (1u << 20)) out << std::exchange(chunk, {});
    }
    out << chunk << tail;
}

std::string nested(size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

struct Folder : test::UsedFolder {
    ProfileList list() const { return test::usedList(data, factory); }
    std::string profilePath() const { return list().currentProfilePath(); }
    std::string macroPath() const { return MacroStore(data).macroPath(0); }
};

std::string loadKeyboardProfile(const Folder& f) {
    CKeyboardProfiledata profile;
    profile.SetDefaultPath(f.factory);
    profile.LoadDeviceEntry(f.profilePath());
    profile.ReadKeyList();
    profile.ReadLightInfo();
    return profile.lastError();
}

std::string startList(const Folder& f) {
    ProfileList list;
    list.setDeviceKind(profile_kind::Keyboard);
    list.setFolders(f.data, f.factory);
    const ProfileResult r = list.init();
    return std::string(r.messageKey()) + " " + r.error;
}

std::string encodeMacros(const Folder& f) {
    std::vector<std::vector<MacroEventBytes>> macros;
    std::string error;
    return readEncodedMacrosChecked(f.data, macros, &error) ? "read" : error;
}

struct HostileCase {
    const char* name;
    std::function<std::string(const Folder&)> place;  // writes the file; returns its path
    std::function<std::string(const Folder&)> load;   // the program's loader; returns its message
    const char* message;                              // part of the message expected
};

const HostileCase kCases[] = {
    {"a 100 MB profile",
     [](const Folder& f) {
         const std::string path = f.profilePath();
         std::ofstream(path) << '{';
         fs::resize_file(path, 100u << 20);
         return path;
     },
     loadKeyboardProfile, "above the limit of 4194304 bytes"},
    {"a profile nested 100,000 deep",
     [](const Folder& f) {
         test::writeFile(f.profilePath(), R"({"Device":[{"KeyList":)" + nested(100'000) + "}]}");
         return f.profilePath();
     },
     loadKeyboardProfile, "nests deeper than 32 levels"},
    {"a profile of two million numbers in 4 MiB",
     [](const Folder& f) {
         writeRepeated(f.profilePath(), R"({"Device":[{"KeyList":[)", "0", 2'000'000, "]}]}");
         return f.profilePath();
     },
     loadKeyboardProfile, "more than 200000 values"},
    {"a profile list nested 100,000 deep",
     [](const Folder& f) {
         test::writeFile(f.data + "ProfileList.ini", R"({"profilelist":)" + nested(100'000) + "}");
         return f.data + "ProfileList.ini";
     },
     startList, "message_text_profile_file"},
    {"a profile list of 10,000 profiles",
     [](const Folder& f) {
         writeRepeated(f.data + "ProfileList.ini", R"({"profileselect":0,"profilelist":[)",
                       R"({"profilename":"P","profileUUID":"u"})", 10'000, "]}");
         return f.data + "ProfileList.ini";
     },
     startList, "more than 20000 values"},
    {"a profile list of 1,500 empty entries",
     [](const Folder& f) {
         writeRepeated(f.data + "ProfileList.ini", R"({"profileselect":0,"profilelist":[)", "{}", 1'500, "]}");
         return f.data + "ProfileList.ini";
     },
     startList, "1500 entries, above the limit of 1000"},
    {"a macro list of 10,000 macros",
     [](const Folder& f) {
         writeRepeated(f.data + "macro.config", R"({"MacroInfo":[)", R"({"MacroName":"m","Guid":"g"})", 10'000, "]}");
         return f.data + "macro.config";
     },
     encodeMacros, "more than 20000 values"},
    {"a macro list of 1,500 empty entries",
     [](const Folder& f) {
         writeRepeated(f.data + "macro.config", R"({"MacroInfo":[)", "{}", 1'500, "]}");
         return f.data + "macro.config";
     },
     encodeMacros, "1500 entries, above the limit of 1000"},
    {"a macro of 1,000,000 events",
     [](const Folder& f) {
         writeRepeated(f.macroPath(), R"({"Version":64,"Events":[)",
                       R"({"Action":"down","Type":10,"Button":4,"Delay":"5"})", 1'000'000, "]}");
         return f.macroPath();
     },
     encodeMacros, "above the limit of 2097152 bytes"},
    {"a macro of 20,000 events in under 2 MiB",
     [](const Folder& f) {
         writeRepeated(f.macroPath(), R"({"Events":[)", R"({"Type":10,"Button":4})", 20'000, "]}");
         return f.macroPath();
     },
     encodeMacros, "more than 60000 values"},
};

TEST(HostileFiles, AreRefusedQuicklyWithAMessageAndLeftAsTheyAre) {
    for (const HostileCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const Folder folder;
        const std::string path = c.place(folder);
        const auto size = fs::file_size(path);
        const auto written = fs::last_write_time(path);
        const Measured m = measure([&] { return c.load(folder); });
        EXPECT_TRUE(m.exited);
        EXPECT_NE(m.message.find(c.message), std::string::npos) << m.message;
        EXPECT_LT(m.seconds, kMaxSeconds);
        EXPECT_LT(m.growthKiB, kMaxGrowthKiB);
        EXPECT_EQ(fs::file_size(path), size);
        EXPECT_EQ(fs::last_write_time(path), written);
        RecordProperty(c.name, std::to_string(m.seconds) + " s, " + std::to_string(m.growthKiB) + " KiB");
    }
}

// The bounds are not so tight that real files fall foul of them: every file
// of the factory data reads whole.
TEST(HostileFiles, TheFactoryFilesAreWithinTheirBounds) {
    const fs::path factory = fs::path(TALVEN_TESTDATA_DIR) / ".." / ".." / "resources" / "DefaultData";
    for (const auto& file : fs::directory_iterator(factory)) {
        SCOPED_TRACE(file.path().string());
        EXPECT_EQ(readJsonDocument(file.path().string()).state, JsonFileState::ok);
    }
}

}  // namespace
}  // namespace talven
