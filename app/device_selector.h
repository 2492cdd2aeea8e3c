#pragma once
// The device pages of the main window and the selector strip: one page and
// one entry per product row, built at start-up and hidden until a device of
// that row is connected. Keeps the selection invariant: while any entry is
// visible, a visible entry is selected.

#include "app/lighting_sync.h"
#include "device/hid_records.h"
#include "ui/notify.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace talven {

class CDeviceOptionUI;
class CMpDevicePowerUI;
class COrvaneUSBDevice;
struct ProductRow;

namespace ui {
class CPaintManagerUI;
class CControlUI;
class IDialogBuilderCallback;
}  // namespace ui

class DeviceSelector {
public:
    struct Hooks {
        std::function<void()> bringToFront;
        std::function<void()> beforeSelectedDeviceHidden;  // e.g. remove the input hook
    };
    DeviceSelector(ui::CPaintManagerUI& manager, ui::IDialogBuilderCallback* builder, QWidget* window,
                   Hooks hooks);

    // Start-up: a page, an entry and a power indicator for every product row.
    void CreatePages(const std::vector<DeviceSlot>& slotList);
    // `slotIndex` is the slot's place in the slot list; the power indicator
    // keeps it.
    bool CreateProductPage(const DeviceSlot& slot, int slotIndex, int subKind);

    void OnSlotOccupied(const DeviceSlot& slot);
    void OnSlotVacated(const DeviceSlot& slot);
    void ShowEntry(int index, bool visible, bool select);
    void HideEntry(int index);
    void OnDeviceSelected();
    // Shows the power card of the current device when its product reports
    // power (a power mode) and it is connected; hides it otherwise.
    void UpdatePowerCard();
    COrvaneUSBDevice* CurrentDevicePage() const;
    // Selects the visible entry whose page keeps its files in `folder`
    // ("keyboard", "mouse", ...); false when none is shown.
    bool SelectByFolder(const std::string& folder);
    // Index of the first visible entry (-1 when none) and how many are visible.
    int FirstVisibleEntry(int* firstIndex) const;

    const std::vector<COrvaneUSBDevice*>& pages() const { return allPages_; }
    std::vector<COrvaneUSBDevice*> pagesOfKind(uint16_t kind) const;
    // The pages of the product a slot belongs to (same vendor, product, kind).
    std::vector<COrvaneUSBDevice*> pagesOfProduct(const DeviceSlot& slot) const;
    int currentEntry() const { return currentEntry_; }
    // The lighting sync over these pages ("deng_same_mode" and its thread).
    LightingSync& lightingSync() { return lightingSync_; }

private:
    CDeviceOptionUI* entryAt(int index) const;
    int entryCount() const;
    COrvaneUSBDevice* pageForSlot(const DeviceSlot& slot) const;
    ui::CControlUI* build(const char* layout);
    void connectCommandInterface(COrvaneUSBDevice& page, const DeviceSlot& slot);

    ui::CPaintManagerUI& manager_;
    ui::IDialogBuilderCallback* builder_;
    QWidget* window_;
    Hooks hooks_;
    std::vector<COrvaneUSBDevice*> allPages_;
    std::vector<CMpDevicePowerUI*> powerIndicators_;
    int currentEntry_ = -1;
    LightingSync lightingSync_{*this};
};

}  // namespace talven
