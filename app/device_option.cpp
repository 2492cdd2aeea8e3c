#include "app/device_option.h"

#include "pages/render_pulse.h"
#include "pages/usb_device_page.h"
#include "platform/clock.h"
#include "ui/label_button.h"
#include "ui/option.h"
#include "ui/paint_manager.h"

namespace talven {

using namespace ui;

namespace {

// The picture an entry layout shared by several products starts with.
const QString kGeneralPicture = QStringLiteral("common/device_ico/device.svg");

// What such an entry shows instead, by the kind of its product.
QString kindPicture(int kind) {
    switch (kind) {
    case kind::Keyboard: return QStringLiteral("common/device_ico/keyboard.svg");
    case kind::Mouse:
    case kind::WirelessMouse: return QStringLiteral("common/device_ico/mouse.svg");
    case kind::MousePad: return QStringLiteral("common/device_ico/mousepad.svg");
    case kind::Headset: return QStringLiteral("common/device_ico/headset.svg");
    default: return {};
    }
}

}  // namespace

CDeviceOptionUI::CDeviceOptionUI() = default;

void CDeviceOptionUI::SetVisible(bool visible) {
    visibleFlag_ = visible;
    CHorizontalLayoutUI::SetVisible(visible);
}

COptionUI* CDeviceOptionUI::SynchroOption() {
    if (!synchro_ && GetManager()) {
        synchro_ = qobject_cast<COptionUI*>(GetManager()->FindSubControlByName(this, QStringLiteral("synchro_device_select")));
    }
    return synchro_;
}

COptionUI* CDeviceOptionUI::DeviceSelectOption() {
    if (!deviceSelect_ && GetManager()) {
        deviceSelect_ = qobject_cast<COptionUI*>(GetManager()->FindSubControlByName(this, QStringLiteral("device_select")));
    }
    return deviceSelect_;
}

void CDeviceOptionUI::ShowSynchroOption(bool show) {
    if (COptionUI* option = SynchroOption()) option->SetVisible(show);
}

void CDeviceOptionUI::SetSynchroSelected(bool selected) {
    if (COptionUI* option = SynchroOption()) option->Selected(selected, false);
}

bool CDeviceOptionUI::IsSynchroSelected() {
    COptionUI* option = SynchroOption();
    return option && option->IsSelected();
}

void CDeviceOptionUI::SetDeviceSelected(bool selected) {
    if (COptionUI* option = DeviceSelectOption()) option->Selected(selected, false);
}

bool CDeviceOptionUI::IsDeviceSelected() {
    COptionUI* option = DeviceSelectOption();
    return option && option->IsSelected();
}

void CDeviceOptionUI::BindDeviceTab(const QString& tabLayout, int index) {
    if (COptionUI* option = DeviceSelectOption()) {
        option->BindTabLayoutName(tabLayout);
        option->BindTabIndex(index);
    }
}

QString CDeviceOptionUI::BoundTabLayout() {
    COptionUI* option = DeviceSelectOption();
    return option ? option->GetBindTabLayoutName() : QString();
}

int CDeviceOptionUI::BoundTabIndex() {
    COptionUI* option = DeviceSelectOption();
    return option ? option->GetBindTabLayoutIndex() : -1;
}

void CDeviceOptionUI::SetSelectGroup(const QString& group) {
    if (COptionUI* option = DeviceSelectOption()) option->SetGroup(group);
}

void CDeviceOptionUI::SetNameText(const QString& text) {
    if (!GetManager()) return;
    if (CControlUI* label = GetManager()->FindSubControlByName(this, QStringLiteral("device_select_name"))) {
        label->SetText(text);
    }
}

void CDeviceOptionUI::LinkPage(COrvaneUSBDevice* page) {
    page_ = page;
    if (page_) page_->setOptionEntry(this);
    if (GetManager()) icon_ = GetManager()->FindSubControlByName(this, QStringLiteral("device_icon"));
    // A layout of its own keeps its picture; a shared one gets the kind's.
    if (icon_ && icon_->GetBkImage() == kGeneralPicture && !kindPicture(kind_).isEmpty())
        icon_->SetBkImage(kindPicture(kind_));
}

void CDeviceOptionUI::StartArrivalTimer() {
    if (GetManager()) GetManager()->SetTimer(this, entryTimer::kArrival, entryTimer::kArrivalMs);
}

void CDeviceOptionUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER) {
        OnEntryTimer(static_cast<uint>(event.wParam));
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceOptionUI::OnEntryTimer(uint id) {
    CPaintManagerUI* manager = GetManager();
    if (!manager) return;
    // The render timer repeats by itself: re-creating it every 5 ms would
    // cost more than the tick. It stops while nothing is connected or
    // previewed, and the page starts it again with its preview.
    if (id == entryTimer::kRender) return OnRenderTick(manager);
    manager->KillTimer(this, id);
    if (!page_) return;
    switch (id) {
    case entryTimer::kArrival:
        // A page that only shows its product still renders its preview, but
        // never runs a connection sequence or a status poll on the device.
        if (page_->drivesDevice()) page_->onConnected();
        renderPeriod_ = page_->renderPeriodMs();
        manager->SetTimer(this, entryTimer::kRender, renderPeriod_);
        if (page_->reportsPower()) {
            // The first reading at once: the power card is shown from the
            // arrival on and must not wait a whole period for its value.
            page_->readDeviceStatus();
            manager->SetTimer(this, entryTimer::kStatus, entryTimer::kStatusMs);
        }
        break;
    case entryTimer::kReadSettings: page_->readDeviceSettings(); break;
    case entryTimer::kReserved1: page_->reservedOperation1(); break;
    case entryTimer::kReserved2: page_->reservedOperation2(); break;
    case entryTimer::kStatus:
        if (!page_->reportsPower()) break;
        page_->readDeviceStatus();
        manager->SetTimer(this, entryTimer::kStatus, entryTimer::kStatusMs);
        break;
    default: break;
    }
}

void CDeviceOptionUI::OnRenderTick(CPaintManagerUI* manager) {
    if (!page_ || !page_->commandChannel().isConnected() || !page_->needsRenderTicks()) {
        manager->KillTimer(this, entryTimer::kRender);
        if (page_) page_->releaseSteps();
        RenderPulse::pages().stop(this);
        return;
    }
    page_->unparkRender();
    const uint32_t paints = page_->previewPaints();
    page_->renderFrame();
    if (icon_ && IsDeviceSelected() && page_->optionPreview() && page_->previewPaints() != paints) icon_->Invalidate();
    // A tick that found nothing new parks the timer: an unchanging frame
    // costs no wake-ups at all, and the page's animation thread restarts the
    // ticks with its next changed step. A tick comes back only when the
    // preview's next paint falls due (the paint rate holds it back), or for
    // the effect's next step, which the tick then runs.
    const uint32_t paintWait = page_->previewPaintWaitMs();
    if ((page_->renderSettled() || paintWait > 0) && page_->parkRender()) {
        if (const uint32_t wait = page_->parkedTickMs(paintWait)) {
            renderPeriod_ = wait;
            manager->SetTimer(this, entryTimer::kRender, wait);
        } else {
            manager->KillTimer(this, entryTimer::kRender);
        }
        RenderPulse::pages().stop(this);
        return;
    }
    page_->releaseSteps();
    // Frames started or stopped going to the device (lighting control, a
    // slow link), or the ticks resume after a parked spell: the timer follows.
    const uint period = page_->renderPeriodMs();
    if (period != renderPeriod_ || !manager->HasTimer(this, entryTimer::kRender)) {
        renderPeriod_ = period;
        manager->SetTimer(this, entryTimer::kRender, period);
    }
    // Ticking at the device's period anyway: parked pages whose frame changed
    // go out with this tick rather than each waking the UI thread.
    if (period == entryTimer::kRenderMs) RenderPulse::pages().beat(this, tickCount());
}

}  // namespace talven
