#pragma once
// CPaintManagerUI: one per window. It owns the window-wide state of the skin
// (root control, font slots, default attributes, option groups, dpi), finds
// controls by name, runs control timers and delivers notifications to the
// window and its virtual windows.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>

#include "ui/dpi.h"
#include "ui/notify.h"

class QTimer;

namespace talven::ui {

class CControlUI;

struct TFontInfo {
    QString sFontName;
    int iSize = 12;  // pixels at 96 dpi
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
};

class CPaintManagerUI : public QObject {
    Q_OBJECT

public:
    CPaintManagerUI();
    ~CPaintManagerUI() override;

    void Init(QWidget* paintWindow, const QString& name = {});
    QWidget* GetPaintWindow() const { return paintWindow_; }
    QString GetName() const { return name_; }

    // Makes `root` the window's content: parented to the paint window,
    // joined to this manager (DoInit runs) and laid out on the whole window.
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return root_; }
    bool InitControls(CControlUI* control);

    // --- finding controls (first match in document order) ---
    CControlUI* FindControl(const QString& name) const;
    CControlUI* FindSubControlByName(CControlUI* parent, const QString& name) const;
    CControlUI* FindSubControlByClass(CControlUI* parent, const QString& className, int index = 0) const;
    QList<CControlUI*> FindSubControlsByClass(CControlUI* parent, const QString& className) const;
    // The control that has keyboard focus in this window, if any.
    CControlUI* GetFocus() const;

    // --- notifications ---
    // Synchronous by default; `async` queues the delivery to the event loop
    // (dropped if the sender is destroyed before it runs).
    void SendNotify(CControlUI* control, const QString& type, quintptr wParam = 0,
                    qintptr lParam = 0, bool async = false);
    void SendNotify(TNotifyUI& msg, bool async = false);
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    // Notifications whose sVirtualWnd is `name` also go to `target` after
    // the window's notifiers.
    bool AddVirtualWnd(const QString& name, INotifyUI* target);
    bool RemoveVirtualWnd(const QString& name);
    INotifyUI* GetVirtualWnd(const QString& name) const;

    // --- control timers: UIEVENT_TIMER with wParam = id to control->DoEvent ---
    // Setting an id that runs already restarts it with the new period.
    bool SetTimer(CControlUI* control, uint id, uint elapseMs);
    bool KillTimer(CControlUI* control, uint id);
    bool HasTimer(CControlUI* control, uint id) const;
    void KillTimer(CControlUI* control);
    void RemoveAllTimers();

    // --- option groups (exclusive within this window) ---
    void AddOptionGroup(const QString& group, CControlUI* option);
    QList<CControlUI*> GetOptionGroup(const QString& group) const;
    void RemoveOptionGroup(const QString& group, CControlUI* option);
    void RemoveAllOptionGroups();

