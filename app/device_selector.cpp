#include "app/device_selector.h"

#include "app/device_option.h"
#include "device/product_table.h"
#include "pages/usb_device_page.h"
#include "editors/power_indicator.h"
#include "platform/debug_output.h"
#include "ui/dialog_builder.h"
#include "ui/layouts.h"
#include "ui/paint_manager.h"

namespace talven {

using namespace ui;

namespace {

bool sameInterface(const InterfaceEntry& a, const InterfaceEntry& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
           a.collectionNumber == b.collectionNumber && a.kind == b.kind;
}

QString latin(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

DeviceSelector::DeviceSelector(CPaintManagerUI& manager, IDialogBuilderCallback* builder, QWidget* window,
                               Hooks hooks)
    : manager_(manager), builder_(builder), window_(window), hooks_(std::move(hooks)) {}

CControlUI* DeviceSelector::build(const char* layout) {
    CDialogBuilder builder;
    return builder.Create(QString::fromLatin1(layout), {}, builder_, &manager_);
}

void DeviceSelector::CreatePages(const std::vector<DeviceSlot>& slotList) {
    for (const ProductRow& row : kProductTable) {
        for (size_t i = 0; i < slotList.size(); ++i) {
            const DeviceSlot& slot = slotList[i];
            if (slot.vendorId == row.vendorId && slot.productId == row.productId && slot.kind == row.kind) {
                if (!CreateProductPage(slot, static_cast<int>(i), 0))
                    debugOutputf("no page for %s", std::string(row.kindName).c_str());
                break;
            }
        }
    }
    UpdatePowerCard();
}

bool DeviceSelector::CreateProductPage(const DeviceSlot& slot, int slotIndex, int subKind) {
    const ProductRow* row = productForSlot(slot);
    if (!row || row->subKind != subKind) return false;
    auto* power = qobject_cast<CMpDevicePowerUI*>(build("XML\\CustomControlXML\\MpDevicePower.xml"));
    auto* page = qobject_cast<COrvaneUSBDevice*>(build(std::string(row->pageLayout).c_str()));
    auto* entry = qobject_cast<CDeviceOptionUI*>(build(std::string(row->entryLayout).c_str()));
    auto* powerSwitch = qobject_cast<CContainerUI*>(manager_.FindControl(latin(kPowerLayoutName)));
    auto* pageSwitch = qobject_cast<CContainerUI*>(manager_.FindControl(QStringLiteral("device_switch")));
    auto* strip = qobject_cast<CContainerUI*>(manager_.FindControl(QStringLiteral("device_select_layout")));
    if (!power || !page || !entry || !powerSwitch || !pageSwitch || !strip) {
        delete power;
        delete page;
        delete entry;
        return false;
    }
    powerSwitch->Add(power);
    power->SetKind(row->kind, slotIndex);
    powerIndicators_.push_back(power);

    page->setOwnerWindow(window_);
    page->setPageName(std::string(row->pageLayout));
    page->setKeyCount(row->keyCount);
    page->setLedCount(row->ledCount);
    page->setPowerMode(row->powerMode);
    page->setDeviceFolderName(std::string(row->kindName));
    page->setPowerIndicator(power);
    page->setIdentity(slot);
    page->bindPageControls();
    page->initProfilePanel(row->kind);
    pageSwitch->Add(page);
    allPages_.push_back(page);

    strip->Add(entry);
    entry->ShowSynchroOption(false);
    entry->SetSelectGroup(latin(kSelectorGroup));
    entry->BindDeviceTab(QStringLiteral("device_switch"), pageSwitch->GetCount() - 1);
    entry->SetPowerLayout(latin(kPowerLayoutName), powerSwitch->GetCount() - 1);
    entry->SetKind(row->kind, row->subKind);
    entry->SetVisible(false);
    entry->SetNameText(latin(row->kindName));
    entry->LinkPage(page);
    return true;
}

std::vector<COrvaneUSBDevice*> DeviceSelector::pagesOfKind(uint16_t k) const {
    std::vector<COrvaneUSBDevice*> pages;
    for (COrvaneUSBDevice* page : allPages_) {
        if (page->kind() == k || (k == kind::Mouse && page->kind() == kind::WirelessMouse)) pages.push_back(page);
    }
    return pages;
}

std::vector<COrvaneUSBDevice*> DeviceSelector::pagesOfProduct(const DeviceSlot& slot) const {
    std::vector<COrvaneUSBDevice*> pages;
    for (COrvaneUSBDevice* page : allPages_) {
        const InterfaceEntry& id = page->identity();
        if (id.vendorId == slot.vendorId && id.productId == slot.productId && id.kind == slot.kind) pages.push_back(page);
    }
    return pages;
}

int DeviceSelector::entryCount() const {
    auto* strip = qobject_cast<CContainerUI*>(manager_.FindControl(QStringLiteral("device_select_layout")));
    return strip ? strip->GetCount() : 0;
}

CDeviceOptionUI* DeviceSelector::entryAt(int index) const {
    auto* strip = qobject_cast<CContainerUI*>(manager_.FindControl(QStringLiteral("device_select_layout")));
    return strip ? qobject_cast<CDeviceOptionUI*>(strip->GetItemAt(index)) : nullptr;
}

COrvaneUSBDevice* DeviceSelector::pageForSlot(const DeviceSlot& slot) const {
    for (COrvaneUSBDevice* page : allPages_) {
        if (sameInterface(page->identity(), slot)) return page;
    }
    return nullptr;
}

void DeviceSelector::connectCommandInterface(COrvaneUSBDevice& page, const DeviceSlot& slot) {
    CommandChannel& channel = page.commandChannel();
    if (channel.isConnected()) return;
    // The page's own threads may already hold the channel object.
    std::lock_guard<std::mutex> lock(channel.ioLock());
    if (!channel.device().open(slot.path, true, true, true, false)) {
        debugOutputf("cannot open %s", slot.path.c_str());
        return;
    }
    channel.setSlowLink(slot.kind == kind::WirelessMouse);
    channel.setConnected(true);
    page.setIdentity(slot);
    page.startAnimation();
}

}  // namespace talven
