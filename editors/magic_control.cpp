#include "editors/magic_control.h"

#include "editors/panel_controls.h"
#include "ui/option.h"

namespace talven {

using namespace ui;

namespace {

constexpr int kTypes = 4;
const QString kSwitch = QStringLiteral("magic_enable_option");

QString typeOption(int type) { return QStringLiteral("magic_option_%1").arg(type); }

}  // namespace

void CMagicControlUI::setOn(bool on) {
    panel_controls::showOption(this, kSwitch, on);
    panel_controls::setTreeEnabled(FindSubControl(QStringLiteral("magic_option_layout")), on && enabled_);
}

bool CMagicControlUI::isOn() {
    auto* option = panel_controls::findIn<COptionUI>(this, kSwitch);
    return option && option->IsSelected();
}

void CMagicControlUI::selectType(int type) {
    for (int t = 1; t <= kTypes; ++t) panel_controls::showOption(this, typeOption(t), false);
    type_ = type >= 1 && type <= kTypes ? type : 0;
    if (type_ != 0) panel_controls::showOption(this, typeOption(type_), true);
}

void CMagicControlUI::enableAll(bool on) {
    enabled_ = on;
    panel_controls::setTreeEnabled(FindSubControl(kSwitch), on);
    setOn(isOn());
}

void CMagicControlUI::showUnavailable(const QString& why, bool noChanger) {
    QString key;
    if (!why.isEmpty()) key = QStringLiteral("hs_audio_unavailable");
    else if (noChanger) key = QStringLiteral("hs_no_voice_changer");
    panel_controls::showUnavailableLine(this, key, why);
}

}  // namespace talven
