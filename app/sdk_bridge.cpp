#include "app/sdk_bridge.h"

#include "app/device_selector.h"
#include "device/keyboard/keyboard_records.h"
#include "device/lighting/led_frame.h"
#include "device/product_table.h"
#include "editors/light_control.h"
#include "pages/keyboard/keyboard_device_page.h"
#include "pages/light_panel_routes.h"
#include "pages/usb_device_page.h"
#include "platform/debug_output.h"
#include "platform/hid/hid_enumerator.h"
#include "rgbsdk/sdk_modes.h"
#include "ui/paint_manager.h"
#include "ui/queued_call.h"
#include "ui/xml_node.h"
#include "update/update_table.h"

#include <cstdio>

namespace talven {

namespace {

constexpr int kRefreshMs = 1000;

using rgbsdk::SdkCommand;

int32_t deviceTypeOf(uint16_t kind) {
    switch (kind) {
    case kind::Keyboard: return rgbsdk::device_type::Keyboard;
    case kind::MousePad: return rgbsdk::device_type::MouseMat;
    case kind::Headset: return rgbsdk::device_type::Headset;
    default: return rgbsdk::device_type::Mouse;
    }
}

const char* typeWord(uint16_t kind) {
    switch (kind) {
    case kind::Keyboard: return "Keyboard";
    case kind::MousePad: return "Mouse pad";
    case kind::Headset: return "Headset";
    default: return "Mouse";
    }
}

// The keyboard renders its lighting itself; the other products are sent
// frames, which a client can then fill.
bool streamsFrames(const COrvaneUSBDevice& page) { return page.kind() != kind::Keyboard; }

bool connected(COrvaneUSBDevice& page) { return page.drivesDevice() && page.commandChannel().isConnected(); }

// A product is shown to clients once its page has read its lighting modes:
// before that a client would see a product without modes.
bool ready(COrvaneUSBDevice& page) { return connected(page) && !page.lightModeList().names.empty(); }

std::string productName(const COrvaneUSBDevice& page) {
    for (size_t i = 0; i < kProductTable.size(); ++i)
        if (kProductTable[i].kindName == page.deviceFolderName())
            return std::string(update::kUpdateTable[i].productName);
    return page.deviceFolderName();
}

std::string releaseText(const std::string& node) {
    const std::optional<uint16_t> release = hid::readReleaseNumberForNode(node);
    if (!release) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%x.%02x", *release >> 8, *release & 0xFF);
    return text;
}

LightSettings lightOf(COrvaneUSBDevice& page) {
    std::lock_guard<std::mutex> lock(page.frameLock());
    return page.lighting().lightParams();
}

// The panel follows a change a client made, as it follows one from the
// lighting sync.
void showOnPanel(COrvaneUSBDevice& page) {
    ui::CPaintManagerUI* manager = page.GetManager();
    if (!manager) return;
    auto* panel = qobject_cast<CLightControlUI*>(manager->FindSubControlByName(&page, "LightControlItem"));
    if (!panel) return;
    const LightSettings light = lightOf(page);
    panel->showLightParams(light.word1(), light.word2());
    panel->applyModeRules(light.selectItem);
}

QHash<QString, QString> readEnglishTexts() {
    QHash<QString, QString> texts;
    const auto root = ui::ParseXmlFile(ui::CPaintManagerUI::ResolveResourceFile(QStringLiteral("lan_en.xml")));
    if (!root) return texts;
    for (const ui::XmlNode& node : root->children)
        texts.insert(node.attribute(QStringLiteral("id")), node.attribute(QStringLiteral("value")));
    return texts;
}

}  // namespace

SdkBridge::SdkBridge(DeviceSelector& selector) : selector_(selector), englishTexts_(readEnglishTexts()) {
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, [this] { publish(); });
}

SdkBridge::~SdkBridge() { stop(); }

bool SdkBridge::start(const rgbsdk::ServerAddress& address, QString* error) {
    if (running()) return true;
    server_ = std::make_unique<rgbsdk::SdkServer>(address, [this](SdkCommand c) { queue(std::move(c)); });
    publish();
    std::string why;
    if (!server_->start(&why)) {
        server_.reset();
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    debugOutputf("lighting network server on %s port %u", address.host.c_str(), server_->port());
    refresh_.start();
    return true;
}

void SdkBridge::stop() {
    refresh_.stop();
    if (server_) server_->stop();
    server_.reset();
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.clear();
    while (!holders_.empty()) release(holders_.begin()->first);
}

// Server thread.
void SdkBridge::queue(SdkCommand command) {
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        if (queue_.size() >= kMaxQueued && command.kind != SdkCommand::Kind::ClientGone) return;
        queue_.push_back(std::move(command));
    }
    if (!runQueued_.exchange(true)) ui::queueCall(this, [this] { runPending(); });
}

void SdkBridge::runPending() {
    std::deque<SdkCommand> commands;
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        commands.swap(queue_);
        runQueued_ = false;
    }
    for (const SdkCommand& c : commands) apply(c);
}

void SdkBridge::apply(const SdkCommand& c) {
    if (c.kind == SdkCommand::Kind::ClientGone) return releaseClient(c.client);
    if (c.controller >= published_.size()) return;
    COrvaneUSBDevice* page = published_[c.controller];
    if (!page || !connected(*page)) return;
    switch (c.kind) {
    case SdkCommand::Kind::SetCustomMode:
    case SdkCommand::Kind::UpdateMode: return applyMode(*page, c);
    default: return applyColours(*page, c);
    }
}

