#pragma once
// The records that travel from controls to the code that owns a window:
// events (to a control's DoEvent) and notifications (to the window's Notify),
// plus the small interfaces the toolkit calls back through.

#include <QPoint>
#include <QString>
#include <QtGlobal>

namespace talven::ui {

class CControlUI;

// Event types a control receives in DoEvent. Mouse events carry the pointer
// position in the coordinates of the control's window (see CControlUI::GetPos).
enum UIEventType {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_RBUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_WINDOWSIZE,
    UIEVENT_TIMER,
    UIEVENT__LAST,
};

struct TEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    quint32 dwTimestamp = 0;
    QPoint ptMouse;
    quint16 chKey = 0;      // virtual key (messages.h) for key events
    quint16 wKeyState = 0;  // MK_* bits
    quintptr wParam = 0;    // timer id; Qt key code for key events; wheel: 1 = down, 0 = up
    qintptr lParam = 0;
};

struct TNotifyUI {
    QString sType;
    QString sVirtualWnd;
    CControlUI* pSender = nullptr;
    quint32 dwTimestamp = 0;
    QPoint ptMouse;
    quintptr wParam = 0;
    qintptr lParam = 0;
};

// Notification type names sent by the built-in controls.
inline constexpr char kNotifyWindowInit[] = "windowinit";
inline constexpr char kNotifyWindowSize[] = "windowsize";
inline constexpr char kNotifyClick[] = "click";
inline constexpr char kNotifySelectChanged[] = "selectchanged";
inline constexpr char kNotifyItemSelect[] = "itemselect";
inline constexpr char kNotifyItemClick[] = "itemclick";
inline constexpr char kNotifyItemActivate[] = "itemactivate";
inline constexpr char kNotifyValueChanged[] = "valuechanged";
inline constexpr char kNotifyMoveValueChanged[] = "movevaluechanged";
inline constexpr char kNotifyKillFocus[] = "killfocus";
inline constexpr char kNotifySetFocus[] = "setfocus";
inline constexpr char kNotifyTextChanged[] = "textchanged";
inline constexpr char kNotifyReturn[] = "return";
inline constexpr char kNotifyMenu[] = "menu";
inline constexpr char kNotifyTimer[] = "timer";
inline constexpr char kNotifyTabSelect[] = "tabselect";
inline constexpr char kNotifyDropDown[] = "dropdown";

class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;

protected:
    ~INotifyUI() = default;
};

// Called by the layout builder for every tag it does not know itself.
class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const QString& tag) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

// Asked for a resource text the language file does not have; an empty
// answer leaves the key itself as the text.
class IQueryControlText {
public:
    virtual QString QueryControlText(const QString& id, const QString& type) = 0;

protected:
    ~IQueryControlText() = default;
};

}  // namespace talven::ui
