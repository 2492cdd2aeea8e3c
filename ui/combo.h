#pragma once
// CComboUI: shows the text of its selected item; a click opens a drop list
// (a Qt popup) holding its items. Choosing an item sends "itemselect"
// (wParam new index, lParam old index) and closes the list; a click outside
// closes it too. The wheel over a closed combo scrolls the page around it
// rather than changing the choice by accident.

#include <QPointer>

#include "ui/container.h"
#include "ui/list.h"

namespace talven::ui {

class ComboDropWindow;

class CComboUI : public CContainerUI, public IListOwnerUI {
    Q_OBJECT

public:
    CComboUI();
    ~CComboUI() override;
    QString GetClass() const override;

    // The selected item's text.
    QString GetText() const override;
    TListInfoUI* GetListInfo() override { return &info_; }
    int GetCurSel() const override;
    bool SelectItem(int index, bool sendNotify = true) override;

    // Opens the drop list (sends "dropdown").
    bool Activate() override;
    bool IsDropped() const;
    void CloseDropDown();
    // Size of the drop list; 0 width: as wide as the combo; 0 height: as tall
    // as the items need, up to 10 rows.
    QSize GetDropBoxSize() const;
    void SetDropBoxSize(const QSize& size);
    QColor GetDropBoxBkColor() const { return dropBkColor_; }
    QColor GetDropBoxBorderColor() const { return dropBorderColor_; }

    bool ItemsShownInPlace() const override { return false; }
    bool IsMouseInteractive() const override { return true; }
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const QString& name, const QString& value) override;

    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;

protected:
    QSize LayoutItems(const QRect& area, bool apply) override;
    void OnItemsChanged() override;

private:
    int NextSelectable(int from, int direction) const;

    TListInfoUI info_;
    QPointer<CControlUI> current_;
    QPointer<ComboDropWindow> drop_;
    QSize dropBoxSize_;  // design units
    QColor dropBkColor_{0x22, 0x25, 0x2B};
    QColor dropBorderColor_{0x3A, 0x3F, 0x4A};
    QColor hotBkColor_, arrowColor_;
    QString normalImage_, hotImage_, pushedImage_, disabledImage_, arrowImage_;
    QMargins textPadding_{6, 0, 6, 0};  // design units
    uint textStyle_ = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    bool hot_ = false;
};

}  // namespace talven::ui
