#pragma once
// CSetWnd: the modal settings window of the main window's "setbtn": the UI
// language (the list of Language.config; a choice goes to the main window
// as message 0xC11), starting with the desktop session (an XDG autostart
// entry that starts the program hidden in the tray) and the update check:
// one row per connected product and one for the program, checked on the
// update thread when the window opens; ticked rows are downloaded one after
// another by talven-update, whose UpdateStatus messages the main window
// passes on. While a download is running the window refuses to close.

#include "platform/worker_thread.h"
#include "profile/language_config.h"
#include "ui/window_impl_base.h"
#include "update/update_list.h"
#include "update/update_transfer.h"

#include <functional>
#include <optional>
#include <vector>


namespace talven {

class CSetWnd : public ui::WindowImplBase {
    Q_OBJECT
public:
    // `mainWnd` receives 0xC11; `languageIndex` is the language shown now.
    CSetWnd(ui::WindowImplBase* mainWnd, int languageIndex);

    QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
    QString GetSkinFile() override { return QStringLiteral("XML_SETWND"); }
    void InitWindow() override;
    void OnClick(ui::TNotifyUI& msg) override;
    qintptr OnSysCommand(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled) override;
    void OnFinalMessage() override { deleteLater(); }

    // The screen scale of the main window (48 .. 192 in steps of 24; anything
    // else is logged and taken as 96).
    void SetScreenScale(int scale);
    int currentLanguage() const { return currentLanguage_; }

    // Where the autostart entry is kept and which program it starts; the
    // user's autostart folder and this program unless a test says otherwise.
    // Set before Create, since InitWindow shows the entry's state.
    void setAutostart(std::string entryFile, std::string executable) {
        autostartEntry_ = std::move(entryFile);
        executable_ = std::move(executable);
    }
    // Tells the user about a problem; `key` is a language key. The message
    // box unless a test gives its own.
    void setTell(std::function<void(const QString& key)> tell) { tell_ = std::move(tell); }

    // The rows to check and the service to ask; set before Create. The
    // service defaults to the one of the settings file.
    void setUpdateRecords(std::vector<update::UpdateRecord> records) { records_ = std::move(records); }
    void setUpdateService(update::UpdateService service) { service_ = std::move(service); }
    // Starts a row's transfer program; true when it runs. By default a child
    // process whose end is reported to OnTransferExited.
    using TransferStarter = std::function<bool(const update::TransferCommand&)>;
    void setTransferStarter(TransferStarter starter) { startTransfer_ = std::move(starter); }

    // The check's results, one per row, on the UI thread (the update thread
    // hands them over here).
    void OnCheckFinished(const std::vector<update::CheckResult>& results);
    // The transfer program ended with that exit status (nothing: killed or
    // never started); a run without its final message ends as it says.
    void OnTransferExited(std::optional<int> exitStatus = std::nullopt);
    const update::UpdateList& updateList() const { return updates_; }
    int updateStatus() const { return updateStatus_; }

private:
    void OnSelectChanged(ui::TNotifyUI& msg);
    void OnItemSelect(ui::TNotifyUI& msg);
    void FillLanguageList();
    void ShowAutostartState();
    void SetAutostart(bool on);
    // The lighting network server, run by the main window: 0 stop, 1 start,
    // 2 only ask; whether it runs afterwards.
    bool askSdkServer(quintptr request);
    void ShowSdkServerState(bool running);
    void SetSdkServer(bool on);
    // The update area (set_wnd_updates.cpp).
    void StartUpdateCheck(ui::TNotifyUI& msg);
    void StopWorkers();
    void SetUpdateStatus(int code);
    void ShowUpdateRows();
    void ShowUpdateRow(int index);
    void ShowDownloadButton(bool shown);
    void OnRowTicked(ui::CControlUI* option);
    void ConfirmUpdates();
    void StartNextTransfer();
    bool StartTransferProcess(const update::TransferCommand& command);
    void OnUpdateStatusMessage(quintptr code, qintptr value);
    void AfterTransferStep(std::optional<int> status);
    void SelectUpdatePage(int page);

    ui::WindowImplBase* mainWnd_;
    int currentLanguage_;
    std::vector<LanguageEntry> languages_;
    std::string autostartEntry_;
    std::string executable_;
    std::function<void(const QString& key)> tell_;
    std::vector<update::UpdateRecord> records_;
    std::optional<update::UpdateService> service_;
    update::UpdateList updates_;
    int updateStatus_ = update::kStatusChecking;
    std::string lastCheck_;  // the date shown with "UpdateIsLastText"
    WorkerThread updateThread_;
    TransferStarter startTransfer_;
    int transferRun_ = 0;
};

}  // namespace talven
