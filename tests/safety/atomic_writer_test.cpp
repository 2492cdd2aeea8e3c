// The one writer every saver goes through: what it leaves on success and on
// each kind of failure.

#include "platform/atomic_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace talven {
namespace {

namespace fs = std::filesystem;

size_t entries(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(AtomicWriter, ReplacesTheFileKeepingItsPermissionsAndLeavesNothingElse) {
    test::TempDir dir;
    const fs::path file = dir / "settings.json";
    test::writeFile(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    EXPECT_EQ(writeFileAtomically(file.string(), "new contents"), 0);
    EXPECT_EQ(test::readFile(file), "new contents");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(entries(dir.path()), 1u);
    // A new file is readable by others, as files the program makes are.
    EXPECT_EQ(writeFileAtomically((dir / "new.json").string(), "x"), 0);
    ASSERT_EQ(::stat((dir / "new.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

// A file name at the longest a name may be (255 bytes) is written like any
// other: its temporary must not need a longer name.
TEST(AtomicWriter, WritesAFileWhoseNameIsAsLongAsNamesGo) {
    test::TempDir dir;
    const fs::path file = dir / (std::string(250, 'n') + ".json");
    EXPECT_EQ(writeFileAtomically(file.string(), "{}"), 0);
    EXPECT_EQ(test::readFile(file), "{}");
    EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(AtomicWriter, AFailureAtAnyStepReturnsItsErrorAndLeavesTheOldFile) {
    const struct {
        AtomicWriteStep step;
        int error;
    } cases[] = {{AtomicWriteStep::write, ENOSPC}, {AtomicWriteStep::fsync, EIO}, {AtomicWriteStep::rename, EROFS}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        test::TempDir dir;
        const fs::path file = dir / "p.json";
        test::writeFile(file, "old");
        armAtomicWriteFault(c.step, c.error);
        const int result = writeFileAtomically(file.string(), "new");
        armAtomicWriteFault(AtomicWriteStep::none, 0);
        EXPECT_EQ(result, c.error);
        EXPECT_EQ(test::readFile(file), "old");
        EXPECT_EQ(entries(dir.path()), 1u);
    }
}

TEST(AtomicWriter, SkippedWritesPassAndTheNextOnesFail) {
    test::TempDir dir;
    armAtomicWriteFault(AtomicWriteStep::write, ENOSPC, 2);
    const int first = writeFileAtomically((dir / "a").string(), "a");
    const int second = writeFileAtomically((dir / "b").string(), "b");
    const int third = writeFileAtomically((dir / "c").string(), "c");
    const int fourth = writeFileAtomically((dir / "d").string(), "d");
    armAtomicWriteFault(AtomicWriteStep::none, 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(third, ENOSPC);
    EXPECT_EQ(fourth, ENOSPC);
    EXPECT_EQ(entries(dir.path()), 2u);
}

TEST(AtomicWriter, AMissingFolderIsAnError) {
    test::TempDir dir;
    EXPECT_EQ(writeFileAtomically((dir / "none" / "p.json").string(), "x"), ENOENT);
}

}  // namespace
}  // namespace talven
