// Saves into a full disk (a 64 KiB tmpfs, filled up) and into a read-only
// folder (a read-only bind mount), each in a private mount namespace made
// with unshare(1): the program's savers and talvenctl fail with their
// messages, and the files are exactly as before. Making the namespace needs
// root; elsewhere the tests are skipped with that reason (the write failures
// themselves are also covered, as any user, by the injected failures of
// write_failure_test).

#include "safety/safety_support.h"
#include "sim/simulator.h"

#include <cstdlib>
#include <sys/wait.h>

namespace talven {
namespace {

namespace fs = std::filesystem;

const fs::path kFactory = fs::path(TALVEN_TESTDATA_DIR) / ".." / ".." / "resources" / "DefaultData" / "keyboard.Json";

int shell(const std::string& script) {
    const int raw = std::system(("sh -c '" + script + "'").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (shell("unshare -m --propagation private true 2>/dev/null") != 0)
            GTEST_SKIP() << "no private mount namespace: unshare -m needs root";
        sim.addAllProducts();
        ASSERT_TRUE(sim.plugAll());
        ASSERT_TRUE(sim.startControl());
        fs::create_directories(src / "data");
        // A keyboard's data folder as the program leaves it: its list, a
        // complete profile and a macro.
        const std::string init = std::string(TALVEN_SAVE_DRIVER) + " " + (src / "data").string() + "/ " +
                                 kFactory.string() + " init";
        ASSERT_EQ(shell(init), 0);
        before = test::snapshot(src);
    }

    // Runs the driver's three saves and talvenctl's set-key against `data`
    // inside the namespace after `prepare`; the results land in `out`.
    void saveInside(const std::string& prepare, const fs::path& data) {
        const std::string o = out.str();
        const std::string script =
            "set -e; " + prepare + "; " + TALVEN_SAVE_DRIVER + " " + data.string() + "/ " + kFactory.string() +
            " try >" + o + "/driver.txt; TALVEN_SIM_DIR=" + simDir.str() + " " + TALVEN_BINARY_DIR +
            "/tools/talvenctl keyboard set-key A key:B --data-dir " + data.string() + "/ >" + o + "/ctl.out 2>" + o +
            "/ctl.err || echo $? >" + o + "/ctl.status; cp -r " + data.string() + " " + o + "/after";
        ASSERT_EQ(shell("unshare -m --propagation private sh -c \"" + script + "\""), 0);
    }

    // `reason`: the system's text for why nothing could be written.
    void expectRefusedAndUnchanged(const char* reason, const fs::path& afterRoot) {
        const std::map<std::string, std::string> after = test::snapshot(afterRoot);
        const std::string written = std::string("cannot be written (") + reason + ")";
        const std::string driver = test::readFile(out / "driver.txt");
        EXPECT_NE(driver.find("profile: The profile file"), std::string::npos) << driver;
        EXPECT_NE(driver.find(written + "; the previous settings remain"), std::string::npos) << driver;
        EXPECT_NE(driver.find("list: message_text_profile_file"), std::string::npos) << driver;
        EXPECT_NE(driver.find(".mac " + written), std::string::npos) << driver;
        EXPECT_EQ(driver.find(": ok"), std::string::npos) << driver;
        EXPECT_NE(test::readFile(out / "ctl.status"), "") << "talvenctl reported success";
        const std::string err = test::readFile(out / "ctl.err");
        EXPECT_NE(err.find(written), std::string::npos) << err;
        EXPECT_NE(err.find("the previous settings remain. Nothing was sent to the keyboard."), std::string::npos) << err;
        // Every file as before, none added.
        std::map<std::string, std::string> was;
        for (const auto& [name, bytes] : before)
            was[fs::relative(name, src / "data").string()] = bytes;
        std::map<std::string, std::string> now;
        for (const auto& [name, bytes] : after) now[fs::relative(name, afterRoot).string()] = bytes;
        EXPECT_EQ(test::changedFiles(was, now), "");
    }

    test::TempDir simDir, work;
    sim::Simulator sim{simDir.str()};
    fs::path src = work / "src";
    test::TempDir out;
    std::map<std::string, std::string> before;
};

TEST_F(FullDisk, SavesFailWithTheirMessagesAndLeaveEveryFile) {
    const fs::path mnt = work / "mnt";
    fs::create_directory(mnt);
    saveInside("mount -t tmpfs -o size=64k tmpfs " + mnt.string() + "; cp -r " + (src / "data").string() + " " +
                   mnt.string() + "/; dd if=/dev/zero of=" + mnt.string() + "/filler bs=1k 2>/dev/null || true",
               mnt / "data");
    expectRefusedAndUnchanged("No space left on device", out / "after");
}

TEST_F(FullDisk, SavesIntoAReadOnlyFolderFailTheSameWay) {
    const std::string s = src.string();
    saveInside("mount --bind " + s + " " + s + "; mount -o remount,bind,ro " + s, src / "data");
    expectRefusedAndUnchanged("Read-only file system", out / "after");
    EXPECT_EQ(test::changedFiles(before, test::snapshot(src)), "");
}

}  // namespace
}  // namespace talven