    // --- font slots; `shared` slots serve every window without its own ---
    void AddFont(int id, const QString& face, int size, bool bold, bool underline, bool italic,
                 bool shared = false);
    void RemoveAllFonts(bool shared = false);
    void SetDefaultFont(const QString& face, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    // Slot `id` at the current dpi; -1 or a missing slot gives the default font.
    QFont GetFont(int id) const;
    QFont GetDefaultFont() const { return GetFont(-1); }
    std::optional<TFontInfo> GetFontInfo(int id) const;
    // Takes over another window's font slots, default font and text colours
    // (popups of a window look like the window).
    void CopyStyleFrom(const CPaintManagerUI& other);

    // --- <Default> attribute lists by control class (tag) ---
    void AddDefaultAttributeList(const QString& controlClass, const QString& list, bool shared = false);
    QString GetDefaultAttributeList(const QString& controlClass) const;
    void RemoveAllDefaultAttributeList(bool shared = false);

    // --- window settings from <Window> (design units in, window pixels out) ---
    QSize GetInitSize() const;
    void SetInitSize(const QSize& size) { initSize_ = size; }
    // The drag strip in window coordinates for the window's current size.
    QRect GetCaptionRect() const;
    void SetCaptionRect(const QMargins& caption) { caption_ = caption; }
    QMargins GetSizeBox() const;
    void SetSizeBox(const QMargins& box) { sizeBox_ = box; }
    QSize GetRoundCorner() const;
    void SetRoundCorner(const QSize& radii) { roundCorner_ = radii; }
    QSize GetMinInfo() const;
    void SetMinInfo(const QSize& size) { minInfo_ = size; }
    QSize GetMaxInfo() const;
    void SetMaxInfo(const QSize& size) { maxInfo_ = size; }
    QColor GetWindowBkColor() const { return windowBkColor_; }
    void SetWindowBkColor(const QColor& color) { windowBkColor_ = color; }
    QColor GetDefaultFontColor() const { return defaultFontColor_; }
    void SetDefaultFontColor(const QColor& color);
    QColor GetDefaultDisabledColor() const { return defaultDisabledColor_; }
    void SetDefaultDisabledColor(const QColor& color);
    // For a press at `pt` (window coordinates): nothing, the caption
    // (empty edges) or the window edges of the size box.
    std::optional<Qt::Edges> HitTestFrame(const QPoint& pt) const;

    // --- dpi ---
    CDPI* GetDPIObj() { return &dpi_; }
    const CDPI* GetDPIObj() const { return &dpi_; }
    int GetDPI() const { return dpi_.GetDPI(); }
    // Rescales fonts, images and layout, and the window by new/old.
    void SetDPI(int dpi);
    static void SetAllDPI(int dpi);
    void ResetDPIAssets();

    // --- layout and painting ---
    void NeedUpdate();
    // Lays out now whatever waits for a layout (normally done from the loop).
    void UpdateLayout();
    void Invalidate();

    // --- process-wide ---
    // The skin folder, ending in '/'. Default: GetInstancePath() + "skin/".
    static void SetResourcePath(const QString& path);
    static QString GetResourcePath();
    // The resource root: the executable's folder when it holds skin/, else
    // ../share/talven-k88/ beside it.
    static QString GetInstancePath();
    static void SetInstancePath(const QString& path);
    // A path from a layout file: absolute as is, else below the skin folder.
    static QString ResolveResourceFile(const QString& path);
    static QList<CPaintManagerUI*> GetLiveManagers();
    static int MessageLoop();

signals:
    void dpiChanged(int oldDpi, int newDpi);

private:
    friend class CControlUI;

    void RegisterControl(CControlUI* control);
    void ReapObjects(CControlUI* control);
    void ScheduleLayout(CControlUI* control);
    void Dispatch(TNotifyUI msg);
    void ApplyStyleChange();
    static void ApplyStyleChangeEverywhere();

    QPointer<QWidget> paintWindow_;
    QString name_;
    CControlUI* root_ = nullptr;
    QSet<CControlUI*> controls_;
    QList<INotifyUI*> notifiers_;
    QHash<QString, INotifyUI*> virtualWnds_;
    QHash<CControlUI*, QHash<uint, QTimer*>> timers_;
    QHash<QString, QList<CControlUI*>> optionGroups_;
    QHash<int, TFontInfo> fonts_;
    std::optional<TFontInfo> defaultFont_;
    QHash<QString, QString> defaultAttributes_;  // keys lower-case
    QSet<CControlUI*> layoutPending_;
    bool layoutPosted_ = false;
    CDPI dpi_;
    QSize initSize_, minInfo_, maxInfo_, roundCorner_;
    QMargins caption_, sizeBox_;
    QColor windowBkColor_;
    QColor defaultFontColor_{0xE6, 0xE8, 0xEC};
    QColor defaultDisabledColor_{0x7A, 0x7F, 0x89};
};

}  // namespace talven::ui
