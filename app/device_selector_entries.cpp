// DeviceSelector: arrivals, removals and the selection of the current device.

#include "app/device_option.h"
#include "app/device_selector.h"
#include "device/product_table.h"
#include "pages/usb_device_page.h"
#include "platform/debug_output.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"

namespace talven {

using namespace ui;

namespace {

const char* logText(uint16_t k, bool added) {
    switch (k) {
    case kind::Keyboard: return added ? "添加一个键盘设备" : "删除一个键盘设备";
    case kind::Mouse:
    case kind::WirelessMouse: return added ? "添加一个鼠标设备" : "删除一个鼠标设备";
    case kind::MousePad: return added ? "添加一个鼠标垫设备" : "删除一个鼠标垫设备";
    default: return added ? "添加一个耳机设备" : "删除一个耳机设备";
    }
}

}  // namespace

void DeviceSelector::OnSlotOccupied(const DeviceSlot& slot) {
    debugOutput(logText(slot.kind, true));
    if (slot.role == role::Command) {
        if (COrvaneUSBDevice* page = pageForSlot(slot)) {
            connectCommandInterface(*page, slot);
            lightingSync_.offerSameMode();
            int first = -1;
            const bool anyVisible = FirstVisibleEntry(&first) > 0;
            for (int i = 0; i < entryCount(); ++i) {
                CDeviceOptionUI* entry = entryAt(i);
                if (!entry || entry->Page() != page) continue;
                ShowEntry(i, true, !anyVisible);
                entry->StartArrivalTimer();
                break;
            }
        }
    } else if (slot.role == role::Event) {
        for (COrvaneUSBDevice* page : pagesOfProduct(slot)) page->onEventInterfaceArrived(slot);
    }
    if (hooks_.bringToFront) hooks_.bringToFront();
}

void DeviceSelector::OnSlotVacated(const DeviceSlot& slot) {
    debugOutput(logText(slot.kind, false));
    if (slot.role == role::Event) {
        for (COrvaneUSBDevice* page : pagesOfProduct(slot)) page->onEventInterfaceRemoved(slot);
        return;
    }
    if (slot.role != role::Command) return;
    COrvaneUSBDevice* page = pageForSlot(slot);
    if (!page) return;
    CommandChannel& channel = page->commandChannel();
    channel.setConnected(false);
    channel.setPaused(false);  // a product that leaves leaves the lighting sync
    {
        std::lock_guard<std::mutex> lock(channel.ioLock());
        channel.device().close();
    }
    page->stopAnimation();
    lightingSync_.offerSameMode();
    for (int i = 0; i < entryCount(); ++i) {
        if (CDeviceOptionUI* entry = entryAt(i); entry && entry->Page() == page) {
            HideEntry(i);
            break;
        }
    }
}

void DeviceSelector::ShowEntry(int index, bool visible, bool select) {
    CDeviceOptionUI* entry = entryAt(index);
    if (!entry) return;
    entry->SetVisible(visible);
    if (select) {
        if (auto* tab = qobject_cast<CTabLayoutUI*>(manager_.FindControl(entry->BoundTabLayout()))) {
            tab->SelectItem(entry->BoundTabIndex());
        }
    }
    entry->SetDeviceSelected(select);
    if (select) currentEntry_ = index;
    int visibleCount = 0;
    int synchroCount = 0;
    for (int i = 0; i < entryCount(); ++i) {
        CDeviceOptionUI* other = entryAt(i);
        if (!other || !other->EntryVisible()) continue;
        ++visibleCount;
        if (other->IsSynchroSelected()) ++synchroCount;
    }
    if (CControlUI* overlay = manager_.FindControl(QStringLiteral("No_device_Link"))) overlay->SetVisible(visibleCount == 0);
    if (visibleCount == 0) {
        for (const char* name : {"device_power_switch", "device_switch"}) {
            if (auto* tab = qobject_cast<CTabLayoutUI*>(manager_.FindControl(QString::fromLatin1(name)))) tab->SelectItem(0);
        }
        currentEntry_ = -1;
    }
    for (COrvaneUSBDevice* page : allPages_) page->setMultiDevice(visibleCount >= 2);
    if (synchroCount <= 1) {
        for (int i = 0; i < entryCount(); ++i) {
            if (CDeviceOptionUI* other = entryAt(i)) other->SetSynchroSelected(false);
        }
    }
    UpdatePowerCard();
}

void DeviceSelector::HideEntry(int index) {
    CDeviceOptionUI* entry = entryAt(index);
    if (!entry) return;
    int next = -1;
    if (entry->EntryVisible() && entry->IsDeviceSelected()) {
        if (hooks_.beforeSelectedDeviceHidden) hooks_.beforeSelectedDeviceHidden();
        for (int i = 0; i < entryCount(); ++i) {
            CDeviceOptionUI* other = entryAt(i);
            if (i != index && other && other->EntryVisible()) {
                next = i;
                break;
            }
        }
    }
    ShowEntry(index, false, false);
    if (next >= 0) ShowEntry(next, true, true);
}

void DeviceSelector::OnDeviceSelected() {
    for (int i = 0; i < entryCount(); ++i) {
        CDeviceOptionUI* entry = entryAt(i);
        if (!entry || !entry->IsDeviceSelected()) continue;
        currentEntry_ = i;
        break;
    }
    UpdatePowerCard();
}

// A card for every product would show a plug and no value for the ones that
// report no power, and a card with no device would stand for nothing.
void DeviceSelector::UpdatePowerCard() {
    const QString name = QString::fromLatin1(kPowerLayoutName.data(), static_cast<qsizetype>(kPowerLayoutName.size()));
    auto* power = qobject_cast<CTabLayoutUI*>(manager_.FindControl(name));
    if (!power) return;
    int index = -1;
    for (int i = 0; i < entryCount(); ++i) {
        CDeviceOptionUI* entry = entryAt(i);
        if (!entry || !entry->EntryVisible() || !entry->IsDeviceSelected()) continue;
        if (entry->Page() && entry->Page()->reportsPower()) index = entry->PowerIndex();
        break;
    }
    power->SetVisible(index >= 0);
    if (index >= 0) power->SelectItem(index);
}

COrvaneUSBDevice* DeviceSelector::CurrentDevicePage() const {
    for (int i = 0; i < entryCount(); ++i) {
        CDeviceOptionUI* entry = entryAt(i);
        if (entry && entry->EntryVisible() && entry->IsDeviceSelected()) return entry->Page();
    }
    return nullptr;
}

bool DeviceSelector::SelectByFolder(const std::string& folder) {
    for (int i = 0; i < entryCount(); ++i) {
        CDeviceOptionUI* entry = entryAt(i);
        if (!entry || !entry->EntryVisible() || !entry->Page() || entry->Page()->deviceFolderName() != folder) continue;
        ShowEntry(i, true, true);
        OnDeviceSelected();
        return true;
    }
    return false;
}

int DeviceSelector::FirstVisibleEntry(int* firstIndex) const {
    int count = 0;
    if (firstIndex) *firstIndex = -1;
    for (int i = 0; i < entryCount(); ++i) {
        CDeviceOptionUI* entry = entryAt(i);
        if (!entry || !entry->EntryVisible()) continue;
        if (count++ == 0 && firstIndex) *firstIndex = i;
    }
    return count;
}

}  // namespace talven
