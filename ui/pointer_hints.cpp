#include "ui/pointer_hints.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace talven {

void applyPointerHints(const PointerValues& values) {
    QStyleHints* hints = QGuiApplication::styleHints();
    hints->setWheelScrollLines(values.pageScroll ? kPageScrollWheelLines : static_cast<int>(values.wheelLines));
    hints->setMouseDoubleClickInterval(static_cast<int>(values.doubleClickMs));
}

}  // namespace talven
