// CMainWnd: the lighting network server, started from the settings, the
// settings window or the command line.

#include "app/main_wnd.h"
#include "app/sdk_bridge.h"
#include "platform/debug_output.h"
#include "platform/settings_store.h"

namespace talven {

rgbsdk::ServerAddress sdkServerAddress(const SettingsStore& settings, std::optional<uint16_t> portOption) {
    rgbsdk::ServerAddress address;
    if (const auto host = settings.get(kSdkServerAddressSetting); host && !host->empty()) address.host = *host;
    if (const auto port = parseStoredNumber(settings.get(kSdkServerPortSetting), 65535)) address.port = *port;
    if (portOption) address.port = *portOption;
    return address;
}

void CMainWnd::StartWantedSdkServer(const SettingsStore& settings) {
    if (sdkOption_ || settings.get(kSdkServerSetting) == "1") SetSdkServer(true);
}

bool CMainWnd::SetSdkServer(bool on, QString* error) {
    if (!on) {
        sdk_.reset();
        return false;
    }
    if (sdk_) return true;
    if (!selector_) return false;
    auto bridge = std::make_unique<SdkBridge>(*selector_);
    QString why;
    if (!bridge->start(sdkServerAddress(SettingsStore(), sdkPort_), &why)) {
        debugOutputf("lighting network server: %s", why.toUtf8().constData());
        if (error) *error = why;
        return false;
    }
    sdk_ = std::move(bridge);
    return true;
}

}  // namespace talven