void SdkBridge::applyMode(COrvaneUSBDevice& page, const SdkCommand& c) {
    std::optional<rgbsdk::ModeChoice> choice;
    if (c.kind == SdkCommand::Kind::SetCustomMode) {
        // The custom mode is "Direct" where frames stream, the keyboard's own
        // custom mode (keys on or off) on the keyboard.
        choice.emplace();
        choice->direct = streamsFrames(page);
        choice->change.mode = keyboard::kCustomLightMode;
    } else {
        choice = rgbsdk::modeChoice(modesOf(page), c.mode);
    }
    if (!choice) return;
    if (choice->direct) {
        hold(page, c.client);
    } else {
        release(&page);
        changePageLighting(page, choice->change);
        showOnPanel(page);
    }
    publish();
}

void SdkBridge::applyColours(COrvaneUSBDevice& page, const SdkCommand& c) {
    size_t first = 0;
    if (c.kind == SdkCommand::Kind::UpdateZoneLeds && c.zone != 0) return;  // one zone per product
    if (c.kind == SdkCommand::Kind::UpdateSingleLed) {
        if (c.led < 0) return;
        first = static_cast<size_t>(c.led);
    }
    if (page.clientDriven()) return page.showClientColours(first, c.colours);
    // In its custom mode the keyboard lights a key or not: a colour lights it.
    auto* keyboardPage = qobject_cast<COrvaneKeyboardDevice*>(&page);
    if (!keyboardPage || lightOf(page).selectItem != keyboard::kCustomLightMode) return;
    std::vector<int> on, off;
    for (size_t i = 0; i < c.colours.size() && first + i < static_cast<size_t>(page.ledCount()); ++i) {
        const int led = static_cast<int>(first + i);
        const bool lit = c.colours[i] != 0;
        if (lit != keyboardPage->customKeyLit(led)) (lit ? on : off).push_back(led);
    }
    if (!on.empty()) keyboardPage->setCustomKeys(on, true);
    if (!off.empty()) keyboardPage->setCustomKeys(off, false);
}

void SdkBridge::hold(COrvaneUSBDevice& page, uint64_t client) {
    holders_[&page] = client;
    page.setClientDriven(true);
}

void SdkBridge::release(COrvaneUSBDevice* page) {
    if (holders_.erase(page) == 0) return;
    page->setClientDriven(false);
}

void SdkBridge::releaseClient(uint64_t client) {
    for (auto it = holders_.begin(); it != holders_.end();) {
        COrvaneUSBDevice* page = it->first;
        ++it;
        if (holders_[page] == client) release(page);
    }
    publish();
}

std::vector<COrvaneUSBDevice*> SdkBridge::controllerPages() const {
    std::vector<COrvaneUSBDevice*> pages;
    for (COrvaneUSBDevice* page : selector_.pages())
        if (ready(*page)) pages.push_back(page);
    return pages;
}

void SdkBridge::publish() {
    const std::vector<COrvaneUSBDevice*> pages = controllerPages();
    // A product that went away gives its device back.
    for (auto it = holders_.begin(); it != holders_.end();) {
        COrvaneUSBDevice* page = (it++)->first;
        if (std::find(pages.begin(), pages.end(), page) == pages.end()) release(page);
    }
    bool changed = pages.size() != published_.size();
    for (size_t i = 0; !changed && i < pages.size(); ++i) changed = published_[i] != pages[i];
    published_.assign(pages.begin(), pages.end());
    if (!server_) return;
    rgbsdk::ControllerList controllers;
    for (COrvaneUSBDevice* page : pages) controllers.push_back(describe(*page));
    server_->setControllers(std::move(controllers), changed);
}

QString SdkBridge::english(const std::string& key) const {
    const QString k = QString::fromStdString(key);
    return englishTexts_.value(k, k);
}

std::vector<rgbsdk::SdkMode> SdkBridge::modesOf(COrvaneUSBDevice& page) const {
    const COrvaneUSBDevice::LightModeList list = page.lightModeList();
    rgbsdk::ModeSource source;
    for (const std::string& key : list.names) source.names.push_back(english(key).toStdString());
    source.visible = list.visible;
    source.panelVariant = list.panelVariant;
    source.direct = streamsFrames(page);
    return rgbsdk::buildModes(source, lightOf(page));
}

rgbsdk::SdkController SdkBridge::describe(COrvaneUSBDevice& page) const {
    rgbsdk::SdkController c;
    c.type = deviceTypeOf(page.kind());
    c.name = productName(page);
    c.vendor = "TALVEN";
    c.description = std::string("TALVEN ") + typeWord(page.kind());
    c.version = releaseText(page.identity().path);
    c.location = "HID: " + page.identity().path;
    c.modes = modesOf(page);
    c.activeMode = rgbsdk::activeModeIndex(c.modes, lightOf(page), page.clientDriven());
    const std::vector<uint32_t> frame = page.frameSnapshot();
    c.zones = {{typeWord(page.kind()), rgbsdk::kZoneLinear, static_cast<uint32_t>(frame.size())}};
    for (size_t i = 0; i < frame.size(); ++i) {
        c.ledNames.push_back("LED " + std::to_string(i + 1));
        const uint32_t shown = lighting::scaledColour(frame[i] & 0xFFFFFFu, lighting::ledBrightness(frame[i]));
        c.colours.push_back(shown & 0xFFFFFFu);
    }
    return c;
}

}  // namespace talven
