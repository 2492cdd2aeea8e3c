#pragma once
// Shared pieces of the profile-data tests: JSON from text, and a folder with
// a small factory profile.

#include "profile/json_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <json/reader.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace talven::test {

inline Json::Value parseJson(const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << errors << text;
    return value;
}

inline size_t fileCount(const std::filesystem::path& folder) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Every file of a folder with its contents, to compare before and after.
inline std::map<std::string, std::string> folderContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& f : std::filesystem::directory_iterator(folder)) files[f.path().string()] = readFile(f.path());
    return files;
}

// Runs `body` as an unprivileged user when the tests run as root, since root
// writes into read-only folders. Returns the child's exit code, or nullopt
// when no unprivileged user can be had.
template <typename Body>
std::optional<int> runUnprivileged(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(77);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 77) return std::nullopt;
    return WEXITSTATUS(status);
}

// Runs `body` in a child process and returns its exit code, or nullopt when
// it has not ended within `seconds` (the child is then killed): a call that
// would block for ever fails the test instead of hanging it.
template <typename Body>
std::optional<int> exitCodeWithin(int seconds, Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    for (int waited = 0; waited < seconds * 100; ++waited) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            if (!WIFEXITED(status)) return std::nullopt;
            return WEXITSTATUS(status);
        }
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return std::nullopt;
}

// A temporary data folder with "default.Json" holding a factory entry that
// every kind's reads find something in.
class ProfileFolder : public ::testing::Test {
protected:
    static constexpr const char* kFactory = R"({"Device": [{
        "LightInfo": {"SelectItem": 2, "Light": 4, "Speed": 1, "MultiColor": 1,
                      "Red": 0, "Green": 0, "Blue": 255, "Fx": 0},
        "LightList": [{"LEDREGMode": 1, "LEDBrightness": 3, "LEDSpeed": 2, "LEDMultiColor": true,
                       "LEDDirection": false, "red": 9, "green": 8, "blue": 7}],
        "KeyList": [{"Assignment": 1048832, "DefaultAssignment": 1048832},
                    {"Assignment": 1049088, "DefaultAssignment": 1049088}],
        "SystemStages": {"Repeat": 31, "RepeatDelay": 1, "Key6Flag": 0, "PollingRate": 3,
                         "WFlag": 0, "WinFlag": 1}
    }]})";

    void SetUp() override {
        factory = parseJson(kFactory);
        ASSERT_EQ(wirtejsonFile(defaultPath(), factory), 0);
    }

    std::string defaultPath() const { return (dir / "default.Json").string(); }
    std::string profilePath() const { return (dir / "p.Json").string(); }
    const Json::Value& factoryEntry() const { return factory["Device"][0]; }

    // Points a profile-data object at this folder.
    template <typename Profile>
    void aim(Profile& profile) const {
        profile.SetDefaultPath(defaultPath());
        profile.SetProfilePath(profilePath());
    }

    TempDir dir;
    Json::Value factory;
};

}  // namespace talven::test
