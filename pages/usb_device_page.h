#pragma once
// COrvaneUSBDevice: a device's page in the main window and the owner of its
// command channel at once. Every product kind derives from it; the base
// binds the page's key and LED controls, runs the seven base lighting
// effects, previews them on the page and sends each frame to the device.

#include "device/command_channel.h"
#include "device/hid_records.h"
#include "device/lighting/lighting_engine.h"
#include "pages/render_pulse.h"
#include "platform/event.h"
#include "profile/profile_data_basic.h"
#include "platform/worker_thread.h"
#include "ui/layouts.h"

#include <json/value.h>

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace talven {

class CDeviceProfileUI;
namespace ui {
class ControlRoutes;
}
class CMpDevicePowerUI;

// Posted to the main window after each battery poll (wParam: report byte 4).
inline constexpr uint kPowerStatusMessage = 0x0D01;

// Sent to the main window when a page needs the user's answer: wParam points
// to a PageQuestion, whose `key` is shown in the message box and whose
// `confirmed` the window fills in.
inline constexpr uint kPageQuestionMessage = 0x0D02;
struct PageQuestion {
    QString key;               // a language key
    bool offerCancel = false;  // a cancel button beside the confirmation
    bool confirmed = false;
};

class COrvaneUSBDevice : public ui::CHorizontalLayoutUI {
    Q_OBJECT
public:
    COrvaneUSBDevice();
    ~COrvaneUSBDevice() override;

    QString GetClass() const override { return QStringLiteral("OrvaneUSBDevice"); }

    // The routes every page shares (key picked, editor tabs).
    static void AddRoutes(ui::ControlRoutes& routes);

    // ---- set-up by the main window ---------------------------------------
    void setKeyCount(int count);
    void setLedCount(int count);
    void setDeviceFolderName(const std::string& name) { deviceFolderName_ = name; }
    void setPageName(const std::string& name) { pageName_ = name; }
    void setIdentity(const InterfaceEntry& entry);
    // Whether the page previews its lighting (and sends its frames): only
    // while the window is shown and has lighting control. Turning it on
    // restarts the entry's render timer, which stops while it is off.
    void setPreview(bool on);
    // Whether a render tick has work: a preview someone can see, or frames
    // for the device. The selector entry stops its render timer otherwise.
    bool needsRenderTicks() const;
    // The render timer's period: 5 ms while frames go to the device, the
    // preview's rate otherwise.
    uint renderPeriodMs() const;
    void SetVisible(bool visible = true) override;
    void setOptionPreview(bool on) { optionPreview_ = on; }
    void setOwnerWindow(QWidget* window) { ownerWindow_ = window; }
    // The selector entry that drives this page with its timers.
    void setOptionEntry(ui::CControlUI* entry) { optionEntry_ = entry; }
    void setPowerIndicator(CMpDevicePowerUI* indicator);
    void setPowerMode(int mode);
    void setMultiDevice(bool on) { multiDevice_ = on; }
    // The main window's lighting-control flag: while it is off another
    // program drives the lighting, and no frame goes to the device.
    void setLightingControl(bool on) { lightingControl_ = on; }

    int keyCount() const { return keyCount_; }
    int ledCount() const { return ledCount_; }
    int powerMode() const { return powerMode_; }
    bool preview() const { return preview_; }
    bool optionPreview() const { return optionPreview_; }
    bool multiDevice() const { return multiDevice_; }
    bool lightingControl() const { return lightingControl_; }
    // The lighting-control flag of this device alone: while a network client
    // drives its LEDs directly the page's own effect stops and the client's
    // colours go out as the page's frames; off, the effect goes on.
    void setClientDriven(bool on);
    bool clientDriven() const { return clientDriven_.load(); }
    // While client-driven: LEDs from `first` on take `colours` (red lowest,
    // then green and blue) at full brightness; LEDs past the page's are
    // ignored.
    void showClientColours(size_t first, std::span<const uint32_t> colours);
    // Whether the page talks to its device at all. The base page only shows
    // its product: controls, profiles and a preview of the base effects. The
    // products' report formats differ (the headset's lighting is not a
    // command frame at all), so nothing is sent — no frames, no connection
    // sequence, no status polls — until a device class that speaks its
    // product's protocol switches this on.
    bool drivesDevice() const { return drivesDevice_; }
    // The page reads its device's power state: it drives a connected device
    // of a product with a power mode.
    bool reportsPower() const { return drivesDevice_ && powerMode_ != 0 && commandChannel_.isConnected(); }
    const InterfaceEntry& identity() const { return identity_; }
    uint16_t kind() const { return kind_; }
    ui::CControlUI* optionEntry() const { return optionEntry_; }
    CMpDevicePowerUI* powerIndicator() const { return powerIndicator_; }
    QWidget* ownerWindow() const { return ownerWindow_; }
    const std::string& deviceFolderName() const { return deviceFolderName_; }
    ui::CControlUI* keyButton(int index) const;
    ui::CControlUI* lightButton(int index) const;
    CommandChannel& commandChannel() { return commandChannel_; }
    // The lighting state; hold frameLock() while touching it from a thread.
    lighting::LightingEngine& lighting() { return lighting_; }
    std::mutex& frameLock() const { return frameLock_; }
    // The LED values as they are now, taken under the frame lock.
    std::vector<uint32_t> frameSnapshot() const;

    // ---- paths --------------------------------------------------------------
    std::string defaultDataFolder() const;
    std::string defaultProfilePath() const;
    std::string userDataFolder() const;

    // ---- profiles ----------------------------------------------------------
    // Finds the page's profile panel (its first "DeviceProfile" control),
    // gives it the kind and folders, reads the profile list and points the
    // page at the listed profile. Once, after bindPageControls.
    void initProfilePanel(int profileKind);
    CDeviceProfileUI* profilePanel() const { return profileUi_; }
    // Points the page at a profile without loading it; a UUID that is not a
    // plain file name is ignored.
    void setProfileUuid(const std::string& uuid);
    // data folder + UUID + ".Json"; empty before a profile was chosen.
    std::string profilePath() const;
    // The profile list chose `uuid`: the page loads the profile and shows
    // it. Kinds that keep settings on the device also send them there.
    virtual void selectProfile(const std::string& uuid);

    // ---- overridable operations, in the order the kinds override them ------
    virtual void bindPageControls();
    virtual void applyProfileLighting() {}
    virtual void effectBreathingSpectrum();
    virtual void effectBreathingFourColours();
    virtual void effectStatic();
    virtual void effectSpectrumCycle();
    virtual void effectBlink();
    virtual void effectBlinkFourColours();
    virtual void effectOff();
    // The page's lighting modes as its panel lists them (language keys, mode
    // i at i, and whether each is offered) and the panel's variant; empty
    // for a page without a lighting panel.
    struct LightModeList {
        std::vector<std::string> names;
        std::vector<bool> visible;
        int panelVariant = 0;
    };
    virtual LightModeList lightModeList() const { return {}; }
    // Called every render tick: repaints the LED controls whose value
    // changed (at most once per display period) and sends a changed frame.
    // An unchanged frame costs a comparison and nothing else.
    virtual void renderFrame();
    // How many times the preview was repainted (the selector entry redraws
    // its picture after a repaint, not on every tick).
    uint32_t previewPaints() const { return previewPaints_; }
    // How many times the animation thread woke the UI thread for a parked
    // render (each is a wake-up the pulse of another page did not spare).
    uint32_t renderWakes() const { return renderWakes_.load(std::memory_order_relaxed); }
    // Whether rendering has nothing left to do: nothing waits for the wire,
    // no preview waits for a paint, and the frame cannot change before the
    // animation thread's next step (the effect steps more slowly than the
    // render period, or the frame has not changed for longer than a step).
    // The entry then parks its render timer instead of ticking on an
    // unchanged frame.
    bool renderSettled() const;
    // Milliseconds until the preview may paint again, when that paint is all
    // rendering still waits for: the frame is out and cannot change before
    // the animation thread's next step. 0 otherwise (rendering must tick on,
    // or has settled).
    uint32_t previewPaintWaitMs() const;
    // Parks rendering: from now on the animation thread wakes the entry when
    // a step changes the frame. False (nothing parked) when the frame already
    // changed since the last tick.
    bool parkRender();
    void unparkRender() { renderParked_.store(false, std::memory_order_relaxed); }
    // Parked, the entry's timer comes back for what rendering waits for
    // (`paintWaitMs`, 0 for nothing) or for the effect's next step when its
    // steps keep changing the frame: that tick runs the step itself, and the
    // animation thread sleeps meanwhile instead of waking the entry for it.
    // Milliseconds until that tick, 0 for none (the timer stops).
    uint32_t parkedTickMs(uint32_t paintWaitMs);
    // Rendering ticks at its period again, or stops: the animation thread
    // takes its steps back.
    void releaseSteps();
    virtual void setLedColour(int index, uint32_t colour);
    // Every LED shows `value` (red lowest, brightness highest): the colour
    // the lighting sync supplies while this page's own lighting is paused.
    void showSyncColour(uint32_t value);
    virtual uint32_t getLedColour(int index) const;
    virtual void onConnected() {}
    virtual void readDeviceSettings() {}
    virtual void reservedOperation1() {}
    virtual void reservedOperation2() {}
    virtual void readDeviceStatus();
    virtual int reloadProfile() { return 0; }
    virtual void applyProfileToPage() {}
    virtual void reservedOperation3() {}
    virtual void loadStoredProfile() {}
    virtual int writeKeyTable(int profileIndex, std::vector<uint32_t> keyAssignments) { return 0; }
    virtual int writeKeyTableFromProfile(int profileIndex) { return 0; }
    virtual int writeMacros() { return 0; }
    virtual int writeProfileRecord(int profileIndex, uint32_t value, bool screenSizeFlag, int screenWidth,
                                   int screenHeight) {
        return 0;
    }
    virtual void loadDefaultData() {}
    virtual void setLedIndexMap(const std::map<int, int>& map) { ledIndexMap_ = map; }
    virtual void rippleDecay(int led, bool fast);
    virtual void rippleGrow(int led, bool fast);
    virtual void rippleMarkActive();
    virtual void rippleShift(bool forward);
    virtual void rippleClear();
    virtual void setFunctionPage(int page);
    virtual int getFunctionPage() const { return functionPage_; }
    virtual void saveProfileFiles() {}
    virtual std::string getProfileName() const { return {}; }
    virtual void saveProfile() {}
    virtual void setLayoutVariant(int index) { layoutVariant_ = index; }
    virtual int getLayoutVariant() const { return layoutVariant_; }
    virtual void setLightParams(uint32_t word1, uint32_t word2, uint32_t word3);
    virtual void selectKey(int index) { selectedKey_ = index; }
    // The language changed: texts the page put together from translations
    // are put together again (controls in resource-text mode follow alone).
    virtual void reloadLanguageTexts() {}

    // The device's notification interface arrived or left; the kinds that
    // read one open it here. The base has none.
    virtual void onEventInterfaceArrived(const DeviceSlot& slot) {}
    virtual void onEventInterfaceRemoved(const DeviceSlot& slot) {}

    // Runs one step of the effect chosen by the lighting mode, at `nowMs` (a
    // time-based effect shows that moment); the kinds with their own modes
    // override it. Called by the animation thread, or by the render pulse
    // while that beats.
    virtual void animationStep(uint32_t nowMs);
    // The time between steps.
    virtual int animationPeriodMs() const;

    // Starts and stops the animation thread (started once connected).
    void startAnimation();
    void stopAnimation();
    bool animating() const { return animation_.started(); }

    // Whether the profile in use could not be read. The page then holds the
    // factory settings in its place and must send none of them to the device.
    bool profileDamaged() const { return profileDamaged_; }

protected:
    // After the profile was loaded: a damaged file is reported once (the
    // user is offered the reset); loading a readable one clears the state.
    void takeProfileLoadStatus(ProfileStatus status);
    // After the profile was saved: a refused or failed save is reported.
    void takeProfileSaveStatus(ProfileStatus status);

    // A status report read from the device: to the power indicator, and its
    // byte 4 to the main window.
    void publishStatus(std::span<const uint8_t> report);

    // Paints an LED control with a colour (red | green << 8 | blue << 16) at
    // a brightness; nothing when the control is not a key button.
    static void paintLightControl(ui::CControlUI* control, uint32_t colour, uint8_t brightness);

    CommandChannel commandChannel_;
    ui::CControlUI* selectPanel_ = nullptr;
    ui::CControlUI* functionSwitch_ = nullptr;
    ui::CControlUI* keyFunctionSwitch_ = nullptr;
    QWidget* ownerWindow_ = nullptr;
    ui::CControlUI* optionEntry_ = nullptr;
    CMpDevicePowerUI* powerIndicator_ = nullptr;
    CDeviceProfileUI* profileUi_ = nullptr;
    int powerMode_ = 0;
    std::string pageName_;
    std::string profileFileName_;
    std::string configFileName_;
    std::string deviceFolderName_;
    int keyCount_ = 0;
    int ledCount_ = 0;
    int selectedKey_ = -1;
    int functionPage_ = 0;
    InterfaceEntry identity_;
    uint16_t kind_ = 0;
    uint16_t role_ = 0;
    std::vector<ui::CControlUI*> keyButtons_;
    std::vector<ui::CControlUI*> lightButtons_;
    std::map<int, int> keyMap_;
    std::map<int, int> ledBitMap_;
    std::map<int, int> ledIndexMap_;
    Json::Value defaultData_;
    Json::Value profileData_;
    Json::Value lightData_;
    lighting::LightingEngine lighting_;
    mutable std::mutex frameLock_;
    std::mutex animationLock_;
    // Per-LED records of the reactive effects, 11 bytes each.
    std::vector<std::array<uint8_t, 11>> reactive_;
    // Read by the animation threads, which idle while it is off.
    std::atomic<bool> preview_{true};
    bool optionPreview_ = false;
    bool multiDevice_ = false;
    int layoutVariant_ = 0;

    // For device classes that speak their product's protocol.
    void setDrivesDevice(bool on) {
        drivesDevice_ = on;
        renderNeedsChanged();
    }
    // Off for devices that render their lighting themselves: the frame is
    // then only previewed.
    void setSendsFrames(bool on) {
        sendsFrames_ = on;
        renderNeedsChanged();
    }
    // Paints LED control `control` for frame value `value` (colour and
    // brightness); a kind may show its LEDs differently.
    virtual void paintLed(ui::CControlUI* control, uint32_t value);
    // Sends one frame to the device; a channel result. The base sends the
    // command channel's lighting frame; a kind whose lighting is not a
    // command frame sends its own reports.
    virtual int transmitFrame(std::span<const uint32_t> frame);
    // Asks the user through the owner window; false when there is none.
    bool askUser(const char* key, bool offerCancel);
    // Shown in the main window's message box at once: a language key, or a
    // text shown as it is.
    void tellUser(const QString& text);

    // ---- writes the device did not take ------------------------------------
    static constexpr const char* kNotWrittenKey = "message_text_device_not_written";
    static constexpr const char* kMacrosNotWrittenKey = "message_text_7";
    static bool notTaken(int result) { return result != channel_result::Success; }
    // Runs `write`, a transaction with the device, and returns its result.
    // When the device was there to take it and `failed` says it did not
    // (unplugged half way, a request refused or unanswered), the user is
    // told with `key` once the current action is over, and the program goes
    // on; a device that left half way gets the settings again on arrival.
    int checkedWrite(const std::function<int()>& write, bool (*failed)(int) = notTaken,
                     const char* key = kNotWrittenKey);
    // Queues `key`; of the notices queued during one action only the first
    // is shown (one failure tends to fail every write after it).
    void queueWriteNotice(const char* key);
    // Whether a checked write failed since the page last began sending its
    // settings whole: the device may hold part of them, or none. Taking it
    // clears it; the page then sends them again (on the next connection).
    bool takeDeviceBehind() { return std::exchange(deviceBehind_, false); }

private:
    void animationLoop();
    // Runs the steps that fell due by `now`; whether any ran. The thread
    // and the render pulse both call it, and each step runs once whoever
    // gets there first.
    bool runDueSteps(uint32_t now);
    bool startStepsIfIdle(uint32_t now, int period);
    void restartSteps();
    // Milliseconds until the next step falls due (a new schedule starts one
    // period from `now`).
    int untilNextStep(uint32_t now);
    // The render pulse's beat, or the page's own tick: the due steps run
    // now, and a parked page's changed frame asks for a ride on the beat.
    void pullSteps(uint32_t now);
    // Milliseconds until the next step when the entry should run it: the
    // effect steps more slowly than the render period and its last step
    // changed the frame. 0 otherwise.
    uint32_t stepToPullMs(uint32_t now);
    // Whether the entry's timer runs the steps now (the thread leaves them).
    bool stepsPulled(uint32_t now) const;
    // A changed frame waits for the preview on screen.
    bool previewOwed() const { return previewDirty_ && isVisible(); }
    // Whether this tick repaints the preview.
    bool paintDue(uint32_t now) const;
    // The render pulse stopped running the steps: a thread that sleeps for
    // that reason alone is woken to take them back.
    void takeStepsBack();
    // The owner window's message box with `text` (a language key or a text
    // shown as it is); whether the user confirmed.
    bool askOwner(const QString& text, bool offerCancel);
    enum class ProfileNotice { None, Unsaved, Damaged };
    // Shown after the current event: a load or save may run inside the
    // connection sequence or a notification, and the box has a loop of its own.
    void queueProfileNotice(ProfileNotice notice);
    void showProfileNotice();
    // Back to the factory profile through the panel (the damaged text is kept
    // aside), then loaded and sent as any chosen profile is.
    void resetDamagedProfile();

    bool profileDamaged_ = false;
    std::string damageReportedFor_;  // the damaged profile the user was told about
    ProfileNotice pendingNotice_ = ProfileNotice::None;
    const char* pendingWriteNotice_ = nullptr;
    bool deviceBehind_ = false;

    bool drivesDevice_ = false;
    bool lightingControl_ = true;
    std::atomic<bool> clientDriven_{false};

    bool sendsFrames_ = true;

    // Copies the frame into renderedFrame_ when it differs from the last one
    // rendered; false when it is the same (no copy, no allocation).
    bool takeChangedFrame();
    // After the preview flag or the page's visibility changed: the animation
    // thread learns whether anyone uses its steps, and the selector entry is
    // asked for render ticks again when they have work.
    void renderNeedsChanged();
    void paintPreview();
    void sendFrame(uint32_t now);
    bool frameDiffersFromRendered() const;
    // No tick can find a new frame before the animation thread's next step.
    bool framesWaitForAStep() const;
    // Animation thread, after a step: a parked render learns of a changed
    // frame through one queued tick on the UI thread.
    void wakeParkedRender();
    void runRenderTickNow();
    bool framesGoToDevice() const;

    WorkerThread animation_;
    std::atomic<bool> animate_{true};  // needsRenderTicks(), for the animation thread
    // Wakes the animation thread: animate_ turned on, or the render pulse
    // stopped running its steps.
    Event animationWanted_{false};
    std::mutex stepLock_;             // the step schedule below; taken before frameLock_
    uint32_t nextStepAt_ = 0;
    bool stepsScheduled_ = false;     // false: the next step is within one period from the next look
    // The entry's timer runs the steps until then (a timer stopped without a
    // word lets the claim lapse, and the thread takes the steps back).
    std::atomic<bool> stepsPulled_{false};
    std::atomic<uint32_t> stepsPulledUntil_{0};
    uint32_t lastChangeAt_ = 0;  // when a tick last found the frame changed
    std::vector<uint32_t> renderedFrame_;
    bool previewDirty_ = false;  // a changed frame waits for the next paint
    uint32_t lastPaintAt_ = 0;
    uint32_t previewPaints_ = 0;
    bool sendPending_ = false;   // a changed frame not yet on the wire
    uint quietTicks_ = 0;        // render ticks since the frame last changed
    std::atomic<bool> renderParked_{false};
    std::atomic<uint32_t> renderWakes_{0};
    uint32_t sendPausedUntil_ = 0;
    uint32_t lastSendAt_ = 0;
    // Last: it leaves the pulse before anything its tick uses goes.
    RenderPulse::Rider pulseRider_{RenderPulse::pages(), [this] { runRenderTickNow(); },
                                   [this](uint32_t now) { pullSteps(now); }, [this] { takeStepsBack(); }};
};

}  // namespace talven
