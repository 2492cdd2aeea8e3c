#pragma once
// The update list of the settings window as a model without widgets: one row
// per checked product, its state, labels, tick and progress, and the status
// line. The window mirrors it into "device_Update_list_item.xml" rows.
//
// Flow (UI thread unless noted):
//   UpdateList list(updateRecords(...));   rows in state 7, initial labels;
//                                          status line statusLine(0)
//   checkRows(...)                          worker thread, blocking
//   list.applyCheck(results)                states, labels, ticks; returns the
//                                          status code and whether any reply
//                                          came (then writeLastCheckDate)
//   list.setTicked(row, on)                 "check_name_select" selectchanged;
//                                          true = show "update_fw_and_ap"
//   list.confirm()                          "update_OK_btn": ticked rows -> 3
//   list.nextRequested(), startTransfer(row, file)   then spawn talven-update
//   list.onStatusMessage(code, value)       the UpdateStatus bus message; a
//                                          status code when the run is over,
//                                          else start the next requested row
//   list.onTransferExited(exitStatus)       the program ended; a run without
//                                          its final message ends as its exit
//                                          status says (nullopt: not started
//                                          or killed = failed)
//   list.canClose()                         the window may close
//
// Rows look as rowLook(state) says; the progress text is progressText().

#include "update/update_check.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talven::update {

// Codes of the UpdateStatus message the transfer program sends.
inline constexpr uint32_t kTransferFinished = 1;
inline constexpr uint32_t kTransferFailed = 2;        // the download failed
inline constexpr uint32_t kTransferFileRejected = 3;  // the file failed its check or could not be kept
inline constexpr uint32_t kTransferProgress = 4;      // value = percent

// Exit statuses of the transfer program; each but a crash follows its last
// message, sent before it ends.
inline constexpr int kTransferExitDone = 0;
inline constexpr int kTransferExitFailed = 1;
inline constexpr int kTransferExitRejected = 2;
inline constexpr int kTransferExitUsage = 64;

// Status line codes.
inline constexpr int kStatusChecking = 0;
inline constexpr int kStatusHaveUpdate = 1;
inline constexpr int kStatusNoServer = 2;
inline constexpr int kStatusUpdating = 3;
inline constexpr int kStatusLatest = 4;

struct StatusLine {
    std::string_view textKey;  // language-file key for "Update_Status_text"
    bool ringShown;            // "update_status_ring"; "update_status_image" is the opposite
    bool appendLastCheck;      // the resolved text is followed by the last check's date
    bool clearUpdateBadge;     // send 0xC16 to the main window
};
std::optional<StatusLine> statusLine(int code);

struct RowLook {
    bool progressShown;  // "update_status_ing" and "update_progress_value"
    bool doneShown;      // "update_status_ok"
    uint32_t nameColour;
    uint32_t selectedNameColour;
};
RowLook rowLook(int state);
// "42%"
std::string progressText(int percent);

struct UpdateListRow {
    UpdateRecord record;
    UpdateInfo info;
    int state = kUpToDate;
    bool ticked = false;
    bool tickEnabled = false;
    std::string name;       // "check_name_select"
    std::string oldRev;     // "OldRev"
    std::string updateRev;  // "updateRev"
    int progress = 0;
    std::string localFile;  // where the transfer puts the download
};

struct CheckOutcome {
    int status = kStatusNoServer;
    bool anyReply = false;  // write today's date into updatetime.config
};

class UpdateList {
public:
    explicit UpdateList(std::vector<UpdateRecord> records = {});

    const std::vector<UpdateListRow>& rows() const { return rows_; }

    // One result per row, in order (from checkRows).
    CheckOutcome applyCheck(const std::vector<CheckResult>& results);

    // Returns whether "update_fw_and_ap" is shown and enabled (any row ticked).
    bool setTicked(std::size_t row, bool ticked);
    bool anyTicked() const;
    void confirm();

    std::optional<std::size_t> nextRequested() const;
    // The row's transfer is starting: state 4, progress 0.
    void startTransfer(std::size_t row, std::string localFile);
    std::optional<std::size_t> transferRow() const { return transferRow_; }
    std::optional<int> onStatusMessage(uint32_t code, int32_t value);
    std::optional<int> onTransferExited(std::optional<int> exitStatus = std::nullopt);

    bool canClose() const;

private:
    std::optional<int> finishTransfer(int state);

    std::vector<UpdateListRow> rows_;
    std::optional<std::size_t> transferRow_;
    // A run ended by its exit status before its messages came: they are
    // still on the way and belong to no row.
    bool staleMessages_ = false;
};

}  // namespace talven::update
