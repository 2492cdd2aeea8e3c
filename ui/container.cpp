#include "ui/container.h"

#include <QScrollBar>

#include "ui/attribute_parse.h"
#include "ui/paint_manager.h"

namespace talven::ui {

namespace {

// Min wins over max, as a control that cannot shrink must not be squeezed.
int Clamp(int value, int lo, int hi) { return qMax(qMin(value, hi), lo); }

QString ScrollBarStyle(int width, const QColor& handle) {
    const QString color = handle.name(QColor::HexArgb);
    const QString hover = handle.lighter(130).name(QColor::HexArgb);
    const int radius = qMax(1, width / 2);
    return QStringLiteral(
               "QScrollBar { background: transparent; border: none; margin: 0; }"
               "QScrollBar:vertical { width: %1px; }"
               "QScrollBar:horizontal { height: %1px; }"
               "QScrollBar::handle { background: %2; border-radius: %3px; }"
               "QScrollBar::handle:hover { background: %4; }"
               "QScrollBar::handle:vertical { min-height: 20px; }"
               "QScrollBar::handle:horizontal { min-width: 20px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; background: none; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
        .arg(width)
        .arg(color)
        .arg(radius)
        .arg(hover);
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children go first, while this object is still a container they can
    // detach from.
    const QList<CControlUI*> items = items_;
    items_.clear();
    for (CControlUI* item : items) {
        item->parent_ = nullptr;
        delete item;
    }
}

QString CContainerUI::GetClass() const { return QStringLiteral("Container"); }

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= items_.size()) return nullptr;
    return items_[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    return static_cast<int>(items_.indexOf(control));
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int from = GetItemIndex(control);
    if (from < 0 || index < 0 || index >= items_.size()) return false;
    items_.move(from, index);
    if (index + 1 < items_.size()) control->stackUnder(items_[index + 1]);
    else control->raise();
    OnItemsChanged();
    NeedUpdate();
    return true;
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > items_.size()) return false;
    for (const CControlUI* c = this; c; c = c->GetParent()) {
        if (c == control) return false;  // would make a cycle
    }
    if (control->parent_) control->parent_->DetachItem(control);
    index = qMin(index, GetCount());
    items_.insert(index, control);
    control->parent_ = this;
    control->setParent(this);
    if (index + 1 < items_.size()) control->stackUnder(items_[index + 1]);
    if (vBar_) vBar_->raise();
    if (hBar_) hBar_->raise();
    if (GetManager()) control->SetManager(GetManager(), true);
    control->ApplyQtVisibility();
    OnItemsChanged();
    NeedUpdate();
    return true;
}

void CContainerUI::DetachItem(CControlUI* item) {
    if (!items_.removeOne(item)) return;
    item->parent_ = nullptr;
    OnItemsChanged();
    NeedUpdate();
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
    if (!control || control->parent_ != this) return false;
    DetachItem(control);
    control->hide();
    control->setParent(nullptr);
    if (!doNotDestroy) control->deleteLater();
    return true;
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
    return Remove(GetItemAt(index), doNotDestroy);
}

void CContainerUI::RemoveAll() {
    while (!items_.isEmpty()) Remove(items_.last(), false);
    scrollPos_ = QSize();
}

QMargins CContainerUI::GetInset() const { return ScaleValue(inset_); }

void CContainerUI::SetInset(const QMargins& inset) {
    inset_ = inset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return ScaleValue(childPadding_); }

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = qMax(0, padding);
    NeedUpdate();
}

CControlUI* CContainerUI::FindSubControl(const QString& name) {
    for (CControlUI* item : items_) {
        if (CControlUI* found = item->FindControl([&](CControlUI* c) { return c->GetName() == name; })) {
            return found;
        }
    }
    return nullptr;
}

CControlUI* CContainerUI::FindControl(const std::function<bool(CControlUI*)>& match) {
    if (match(this)) return this;
    for (CControlUI* item : items_) {
        if (CControlUI* found = item->FindControl(match)) return found;
    }
    return nullptr;
}

void CContainerUI::SetManager(CPaintManagerUI* manager, bool init) {
    for (CControlUI* item : items_) item->SetManager(manager, init);
    CControlUI::SetManager(manager, init);
}

