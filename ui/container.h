#pragma once
// CContainerUI: a control with children. The plain container stacks its
// children on its whole area (each inside its padding, at its fixed size when
// it has one); the layouts in layouts.h arrange them in a column, a row or
// as tabs. Float children sit at their `pos` relative to the container's
// top-left and take no part in the flow; invisible children take no space.
// With vscrollbar/hscrollbar set, content that does not fit scrolls.

#include <QList>
#include <QMargins>
#include <QSize>

#include "ui/control.h"

class QScrollBar;

namespace talven::ui {

class CContainerUI : public CControlUI {
    Q_OBJECT

public:
    CContainerUI();
    ~CContainerUI() override;

    QString GetClass() const override;

    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;
    bool SetItemIndex(CControlUI* control, int index);
    int GetCount() const { return static_cast<int>(items_.size()); }
    // A control that is a child elsewhere is taken out of its old container.
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // Takes the control out of the tree at once; it is destroyed from the
    // event loop (so a control may remove itself from its own handler)
    // unless doNotDestroy is set, in which case the caller owns it.
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
    virtual bool RemoveAt(int index, bool doNotDestroy = false);
    virtual void RemoveAll();

    QMargins GetInset() const;
    void SetInset(const QMargins& inset);
    int GetChildPadding() const;
    void SetChildPadding(int padding);

    // --- scrolling (window pixels) ---
    void EnableScrollBar(bool vertical = true, bool horizontal = false);
    bool IsVScrollBarEnabled() const { return vScrollEnabled_; }
    bool IsHScrollBarEnabled() const { return hScrollEnabled_; }
    QSize GetScrollPos() const { return scrollPos_; }
    QSize GetScrollRange() const { return scrollRange_; }
    void SetScrollPos(const QSize& pos);
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void HomeUp();
    void EndDown();
    void LineLeft();
    void LineRight();
    // Scrolls the least needed to show `rc` (window coordinates).
    void ScrollIntoView(const QRect& rc);

    CControlUI* FindSubControl(const QString& name);
    CControlUI* FindControl(const std::function<bool(CControlUI*)>& match) override;

    void SetPos(const QRect& rc, bool needInvalidate = true) override;
    void SetAttribute(const QString& name, const QString& value) override;
    void SetManager(CPaintManagerUI* manager, bool init = true) override;
    void DoEvent(TEventUI& event) override;

    // Where a float child belongs, in window coordinates.
    QRect FloatRectFor(const CControlUI* child) const;

protected:
    // Arranges the flow children in `area` (control coordinates, shifted by
    // the scroll position) and returns the size the content needs. With
    // `apply` false nothing moves: the container measures before it decides
    // on scroll bars.
    virtual QSize LayoutItems(const QRect& area, bool apply);
    // Puts an item at `rc` given in this container's coordinates.
    void PlaceItem(CControlUI* item, const QRect& rc);
    // Items that take part in the flow: visible and not float.
    static bool InFlow(const CControlUI* item);
    // Runs after items were added, removed or reordered.
    virtual void OnItemsChanged() {}
    void OnStyleChanged() override;

    QList<CControlUI*> items_;

private:
    friend class CControlUI;  // a child detaches itself when destroyed

    void Relayout();
    void DetachItem(CControlUI* item);
    QScrollBar* MakeScrollBar(Qt::Orientation orientation);
    void SyncScrollBars(const QRect& area);
    void ScrollBy(int dx, int dy);

    QMargins inset_;  // design units
    int childPadding_ = 0;
    bool vScrollEnabled_ = false;
    bool hScrollEnabled_ = false;
    QScrollBar* vBar_ = nullptr;
    QScrollBar* hBar_ = nullptr;
    QSize scrollPos_;
    QSize scrollRange_;
    QPoint layoutOrigin_;
    int scrollBarWidth_ = 6;  // design units
    QColor scrollBarColor_{0x5A, 0x5F, 0x69};
    bool syncingBars_ = false;
};

}  // namespace talven::ui
