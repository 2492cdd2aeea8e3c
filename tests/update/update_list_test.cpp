#include "update/update_list.h"

#include <gtest/gtest.h>

namespace talven::update {
namespace {

TEST(UpdateStatusLine, EachCodeHasItsTextAndIndicator) {
    struct Case {
        int code;
        const char* key;
        bool ring;
        bool date;
    };
    for (const Case& c : {Case{0, "GetUpdateInfoText", true, false}, Case{1, "HaveUpdateInfoText", false, false},
                          Case{2, "NoUpdateInfoText", false, false}, Case{3, "ISUpdateINGText", false, false},
                          Case{4, "UpdateIsLastText", false, true}}) {
        SCOPED_TRACE(c.key);
        const std::optional<StatusLine> line = statusLine(c.code);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->textKey, c.key);
        EXPECT_EQ(line->ringShown, c.ring);
        EXPECT_EQ(line->appendLastCheck, c.date);
        EXPECT_EQ(line->clearUpdateBadge, c.code == 4);
    }
    EXPECT_FALSE(statusLine(-1));
    EXPECT_FALSE(statusLine(5));
}

TEST(UpdateRowLook, MarksAndColoursFollowTheState) {
    struct Case {
        int state;
        bool progress;
        bool done;
        uint32_t name;
        uint32_t selected;
    };
    const Case cases[] = {
        {0, false, false, 0xFF666666, 0xFF666666}, {1, false, false, 0xFF0078C8, 0xFF0099FF},
        {2, false, false, 0xFF0078C8, 0xFF0099FF}, {3, false, false, 0xFF0078C8, 0xFF0099FF},
        {4, true, false, 0xFF0078C8, 0xFF0099FF},  {5, false, true, 0xFF0078C8, 0xFF0099FF},
        {6, true, false, 0xFF0078C8, 0xFF0099FF},  {7, false, false, 0xFF666666, 0xFF666666},
        {8, false, false, 0xFF0078C8, 0xFF0099FF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const RowLook look = rowLook(c.state);
        EXPECT_EQ(look.progressShown, c.progress);
        EXPECT_EQ(look.doneShown, c.done);
        EXPECT_EQ(look.nameColour, c.name);
        EXPECT_EQ(look.selectedNameColour, c.selected);
    }
    EXPECT_EQ(progressText(42), "42%");
}

// Keyboard (hexadecimal), mouse pad (hexadecimal) and the program (decimal).
class UpdateListTest : public ::testing::Test {
protected:
    UpdateListTest()
        : list_({makeUpdateRecord(1, 0x0103), makeUpdateRecord(2, 0x0200), makeUpdateRecord(5, 5)}) {}

    static CheckResult reply(int state, const char* newLabel) {
        CheckResult r{true, {}};
        r.info.status = state;
        r.info.newLabel = newLabel;
        r.info.displayName = "shown name";
        r.info.currentLabel = "Vnow";
        return r;
    }
    // Keyboard and program have updates, the pad is up to date.
    void twoUpdates() {
        ASSERT_EQ(list_.applyCheck({reply(kAvailable, "V0104"), reply(kUpToDate, "V0200"), reply(kAvailable, "6")})
                      .status,
                  kStatusHaveUpdate);
    }
    const UpdateListRow& row(std::size_t i) const { return list_.rows()[i]; }

    UpdateList list_;
};

TEST_F(UpdateListTest, RowsStartUpToDateWithTheirFirstLabels) {
    ASSERT_EQ(list_.rows().size(), 3u);
    EXPECT_EQ(row(0).oldRev, "V0103");
    EXPECT_EQ(row(0).name, "TALVEN-K88 :");
    EXPECT_EQ(row(2).oldRev, "V05");
    EXPECT_EQ(row(2).name, "TALVEN  K88  Gaming Keyboard :");
    for (const UpdateListRow& r : list_.rows()) {
        EXPECT_EQ(r.state, kUpToDate);
        EXPECT_EQ(r.updateRev, "");
        EXPECT_FALSE(r.ticked);
    }
    EXPECT_TRUE(list_.canClose());
}

TEST_F(UpdateListTest, TheOverallStatusComesFromTheReplies) {
    struct Case {
        const char* what;
        std::vector<CheckResult> results;
        int status;
        bool anyReply;
    };
    const Case cases[] = {
        {"one update", {reply(kUpToDate, ""), reply(kAvailable, "V0201"), {}}, kStatusHaveUpdate, true},
        {"all up to date", {reply(kUpToDate, ""), {}, reply(kUpToDate, "")}, kStatusLatest, true},
        {"nobody answered", {{}, {}, {}}, kStatusNoServer, false},
        {"stopped before the end", {}, kStatusNoServer, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UpdateList list({makeUpdateRecord(1, 0x0103), makeUpdateRecord(2, 0x0200), makeUpdateRecord(5, 5)});
        const CheckOutcome outcome = list.applyCheck(c.results);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.anyReply, c.anyReply);
    }
}

TEST_F(UpdateListTest, RowsWithAnUpdateAreTickedAndTheOthersLocked) {
    UpdateList list({makeUpdateRecord(1, 0x0103), makeUpdateRecord(2, 0x0200), makeUpdateRecord(5, 5)});
    list.applyCheck({reply(kAvailable, "V0104"), reply(kUpToDate, "V0200"), {}});
    const UpdateListRow& updated = list.rows()[0];
    EXPECT_EQ(updated.state, kAvailable);
    EXPECT_TRUE(updated.ticked && updated.tickEnabled);
    EXPECT_EQ(updated.oldRev, "Vnow");
    EXPECT_EQ(updated.updateRev, "V0104");
    EXPECT_EQ(updated.name, "shown name");
    EXPECT_FALSE(list.rows()[1].tickEnabled || list.rows()[1].ticked);
    // Not reached: keeps its first look.
    EXPECT_EQ(list.rows()[2].state, kUpToDate);
    EXPECT_EQ(list.rows()[2].oldRev, "V05");
    EXPECT_FALSE(list.rows()[2].tickEnabled);
}

TEST_F(UpdateListTest, TickingDecidesTheUpdateButtonAndConfirmRequestsTickedRows) {
    twoUpdates();
    EXPECT_TRUE(list_.setTicked(0, false));
    EXPECT_EQ(row(0).state, kAvailableUnticked);
    EXPECT_FALSE(list_.setTicked(2, false));
    EXPECT_TRUE(list_.setTicked(2, true));
    // A locked row cannot be ticked.
    EXPECT_TRUE(list_.setTicked(1, true));
    EXPECT_FALSE(row(1).ticked);

    list_.confirm();
    EXPECT_EQ(row(0).state, kAvailableUnticked);
    EXPECT_TRUE(row(0).tickEnabled);
    EXPECT_EQ(row(2).state, kRequested);
    EXPECT_EQ(list_.nextRequested(), 2u);
    EXPECT_FALSE(list_.canClose());
}

TEST_F(UpdateListTest, TransfersRunOneAfterAnotherUntilTheStatusIsKnown) {
    twoUpdates();
    list_.confirm();
    ASSERT_EQ(list_.nextRequested(), 0u);
    list_.startTransfer(0, "/cache/fw.bin");
    EXPECT_EQ(row(0).state, kRunning);
    EXPECT_EQ(list_.onStatusMessage(kTransferProgress, 42), std::nullopt);
    EXPECT_EQ(progressText(row(0).progress), "42%");
    EXPECT_TRUE(rowLook(row(0).state).progressShown);
    EXPECT_FALSE(list_.canClose());

    // The program's row is still waiting: no status yet.
    EXPECT_EQ(list_.onStatusMessage(kTransferFinished, 0), std::nullopt);
    EXPECT_EQ(row(0).state, kDone);
    EXPECT_FALSE(row(0).ticked);
    EXPECT_EQ(row(0).oldRev, "Vnow");
    EXPECT_EQ(row(0).localFile, "/cache/fw.bin");

    ASSERT_EQ(list_.nextRequested(), 2u);
    list_.startTransfer(2, "/cache/app.deb");
    EXPECT_EQ(list_.onStatusMessage(kTransferFinished, 0), kStatusLatest);
    EXPECT_EQ(row(2).state, kDone);
    EXPECT_TRUE(list_.canClose());
    EXPECT_EQ(list_.onStatusMessage(kTransferFinished, 0), std::nullopt);
}

TEST_F(UpdateListTest, AFailedTransferLeavesTheRowFailedAndOpenForAnotherTry) {
    for (uint32_t code : {kTransferFailed, kTransferFileRejected}) {
        SCOPED_TRACE(code);
        UpdateList list({makeUpdateRecord(1, 0x0103)});
        list.applyCheck({reply(kAvailable, "V0104")});
        list.confirm();
        list.startTransfer(0, "/cache/fw.bin");
        EXPECT_EQ(list.onStatusMessage(code, 0), kStatusHaveUpdate);
        EXPECT_EQ(list.rows()[0].state, kFailed);
        EXPECT_TRUE(list.rows()[0].tickEnabled);
        EXPECT_TRUE(list.canClose());
        list.setTicked(0, true);
        list.confirm();
        EXPECT_EQ(list.rows()[0].state, kRequested);
    }
}

TEST_F(UpdateListTest, ARunThatEndsBeforeItsLastMessageEndsAsItsExitStatusSays) {
    struct Case {
        std::optional<int> exitStatus;  // nullopt: not started or killed
        int state;
    };
    for (const Case& c : {Case{std::nullopt, kFailed}, Case{0, kDone}, Case{1, kFailed}, Case{2, kFailed},
                          Case{64, kFailed}, Case{139, kFailed}}) {
        SCOPED_TRACE(c.exitStatus.value_or(-1));
        UpdateList list({makeUpdateRecord(1, 0x0103)});
        list.applyCheck({reply(kAvailable, "V0104")});
        list.confirm();
        list.startTransfer(0, "/cache/fw.bin");
        EXPECT_EQ(list.onTransferExited(c.exitStatus), c.state == kDone ? kStatusLatest : kStatusHaveUpdate);
        EXPECT_EQ(list.rows()[0].state, c.state);
        EXPECT_EQ(list.onTransferExited(c.exitStatus), std::nullopt);
    }
}

TEST_F(UpdateListTest, LateMessagesOfAnEndedRunDoNotReachTheNextRow) {
    twoUpdates();
    list_.confirm();
    list_.startTransfer(0, "/cache/fw.bin");
    EXPECT_EQ(list_.onTransferExited(0), std::nullopt);
    EXPECT_EQ(row(0).state, kDone);
    list_.startTransfer(2, "/cache/app.deb");
    // The first run's last progress and its end arrive now.
    EXPECT_EQ(list_.onStatusMessage(kTransferProgress, 100), std::nullopt);
    EXPECT_EQ(list_.onStatusMessage(kTransferFinished, 0), std::nullopt);
    EXPECT_EQ(row(2).state, kRunning);
    EXPECT_EQ(row(2).progress, 0);
    EXPECT_EQ(list_.onStatusMessage(kTransferProgress, 30), std::nullopt);
    EXPECT_EQ(row(2).progress, 30);
    EXPECT_EQ(list_.onStatusMessage(kTransferFailed, 0), kStatusHaveUpdate);
    EXPECT_EQ(row(2).state, kFailed);
}

TEST_F(UpdateListTest, MessagesWithNoTransferRunningChangeNothing) {
    twoUpdates();
    EXPECT_EQ(list_.onStatusMessage(kTransferProgress, 50), std::nullopt);
    EXPECT_EQ(list_.onStatusMessage(kTransferFinished, 0), std::nullopt);
    EXPECT_EQ(row(0).progress, 0);
    EXPECT_EQ(row(0).state, kAvailable);
}

TEST_F(UpdateListTest, ProgressIsKeptWithinAHundred) {
    twoUpdates();
    list_.confirm();
    list_.startTransfer(0, "f");
    list_.onStatusMessage(kTransferProgress, 250);
    EXPECT_EQ(row(0).progress, 100);
    list_.onStatusMessage(kTransferProgress, -3);
    EXPECT_EQ(row(0).progress, 0);
    list_.onStatusMessage(5, 77);
    EXPECT_EQ(row(0).state, kRunning);
}

}  // namespace
}  // namespace talven::update
