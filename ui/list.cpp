#include "ui/list.h"

#include <QFontMetrics>
#include <QPainter>

#include "ui/attribute_parse.h"
#include "ui/messages.h"
#include "ui/paint_manager.h"
#include "ui/render_engine.h"

namespace talven::ui {

bool TListInfoUI::SetAttribute(const QString& name, const QString& value, bool* bad) {
    const QString n = name.toLower();
    *bad = false;
    auto color = [&](QColor& target) {
        if (auto c = ParseColor(value)) target = *c;
        else *bad = true;
        return true;
    };
    if (n == QLatin1String("itemtextcolor")) return color(dwTextColor);
    if (n == QLatin1String("itembkcolor")) return color(dwBkColor);
    if (n == QLatin1String("itemselectedtextcolor")) return color(dwSelectedTextColor);
    if (n == QLatin1String("itemselectedbkcolor")) return color(dwSelectedBkColor);
    if (n == QLatin1String("itemhottextcolor")) return color(dwHotTextColor);
    if (n == QLatin1String("itemhotbkcolor")) return color(dwHotBkColor);
    if (n == QLatin1String("itemdisabledtextcolor")) return color(dwDisabledTextColor);
    if (n == QLatin1String("itemlinecolor")) return color(dwLineColor);
    if (n == QLatin1String("itembkimage")) { sBkImage = value; return true; }
    if (n == QLatin1String("itemselectedimage")) { sSelectedImage = value; return true; }
    if (n == QLatin1String("itemhotimage")) { sHotImage = value; return true; }
    if (n == QLatin1String("itemfont") || n == QLatin1String("itemheight")) {
        auto v = ParseInt(value);
        if (!v) *bad = true;
        else if (n == QLatin1String("itemfont")) nFont = *v;
        else nItemHeight = qMax(0, *v);
        return true;
    }
    if (n == QLatin1String("itemtextpadding")) {
        if (auto m = ParseMargins(value)) rcTextPadding = *m;
        else *bad = true;
        return true;
    }
    if (n == QLatin1String("itemalign")) {
        uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0) uTextStyle |= DT_CENTER;
        else if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0) uTextStyle |= DT_RIGHT;
        return true;
    }
    if (n == QLatin1String("itemendellipsis")) {
        uTextStyle = ParseBool(value) ? uTextStyle | DT_END_ELLIPSIS : uTextStyle & ~DT_END_ELLIPSIS;
        return true;
    }
    return false;
}

namespace {

IListOwnerUI* OwnerOf(const CControlUI* item) { return dynamic_cast<IListOwnerUI*>(item->GetParent()); }

int IndexOf(const CControlUI* item) {
    auto* parent = qobject_cast<CContainerUI*>(item->GetParent());
    return parent ? parent->GetItemIndex(const_cast<CControlUI*>(item)) : -1;
}

int RowHeight(CControlUI* item, int fixedHeight) {
    if (fixedHeight > 0) return fixedHeight;
    CPaintManagerUI* manager = item->GetManager();
    const CDPI dpi = manager ? *manager->GetDPIObj() : CDPI();
    const IListOwnerUI* owner = OwnerOf(item);
    TListInfoUI* info = owner ? const_cast<IListOwnerUI*>(owner)->GetListInfo() : nullptr;
    if (info && info->nItemHeight > 0) return dpi.Scale(info->nItemHeight);
    const QFont font = manager ? manager->GetFont(info ? info->nFont : -1) : item->GetFontObject();
    return QFontMetrics(font).height() + dpi.Scale(10);
}

// Row behaviour shared by both row kinds. True when the event was used.
bool HandleRowEvent(CControlUI* row, IListItemUI* item, bool& hot, TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN: {
        if (!row->IsEnabled()) return true;
        QPointer<CControlUI> guard(row);
        if (CPaintManagerUI* manager = row->GetManager()) manager->SendNotify(row, QString::fromLatin1(kNotifyItemClick));
        if (!guard) return true;
        IListOwnerUI* owner = item->GetOwner();
        if (owner && owner->IsMultiSelect() && (event.wKeyState & MK_CONTROL)) {
            if (item->IsSelected()) owner->UnSelectItem(item->GetIndex());
            else owner->SelectMultiItem(item->GetIndex());
        } else if (owner) {
            owner->SelectItem(item->GetIndex(), true);
        }
        return true;
    }
    case UIEVENT_DBLCLICK:
        if (row->IsEnabled()) row->Activate();
        return true;
    case UIEVENT_MOUSEENTER:
        hot = row->IsEnabled();
        row->Invalidate();
        return true;
    case UIEVENT_MOUSELEAVE:
        hot = false;
        row->Invalidate();
        return true;
    default:
        return false;
    }
}

