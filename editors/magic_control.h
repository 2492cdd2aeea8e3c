#pragma once
// CMagicControlUI: the headset's voice-changer panel — an on/off option and
// four voice types, the types usable only while the changer is on. A thin
// view like the sound panel: it remembers only the type it shows.

#include "ui/layouts.h"

#include <QString>

namespace talven {

class CMagicControlUI : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    QString GetClass() const override { return QStringLiteral("MagicControl"); }

    // Selects the switch without a notification; the types follow it.
    void setOn(bool on);
    bool isOn();
    // Type 1..4 selects its option; anything else is remembered as 0 with
    // no option selected.
    void selectType(int type);
    int type() const { return type_; }

    // Every control; setOn decides the types' group while enabled.
    void enableAll(bool on);
    // A line saying why the panel is disabled: the library's missing (`why`,
    // its own words) or, with `noChanger`, a headset without the changer.
    void showUnavailable(const QString& why, bool noChanger);

private:
    int type_ = 0;
    bool enabled_ = true;
};

}  // namespace talven
