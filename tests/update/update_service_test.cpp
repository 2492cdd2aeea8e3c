// The update check and the transfer program against the local HTTPS test
// server, as the settings window drives them.

#include "update/http_client.h"
#include "update/update_list.h"
#include "update/update_transfer.h"

#include "support/scoped_env.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <random>

namespace talven::update {
namespace {

// The keys the server knows the rows by, written out by hand.
constexpr const char* kKeyboardKey = "VELKO_1_K7340_TALVEN-K88_1";
constexpr const char* kProgramKey = "VELKO_0_ALL_TALVEN-K88-Software_0";

class UpdateServiceTest : public test::HttpsServerTest {
protected:
    void SetUp() override {
        HttpsServerTest::SetUp();
        if (IsSkipped()) return;
        service_ = {updateEndpoint(server_->url("good", "/api/")), server_->caFile()};
        prepareHttpClient(service_);
        std::filesystem::remove(server_->file("bodies.log"));
    }
    static void serve(const std::string& updatesJson) { test::writeFile(server_->file("updates.json"), updatesJson); }
    static std::vector<std::string> bodies() {
        std::vector<std::string> lines;
        std::ifstream in(server_->file("bodies.log"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Keyboard with firmware 0x0103 and the program at version 5.
    static std::vector<UpdateRecord> keyboardAndProgram() {
        const std::array<uint32_t, 5> devices{0, 0x0103, 0, 0, 0};
        return updateRecords(devices, 5);
    }

    UpdateService service_;
};

TEST_F(UpdateServiceTest, RowsAreAskedInTheirBaseAndShowTheAnswers) {
    serve(std::string(R"({")") + kKeyboardKey + R"(":{"version":"0104","version_name":"1.04","path":"p","name":"n",)" +
          R"("device_id":3},")" + kProgramKey + R"(":{"version":"5","version_name":"0.0.5"}})");
    const std::vector<UpdateRecord> records = keyboardAndProgram();
    UpdateList list(records);
    EXPECT_EQ(list.rows()[0].oldRev, "V0103");
    EXPECT_EQ(list.rows()[1].oldRev, "V05");

    const CheckOutcome outcome = list.applyCheck(checkRows(records, service_));
    EXPECT_EQ(bodies(), (std::vector<std::string>{std::string("app_key=") + kKeyboardKey + "&version=103",
                                                    std::string("app_key=") + kProgramKey + "&version=5"}));
    EXPECT_EQ(outcome.status, kStatusHaveUpdate);
    EXPECT_TRUE(outcome.anyReply);
    const UpdateListRow& keyboard = list.rows()[0];
    EXPECT_EQ(keyboard.state, kAvailable);
    EXPECT_EQ(keyboard.oldRev, "V0103");
    EXPECT_EQ(keyboard.updateRev, "V0104");
    EXPECT_EQ(keyboard.info.deviceId, 3);
    // The same version as installed: up to date.
    const UpdateListRow& program = list.rows()[1];
    EXPECT_EQ(program.state, kUpToDate);
    EXPECT_EQ(program.oldRev, "V5");
    EXPECT_EQ(program.updateRev, "0.0.5");
    EXPECT_FALSE(program.tickEnabled);
}

TEST_F(UpdateServiceTest, EveryRowUpToDateSaysSoWithTheDate) {
    serve(std::string(R"({")") + kKeyboardKey + R"(":{"version":"0103"},")" + kProgramKey + R"(":"<html>no</html>"})");
    const std::vector<UpdateRecord> records = keyboardAndProgram();
    UpdateList list(records);
    const CheckOutcome outcome = list.applyCheck(checkRows(records, service_));
    EXPECT_EQ(bodies().size(), 2u);
    EXPECT_TRUE(outcome.anyReply);
    EXPECT_EQ(outcome.status, kStatusLatest);
    EXPECT_EQ(list.rows()[0].updateRev, "V0103");
    EXPECT_EQ(statusLine(outcome.status)->textKey, "UpdateIsLastText");
    EXPECT_TRUE(statusLine(outcome.status)->appendLastCheck);
}

TEST_F(UpdateServiceTest, NoServerReachedSaysNoUpdateInformation) {
    test::ClosedPort closed;
    test::ScopedEnv noProxy("https_proxy", nullptr), all("all_proxy", nullptr), upper("HTTPS_PROXY", nullptr);
    struct Case {
        const char* what;
        UpdateService service;
    };
    const Case cases[] = {
        {"nothing listens", {"https://127.0.0.1:" + std::to_string(closed.port()) + "/api/updates", ""}},
        {"untrusted server", {server_->url("selfsigned", "/api/updates"), ""}},
        {"no server configured", {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<UpdateRecord> records = keyboardAndProgram();
        UpdateList list(records);
        const std::vector<CheckResult> results = checkRows(records, c.service);
        ASSERT_EQ(results.size(), 2u);
        EXPECT_FALSE(results[0].reachable || results[1].reachable);
        const CheckOutcome outcome = list.applyCheck(results);
        EXPECT_FALSE(outcome.anyReply);
        EXPECT_EQ(statusLine(outcome.status)->textKey, "NoUpdateInfoText");
        EXPECT_EQ(list.rows()[0].state, kUpToDate);
        EXPECT_EQ(list.rows()[1].oldRev, "V05");
    }
}

TEST_F(UpdateServiceTest, TheServiceAddressComesFromTheSettingsFile) {
    test::TempDir dir;
    SettingsStore store((dir / "settings.ini").string());
    EXPECT_EQ(loadUpdateService(store).endpoint, "");
    ASSERT_TRUE(store.set("UpdateServer", "https://updates.example/api/"));
    ASSERT_TRUE(store.set("UpdateCaFile", "/etc/ca.pem"));
    const UpdateService service = loadUpdateService(store);
    EXPECT_EQ(service.endpoint, "https://updates.example/api/updates");
    EXPECT_EQ(service.caFile, "/etc/ca.pem");
}

#ifdef TALVEN_UPDATE_DIR

// talven-update run for the list's keyboard row with its messages on a
// private bus, fed back into the list as the settings window does.
class TransferTest : public UpdateServiceTest {
protected:
    void SetUp() override {
        UpdateServiceTest::SetUp();
        if (IsSkipped()) return;
        if (bus().address().empty()) GTEST_SKIP() << "no dbus-daemon to run a private bus";
        std::mt19937 random(7);
        firmware_.resize(300 * 1024);
        for (char& c : firmware_) c = static_cast<char>(random());
        test::writeFile(server_->file("files/fw-0104.bin"), firmware_);
    }
    // Started on first use, ended with the test program.
    static test::TestBus& bus() {
        static test::TestBus instance;
        return instance;
    }
    static std::string sha256Of(const std::filesystem::path& file) {
        // Worked out by the system's tool, not by the code under test.
        std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(("sha256sum '" + file.string() + "'").c_str(), "r"),
                                                       pclose);
        char digest[65] = {};
        return pipe && std::fread(digest, 1, 64, pipe.get()) == 64 ? digest : "";
    }
    // Runs the transfer of the keyboard row; returns talven-update's exit status.
    int transfer(const std::string& path, const std::string& sha256) {
        serve(std::string(R"({")") + kKeyboardKey + R"(":{"version":"0104","path":")" + path + R"(","sha256":")" +
              sha256 + R"("}})");
        const std::vector<UpdateRecord> records = keyboardAndProgram();
        list_ = UpdateList({records[0]});
        list_.applyCheck(checkRows(std::span(records).first(1), service_));
        list_.confirm();
        const std::size_t row = list_.nextRequested().value();
        const TransferCommand command = transferCommand(list_.rows()[row], server_->caFile(), TALVEN_UPDATE_DIR);
        test::ScopedEnv cache("XDG_CACHE_HOME", cache_.str().c_str());
        list_.startTransfer(row, updateDownloadFolder() + downloadFileName(list_.rows()[row]));
        const int exitStatus = run(command);
        for (const auto& [code, value] : messages_) {
            if (code == kTransferProgress) progress_.push_back(value);
            if (auto result = list_.onStatusMessage(code, value)) status_ = *result;
        }
        return exitStatus;
    }
    // Runs talven-update until it ends and its last message came; returns
    // its exit status.
    int run(const TransferCommand& command) {
        test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", bus().address().c_str());
        test::ScopedEnv cache("XDG_CACHE_HOME", cache_.str().c_str());
        test::StatusListener listener(bus().address());
        EXPECT_TRUE(listener.connected());
        const pid_t pid = spawnTransfer(command);
        EXPECT_GT(pid, 0);
        int status = -1;
        ::waitpid(pid, &status, 0);
        const auto ended = [&] { return !listener.messages().empty() && listener.messages().back().first != 4; };
        EXPECT_TRUE(listener.waitUntil(ended));
        messages_ = listener.messages();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string fileUrl(const char* name) const { return server_->url("good", std::string("/files/") + name); }

    test::TempDir cache_;
    std::string firmware_;
    UpdateList list_;
    std::vector<test::StatusListener::Message> messages_;
    std::vector<int> progress_;
    std::optional<int> status_;
};

TEST_F(TransferTest, ADownloadShowsItsProgressAndEndsDone) {
    const std::string sha256 = sha256Of(server_->file("files/fw-0104.bin"));
    ASSERT_EQ(sha256.size(), 64u);
    EXPECT_EQ(transfer(fileUrl("fw-0104.bin"), sha256), 0);
    const UpdateListRow& row = list_.rows()[0];
    EXPECT_EQ(row.state, kDone);
    EXPECT_TRUE(rowLook(row.state).doneShown);
    EXPECT_EQ(progressText(row.progress), "100%");
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress_.begin(), progress_.end()));
    EXPECT_EQ(status_, kStatusLatest);
    EXPECT_EQ(row.localFile, (cache_ / "TALVEN  K88  Gaming Keyboard/UpdateData/fw-0104.bin").string());
    EXPECT_EQ(test::readFile(row.localFile), firmware_);
}

TEST_F(TransferTest, AFailedDownloadLeavesTheRowFailed) {
    EXPECT_EQ(transfer(fileUrl("missing.bin"), ""), 1);
    EXPECT_EQ(list_.rows()[0].state, kFailed);
    EXPECT_EQ(status_, kStatusHaveUpdate);
    EXPECT_FALSE(std::filesystem::exists(cache_ / "TALVEN  K88  Gaming Keyboard/UpdateData/missing.bin"));
}

TEST_F(TransferTest, AFileThatDoesNotMatchItsChecksumIsNotKept) {
    const std::string wrong(64, 'a');
    EXPECT_EQ(transfer(fileUrl("fw-0104.bin"), wrong), 2);
    EXPECT_EQ(list_.rows()[0].state, kFailed);
    const std::filesystem::path folder = cache_ / "TALVEN  K88  Gaming Keyboard/UpdateData";
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(TransferTest, BadRequestsAreRefusedBeforeAnyDownload) {
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int exitStatus;
        uint32_t code;
    };
    const std::string url = fileUrl("fw-0104.bin");
    const Case cases[] = {
        {"a name that leaves the folder", {"--url", url, "--file", "../fw.bin"}, 2, 3},
        {"a hidden name", {"--url", url, "--file", ".profile"}, 2, 3},
        {"a checksum that is not one", {"--url", url, "--file", "fw.bin", "--sha256", "1234"}, 2, 3},
        {"no address", {"--file", "fw.bin"}, 64, 2},
        {"an unknown option", {"--url", url, "--file", "fw.bin", "--install"}, 64, 2},
        {"another scheme", {"--url", "file:///etc/passwd", "--file", "passwd"}, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(run({std::string(TALVEN_UPDATE_DIR) + "talven-update", c.arguments}), c.exitStatus);
        EXPECT_EQ(messages_, (std::vector<test::StatusListener::Message>{{c.code, 0}}));
    }
    const std::filesystem::path folder = cache_ / "TALVEN  K88  Gaming Keyboard";
    EXPECT_FALSE(std::filesystem::exists(cache_ / "fw.bin"));
    EXPECT_TRUE(!std::filesystem::exists(folder / "UpdateData") || std::filesystem::is_empty(folder / "UpdateData"));
}

#endif

}  // namespace
}  // namespace talven::update
