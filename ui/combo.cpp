#include "ui/combo.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

#include "ui/attribute_parse.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace talven::ui {

// The drop list. The combo's items move into it while it is open (their
// logical parent stays the combo, which keeps the selection) and go back
// when it closes.
class ComboDropWindow : public QWidget {
public:
    explicit ComboDropWindow(CComboUI* combo)
        : QWidget(combo, Qt::Popup | Qt::FramelessWindowHint), combo_(combo), body_(new QWidget(this)) {
        setAttribute(Qt::WA_NoMouseReplay);  // a click on the combo only closes the list
        bar_ = new QScrollBar(Qt::Vertical, this);
        bar_->setStyleSheet(QStringLiteral(
            "QScrollBar { background: transparent; border: none; width: %1px; }"
            "QScrollBar::handle { background: #FF5A5F69; border-radius: %2px; min-height: 20px; }"
            "QScrollBar::add-line, QScrollBar::sub-line { height: 0; border: none; background: none; }"
            "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
                                .arg(Scale(6))
                                .arg(Scale(3)));
        connect(bar_, &QScrollBar::valueChanged, this, [this](int v) {
            scroll_ = v;
            LayoutRows();
        });
    }

    ~ComboDropWindow() override { ReturnItems(); }

    void Open() {
        for (int i = 0; i < combo_->GetCount(); ++i) {
            CControlUI* item = combo_->GetItemAt(i);
            if (!item->IsVisible()) continue;
            rows_.append(item);
            item->setParent(body_);
        }
        const QSize box = combo_->GetDropBoxSize();
        const int border = 1;
        const int w = box.width() > 0 ? box.width() : combo_->width();
        content_ = 0;
        int firstTen = 0;
        for (int i = 0; i < rows_.size(); ++i) {
            const int h = rows_[i]->EstimateSize(QSize(w, 0)).height();
            content_ += h;
            if (i < 10) firstTen += h;
        }
        const int maxH = box.height() > 0 ? box.height() : firstTen;
        const int h = qMin(content_, maxH) + 2 * border;
        QPoint at = combo_->mapToGlobal(QPoint(0, combo_->height()));
        if (QScreen* screen = combo_->screen()) {
            const QRect avail = screen->availableGeometry();
            if (at.y() + h > avail.bottom() && combo_->mapToGlobal(QPoint()).y() - h >= avail.top()) {
                at.setY(combo_->mapToGlobal(QPoint()).y() - h);
            }
            at.setX(qBound(avail.left(), at.x(), qMax(avail.left(), avail.right() - w)));
        }
        setGeometry(QRect(at, QSize(w, h)));
        body_->setGeometry(border, border, w - 2 * border, h - 2 * border);
        const bool scroll = content_ > body_->height();
        bar_->setVisible(scroll);
        if (scroll) {
            bar_->setGeometry(width() - border - Scale(6), border, Scale(6), body_->height());
            bar_->setRange(0, content_ - body_->height());
            bar_->setPageStep(body_->height());
            bar_->raise();
        }
        show();
        LayoutRows();
        if (CControlUI* current = combo_->GetItemAt(combo_->GetCurSel())) EnsureVisible(current);
    }

    void ScrollBy(int dy) {
        if (bar_->isVisible()) bar_->setValue(bar_->value() + dy);
    }

    void EnsureVisible(CControlUI* row) {
        const QRect r = row->geometry();
        if (r.top() < 0) ScrollBy(r.top());
        else if (r.bottom() >= body_->height()) ScrollBy(r.bottom() + 1 - body_->height());
    }

    void ReturnItems() {
        for (const QPointer<CControlUI>& row : std::as_const(rows_)) {
            if (!row) continue;
            row->hide();
            row->setParent(combo_);
        }
        rows_.clear();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), combo_->GetDropBoxBkColor());
        p.setPen(combo_->GetDropBoxBorderColor());
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    void wheelEvent(QWheelEvent* event) override {
        ScrollBy(-event->angleDelta().y() * Scale(48) / 120);
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override {
        TEventUI e;
        e.Type = UIEVENT_KEYDOWN;
        e.pSender = combo_;
        switch (event->key()) {
        case Qt::Key_Up: e.chKey = VK_UP; break;
        case Qt::Key_Down: e.chKey = VK_DOWN; break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: close(); return;
        default: QWidget::keyPressEvent(event); return;
        }
        combo_->DoEvent(e);
        if (CControlUI* current = combo_->GetItemAt(combo_->GetCurSel())) EnsureVisible(current);
    }

    void hideEvent(QHideEvent*) override {
        ReturnItems();
        combo_->Invalidate();
        deleteLater();
    }

private:
    int Scale(int v) const {
        return combo_->GetManager() ? combo_->GetManager()->GetDPIObj()->Scale(v) : v;
    }

    void LayoutRows() {
        const QWidget* paintWindow = combo_->GetManager() ? combo_->GetManager()->GetPaintWindow() : nullptr;
        const QPoint origin = OriginInWindow(body_, paintWindow);
        const int w = body_->width() - (bar_->isVisible() ? Scale(6) : 0);
        int y = -scroll_;
        for (const QPointer<CControlUI>& row : std::as_const(rows_)) {
            if (!row) continue;
            const int h = row->EstimateSize(QSize(w, 0)).height();
            row->SetPos(QRect(origin + QPoint(0, y), QSize(w, h)));
            row->show();
            y += h;
        }
    }

    CComboUI* combo_;
    QWidget* body_;
    QScrollBar* bar_ = nullptr;
    QList<QPointer<CControlUI>> rows_;
    int scroll_ = 0;
    int content_ = 0;
};

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() { delete drop_.data(); }

QString CComboUI::GetClass() const { return QStringLiteral("Combo"); }

QString CComboUI::GetText() const { return current_ ? current_->GetText() : QString(); }

int CComboUI::GetCurSel() const { return current_ ? GetItemIndex(current_) : -1; }

bool CComboUI::SelectItem(int index, bool sendNotify) {
    if (index == -1) {
        if (auto* r = dynamic_cast<IListItemUI*>(current_.data())) r->SetSelectedState(false);
        current_ = nullptr;
        Invalidate();
        return true;
    }
    CControlUI* item = GetItemAt(index);
    auto* row = dynamic_cast<IListItemUI*>(item);
    if (!row || !item->IsEnabled()) return false;
    const int old = GetCurSel();
    if (index == old) return true;
    if (auto* r = dynamic_cast<IListItemUI*>(current_.data())) r->SetSelectedState(false);
    current_ = item;
    row->SetSelectedState(true);
    Invalidate();
    if (sendNotify) SendNotify(QString::fromLatin1(kNotifyItemSelect), static_cast<quintptr>(index), old);
    return true;
}

bool CComboUI::Activate() {
    if (!CContainerUI::Activate() || IsDropped()) return false;
    bool any = false;
    for (int i = 0; i < GetCount() && !any; ++i) any = GetItemAt(i)->IsVisible();
    if (!any) return false;
    drop_ = new ComboDropWindow(this);
    drop_->Open();
    SendNotify(QString::fromLatin1(kNotifyDropDown));
    Invalidate();
    return true;
}

bool CComboUI::IsDropped() const { return drop_ && drop_->isVisible(); }

void CComboUI::CloseDropDown() {
    if (drop_) drop_->close();
}

QSize CComboUI::GetDropBoxSize() const {
    return {ScaleValue(dropBoxSize_.width()), ScaleValue(dropBoxSize_.height())};
}

void CComboUI::SetDropBoxSize(const QSize& size) { dropBoxSize_ = size.expandedTo(QSize(0, 0)); }

int CComboUI::NextSelectable(int from, int direction) const {
    for (int i = from + direction; i >= 0 && i < GetCount(); i += direction) {
        const CControlUI* item = GetItemAt(i);
        if (item->IsVisible() && item->IsEnabled()) return i;
    }
    return -1;
}

void CComboUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (event.pSender == this && IsEnabled()) {
            if (IsDropped()) CloseDropDown();
            else Activate();
        }
        return;
    case UIEVENT_BUTTONUP:
        // A row of the open list was released on: the choice is made.
        if (event.pSender != this && IsDropped()) {
            QMetaObject::invokeMethod(this, [this] { CloseDropDown(); }, Qt::QueuedConnection);
        }
        return;
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_UP || event.chKey == VK_DOWN) {
            const int next = NextSelectable(GetCurSel(), event.chKey == VK_UP ? -1 : 1);
            if (next >= 0) SelectItem(next, true);
            return;
        }
        if (event.chKey == VK_RETURN || event.chKey == VK_SPACE) {
            if (IsDropped()) CloseDropDown();
            else Activate();
            return;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        if (IsDropped()) {
            drop_->ScrollBy(static_cast<int>(-event.lParam * ScaleValue(48) / 120));
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (event.pSender == this) {
            hot_ = event.Type == UIEVENT_MOUSEENTER && IsEnabled();
            Invalidate();
        }
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CComboUI::SetAttribute(const QString& name, const QString& value) {
    bool bad = false;
    if (info_.SetAttribute(name, value, &bad)) {
        if (bad) ReportBadAttribute(name, value);
        return;
    }
    const QString n = name.toLower();
    auto color = [&](QColor& target) {
        if (auto c = ParseColor(value)) target = *c;
        else ReportBadAttribute(name, value);
        Invalidate();
    };
    if (n == QLatin1String("dropboxsize")) {
        if (auto s = ParseSize(value)) SetDropBoxSize(*s);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("dropboxbkcolor")) color(dropBkColor_);
    else if (n == QLatin1String("dropboxbordercolor")) color(dropBorderColor_);
    else if (n == QLatin1String("hotbkcolor")) color(hotBkColor_);
    else if (n == QLatin1String("arrowcolor")) color(arrowColor_);
    else if (n == QLatin1String("normalimage")) normalImage_ = value;
    else if (n == QLatin1String("hotimage")) hotImage_ = value;
    else if (n == QLatin1String("pushedimage")) pushedImage_ = value;
    else if (n == QLatin1String("disabledimage")) disabledImage_ = value;
    else if (n == QLatin1String("arrowimage")) arrowImage_ = value;
    else if (n == QLatin1String("textpadding")) {
        if (auto m = ParseMargins(value)) textPadding_ = *m;
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("align")) {
        textStyle_ &= ~(DT_CENTER | DT_RIGHT);
        if (value.contains(QLatin1String("center"), Qt::CaseInsensitive)) textStyle_ |= DT_CENTER;
        else if (value.contains(QLatin1String("right"), Qt::CaseInsensitive)) textStyle_ |= DT_RIGHT;
    } else if (n == QLatin1String("selectedid")) {
        if (auto v = ParseInt(value)) SelectItem(*v, false);
        else ReportBadAttribute(name, value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
    Invalidate();
}

QSize CComboUI::LayoutItems(const QRect&, bool) { return {}; }  // the items live in the drop list

void CComboUI::OnItemsChanged() {
    if (current_ && GetItemIndex(current_) < 0) current_ = nullptr;
    Invalidate();
}

void CComboUI::PaintBkColor(QPainter& painter) {
    if (hot_ && hotBkColor_.isValid()) painter.fillRect(rect(), hotBkColor_);
    else CContainerUI::PaintBkColor(painter);
}

void CComboUI::PaintStatusImage(QPainter& painter) {
    QString image = normalImage_;
    if (!IsEnabled() && !disabledImage_.isEmpty()) image = disabledImage_;
    else if (IsDropped() && !pushedImage_.isEmpty()) image = pushedImage_;
    else if (hot_ && !hotImage_.isEmpty()) image = hotImage_;
    if (!image.isEmpty()) DrawImage(painter, image);
    if (!arrowImage_.isEmpty()) DrawImage(painter, arrowImage_);
    if (arrowColor_.isValid()) {
        // A small chevron at the right, pointing down (up while open).
        const double s = ScaleValue(8);
        const double cx = width() - ScaleValue(8) - s / 2;
        const double cy = height() / 2.0;
        const double dy = IsDropped() ? -s / 4 : s / 4;
        QPainterPath path;
        path.moveTo(cx - s / 2, cy - dy);
        path.lineTo(cx, cy + dy);
        path.lineTo(cx + s / 2, cy - dy);
        painter.save();
        painter.setPen(QPen(arrowColor_, qMax(1.0, ScaleValue(15) / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.restore();
    }
}

void CComboUI::PaintText(QPainter& painter) {
    CRenderEngine::DrawText(painter, GetManager(), rect().marginsRemoved(ScaleValue(textPadding_)), GetText(),
                            EffectiveTextColor(), GetFont(), textStyle_);
}

}  // namespace talven::ui
