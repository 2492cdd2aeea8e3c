#pragma once
// The arranging containers: a column, a row, and tabs (one child shown).
//
// Column and row: children with a fixed size (or an EstimateSize) keep it,
// within their min/max; the others share what is left equally, again within
// their min/max (a child held at a limit leaves its share to the rest; the
// last sharing child takes the rounding remainder). `padding` surrounds each
// child, `childpadding` separates neighbours, `inset` is kept free inside.
// Across the flow a child fills the space unless it has a fixed size, in
// which case it sits at the start.

#include "ui/container.h"

namespace talven::ui {

class CVerticalLayoutUI : public CContainerUI {
    Q_OBJECT

public:
    QString GetClass() const override;

protected:
    QSize LayoutItems(const QRect& area, bool apply) override;
};

class CHorizontalLayoutUI : public CContainerUI {
    Q_OBJECT

public:
    QString GetClass() const override;

protected:
    QSize LayoutItems(const QRect& area, bool apply) override;
};

// Shows the child at GetCurSel() and hides the others (their IsVisible()
// turns false). Until a child is chosen the first visible one added is shown.
class CTabLayoutUI : public CContainerUI {
    Q_OBJECT

public:
    QString GetClass() const override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;

    int GetCurSel() const { return curSel_; }
    // Sends "tabselect" (wParam new index, lParam old index) when asked.
    virtual bool SelectItem(int index, bool sendNotify = true);
    virtual bool SelectItem(CControlUI* control, bool sendNotify = true);

    void SetAttribute(const QString& name, const QString& value) override;

private:
    int curSel_ = -1;
};

// Shared by the column and the row: lays the flow children out along one axis.
QSize LayoutLinear(const QList<CControlUI*>& items, const QRect& area, int childPadding,
                   bool vertical, const std::function<void(CControlUI*, const QRect&)>& place);

}  // namespace talven::ui
