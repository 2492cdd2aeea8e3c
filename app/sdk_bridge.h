#pragma once
// The lighting network server's side in the program: it describes each
// connected product as a controller, and carries out on the UI thread (where
// the pages live) what clients ask. Requests arrive on the server's thread
// and are queued to the UI thread the way the pages' own threads hand work
// over, with one queued call that runs everything waiting.
//
// A client that picks a streamed product's "Direct" mode holds that device:
// the page's own effect stops there and the client's colours go out as the
// page's frames, until the client leaves or picks another mode. Other modes
// go through the same profile and device writes as a change on the page.

#include "rgbsdk/sdk_server.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <deque>
#include <map>
#include <optional>
#include <string_view>
#include <memory>
#include <mutex>
#include <vector>

namespace talven {

class COrvaneUSBDevice;
class DeviceSelector;
class SettingsStore;

// settings.ini: "SdkServer" 1 turns the server on at start; the address and
// port it listens on ("SdkServerAddress" must be a numeric address of this
// machine, such as 0.0.0.0 to be reached from other computers).
inline constexpr std::string_view kSdkServerSetting = "SdkServer";
inline constexpr std::string_view kSdkServerAddressSetting = "SdkServerAddress";
inline constexpr std::string_view kSdkServerPortSetting = "SdkServerPort";

// Where the server listens: the stored address and port, the command line's
// port before the stored one; 127.0.0.1 port 6742 when nothing is stored.
rgbsdk::ServerAddress sdkServerAddress(const SettingsStore& settings, std::optional<uint16_t> portOption);

class SdkBridge : public QObject {
    Q_OBJECT
public:
    // Commands waiting for the UI thread beyond this are dropped (a client
    // sending faster than the pages take it); a departure never is.
    static constexpr size_t kMaxQueued = 256;

    explicit SdkBridge(DeviceSelector& selector);
    ~SdkBridge() override;

    bool start(const rgbsdk::ServerAddress& address, QString* error);
    void stop();
    bool running() const { return server_ && server_->running(); }
    uint16_t port() const { return server_ ? server_->port() : 0; }

    // A product came or went: the controllers are described anew and the
    // clients told when the list changed.
    void devicesChanged() { publish(); }

    // The controller a connected page is, in the order clients see them.
    std::vector<COrvaneUSBDevice*> controllerPages() const;

private:
    void queue(rgbsdk::SdkCommand command);
    void runPending();
    void apply(const rgbsdk::SdkCommand& command);
    void applyMode(COrvaneUSBDevice& page, const rgbsdk::SdkCommand& command);
    void applyColours(COrvaneUSBDevice& page, const rgbsdk::SdkCommand& command);
    void hold(COrvaneUSBDevice& page, uint64_t client);
    void release(COrvaneUSBDevice* page);
    void releaseClient(uint64_t client);
    void publish();
    rgbsdk::SdkController describe(COrvaneUSBDevice& page) const;
    std::vector<rgbsdk::SdkMode> modesOf(COrvaneUSBDevice& page) const;
    QString english(const std::string& key) const;

    DeviceSelector& selector_;
    std::unique_ptr<rgbsdk::SdkServer> server_;
    std::mutex queueLock_;
    std::deque<rgbsdk::SdkCommand> queue_;
    std::atomic<bool> runQueued_{false};
    std::vector<QPointer<COrvaneUSBDevice>> published_;
    std::map<COrvaneUSBDevice*, uint64_t> holders_;
    QHash<QString, QString> englishTexts_;
    // Keeps what clients read (active modes, colours) close to the pages.
    QTimer refresh_;
};

}  // namespace talven