bool PaintRowBk(QPainter& painter, CControlUI* row, bool selected, bool hot) {
    IListOwnerUI* owner = OwnerOf(row);
    if (!owner) return false;
    const TListInfoUI* info = owner->GetListInfo();
    QColor color = info->dwBkColor;
    if (selected && info->dwSelectedBkColor.isValid()) color = info->dwSelectedBkColor;
    else if (hot && row->IsEnabled() && info->dwHotBkColor.isValid()) color = info->dwHotBkColor;
    if (!color.isValid()) return false;
    painter.fillRect(row->rect(), color);
    return true;
}

void PaintRowImages(QPainter& painter, CControlUI* row, bool selected, bool hot) {
    IListOwnerUI* owner = OwnerOf(row);
    if (!owner) return;
    const TListInfoUI* info = owner->GetListInfo();
    QString image = info->sBkImage;
    if (selected && !info->sSelectedImage.isEmpty()) image = info->sSelectedImage;
    else if (hot && !info->sHotImage.isEmpty()) image = info->sHotImage;
    if (!image.isEmpty()) row->DrawImage(painter, image);
    if (info->dwLineColor.isValid()) {
        painter.fillRect(QRect(0, row->height() - 1, row->width(), 1), info->dwLineColor);
    }
}

bool SelectRow(CControlUI* row, IListItemUI* item, bool select, bool sendNotify) {
    if (!row->IsEnabled()) return false;
    if (select == item->IsSelected()) return true;
    IListOwnerUI* owner = item->GetOwner();
    if (!owner) {
        item->SetSelectedState(select);
        return true;
    }
    if (select) return owner->SelectItem(item->GetIndex(), sendNotify);
    if (owner->IsMultiSelect()) return owner->UnSelectItem(item->GetIndex());
    return owner->SelectItem(-1, sendNotify);
}

}  // namespace

// ---------------------------------------------------------------- list

CListUI::CListUI() { EnableScrollBar(true, false); }

QString CListUI::GetClass() const { return QStringLiteral("List"); }

int CListUI::GetCurSel() const { return current_ ? GetItemIndex(current_) : -1; }

bool CListUI::SelectItem(int index, bool sendNotify) {
    const int old = GetCurSel();
    IListItemUI* row = nullptr;
    if (index >= 0) {
        row = dynamic_cast<IListItemUI*>(GetItemAt(index));
        CControlUI* control = GetItemAt(index);
        if (!row || !control->IsEnabled() || !control->IsVisible()) return false;
        if (index == old && GetSelectedItems().size() == 1) return true;
    }
    for (CControlUI* item : std::as_const(items_)) {
        if (auto* r = dynamic_cast<IListItemUI*>(item); r && r->IsSelected()) r->SetSelectedState(false);
    }
    current_ = index >= 0 ? GetItemAt(index) : nullptr;
    if (!row) return true;  // a cleared selection is not a user's choice: no notification
    row->SetSelectedState(true);
    EnsureVisible(index);
    if (sendNotify && index != old) {
        SendNotify(QString::fromLatin1(kNotifyItemSelect), static_cast<quintptr>(index), old);
    }
    return true;
}

bool CListUI::SelectMultiItem(int index, bool sendNotify) {
    if (!multiSelect_) return SelectItem(index, sendNotify);
    auto* row = dynamic_cast<IListItemUI*>(GetItemAt(index));
    if (!row || !GetItemAt(index)->IsEnabled()) return false;
    const int old = GetCurSel();
    row->SetSelectedState(true);
    current_ = GetItemAt(index);
    if (sendNotify) SendNotify(QString::fromLatin1(kNotifyItemSelect), static_cast<quintptr>(index), old);
    return true;
}

bool CListUI::UnSelectItem(int index) {
    auto* row = dynamic_cast<IListItemUI*>(GetItemAt(index));
    if (!row || !row->IsSelected()) return false;
    row->SetSelectedState(false);
    if (current_ == GetItemAt(index)) {
        const QList<int> rest = GetSelectedItems();
        current_ = rest.isEmpty() ? nullptr : GetItemAt(rest.first());
    }
    return true;
}

void CListUI::SetMultiSelect(bool multi) {
    multiSelect_ = multi;
    if (!multi && GetSelectedItems().size() > 1) SelectItem(GetCurSel(), false);
}

QList<int> CListUI::GetSelectedItems() const {
    QList<int> selected;
    for (int i = 0; i < GetCount(); ++i) {
        if (auto* r = dynamic_cast<IListItemUI*>(GetItemAt(i)); r && r->IsSelected()) selected.append(i);
    }
    return selected;
}

void CListUI::EnsureVisible(int index) {
    CControlUI* row = GetItemAt(index);
    if (row && row->IsVisible()) ScrollIntoView(row->GetPos());
}

void CListUI::OnItemsChanged() {
    if (current_ && GetItemIndex(current_) < 0) current_ = nullptr;
}

