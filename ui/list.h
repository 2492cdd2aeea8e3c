#pragma once
// Lists and their rows. A row (CListLabelElementUI or
// CListContainerElementUI) belongs to the list or combo that is its parent;
// that owner keeps the selection and gives its rows their colours, font and
// height (the item... attributes).
//
// Notifications: a press on a row sends "itemclick" (sender: the row), then
// the owner sends "itemselect" (sender: the owner, wParam the new index,
// lParam the old one) when the selection changed; a double click sends
// "itemactivate" (sender: the row).

#include <QPointer>

#include "ui/label_button.h"
#include "ui/layouts.h"

namespace talven::ui {

struct TListInfoUI {
    int nFont = -1;
    uint uTextStyle = DT_VCENTER | DT_SINGLELINE;
    QMargins rcTextPadding{6, 0, 6, 0};  // design units
    int nItemHeight = 0;                 // design units; 0: from the font
    QColor dwTextColor, dwBkColor;
    QColor dwSelectedTextColor, dwSelectedBkColor{0xFF, 0x2D, 0x4A, 0x7A};
    QColor dwHotTextColor, dwHotBkColor{0xFF, 0x2A, 0x2E, 0x36};
    QColor dwDisabledTextColor, dwLineColor;
    QString sBkImage, sSelectedImage, sHotImage;

    // Reads an item... attribute; false when `name` is not one. `bad` is
    // set when the value was malformed.
    bool SetAttribute(const QString& name, const QString& value, bool* bad);
};

class IListOwnerUI {
public:
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool sendNotify = true) = 0;
    // Multi-selection (lists with multiselect); single-selection owners select.
    virtual bool SelectMultiItem(int index, bool sendNotify = true) {
        return SelectItem(index, sendNotify);
    }
    virtual bool UnSelectItem(int index) { return false; }
    virtual bool IsMultiSelect() const { return false; }

protected:
    ~IListOwnerUI() = default;
};

class IListItemUI {
public:
    virtual IListOwnerUI* GetOwner() const = 0;
    virtual int GetIndex() const = 0;
    virtual bool IsSelected() const = 0;
    // Asks the owner to select this row (or drops it from the selection).
    virtual bool Select(bool select = true, bool sendNotify = true) = 0;
    // The owner's record of the selection; sends nothing.
    virtual void SetSelectedState(bool selected) = 0;

protected:
    ~IListItemUI() = default;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
    Q_OBJECT

public:
    CListUI();
    QString GetClass() const override;

    TListInfoUI* GetListInfo() override { return &info_; }
    int GetCurSel() const override;
    bool SelectItem(int index, bool sendNotify = true) override;
    bool SelectMultiItem(int index, bool sendNotify = true) override;
    bool UnSelectItem(int index) override;
    bool IsMultiSelect() const override { return multiSelect_; }
    void SetMultiSelect(bool multi);
    QList<int> GetSelectedItems() const;
    void EnsureVisible(int index);

    void DoEvent(TEventUI& event) override;
    bool IsMouseInteractive() const override { return true; }
    void SetAttribute(const QString& name, const QString& value) override;

protected:
    void OnItemsChanged() override;

private:
    int NextSelectable(int from, int direction) const;

    TListInfoUI info_;
    QPointer<CControlUI> current_;
    bool multiSelect_ = false;
};

class CListLabelElementUI : public CLabelUI, public IListItemUI {
    Q_OBJECT

public:
    QString GetClass() const override;

    IListOwnerUI* GetOwner() const override;
    int GetIndex() const override;
    bool IsSelected() const override { return selected_; }
    bool Select(bool select = true, bool sendNotify = true) override;
    void SetSelectedState(bool selected) override;
    bool IsHot() const { return hot_; }

    bool Activate() override;
    QSize EstimateSize(const QSize& available) override;
    void DoEvent(TEventUI& event) override;
    bool IsMouseInteractive() const override { return true; }
    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;

private:
    bool selected_ = false;
    bool hot_ = false;
};

class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
    Q_OBJECT

public:
    QString GetClass() const override;

    IListOwnerUI* GetOwner() const override;
    int GetIndex() const override;
    bool IsSelected() const override { return selected_; }
    bool Select(bool select = true, bool sendNotify = true) override;
    void SetSelectedState(bool selected) override;
    bool IsHot() const { return hot_; }

    bool Activate() override;
    QSize EstimateSize(const QSize& available) override;
    void DoEvent(TEventUI& event) override;
    bool IsMouseInteractive() const override { return true; }
    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;

private:
    bool selected_ = false;
    bool hot_ = false;
};

}  // namespace talven::ui
