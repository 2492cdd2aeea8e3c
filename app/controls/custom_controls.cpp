#include "app/controls/custom_controls.h"

#include "app/controls/circle_progress.h"
#include "app/controls/device_option.h"
#include "app/controls/hand_buttons.h"
#include "app/controls/key_button.h"
#include "app/controls/list_rows.h"
#include "app/controls/select_panel.h"
#include "ui/control_factory.h"

#include <array>

namespace talven {

namespace {

using Create = ui::CControlUI* (*)();

template <class T>
ui::CControlUI* make() {
    return new T;
}

struct ShellControl {
    const char* className;  // registered with the control factory
    const char* tag;        // layout tag the main window's builder knows, or nullptr
    Create create;
};

// In the order the classes are registered.
constexpr std::array<ShellControl, 10> kShellControls = {{
    {"CCircleProgressUI", "CircleProgress", make<CCircleProgressUI>},
    {"CChartViewUI", nullptr, make<CChartViewUI>},
    {"CWndUI", nullptr, make<CWndUI>},
    {"CSelectPanelUI", "SelectPanel", make<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", "DeviceKeyButton", make<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", nullptr, make<CCloudShareListItemUI>},
    {"CComboEditContainerElementUI", "ComboEditContainerElement", make<CComboEditContainerElementUI>},
    {"CHandImgButtonUI", "HandImgButton", make<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", "HandImgSelectButton", make<CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", "RedioMacroButton", make<CRedioMacroButtonUI>},
}};

}  // namespace

void registerShellControlClasses() {
    auto* factory = ui::CControlFactory::GetInstance();
    for (const ShellControl& control : kShellControls) {
        factory->RegistControl(QString::fromLatin1(control.className), control.create);
    }
    factory->RegistControl(QStringLiteral("CDeviceOptionUI"), make<CDeviceOptionUI>);
}

ui::CControlUI* createShellControl(const QString& tag) {
    for (const ShellControl& control : kShellControls) {
        if (control.tag && tag.compare(QLatin1String(control.tag), Qt::CaseInsensitive) == 0) return control.create();
    }
    return nullptr;
}

}  // namespace talven