void CContainerUI::SetAttribute(const QString& name, const QString& value) {
    const QString n = name.toLower();
    if (n == QLatin1String("inset")) {
        if (auto m = ParseMargins(value)) SetInset(*m);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("childpadding")) {
        if (auto v = ParseInt(value)) SetChildPadding(*v);
        else ReportBadAttribute(name, value);
    } else if (n == QLatin1String("vscrollbar")) {
        EnableScrollBar(ParseBool(value), hScrollEnabled_);
    } else if (n == QLatin1String("hscrollbar")) {
        EnableScrollBar(vScrollEnabled_, ParseBool(value));
    } else if (n == QLatin1String("scrollbarwidth")) {
        if (auto v = ParseInt(value); v && *v > 0) {
            scrollBarWidth_ = *v;
            OnStyleChanged();
        } else {
            ReportBadAttribute(name, value);
        }
    } else if (n == QLatin1String("scrollbarcolor")) {
        if (auto c = ParseColor(value)) {
            scrollBarColor_ = *c;
            OnStyleChanged();
        } else {
            ReportBadAttribute(name, value);
        }
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CContainerUI::OnStyleChanged() {
    const QString style = ScrollBarStyle(ScaleValue(scrollBarWidth_), scrollBarColor_);
    if (vBar_) vBar_->setStyleSheet(style);
    if (hBar_) hBar_->setStyleSheet(style);
    CControlUI::OnStyleChanged();
    NeedUpdate();
}

// ---------------------------------------------------------------- layout

bool CContainerUI::InFlow(const CControlUI* item) { return item->IsVisible() && !item->IsFloat(); }

QRect CContainerUI::FloatRectFor(const CControlUI* child) const {
    const QPoint xy = child->GetFixedXY();
    const QSize est = const_cast<CControlUI*>(child)->EstimateSize(size());
    const int w = est.width() > 0 ? est.width() : width() - xy.x();
    const int h = est.height() > 0 ? est.height() : height() - xy.y();
    return QRect(GetPos().topLeft() + xy, QSize(qMax(0, w), qMax(0, h)));
}

void CContainerUI::PlaceItem(CControlUI* item, const QRect& rc) {
    item->SetPos(rc.translated(layoutOrigin_), true);
}

QSize CContainerUI::LayoutItems(const QRect& area, bool apply) {
    QSize need;
    for (CControlUI* item : items_) {
        if (!InFlow(item)) continue;
        const QMargins pad = item->GetPadding();
        const QSize est = item->EstimateSize(area.size());
        const int w = Clamp(est.width() > 0 ? est.width() : area.width() - pad.left() - pad.right(),
                            item->GetMinWidth(), item->GetMaxWidth());
        const int h = Clamp(est.height() > 0 ? est.height() : area.height() - pad.top() - pad.bottom(),
                            item->GetMinHeight(), item->GetMaxHeight());
        const int needW = est.width() > 0 ? w : item->GetMinWidth();
        const int needH = est.height() > 0 ? h : item->GetMinHeight();
        need = need.expandedTo(QSize(needW + pad.left() + pad.right(), needH + pad.top() + pad.bottom()));
        if (apply) PlaceItem(item, QRect(area.left() + pad.left(), area.top() + pad.top(), w, h));
    }
    return need;
}

void CContainerUI::SetPos(const QRect& rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    Relayout();
}

void CContainerUI::Relayout() {
    layoutOrigin_ = GetPos().topLeft();
    const int bar = ScaleValue(scrollBarWidth_);
    QRect area = rect().marginsRemoved(GetInset());
    area.setSize(area.size().expandedTo(QSize(0, 0)));
    QRect avail = area;
    bool vOn = false;
    bool hOn = false;
    QSize need = LayoutItems(avail, false);
    // Showing one bar takes room and may call for the other: settle in two passes.
    for (int pass = 0; pass < 2; ++pass) {
        const bool wantV = vScrollEnabled_ && need.height() > avail.height();
        const bool wantH = hScrollEnabled_ && need.width() > avail.width();
        if (wantV == vOn && wantH == hOn) break;
        vOn = wantV;
        hOn = wantH;
        avail = area.adjusted(0, 0, vOn ? -bar : 0, hOn ? -bar : 0);
        avail.setSize(avail.size().expandedTo(QSize(0, 0)));
        need = LayoutItems(avail, false);
    }
    scrollRange_ = QSize(hOn ? qMax(0, need.width() - avail.width()) : 0,
                         vOn ? qMax(0, need.height() - avail.height()) : 0);
    scrollPos_ = QSize(Clamp(scrollPos_.width(), 0, scrollRange_.width()),
                       Clamp(scrollPos_.height(), 0, scrollRange_.height()));
    LayoutItems(avail.translated(-scrollPos_.width(), -scrollPos_.height()), true);
    for (CControlUI* item : items_) {
        if (item->IsVisible() && item->IsFloat()) {
            item->SetPos(FloatRectFor(item), true);
        }
    }
    SyncScrollBars(avail);
}

// ---------------------------------------------------------------- scrolling

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    vScrollEnabled_ = vertical;
    hScrollEnabled_ = horizontal;
    if (!vertical && vBar_) vBar_->hide();
    if (!horizontal && hBar_) hBar_->hide();
    NeedUpdate();
}

QScrollBar* CContainerUI::MakeScrollBar(Qt::Orientation orientation) {
    auto* bar = new QScrollBar(orientation, this);
    bar->setStyleSheet(ScrollBarStyle(ScaleValue(scrollBarWidth_), scrollBarColor_));
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::valueChanged, this, [this, orientation](int value) {
        if (syncingBars_) return;
        QSize pos = scrollPos_;
        if (orientation == Qt::Vertical) pos.setHeight(value);
        else pos.setWidth(value);
        SetScrollPos(pos);
    });
    return bar;
}

