#include "editors/power_indicator.h"

#include "device/power_status.h"
#include "ui/paint_manager.h"
#include "ui/slider_progress.h"

#include <algorithm>
#include <array>

namespace talven {

using namespace ui;

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool CMpDevicePowerUI::FindControls() {
    CPaintManagerUI* manager = GetManager();
    if (!manager) return false;
    auto find = [&](const char* name) { return manager->FindSubControlByName(this, QString::fromLatin1(name)); };
    if (!value_) value_ = find("device_power_value");
    if (!wireless_) wireless_ = find("device_wuxian_logo");
    if (!progress_) progress_ = find("device_Power_progress");
    if (!status_) status_ = find("device_power_status");
    if (!phone_) phone_ = find("device_phone_type");
    return value_ && wireless_ && progress_ && status_ && phone_;
}

bool CMpDevicePowerUI::ShowPower(std::span<const uint8_t> report) {
    if (!FindControls()) return false;
    std::array<uint8_t, 64> bytes{};
    std::copy_n(report.begin(), std::min(report.size(), bytes.size()), bytes.begin());
    const PowerView view = powerView(static_cast<uint16_t>(kind_), bytes);
    value_->SetText(QString::fromStdString(view.text));
    if (auto* bar = qobject_cast<CProgressUI*>(progress_)) bar->SetValue(view.barValue);
    if (view.barVisible) progress_->SetVisible(*view.barVisible);
    if (view.picture != PowerPicture::Unchanged) status_->SetBkImage(fromView(powerPictureImage(view.picture)));
    if (view.wirelessMarkVisible) wireless_->SetVisible(*view.wirelessMarkVisible);
    if (view.phone) {
        const PhonePicture picture = phonePicture(*view.phone);
        phone_->SetToolTip(fromView(picture.tooltip));
        phone_->SetBkImage(fromView(picture.image));
    }
    return true;
}

void CMpDevicePowerUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_BUTTONUP && GetPos().contains(event.ptMouse) && GetManager()) {
        GetManager()->SendNotify(this, QStringLiteral("selectchanged"));
    }
    CHorizontalLayoutUI::DoEvent(event);
}

}  // namespace talven
