#include "controls/select_panel.h"

#include "controls/key_button.h"

#include <QPainter>

namespace talven {

using namespace ui;

namespace {

class BandOverlay : public QWidget {
public:
    BandOverlay(CSelectPanelUI& panel) : QWidget(&panel), panel_(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const QRect band = panel_.DragRect().translated(-panel_.GetPos().topLeft());
        if (band.isEmpty()) return;
        QPainter painter(this);
        painter.setPen(QPen(QColor(0x4F, 0xC3, 0xF7), 1, Qt::DashLine));
        painter.setBrush(QColor(0x29, 0xB6, 0xF6, 48));
        painter.drawRect(band);
    }

private:
    CSelectPanelUI& panel_;
};

// A press becomes a drag once the pointer has moved this far; a plain click
// on a key stays a click and leaves the selection alone.
constexpr int kDragThreshold = 4;

}  // namespace

QRect CSelectPanelUI::DragRect() const {
    if (!dragging_) return {};
    return QRect(start_, current_).normalized();
}

void CSelectPanelUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            start_ = current_ = event.ptMouse;
            pressed_ = true;
            dragging_ = false;
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (!pressed_) break;
        current_ = event.ptMouse;
        if (!dragging_ && (current_ - start_).manhattanLength() >= ScaleValue(kDragThreshold)) dragging_ = true;
        if (dragging_) ShowBand();
        return;
    case UIEVENT_BUTTONUP:
        if (!pressed_) break;
        pressed_ = false;
        current_ = event.ptMouse;
        if (dragging_) FinishDrag();
        return;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CSelectPanelUI::FinishDrag() {
    const QRect band = QRect(start_, current_).normalized();
    dragging_ = false;
    for (int i = 0; i < GetCount(); ++i) {
        auto* key = qobject_cast<CDeviceKeyButtonUI*>(GetItemAt(i));
        if (key && key->GetClass() == QLatin1String("DeviceKeyButton")) {
            key->SetSelected(key->IsVisible() && key->GetPos().intersects(band));
        }
    }
    if (band_) band_->hide();
    Invalidate();
    SendNotify(QStringLiteral("click_select_end"));
}

void CSelectPanelUI::ShowBand() {
    if (!band_) band_ = new BandOverlay(*this);
    band_->setGeometry(rect());
    band_->raise();
    band_->show();
    band_->update();
}

}  // namespace talven
