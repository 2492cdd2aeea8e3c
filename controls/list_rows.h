#pragma once
// List rows of the editors: an editable row with two texts and a delay field
// (CComboEditContainerElementUI, the macro step list) and the shared-item
// row of the cloud list (CCloudShareListItemUI).

#include "ui/list.h"

namespace talven {

class CComboEditContainerElementUI : public ui::CListContainerElementUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("ComboEditContainerElement"); }
    void SetAttribute(const QString& name, const QString& value) override;
    void DoInit() override;
    void DoEvent(ui::TEventUI& event) override;

    ui::CControlUI* Text1() const { return text1_; }
    ui::CControlUI* Text2() const { return text2_; }
    ui::CControlUI* DelayEdit() const { return delayEdit_; }

private:
    ui::CControlUI* text1_ = nullptr;
    ui::CControlUI* text2_ = nullptr;
    ui::CControlUI* delayEdit_ = nullptr;
    bool built_ = false;
};

class CCloudShareListItemUI : public ui::CListContainerElementUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("CloudShareListItem"); }
    void DoEvent(ui::TEventUI& event) override;
};

}  // namespace talven
