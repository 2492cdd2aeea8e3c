// CSetWnd: the update area. The rows mirror update::UpdateList, which keeps
// the states; this file only shows them and starts what the user asks for.

#include "app/app_messages.h"
#include "app/set_wnd.h"
#include "platform/app_paths.h"
#include "platform/debug_output.h"
#include "platform/settings_store.h"
#include "ui/control.h"
#include "ui/dialog_builder.h"
#include "ui/layouts.h"
#include "ui/list.h"
#include "ui/option.h"
#include "ui/queued_call.h"
#include "ui/resource_manager.h"
#include "update/update_time.h"

#include <QPointer>
#include <QProcess>

namespace talven {

using namespace ui;

namespace {

const QString kUpdateList = QStringLiteral("device_update_list_info");
const QString kRowLayout = QStringLiteral("XML\\CustomControlXML\\device_Update_list_item.xml");

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

void CSetWnd::StartUpdateCheck(TNotifyUI&) {
    if (!service_) service_ = update::loadUpdateService(SettingsStore());
    lastCheck_ = update::readLastCheckDate(paths::dataFolder(), update::todayText());
    updates_ = update::UpdateList(records_);
    auto* list = qobject_cast<CListUI*>(m_pm.FindControl(kUpdateList));
    for (size_t i = 0; list && i < updates_.rows().size(); ++i) {
        CDialogBuilder builder;
        if (CControlUI* row = builder.Create(kRowLayout, {}, nullptr, &m_pm, nullptr)) list->Add(row);
    }
    ShowUpdateRows();
    SetUpdateStatus(update::kStatusChecking);
    update::prepareHttpClient(*service_);
    QPointer<CSetWnd> self(this);
    updateThread_.start([self, records = records_, service = *service_](Event& stop) {
        nameThisThread("update check");
        std::vector<update::CheckResult> results = update::checkRows(records, service, &stop);
        if (stop.isSet()) return;
        // Queued to the window: dropped if it is gone by then.
        ui::queueCall(self.data(), [self, results = std::move(results)] {
            if (self) self->OnCheckFinished(results);
        });
    });
}

void CSetWnd::StopWorkers() {
    const ThreadStop outcome = updateThread_.stop();
    if (outcome == ThreadStop::TimedOut) debugOutputf("update thread: %s", threadStopText(outcome));
}

void CSetWnd::OnCheckFinished(const std::vector<update::CheckResult>& results) {
    const update::CheckOutcome outcome = updates_.applyCheck(results);
    if (outcome.anyReply) {
        lastCheck_ = update::todayText();
        update::writeLastCheckDate(paths::dataFolder(), lastCheck_);
    }
    ShowUpdateRows();
    ShowDownloadButton(updates_.anyTicked());
    SetUpdateStatus(outcome.status);
}

void CSetWnd::SetUpdateStatus(int code) {
    const auto line = update::statusLine(code);
    if (!line) return;
    updateStatus_ = code;
    if (CControlUI* ring = m_pm.FindControl(QStringLiteral("update_status_ring"))) ring->SetVisible(line->ringShown);
    if (CControlUI* image = m_pm.FindControl(QStringLiteral("update_status_image")))
        image->SetVisible(!line->ringShown);
    if (CControlUI* status = m_pm.FindControl(QStringLiteral("Update_Status_text"))) {
        const QString key = text(std::string(line->textKey));
        status->SetResourceText(!line->appendLastCheck);
        status->SetText(line->appendLastCheck ? CResourceManager::GetInstance()->GetText(key) + text(lastCheck_)
                                              : key);
    }
    if (line->clearUpdateBadge && mainWnd_) mainWnd_->SendMessage(mainmsg::kClearUpdateBadge, 0, 0);
}

void CSetWnd::ShowUpdateRows() {
    for (int i = 0; i < static_cast<int>(updates_.rows().size()); ++i) ShowUpdateRow(i);
}

void CSetWnd::ShowUpdateRow(int index) {
    auto* list = qobject_cast<CListUI*>(m_pm.FindControl(kUpdateList));
    CControlUI* item = list ? list->GetItemAt(index) : nullptr;
    if (!item || index >= static_cast<int>(updates_.rows().size())) return;
    const update::UpdateListRow& row = updates_.rows()[static_cast<size_t>(index)];
    const update::RowLook look = update::rowLook(row.state);
    auto sub = [&](const char* name) { return m_pm.FindSubControlByName(item, QString::fromLatin1(name)); };
    if (auto* name = qobject_cast<COptionUI*>(sub("check_name_select"))) {
        name->SetText(text(row.name));
        name->SetToolTip(text(row.name));  // long product names are cut short in the row
        name->SetTextColor(QColor::fromRgba(look.nameColour));
        name->SetSelectedTextColor(QColor::fromRgba(look.selectedNameColour));
        name->Selected(row.ticked, false);
        name->SetEnabled(row.tickEnabled);
    }
    if (CControlUI* old = sub("OldRev")) old->SetText(text(row.oldRev));
    if (CControlUI* fresh = sub("updateRev")) fresh->SetText(text(row.updateRev));
    if (CControlUI* ring = sub("update_status_ing")) ring->SetVisible(look.progressShown);
    if (CControlUI* value = sub("update_progress_value")) {
        value->SetVisible(look.progressShown);
        value->SetText(text(update::progressText(row.progress)));
    }
    if (CControlUI* done = sub("update_status_ok")) done->SetVisible(look.doneShown);
}

void CSetWnd::ShowDownloadButton(bool shown) {
    if (CControlUI* button = m_pm.FindControl(QStringLiteral("update_fw_and_ap"))) {
        button->SetVisible(shown);
        button->SetEnabled(shown);
    }
}

void CSetWnd::OnRowTicked(CControlUI* option) {
    CControlUI* item = option;
    while (item && !qobject_cast<CListContainerElementUI*>(item)) item = item->GetParent();
    auto* row = qobject_cast<CListContainerElementUI*>(item);
    auto* tick = qobject_cast<COptionUI*>(option);
    if (!row || !tick || row->GetIndex() < 0 || row->GetIndex() >= static_cast<int>(updates_.rows().size())) return;
    ShowDownloadButton(updates_.setTicked(static_cast<size_t>(row->GetIndex()), tick->IsSelected()));
    ShowUpdateRow(row->GetIndex());  // a row that takes no tick shows it undone
}

void CSetWnd::SelectUpdatePage(int page) {
    if (auto* tab = qobject_cast<CTabLayoutUI*>(m_pm.FindControl(QStringLiteral("get_update_tab_layout"))))
        tab->SelectItem(page);
    // The question page has its own buttons.
    if (page == 1) {
        if (CControlUI* button = m_pm.FindControl(QStringLiteral("update_fw_and_ap"))) button->SetVisible(false);
    }
}

void CSetWnd::ConfirmUpdates() {
    updates_.confirm();
    if (CControlUI* button = m_pm.FindControl(QStringLiteral("update_fw_and_ap"))) button->SetEnabled(false);
    SelectUpdatePage(0);
    ShowUpdateRows();
    StartNextTransfer();
}

void CSetWnd::StartNextTransfer() {
    if (updates_.transferRow()) return;
    const auto next = updates_.nextRequested();
    if (!next) return;
    const update::UpdateListRow& row = updates_.rows()[*next];
    const update::TransferCommand command = update::transferCommand(row, service_ ? service_->caFile : std::string());
    updates_.startTransfer(*next, update::updateDownloadFolder() + update::downloadFileName(row));
    SetUpdateStatus(update::kStatusUpdating);
    ShowUpdateRow(static_cast<int>(*next));
    const bool started = startTransfer_ ? startTransfer_(command) : StartTransferProcess(command);
    if (!started) AfterTransferStep(updates_.onTransferExited());
}

// Each run has its number: the end of a run whose last message already
// came (and whose successor may be running) must not end the successor.
bool CSetWnd::StartTransferProcess(const update::TransferCommand& command) {
    auto* process = new QProcess(this);
    const int run = ++transferRun_;
    QStringList arguments;
    for (const std::string& argument : command.arguments) arguments << text(argument);
    connect(process, &QProcess::finished, this, [this, process, run](int exitCode, QProcess::ExitStatus how) {
        process->deleteLater();
        // The exit code tells how the run ended even when its last message
        // is still on its way over the bus.
        if (run == transferRun_) OnTransferExited(how == QProcess::NormalExit ? std::optional<int>(exitCode) : std::nullopt);
    });
    process->start(text(command.program), arguments);
    if (process->waitForStarted(5000)) return true;
    debugOutputf("cannot start %s: %s", command.program.c_str(), process->errorString().toUtf8().constData());
    process->deleteLater();
    return false;
}

void CSetWnd::OnTransferExited(std::optional<int> exitStatus) {
    if (updates_.transferRow()) AfterTransferStep(updates_.onTransferExited(exitStatus));
}

void CSetWnd::OnUpdateStatusMessage(quintptr code, qintptr value) {
    const auto row = updates_.transferRow();
    if (!row) return;
    const auto status = updates_.onStatusMessage(static_cast<uint32_t>(code), static_cast<int32_t>(value));
    ShowUpdateRow(static_cast<int>(*row));
    if (!updates_.transferRow()) {
        ++transferRun_;  // that run is over, whenever its program ends
        AfterTransferStep(status);
    }
}

// A row's run is over: the next ticked row starts, or the status line says
// how it all ended.
void CSetWnd::AfterTransferStep(std::optional<int> status) {
    ShowUpdateRows();
    if (status) {
        SetUpdateStatus(*status);
        ShowDownloadButton(updates_.anyTicked());
        return;
    }
    StartNextTransfer();
}

}  // namespace talven
