#pragma once
// WindowImplBase: a frameless top-level window built from a skin file. A
// window class overrides GetSkinFile (and usually InitWindow, Notify or
// OnClick, HandleCustomMessage, CreateControl), then calls Create.
//
// Messages: HandleCustomMessage sees every message first (SendMessage,
// PostMessage, window timers as WM_TIMER, and the window events below);
// what it leaves unhandled gets the default: WM_SYSCOMMAND minimises,
// maximises, restores or closes; WM_CLOSE closes.
//   WM_ACTIVATE     wParam WA_ACTIVE / WA_INACTIVE
//   WM_MOUSEHOVER   the pointer entered the window; WM_MOUSELEAVE it left
//   WM_DISPLAYCHANGE a screen was added, removed or changed geometry
//                   (wParam colour depth, lParam width | height << 16)
//   WM_DPICHANGED   the window moved to a screen of another density; Qt
//                   already scales for the screen, so wParam carries the
//                   window's own dpi (low and high word) and lParam points to
//                   a QRect with the window's current frame geometry
//   WM_CLOSE        asked to close; handling it keeps the window open
//   WM_DESTROY      the window has closed
// After WM_DESTROY, OnFinalMessage runs from the event loop; a window that
// owns itself may delete itself there.

#include <QHash>
#include <QWidget>

#include "ui/messages.h"
#include "ui/notify_pump.h"
#include "ui/paint_manager.h"

class QEventLoop;
class QTimer;

namespace talven {
class Event;
}

namespace talven::ui {

class WindowImplBase : public QWidget,
                       public CNotifyPump,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
    Q_OBJECT

public:
    WindowImplBase();
    ~WindowImplBase() override;

    // Builds GetSkinFile() into the window, applies the <Window> settings
    // (the skin's size wins over cx/cy), runs InitWindow and queues the
    // "windowinit" notification. False when the skin could not be built.
    bool Create(QWidget* parent, const QString& title, quint32 style = UI_WNDSTYLE_FRAME,
                quint32 exStyle = 0, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);

    CPaintManagerUI& GetPaintManager() { return m_pm; }

    virtual QString GetWindowClassName() const { return QStringLiteral("WindowImplBase"); }
    virtual QString GetSkinFile() = 0;
    virtual void InitWindow() {}
    // Default: the message map, then OnClick for unmapped clicks.
    // Notifications meant for a registered virtual window are left to it.
    void Notify(TNotifyUI& msg) override;
    virtual void OnClick(TNotifyUI& msg) {}
    virtual qintptr HandleCustomMessage(uint msg, quintptr wParam, qintptr lParam, bool& handled);
    virtual qintptr OnSysCommand(uint msg, quintptr wParam, qintptr lParam, bool& handled);
    CControlUI* CreateControl(const QString& tag) override { return nullptr; }
    QString QueryControlText(const QString& id, const QString& type) override { return {}; }
    virtual void OnFinalMessage() {}

    // Runs the message on the UI thread and returns its result. From another
    // thread the caller blocks until the UI thread has run it.
    qintptr SendMessage(uint msg, quintptr wParam = 0, qintptr lParam = 0);
    // Queues the message; safe from any thread.
    void PostMessage(uint msg, quintptr wParam = 0, qintptr lParam = 0);
    // For worker threads: like SendMessage, but returns 0 as soon as `stop`
    // is set, even if the UI thread never gets to the message (it is then
    // dropped, so its wParam/lParam may die with the worker). A message whose
    // handler already runs is waited for.
    qintptr SendMessageFromWorker(uint msg, quintptr wParam, qintptr lParam, Event& stop);
    // The dispatcher: HandleCustomMessage, then the default handling.
    qintptr HandleMessage(uint msg, quintptr wParam, qintptr lParam);

    // Window timers arrive as HandleCustomMessage(WM_TIMER, id, 0).
    bool SetTimer(uint id, uint elapseMs);
    bool KillTimer(uint id);

    // Shows the window application-modal and runs a nested event loop until
    // the window closes; returns the result given to Close.
    int ShowModal();
    void Close(int result = 0);
    void CenterWindow();
    void ShowWindow(bool show = true, bool takeFocus = true);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

    CPaintManagerUI m_pm;

private:
    void DeliverWindowInit();
    void FinishClose();
    void ApplyWindowSizeLimits();
    void WatchScreens();
    void OnScreenChanged();
    void OnDisplayChanged();

    QHash<uint, QTimer*> timers_;
    QEventLoop* modalLoop_ = nullptr;
    int closeResult_ = 0;
    bool created_ = false;
    bool closeApproved_ = false;
    bool destroyed_ = false;
    bool windowInitSent_ = false;
    bool windowSizePosted_ = false;
    bool screensWatched_ = false;
    qreal lastDpr_ = 0;
};

}  // namespace talven::ui