void CContainerUI::SyncScrollBars(const QRect& avail) {
    const int bar = ScaleValue(scrollBarWidth_);
    const bool vOn = scrollRange_.height() > 0;
    const bool hOn = scrollRange_.width() > 0;
    syncingBars_ = true;
    if (vOn && !vBar_) vBar_ = MakeScrollBar(Qt::Vertical);
    if (hOn && !hBar_) hBar_ = MakeScrollBar(Qt::Horizontal);
    if (vBar_) {
        vBar_->setVisible(vOn);
        if (vOn) {
            vBar_->setRange(0, scrollRange_.height());
            vBar_->setPageStep(qMax(1, avail.height()));
            vBar_->setSingleStep(ScaleValue(16));
            vBar_->setValue(scrollPos_.height());
            vBar_->setGeometry(width() - bar, 0, bar, height() - (hOn ? bar : 0));
            vBar_->raise();
        }
    }
    if (hBar_) {
        hBar_->setVisible(hOn);
        if (hOn) {
            hBar_->setRange(0, scrollRange_.width());
            hBar_->setPageStep(qMax(1, avail.width()));
            hBar_->setSingleStep(ScaleValue(16));
            hBar_->setValue(scrollPos_.width());
            hBar_->setGeometry(0, height() - bar, width() - (vOn ? bar : 0), bar);
            hBar_->raise();
        }
    }
    syncingBars_ = false;
}

void CContainerUI::SetScrollPos(const QSize& pos) {
    const QSize clamped(Clamp(pos.width(), 0, scrollRange_.width()),
                        Clamp(pos.height(), 0, scrollRange_.height()));
    if (clamped == scrollPos_) return;
    scrollPos_ = clamped;
    Relayout();
    Invalidate();
}

void CContainerUI::ScrollBy(int dx, int dy) {
    SetScrollPos(QSize(scrollPos_.width() + dx, scrollPos_.height() + dy));
}

void CContainerUI::LineUp() { ScrollBy(0, -ScaleValue(16)); }
void CContainerUI::LineDown() { ScrollBy(0, ScaleValue(16)); }
void CContainerUI::PageUp() { ScrollBy(0, -qMax(1, height() - ScaleValue(16))); }
void CContainerUI::PageDown() { ScrollBy(0, qMax(1, height() - ScaleValue(16))); }
void CContainerUI::HomeUp() { SetScrollPos(QSize(scrollPos_.width(), 0)); }
void CContainerUI::EndDown() { SetScrollPos(QSize(scrollPos_.width(), scrollRange_.height())); }
void CContainerUI::LineLeft() { ScrollBy(-ScaleValue(16), 0); }
void CContainerUI::LineRight() { ScrollBy(ScaleValue(16), 0); }

void CContainerUI::ScrollIntoView(const QRect& rc) {
    const QRect view = GetPos().marginsRemoved(GetInset());
    int dy = 0;
    if (rc.top() < view.top()) dy = rc.top() - view.top();
    else if (rc.bottom() > view.bottom()) dy = qMin(rc.bottom() - view.bottom(), rc.top() - view.top());
    int dx = 0;
    if (rc.left() < view.left()) dx = rc.left() - view.left();
    else if (rc.right() > view.right()) dx = qMin(rc.right() - view.right(), rc.left() - view.left());
    if (dx != 0 || dy != 0) ScrollBy(dx, dy);
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SCROLLWHEEL && (scrollRange_.height() > 0 || scrollRange_.width() > 0)) {
        // Three lines of 16 pixels per notch; a fine-grained wheel moves less.
        const int pixels = static_cast<int>(-event.lParam * ScaleValue(48) / 120);
        const QSize before = scrollPos_;
        if (scrollRange_.height() > 0) ScrollBy(0, pixels);
        else ScrollBy(pixels, 0);
        if (scrollPos_ != before) return;  // at the end: let an outer container scroll
    }
    CControlUI::DoEvent(event);
}

}  // namespace talven::ui
