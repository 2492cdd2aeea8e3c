#pragma once
// Window message numbers, system commands and window style bits. The program
// routes its traffic with the numbers its windows have always used, so they
// stay as named constants here; the toolkit maps Qt's events onto them.

#include <QtGlobal>

namespace talven::ui {

// Messages the window base delivers to HandleCustomMessage.
inline constexpr uint WM_DESTROY = 0x0002;
inline constexpr uint WM_ACTIVATE = 0x0006;
inline constexpr uint WM_CLOSE = 0x0010;
inline constexpr uint WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint WM_KEYDOWN = 0x0100;
inline constexpr uint WM_SYSKEYDOWN = 0x0104;
inline constexpr uint WM_SYSCOMMAND = 0x0112;
inline constexpr uint WM_TIMER = 0x0113;
inline constexpr uint WM_MOUSEMOVE = 0x0200;
inline constexpr uint WM_LBUTTONDOWN = 0x0201;
inline constexpr uint WM_LBUTTONUP = 0x0202;
inline constexpr uint WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint WM_RBUTTONDOWN = 0x0204;
inline constexpr uint WM_RBUTTONUP = 0x0205;
inline constexpr uint WM_POWERBROADCAST = 0x0218;
inline constexpr uint WM_MOUSEHOVER = 0x02A1;
inline constexpr uint WM_MOUSELEAVE = 0x02A3;
inline constexpr uint WM_DPICHANGED = 0x02E0;
inline constexpr uint WM_USER = 0x0400;
inline constexpr uint WM_APP = 0x8000;

// WM_ACTIVATE wParam.
inline constexpr quintptr WA_INACTIVE = 0;
inline constexpr quintptr WA_ACTIVE = 1;

// WM_SYSCOMMAND wParam; the window base handles these three and SC_CLOSE.
inline constexpr quintptr SC_MINIMIZE = 0xF020;
inline constexpr quintptr SC_MAXIMIZE = 0xF030;
inline constexpr quintptr SC_CLOSE = 0xF060;
inline constexpr quintptr SC_RESTORE = 0xF120;

// WM_POWERBROADCAST wParam (sent by whoever watches the session's power state).
inline constexpr quintptr PBT_APMSUSPEND = 0x0004;
inline constexpr quintptr PBT_APMRESUMEAUTOMATIC = 0x0012;

// Private messages of the toolkit: the tray icon's callback (default) and
// the popup menus' "item chosen" message (wParam: a MenuCmd, see menu_wnd.h).
inline constexpr uint UIMSG_TRAYICON = WM_USER + 1;    // 0x401
inline constexpr uint UIMSG_MENUCLICK = WM_USER + 121; // 0x479

// Window style bits accepted by WindowImplBase::Create. Only WS_VISIBLE
// (show after creation), WS_EX_TOOLWINDOW (no task-bar entry) and
// WS_EX_TOPMOST (stay on top) change anything; the others are accepted so
// callers can pass the styles they were written with.
inline constexpr quint32 WS_OVERLAPPED = 0x00000000;
inline constexpr quint32 WS_POPUP = 0x80000000;
inline constexpr quint32 WS_VISIBLE = 0x10000000;
inline constexpr quint32 WS_CLIPSIBLINGS = 0x04000000;
inline constexpr quint32 WS_CLIPCHILDREN = 0x02000000;
inline constexpr quint32 WS_CAPTION = 0x00C00000;
inline constexpr quint32 WS_SYSMENU = 0x00080000;
inline constexpr quint32 WS_THICKFRAME = 0x00040000;
inline constexpr quint32 WS_MINIMIZEBOX = 0x00020000;
inline constexpr quint32 WS_MAXIMIZEBOX = 0x00010000;
inline constexpr quint32 WS_EX_TOPMOST = 0x00000008;
inline constexpr quint32 WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr quint32 UI_WNDSTYLE_FRAME = WS_VISIBLE | WS_POPUP | WS_CAPTION | WS_SYSMENU |
                                             WS_MINIMIZEBOX | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
inline constexpr quint32 UI_WNDSTYLE_DIALOG = WS_POPUP | WS_CLIPCHILDREN;
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// Mouse key-state bits carried by TEventUI::wKeyState.
inline constexpr quint16 MK_LBUTTON = 0x0001;
inline constexpr quint16 MK_RBUTTON = 0x0002;
inline constexpr quint16 MK_SHIFT = 0x0004;
inline constexpr quint16 MK_CONTROL = 0x0008;
inline constexpr quint16 MK_MBUTTON = 0x0010;
inline constexpr quint16 MK_ALT = 0x0020;

// Virtual keys carried by TEventUI::chKey for UIEVENT_KEYDOWN (letters and
// digits are their upper-case ASCII codes).
inline constexpr quint16 VK_BACK = 0x08;
inline constexpr quint16 VK_TAB = 0x09;
inline constexpr quint16 VK_RETURN = 0x0D;
inline constexpr quint16 VK_ESCAPE = 0x1B;
inline constexpr quint16 VK_SPACE = 0x20;
inline constexpr quint16 VK_PRIOR = 0x21;
inline constexpr quint16 VK_NEXT = 0x22;
inline constexpr quint16 VK_END = 0x23;
inline constexpr quint16 VK_HOME = 0x24;
inline constexpr quint16 VK_LEFT = 0x25;
inline constexpr quint16 VK_UP = 0x26;
inline constexpr quint16 VK_RIGHT = 0x27;
inline constexpr quint16 VK_DOWN = 0x28;
inline constexpr quint16 VK_DELETE = 0x2E;

constexpr quint16 LOWORD(quintptr v) { return static_cast<quint16>(v & 0xFFFF); }
constexpr quint16 HIWORD(quintptr v) { return static_cast<quint16>((v >> 16) & 0xFFFF); }
constexpr quint32 MAKELONG(quint16 low, quint16 high) {
    return static_cast<quint32>(low) | (static_cast<quint32>(high) << 16);
}

}  // namespace talven::ui