int CListUI::NextSelectable(int from, int direction) const {
    for (int i = from + direction; i >= 0 && i < GetCount(); i += direction) {
        const CControlUI* item = GetItemAt(i);
        if (item->IsVisible() && item->IsEnabled() && dynamic_cast<const IListItemUI*>(item)) return i;
    }
    return -1;
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_KEYDOWN) {
        int target = -1;
        switch (event.chKey) {
        case VK_UP: target = NextSelectable(GetCurSel(), -1); break;
        case VK_DOWN: target = NextSelectable(GetCurSel(), 1); break;
        case VK_HOME: target = NextSelectable(-1, 1); break;
        case VK_END: target = NextSelectable(GetCount(), -1); break;
        case VK_RETURN:
            if (CControlUI* row = GetItemAt(GetCurSel())) row->Activate();
            return;
        default: break;
        }
        if (target >= 0) {
            SelectItem(target, true);
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetAttribute(const QString& name, const QString& value) {
    bool bad = false;
    if (info_.SetAttribute(name, value, &bad)) {
        if (bad) ReportBadAttribute(name, value);
        NeedUpdate();
        Invalidate();
        return;
    }
    const QString n = name.toLower();
    if (n == QLatin1String("multiselect")) SetMultiSelect(ParseBool(value));
    else if (n == QLatin1String("header")) return;  // rows only: there is no header to hide
    else CVerticalLayoutUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------- label row

QString CListLabelElementUI::GetClass() const { return QStringLiteral("ListLabelElement"); }
IListOwnerUI* CListLabelElementUI::GetOwner() const { return OwnerOf(this); }
int CListLabelElementUI::GetIndex() const { return IndexOf(this); }

bool CListLabelElementUI::Select(bool select, bool sendNotify) {
    return SelectRow(this, this, select, sendNotify);
}

void CListLabelElementUI::SetSelectedState(bool selected) {
    selected_ = selected;
    Invalidate();
}

bool CListLabelElementUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    SendNotify(QString::fromLatin1(kNotifyItemActivate));
    return true;
}

QSize CListLabelElementUI::EstimateSize(const QSize& available) {
    const QSize fixed = CLabelUI::EstimateSize(available);
    return {fixed.width(), RowHeight(this, fixed.height())};
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    if (!HandleRowEvent(this, this, hot_, event)) CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(QPainter& painter) {
    if (!PaintRowBk(painter, this, selected_, hot_)) CLabelUI::PaintBkColor(painter);
}

void CListLabelElementUI::PaintStatusImage(QPainter& painter) { PaintRowImages(painter, this, selected_, hot_); }

void CListLabelElementUI::PaintText(QPainter& painter) {
    IListOwnerUI* owner = GetOwner();
    if (!owner) {
        CLabelUI::PaintText(painter);
        return;
    }
    const TListInfoUI* info = owner->GetListInfo();
    QColor color = GetTextColor().isValid() ? GetTextColor() : info->dwTextColor;
    if (!IsEnabled()) color = info->dwDisabledTextColor;
    else if (selected_ && info->dwSelectedTextColor.isValid()) color = info->dwSelectedTextColor;
    else if (hot_ && info->dwHotTextColor.isValid()) color = info->dwHotTextColor;
    if (!color.isValid()) color = EffectiveTextColor();
    const QMargins pad = GetTextPadding().isNull() ? ScaleValue(info->rcTextPadding) : GetTextPadding();
    const int font = GetFont() >= 0 ? GetFont() : info->nFont;
    CRenderEngine::DrawText(painter, GetManager(), rect().marginsRemoved(pad), GetText(), color, font,
                            info->uTextStyle);
}

// ---------------------------------------------------------------- container row

QString CListContainerElementUI::GetClass() const { return QStringLiteral("ListContainerElement"); }
IListOwnerUI* CListContainerElementUI::GetOwner() const { return OwnerOf(this); }
int CListContainerElementUI::GetIndex() const { return IndexOf(this); }

bool CListContainerElementUI::Select(bool select, bool sendNotify) {
    return SelectRow(this, this, select, sendNotify);
}

void CListContainerElementUI::SetSelectedState(bool selected) {
    selected_ = selected;
    Invalidate();
}

bool CListContainerElementUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    SendNotify(QString::fromLatin1(kNotifyItemActivate));
    return true;
}

QSize CListContainerElementUI::EstimateSize(const QSize& available) {
    const QSize fixed = CHorizontalLayoutUI::EstimateSize(available);
    return {fixed.width(), RowHeight(this, fixed.height())};
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if (!HandleRowEvent(this, this, hot_, event)) CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(QPainter& painter) {
    if (!PaintRowBk(painter, this, selected_, hot_)) CHorizontalLayoutUI::PaintBkColor(painter);
}

void CListContainerElementUI::PaintStatusImage(QPainter& painter) {
    PaintRowImages(painter, this, selected_, hot_);
}

}  // namespace talven::ui
