#pragma once
// CDeviceOptionUI: one entry of the device selector strip. It stands for one
// device page, carries the page's kind, selects the page through its
// "device_select" option and drives the page from its control timers while
// the device is connected.

#include "pages/entry_timers.h"
#include "ui/layouts.h"

#include <QString>

namespace talven {

class COrvaneUSBDevice;

namespace ui {
class COptionUI;
class CPaintManagerUI;
class CLabelUI;
}  // namespace ui

class CDeviceOptionUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    CDeviceOptionUI();
    QString GetClass() const override { return QStringLiteral("DeviceOption"); }
    void SetVisible(bool visible = true) override;
    void DoEvent(ui::TEventUI& event) override;

    void ShowSynchroOption(bool show);
    void SetSynchroSelected(bool selected);
    bool IsSynchroSelected();
    void SetDeviceSelected(bool selected);
    bool IsDeviceSelected();
    void BindDeviceTab(const QString& tabLayout, int index);
    QString BoundTabLayout();
    int BoundTabIndex();
    void SetSelectGroup(const QString& group);
    void SetNameText(const QString& text);
    // Links entry and page both ways.
    void LinkPage(COrvaneUSBDevice* page);
    COrvaneUSBDevice* Page() const { return page_; }

    void SetKind(int kind, int subKind) { kind_ = kind, subKind_ = subKind; }
    int Kind() const { return kind_; }
    int SubKind() const { return subKind_; }
    void SetPowerLayout(const QString& name, int index) { powerLayout_ = name, powerIndex_ = index; }
    QString PowerLayout() const { return powerLayout_; }
    int PowerIndex() const { return powerIndex_; }
    bool EntryVisible() const { return visibleFlag_; }

    // Device arrival: onConnected after 500 ms, then rendering.
    void StartArrivalTimer();

private:
    ui::COptionUI* SynchroOption();
    ui::COptionUI* DeviceSelectOption();
    void OnEntryTimer(uint id);
    void OnRenderTick(ui::CPaintManagerUI* manager);

    QString images_[4] = {QStringLiteral("common/device_ico/unknow_device_synchro_selected.png"),
                          QStringLiteral("common/device_ico/unknow_device_synchro_normal.png"),
                          QStringLiteral("common/device_ico/unknow_device_selected.png"),
                          QStringLiteral("common/device_ico/unknow_device_normal.png")};
    ui::CControlUI* icon_ = nullptr;
    COrvaneUSBDevice* page_ = nullptr;
    ui::COptionUI* synchro_ = nullptr;
    ui::COptionUI* deviceSelect_ = nullptr;
    int kind_ = 0;
    int subKind_ = 0;
    QString powerLayout_;
    int powerIndex_ = -1;
    uint renderPeriod_ = 0;  // the render timer's current period
    bool visibleFlag_ = true;
};

}  // namespace talven
