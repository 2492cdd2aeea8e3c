#include "ui/layouts.h"

#include <vector>

#include "ui/attribute_parse.h"

namespace talven::ui {

namespace {

int Clamp(int value, int lo, int hi) { return qMax(qMin(value, hi), lo); }

// One child seen along the flow ("main") and across it ("cross").
struct Slot {
    CControlUI* item = nullptr;
    int padBefore = 0, padAfter = 0, padCrossBefore = 0, padCrossAfter = 0;
    int estMain = 0, estCross = 0;
    int minMain = 0, maxMain = 0, minCross = 0, maxCross = 0;
    int main = 0;
    bool flexible = false;
};

Slot MakeSlot(CControlUI* item, const QSize& available, bool vertical) {
    Slot s;
    s.item = item;
    const QMargins pad = item->GetPadding();
    const QSize est = item->EstimateSize(available);
    if (vertical) {
        s.padBefore = pad.top();
        s.padAfter = pad.bottom();
        s.padCrossBefore = pad.left();
        s.padCrossAfter = pad.right();
        s.estMain = est.height();
        s.estCross = est.width();
        s.minMain = item->GetMinHeight();
        s.maxMain = item->GetMaxHeight();
        s.minCross = item->GetMinWidth();
        s.maxCross = item->GetMaxWidth();
    } else {
        s.padBefore = pad.left();
        s.padAfter = pad.right();
        s.padCrossBefore = pad.top();
        s.padCrossAfter = pad.bottom();
        s.estMain = est.width();
        s.estCross = est.height();
        s.minMain = item->GetMinWidth();
        s.maxMain = item->GetMaxWidth();
        s.minCross = item->GetMinHeight();
        s.maxCross = item->GetMaxHeight();
    }
    s.flexible = s.estMain <= 0;
    if (!s.flexible) s.main = Clamp(s.estMain, s.minMain, s.maxMain);
    return s;
}

// Hands `remaining` out to the sharing cells. A slot whose equal share
// breaks its min or max is held at that limit and taken out, and the rest
// share again, until every share fits.
void ShareFreeSpace(std::vector<Slot*> open, int remaining) {
    while (!open.empty()) {
        const int share = remaining / static_cast<int>(open.size());
        bool held = false;
        for (auto it = open.begin(); it != open.end();) {
            Slot* s = *it;
            if (share < s->minMain || share > s->maxMain) {
                s->main = share < s->minMain ? s->minMain : s->maxMain;
                remaining -= s->main;
                it = open.erase(it);
                held = true;
            } else {
                ++it;
            }
        }
        if (held) continue;
        for (Slot* s : open) s->main = share;
        Slot* last = open.back();
        last->main = Clamp(share + (remaining - share * static_cast<int>(open.size())),
                           last->minMain, last->maxMain);
        return;
    }
}

}  // namespace

QSize LayoutLinear(const QList<CControlUI*>& items, const QRect& area, int childPadding,
                   bool vertical, const std::function<void(CControlUI*, const QRect&)>& place) {
    const int mainAvail = vertical ? area.height() : area.width();
    const int crossAvail = vertical ? area.width() : area.height();
    std::vector<Slot> cells;
    for (CControlUI* item : items) {
        if (item->IsVisible() && !item->IsFloat()) cells.push_back(MakeSlot(item, area.size(), vertical));
    }
    if (cells.empty()) return {};

    int used = childPadding * (static_cast<int>(cells.size()) - 1);
    std::vector<Slot*> open;
    for (Slot& s : cells) {
        used += s.padBefore + s.padAfter + (s.flexible ? 0 : s.main);
        if (s.flexible) open.push_back(&s);
    }
    ShareFreeSpace(open, mainAvail - used);

    int needMain = childPadding * (static_cast<int>(cells.size()) - 1);
    int needCross = 0;
    int pos = vertical ? area.top() : area.left();
    for (const Slot& s : cells) {
        needMain += s.padBefore + s.main + s.padAfter;
        const int crossRoom = crossAvail - s.padCrossBefore - s.padCrossAfter;
        const int cross = Clamp(s.estCross > 0 ? s.estCross : crossRoom, s.minCross, s.maxCross);
        const int crossNeed = s.estCross > 0 ? cross : s.minCross;
        needCross = qMax(needCross, crossNeed + s.padCrossBefore + s.padCrossAfter);
        if (place) {
            const int start = pos + s.padBefore;
            const int crossStart = (vertical ? area.left() : area.top()) + s.padCrossBefore;
            place(s.item, vertical ? QRect(crossStart, start, cross, s.main)
                                   : QRect(start, crossStart, s.main, cross));
        }
        pos += s.padBefore + s.main + s.padAfter + childPadding;
    }
    return vertical ? QSize(needCross, needMain) : QSize(needMain, needCross);
}

// ---------------------------------------------------------------- column / row

QString CVerticalLayoutUI::GetClass() const { return QStringLiteral("VerticalLayout"); }

QSize CVerticalLayoutUI::LayoutItems(const QRect& area, bool apply) {
    std::function<void(CControlUI*, const QRect&)> place;
    if (apply) place = [this](CControlUI* item, const QRect& rc) { PlaceItem(item, rc); };
    return LayoutLinear(items_, area, GetChildPadding(), true, place);
}

QString CHorizontalLayoutUI::GetClass() const { return QStringLiteral("HorizontalLayout"); }

QSize CHorizontalLayoutUI::LayoutItems(const QRect& area, bool apply) {
    std::function<void(CControlUI*, const QRect&)> place;
    if (apply) place = [this](CControlUI* item, const QRect& rc) { PlaceItem(item, rc); };
    return LayoutLinear(items_, area, GetChildPadding(), false, place);
}

// ---------------------------------------------------------------- tabs

QString CTabLayoutUI::GetClass() const { return QStringLiteral("TabLayout"); }

bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (curSel_ < 0 && control->IsVisible()) {
        curSel_ = index;
    } else {
        if (curSel_ >= 0 && index <= curSel_) ++curSel_;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    const bool wasCurrent = index == curSel_;
    if (!CContainerUI::Remove(control, doNotDestroy)) return false;
    if (wasCurrent) {
        curSel_ = -1;
        if (GetCount() > 0) {
            const int next = qMin(index, GetCount() - 1);
            curSel_ = next;
            for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == next);
        }
    } else if (index < curSel_) {
        --curSel_;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    CContainerUI::RemoveAll();
    curSel_ = -1;
}

bool CTabLayoutUI::SelectItem(int index, bool sendNotify) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == curSel_) return true;
    const int old = curSel_;
    curSel_ = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    if (sendNotify) SendNotify(QString::fromLatin1(kNotifyTabSelect), static_cast<quintptr>(index), old);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool sendNotify) {
    const int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index, sendNotify);
}

void CTabLayoutUI::SetAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("selectedid"), Qt::CaseInsensitive) == 0) {
        if (auto v = ParseInt(value)) SelectItem(*v, false);
        else ReportBadAttribute(name, value);
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

}  // namespace talven::ui
