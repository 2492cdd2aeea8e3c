#pragma once
// CMacroControlUI: the macro page of a keyboard or mouse. On the left the
// device's named macros ("macro_name_list": add, rename, delete, import,
// export); on the right the selected macro's steps ("macro_action_list"),
// one row per event: its action, its key or button, and its delay edit.
// Steps are recorded live from the input hook, inserted by hand, moved,
// deleted and re-timed; nothing reaches the macro file before a save (the
// save button, or the end of a recording). The macro store does every
// file write.
//
// The window installs the input hook for a capture this panel starts and
// hands it the hook's key and button records; the panel says when its
// capture is over.

#include "editors/device_hook.h"
#include "profile/macro_recorder.h"
#include "ui/layouts.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace talven {

namespace ui {
class CControlUI;
class CEditUI;
class CListUI;
class ControlRoutes;
}  // namespace ui

class CMacroControlUI;

// What the panel's routes need from the window that dispatches them.
struct MacroRouteHost {
    // Starts the hook in `mode` for `panel`; false when keys cannot be taken.
    std::function<bool(CMacroControlUI* panel, int mode)> installHook;
    std::function<void(CMacroControlUI* panel)> removeHook;
    // A macro file to import (save false) or the place to export to; empty
    // when the user cancelled.
    std::function<QString(CMacroControlUI* panel, bool save)> chooseFile;
    // The message window with the language text `key`; with `ask`, true
    // only when the user confirmed.
    std::function<bool(CMacroControlUI* panel, const QString& key, bool ask)> message;
    // The step menu (record before or after, replace, mouse actions) at the
    // cursor; its items come back through runMenuCommand.
    std::function<void(CMacroControlUI* panel)> openStepMenu;
};

class CMacroControlUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    static constexpr uint kScrollTimer = 4101;
    static constexpr uint kScrollDelayMs = 50;

    CMacroControlUI();
    ~CMacroControlUI() override;
    QString GetClass() const override { return QStringLiteral("MacroControl"); }
    void DoEvent(ui::TEventUI& event) override;

    static void AddRoutes(ui::ControlRoutes& routes, const MacroRouteHost& host);

    // ---- macro list --------------------------------------------------------
    // The device's data folder, ending in '/'; reads its macro list.
    void SetDataFolder(const std::string& folder);
    void LoadMacroList();
    // The row selected in "macro_name_list" (-1: none) is loaded.
    void SelectMacro();
    // Outcomes worth telling the user: the language key, or empty.
    QString AddMacro();
    QString RenameMacro();
    // Asks first, through `confirm`; empty when nothing needs telling.
    QString DeleteMacro(const std::function<bool()>& confirm);
    QString ImportMacro(const QString& path);
    QString ExportMacro(const QString& path);
    QString SaveMacro();
    std::vector<QString> macroNames() const;
    int selectedMacro() const;

    // ---- steps ---------------------------------------------------------------
    // A move of the selected step: -1 up, +1 down, or to the top / bottom.
    enum class StepMove { Up, Down, Top, Bottom };
    void moveStep(StepMove move);
    void deleteStep();
    void deleteAllSteps();
    // Mouse message 513 .. 524 (for 523/524: 0 forward, 1 back).
    void InsertMouseAction(uint32_t message, int xButton);
    // 0 left, 1 right, 2 up, 3 down, by the matching distance edit.
    void InsertMouseMove(int direction);
    const MacroStepList& steps();
    // The number the delay edit of `row` shows.
    uint16_t shownDelay(int row) const;

    // ---- recording -------------------------------------------------------------
    // Takes the constant delay from its box in constant mode and locks the
    // page; the window then installs the hook. False without a macro.
    bool StartRecording(MacroDelayMode mode, MacroInsertion where);
    // Unlocks the page and saves; the window removes the hook.
    void StopRecording();
    // The next key or button replaces the selected step's; false without one.
    bool StartReplacing();
    // The hook could not be installed: the page is as before the start.
    void CaptureFailed();
    // The capture ends from outside (its device went away): a recording is
    // kept and saved as Stop would, a replacement waiting for its key ends.
    void EndCapture();
    bool recording() const { return capture_ == Capture::Recording; }
    bool capturing() const { return capture_ != Capture::None; }
    bool IsConstantTimeChecked();
    // A hook record of the capture; false when the capture is over.
    bool hookKeyEvent(quintptr message, const KeyHookRecord& record);
    bool hookMouseEvent(quintptr message, const MouseHookRecord& record);
    // A step menu item: the hook mode it needs installed, else 0.
    int runMenuCommand(const QString& name);

signals:
    // The macro names changed (added, renamed, deleted, loaded).
    void macroNamesChanged();

private:
    enum class Capture { None, Recording, Replacing };

    ui::CControlUI* sub(const char* name);
    ui::CListUI* nameList();
    ui::CListUI* actionList();
    ui::CEditUI* editOf(const char* name);
    std::string selectedGuid();
    QString applyOutcome(const MacroResult& result);
    QString showNewMacro(const MacroResult& result);
    void appendNameRow(const MacroListEntry& entry);
    void setRecordingLook(bool on);
    void showStartButton();

    // Rows mirror list_; the delay edits are read back before any change.
    void loadSteps(const std::string& path);
    void rebuildRows();
    ui::CControlUI* makeRow(const MacroStep& step);
    void pullRows();
    void showSelection();
    void setRowDelay(size_t row, uint16_t delay);
    void applyChange(const MacroRecorder::Change& change);
    void insertStep(const MacroEvent& event, uint16_t delay);
    void refreshRow(size_t row);
    bool replaceWith(const std::optional<MacroEvent>& event);
    MacroRecorder::Area stopArea();

    std::unique_ptr<MacroStore> store_;
    MacroStepList list_;
    MacroRecorder recorder_;
    uint16_t constantDelay_ = kDefaultConstantDelay;
    Capture capture_ = Capture::None;
    bool replacedKeyDown_ = false;
};

}  // namespace talven
