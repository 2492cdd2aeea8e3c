#pragma once
// COrvaneHS6533Device: the USB headset's page and device object. Its
// lighting is the mouse pad's (a settings block in configuration memory,
// the pad's modes over thirteen LEDs), sent as the headset's own output
// reports; its audio side goes through the headset's audio library: the
// equaliser with presets and named curves, microphone input and monitoring
// levels and mutes, the voice changer. Without the library the page keeps
// its lighting and shows the audio panels disabled, saying why.
//
// Threads: as the pad's. Every library call runs on the UI thread.

#include "device/headset/headset_protocol.h"
#include "device/headset/headset_session.h"
#include "pages/mousepad/mousepad_device_page.h"
#include "profile/profile_data_headset.h"

#include <memory>
#include <string>

namespace talven {

class CVoice6533ControlUI;
class CMagicControlUI;
namespace ui {
class ControlRoutes;
}

class COrvaneHS6533Device : public COrvaneMousePadDevice {
    Q_OBJECT
public:
    COrvaneHS6533Device();
    ~COrvaneHS6533Device() override;

    QString GetClass() const override { return QStringLiteral("OrvaneHS6533Device"); }

    // The routes of the two audio panels.
    static void AddRoutes(ui::ControlRoutes& routes);

    // ---- base operations, the headset's way -----------------------------------
    void bindPageControls() override;
    void onConnected() override;
    void applyProfileToPage() override;
    void selectProfile(const std::string& uuid) override;

    // ---- audio operations (the panels' events) --------------------------------
    void setInputLevel(int percent);
    void toggleInputMute();
    void setMonitorLevel(int percent);
    void toggleMonitorMute();
    void toggleVoiceChanger();
    void selectVoiceType(int type);
    void selectEqualiser(int mode);
    // The curve picked in the panel's list is played.
    void pickCurve(int index);
    void setBand(int band, int value);
    // The panel's name box names a new curve; an empty one overwrites the
    // selected curve. 1 stored, 0 the name is taken, -1 refused; the user
    // is told why a named curve was not stored.
    int saveCurve();
    void deleteCurve();

    // ---- observers ------------------------------------------------------------
    bool audioReady() const { return session_ != nullptr; }
    // Why the audio side is missing (empty while it works).
    const std::string& audioError() const { return audioError_; }
    // The eight audio values and the equaliser as the page holds them.
    HeadsetSystemRecord audioValues() const;
    const headset::EqualiserState& equaliser() const;
    CHs6533Profiledata& headsetProfile() { return static_cast<CHs6533Profiledata&>(profileData()); }

protected:
    int transmitFrame(std::span<const uint32_t> frame) override;
    void profileLoaded() override;

private:
    void startAudio();
    // The audio state into the panels; controls disabled without a library.
    void showAudio();
    // One change through the library (nothing without it), then stored.
    template <typename Change>
    void changeAudio(Change change);
    // After every audio change: the state into the profile, saved, shown.
    void audioChanged();
    CVoice6533ControlUI* voicePanel() const;
    CMagicControlUI* magicPanel() const;

    headset::HeadsetProtocol headsetLink_{commandChannel_};
    std::unique_ptr<headset::HeadsetAudioSession> session_;
    std::string audioError_;
    bool audioStarted_ = false;
    // Without a library: the profile's values, shown but never sent.
    HeadsetSystemRecord storedValues_{};
    headset::EqualiserState storedEq_;
};

}  // namespace talven
