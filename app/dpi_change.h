#pragma once
// WM_DPICHANGED for the program's windows: the paint manager takes the new
// dpi (low word of wParam) and drops the assets drawn for the old one, and
// the window moves to the suggested rectangle (lParam points to a QRect;
// 0 keeps the geometry).

#include "ui/messages.h"
#include "ui/paint_manager.h"

#include <QRect>
#include <QWidget>

namespace talven {

inline void applyDpiChange(ui::CPaintManagerUI& pm, QWidget& window, quintptr wParam, qintptr lParam) {
    pm.SetDPI(ui::LOWORD(wParam));
    pm.ResetDPIAssets();
    if (lParam != 0) window.setGeometry(*reinterpret_cast<const QRect*>(lParam));
}

}  // namespace talven
