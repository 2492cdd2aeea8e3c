// Every saver against a write that fails at each step of the atomic writer
// (the data, the flush, the rename), as a full disk or a failing medium makes
// it fail: the saver reports the failure with the message the user is shown,
// and every file of the data folder is as it was, with no temporary left.
// Savers that write two files are also failed at the second one.

#include "platform/atomic_file.h"
#include "profile/profile_data_keyboard.h"

#include "safety/safety_support.h"

#include <cerrno>
#include <cstring>
#include <functional>

namespace talven {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool ok;
    std::string message;  // the user's message key, or the saver's own text
    std::string detail;   // the saver's text for the debug output or talvenctl
};

Outcome of(const ProfileResult& r) { return {r.ok(), r.messageKey(), r.error}; }
Outcome of(const MacroResult& r) {
    return {r.ok(), r.outcome == MacroOutcome::writeFailed ? "written" : r.error, r.error};
}

struct Saver {
    const char* name;
    int files;  // how many files it writes
    const char* message;
    std::function<Outcome(const std::string& data, const std::string& factory, const std::string& outside)> run;
};

ProfileList list(const std::string& data, const std::string& factory) { return test::usedList(data, factory); }

const Saver kSavers[] = {
    {"profile settings", 1, "cannot be written",
     [](const std::string& d, const std::string& f, const std::string&) {
         CKeyboardProfiledata profile;
         const std::string path = list(d, f).currentProfilePath();
         profile.SetProfilePath(path);
         profile.LoadDeviceEntry(path);
         profile.WriteLightInfo(0x01020304, 0, 0);
         const bool ok = profile.Save() == ProfileStatus::ok;
         return Outcome{ok, profile.lastError(), profile.lastError()};
     }},
    {"profile select", 1, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { return of(list(d, f).select(0)); }},
    {"profile add", 2, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { return of(list(d, f).add()); }},
    {"profile copy", 2, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { return of(list(d, f).copy()); }},
    {"profile rename", 2, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { return of(list(d, f).rename("Renamed")); }},
    {"profile delete", 1, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { return of(list(d, f).remove()); }},
    {"profile reset", 1, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { return of(list(d, f).reset()); }},
    {"profile import", 2, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string&) { 
         return of(list(d, f).importFrom(fs::path(f).parent_path() / "import.json"));
     }},
    {"profile export", 1, "message_text_profile_file",
     [](const std::string& d, const std::string& f, const std::string& out) {
         return of(list(d, f).exportTo(out + "exported.json"));
     }},
    {"macro add", 1, "written",
     [](const std::string& d, const std::string&, const std::string&) { return of(MacroStore(d).add()); }},
    {"macro rename", 1, "written",
     [](const std::string& d, const std::string&, const std::string&) { return of(MacroStore(d).rename(1, "Zed")); }},
    {"macro delete", 1, "written",
     [](const std::string& d, const std::string&, const std::string&) { return of(MacroStore(d).remove(0)); }},
    {"macro save", 1, "written",
     [](const std::string& d, const std::string&, const std::string&) { return of(MacroStore(d).save(0, {})); }},
    {"macro import", 2, "written",
     [](const std::string& d, const std::string&, const std::string&) {
         MacroStore store(d);
         return of(store.importFrom(store.macroPath(0)));
     }},
    {"macro export", 1, "written",
     [](const std::string& d, const std::string&, const std::string& out) {
         return of(MacroStore(d).exportTo(0, out + "exported.mac"));
     }},
};

struct Step {
    const char* name;
    AtomicWriteStep step;
    int error;
};

const Step kSteps[] = {
    {"no space while writing", AtomicWriteStep::write, ENOSPC},
    {"no space while flushing", AtomicWriteStep::fsync, ENOSPC},
    {"read-only at the rename", AtomicWriteStep::rename, EROFS},
    {"I/O error while flushing", AtomicWriteStep::fsync, EIO},
};

struct Disarm {
    ~Disarm() { armAtomicWriteFault(AtomicWriteStep::none, 0); }
};

TEST(WriteFailures, EverySaverReportsAndLeavesEveryFileAsItWas) {
    for (const Saver& saver : kSavers) {
        for (const Step& step : kSteps) {
            for (int skip = 0; skip < saver.files; ++skip) {
                SCOPED_TRACE(std::string(saver.name) + ", " + step.name + ", after " + std::to_string(skip) +
                             " good writes");
                const test::UsedFolder f;
                const auto before = test::snapshot(f.dir.path());
                Outcome outcome;
                {
                    const Disarm disarm;
                    armAtomicWriteFault(step.step, step.error, skip);
                    outcome = saver.run(f.data, f.factory, f.dir.str() + "/");
                }
                EXPECT_FALSE(outcome.ok);
                EXPECT_NE(outcome.message.find(saver.message), std::string::npos) << outcome.message;
                // The reason reaches the text, as the system said it.
                EXPECT_NE(outcome.detail.find(std::strerror(step.error)), std::string::npos) << outcome.detail;
                EXPECT_EQ(test::changedFiles(before, test::snapshot(f.dir.path())), "");
            }
        }
    }
}

// Without a failure armed each saver does write: the table above would
// otherwise pass on savers that never reach the disk.
TEST(WriteFailures, EverySaverSucceedsWhenNothingFails) {
    for (const Saver& saver : kSavers) {
        SCOPED_TRACE(saver.name);
        const test::UsedFolder f;
        const auto before = test::snapshot(f.dir.path());
        EXPECT_TRUE(saver.run(f.data, f.factory, f.dir.str() + "/").ok);
        EXPECT_NE(test::changedFiles(before, test::snapshot(f.dir.path())), "");
    }
}

}  // namespace
}  // namespace talven
