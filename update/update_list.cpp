#include "update/update_list.h"

#include <algorithm>
#include <array>

namespace talven::update {

namespace {

constexpr uint32_t kGrey = 0xFF666666;
constexpr uint32_t kBlue = 0xFF0078C8;
constexpr uint32_t kSelectedBlue = 0xFF0099FF;

constexpr std::array<StatusLine, 5> kStatusLines = {{
    {"GetUpdateInfoText", true, false, false},
    {"HaveUpdateInfoText", false, false, false},
    {"NoUpdateInfoText", false, false, false},
    {"ISUpdateINGText", false, false, false},
    {"UpdateIsLastText", false, true, true},
}};

bool finished(int state) { return state == kUpToDate || state == kDone; }

bool hasUpdate(int state) { return state == kAvailable || state == kAvailableUnticked; }

// A failed transfer may be asked for again.
bool requestable(int state) { return hasUpdate(state) || state == kFailed; }

}  // namespace

std::optional<StatusLine> statusLine(int code) {
    if (code < 0 || code >= static_cast<int>(kStatusLines.size())) return std::nullopt;
    return kStatusLines[static_cast<std::size_t>(code)];
}

RowLook rowLook(int state) {
    switch (state) {
        case kNotChecked:
        case kUpToDate: return {false, false, kGrey, kGrey};
        case kRunning:
        case kRunningToo: return {true, false, kBlue, kSelectedBlue};
        case kDone: return {false, true, kBlue, kSelectedBlue};
        default: return {false, false, kBlue, kSelectedBlue};
    }
}

std::string progressText(int percent) { return std::to_string(percent) + "%"; }

UpdateList::UpdateList(std::vector<UpdateRecord> records) {
    for (UpdateRecord& record : records) {
        UpdateListRow row;
        row.name = listDisplayName(record);
        row.oldRev = initialVersionLabel(record);
        row.record = std::move(record);
        rows_.push_back(std::move(row));
    }
}

CheckOutcome UpdateList::applyCheck(const std::vector<CheckResult>& results) {
    CheckOutcome outcome;
    bool anyUpdate = false;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        UpdateListRow& row = rows_[i];
        if (i < results.size() && results[i].reachable) {
            outcome.anyReply = true;
            row.info = results[i].info;
            row.state = row.info.status;
            row.name = row.info.displayName;
            row.oldRev = row.info.currentLabel;
            row.updateRev = row.info.newLabel;
        }
        const bool open = row.state != kUpToDate && row.state != kNotChecked;
        row.tickEnabled = row.ticked = open;
        anyUpdate = anyUpdate || hasUpdate(row.state);
    }
    outcome.status = anyUpdate ? kStatusHaveUpdate : outcome.anyReply ? kStatusLatest : kStatusNoServer;
    return outcome;
}

bool UpdateList::setTicked(std::size_t row, bool ticked) {
    UpdateListRow& r = rows_.at(row);
    if (!r.tickEnabled) return anyTicked();
    r.ticked = ticked;
    if (hasUpdate(r.state)) r.state = ticked ? kAvailable : kAvailableUnticked;
    return anyTicked();
}

bool UpdateList::anyTicked() const {
    return std::any_of(rows_.begin(), rows_.end(), [](const UpdateListRow& r) { return r.ticked; });
}

void UpdateList::confirm() {
    for (UpdateListRow& row : rows_) {
        if (!requestable(row.state)) continue;
        if (row.ticked) row.state = kRequested;
        row.tickEnabled = !row.ticked;
    }
}

std::optional<std::size_t> UpdateList::nextRequested() const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].state == kRequested) return i;
    return std::nullopt;
}

void UpdateList::startTransfer(std::size_t row, std::string localFile) {
    UpdateListRow& r = rows_.at(row);
    r.state = kRunning;
    r.progress = 0;
    r.localFile = std::move(localFile);
    transferRow_ = row;
}

std::optional<int> UpdateList::onStatusMessage(uint32_t code, int32_t value) {
    if (staleMessages_) {
        if (code != kTransferProgress) staleMessages_ = false;
        return std::nullopt;
    }
    if (!transferRow_) return std::nullopt;
    switch (code) {
        case kTransferProgress: rows_[*transferRow_].progress = std::clamp(value, 0, 100); return std::nullopt;
        case kTransferFinished: return finishTransfer(kDone);
        case kTransferFailed:
        case kTransferFileRejected: return finishTransfer(kFailed);
        default: return std::nullopt;
    }
}

std::optional<int> UpdateList::onTransferExited(std::optional<int> exitStatus) {
    if (!transferRow_) return std::nullopt;
    const bool reported = exitStatus == kTransferExitDone || exitStatus == kTransferExitFailed ||
                          exitStatus == kTransferExitRejected || exitStatus == kTransferExitUsage;
    staleMessages_ = reported;
    return finishTransfer(exitStatus == kTransferExitDone ? kDone : kFailed);
}

// The downloaded file is kept for the user to install, so the row's own
// version stays as it is: the row shows the done mark instead of claiming
// the new version is in place.
std::optional<int> UpdateList::finishTransfer(int state) {
    UpdateListRow& row = rows_[*transferRow_];
    transferRow_.reset();
    row.state = state;
    row.ticked = false;
    row.tickEnabled = false;
    if (state == kDone) row.progress = 100;
    const bool pending = std::any_of(rows_.begin(), rows_.end(), [](const UpdateListRow& r) {
        return r.ticked && !finished(r.state);
    });
    if (pending) return std::nullopt;
    bool anyOpen = false;
    for (UpdateListRow& r : rows_) {
        if (finished(r.state)) continue;
        r.tickEnabled = true;
        anyOpen = true;
    }
    return anyOpen ? kStatusHaveUpdate : kStatusLatest;
}

bool UpdateList::canClose() const {
    return std::all_of(rows_.begin(), rows_.end(), [](const UpdateListRow& r) {
        return finished(r.state) || hasUpdate(r.state) || r.state == kFailed;
    });
}

}  // namespace talven::update
