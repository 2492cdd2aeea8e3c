#pragma once
// CSelectPanelUI: rubber-band selection over a device picture. Dragging a
// rectangle marks exactly the key buttons it touches as selected and sends
// "click_select_end".

#include "ui/layouts.h"

#include <QPoint>

namespace talven {

class CSelectPanelUI : public ui::CVerticalLayoutUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("SelectPanel"); }
    void DoEvent(ui::TEventUI& event) override;
    bool IsMouseInteractive() const override { return true; }

    bool IsDragging() const { return dragging_; }
    // The band in window coordinates (empty when not dragging).
    QRect DragRect() const;

private:
    void FinishDrag();
    void ShowBand();

    QWidget* band_ = nullptr;  // drawn above the keys, transparent to the mouse
    QPoint start_;
    QPoint current_;
    bool pressed_ = false;
    bool dragging_ = false;
};

}  // namespace talven
