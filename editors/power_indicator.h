#pragma once
// CMpDevicePowerUI: a device's battery state in the device bar — level text,
// level bar, state picture, the wireless mark of mice and, for mouse pads,
// the phone lying on the pad.

#include "ui/layouts.h"

#include <QString>

#include <cstdint>
#include <span>

namespace talven {

class CMpDevicePowerUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("MpDevicePower"); }
    void SetKind(int kind, int slot) { kind_ = kind, slot_ = slot; }
    int Kind() const { return kind_; }
    int Slot() const { return slot_; }
    void SetPowerMode(int mode) { powerMode_ = mode; }
    int PowerMode() const { return powerMode_; }
    // Updates the controls from a power report (at most 64 bytes are used);
    // false when the layout lacks one of the five controls.
    bool ShowPower(std::span<const uint8_t> report);
    void DoEvent(ui::TEventUI& event) override;

private:
    bool FindControls();

    int kind_ = 0;
    int slot_ = 0;
    int powerMode_ = 0;
    ui::CControlUI* value_ = nullptr;
    ui::CControlUI* wireless_ = nullptr;
    ui::CControlUI* progress_ = nullptr;
    ui::CControlUI* status_ = nullptr;
    ui::CControlUI* phone_ = nullptr;
};

}  // namespace talven
