// COrvaneHS6533Device: the page, its audio side and the headset's own
// lighting reports.

#include "pages/headset/headset_device_page.h"

#include "device/headset/headset_lighting.h"
#include "device/lighting/light_panel_rules.h"
#include "editors/magic_control.h"
#include "editors/voice6533_control.h"
#include "platform/debug_output.h"
#include "ui/paint_manager.h"

#include <algorithm>

namespace talven {

using namespace headset::audio_value;

COrvaneHS6533Device::COrvaneHS6533Device()
    : COrvaneMousePadDevice(std::make_unique<CHs6533Profiledata>(), lighting::panel_variant::UsbHeadset,
                            headset::kHeadsetShapes) {}

COrvaneHS6533Device::~COrvaneHS6533Device() {
    // The lighting thread sends through the headset's link: it ends first.
    stopAnimation();
}

void COrvaneHS6533Device::bindPageControls() {
    COrvaneMousePadDevice::bindPageControls();
    if (!audioStarted_) startAudio();
}

int COrvaneHS6533Device::transmitFrame(std::span<const uint32_t> frame) { return headsetLink_.sendFrame(frame); }

// ---- audio start-up and the profile -------------------------------------------------

void COrvaneHS6533Device::startAudio() {
    audioStarted_ = true;
    session_ = headset::openHeadsetAudio(headset::AudioLibrary::defaultPath(), &audioError_);
    if (session_ && !session_->warning.empty()) debugOutput("headset audio: " + session_->warning);
    if (!session_) debugOutput("headset audio: " + audioError_);
    showAudio();
}

// The profile decides the equaliser's mode and holds the named curves; the
// levels, mutes, bands and voice changer are what the headset has, read
// when the library started and again at every connection.
void COrvaneHS6533Device::profileLoaded() {
    CHs6533Profiledata& profile = headsetProfile();
    storedValues_ = profile.ReadSystemSetStages();
    storedEq_ = headset::EqualiserState{};
    storedEq_.curves = headset::readCurves(profile);
    storedEq_.mode = storedValues_[EqMode];
    storedEq_.selectedCurve = storedValues_[CustomCurve];
    if (!session_) return showAudio();
    HeadsetSystemRecord values = session_->audio->values();
    headset::EqualiserState eq = session_->audio->equaliser();
    values[EqMode] = storedValues_[EqMode];
    values[CustomCurve] = storedValues_[CustomCurve];
    eq.curves = storedEq_.curves;
    session_->audio->setStored(values, eq);
    showAudio();
}

void COrvaneHS6533Device::onConnected() {
    COrvaneMousePadDevice::onConnected();
    if (!session_ || !commandChannel_.isConnected()) return;
    session_->audio->readAll();
    audioChanged();
}

// A profile the user chose brings its audio values to the headset, as its
// lighting goes to the settings block. A damaged one is shown with the
// factory settings in its place, and those must not replace the user's.
void COrvaneHS6533Device::selectProfile(const std::string& uuid) {
    COrvaneMousePadDevice::selectProfile(uuid);
    if (!session_ || profileDamaged()) return;
    headset::applyAudioValues(*session_->audio, storedValues_, storedEq_.curves);
    audioChanged();
}

void COrvaneHS6533Device::applyProfileToPage() {
    COrvaneMousePadDevice::applyProfileToPage();
    showAudio();
}

HeadsetSystemRecord COrvaneHS6533Device::audioValues() const {
    return session_ ? session_->audio->values() : storedValues_;
}

const headset::EqualiserState& COrvaneHS6533Device::equaliser() const {
    return session_ ? session_->audio->equaliser() : storedEq_;
}

void COrvaneHS6533Device::audioChanged() {
    if (!session_) return;
    storedValues_ = session_->audio->values();
    storedEq_ = session_->audio->equaliser();
    headset::writeAudioState(headsetProfile(), storedValues_, storedEq_.curves);
    saveProfile();
    showAudio();
}

// ---- panels ---------------------------------------------------------------------------

CVoice6533ControlUI* COrvaneHS6533Device::voicePanel() const {
    return qobject_cast<CVoice6533ControlUI*>(pageControl("Voice6533ControlItem"));
}

CMagicControlUI* COrvaneHS6533Device::magicPanel() const {
    return qobject_cast<CMagicControlUI*>(pageControl("MagicControlItem"));
}

void COrvaneHS6533Device::showAudio() {
    const HeadsetSystemRecord values = audioValues();
    const headset::EqualiserState& eq = equaliser();
    const QString why = QString::fromStdString(audioError_);
    if (CVoice6533ControlUI* voice = voicePanel()) {
        voice->showUnavailable(why);
        // Without a library the line above already says why nothing works.
        voice->showEqualiserNote(session_ && !session_->audio->equaliserHeard());
        voice->setInputOn(values[InputOn] != 0);
        voice->setInputLevel(values[InputLevel]);
        voice->setMonitoringOn(values[MonitorOn] != 0);
        voice->setMonitoringLevel(values[MonitorLevel]);
        voice->enableMonitoring(session_ && session_->audio->hasMonitoring());
        voice->selectEqualiserMode(eq.mode);
        voice->removeAllCurves();
        for (const headset::CustomCurve& curve : eq.curves) voice->addCurveName(QString::fromStdString(curve.name));
        voice->selectCurve(eq.selectedCurve);
        voice->enableCustomControls(session_ && eq.customMarked());
        for (int band = 0; band < kEqBandCount; ++band) voice->setBand(band, eq.bands[static_cast<size_t>(band)]);
    }
    if (CMagicControlUI* magic = magicPanel()) {
        const bool changer = session_ && session_->audio->hasVoiceChanger();
        magic->showUnavailable(why, session_ && !changer);
        magic->setOn(values[VoiceChangerOn] != 0);
        magic->selectType(values[VoiceType]);
        magic->enableAll(changer);
    }
}

// ---- audio operations -----------------------------------------------------------------

template <typename Change>
void COrvaneHS6533Device::changeAudio(Change change) {
    if (!session_) return;
    change(*session_->audio);
    audioChanged();
}

void COrvaneHS6533Device::setInputLevel(int percent) {
    changeAudio([&](headset::HeadsetAudio& audio) { audio.setInputLevel(percent); });
}
void COrvaneHS6533Device::toggleInputMute() {
    changeAudio([](headset::HeadsetAudio& audio) { audio.toggleInputMute(); });
}
void COrvaneHS6533Device::setMonitorLevel(int percent) {
    changeAudio([&](headset::HeadsetAudio& audio) { audio.setMonitorLevel(percent); });
}
void COrvaneHS6533Device::toggleMonitorMute() {
    changeAudio([](headset::HeadsetAudio& audio) { audio.toggleMonitorMute(); });
}
void COrvaneHS6533Device::toggleVoiceChanger() {
    changeAudio([](headset::HeadsetAudio& audio) { audio.toggleVoiceChanger(); });
}
void COrvaneHS6533Device::selectVoiceType(int type) {
    changeAudio([&](headset::HeadsetAudio& audio) { audio.selectVoiceType(type); });
}
void COrvaneHS6533Device::selectEqualiser(int mode) {
    changeAudio([&](headset::HeadsetAudio& audio) { audio.selectEqualiser(mode); });
}
void COrvaneHS6533Device::setBand(int band, int value) {
    changeAudio([&](headset::HeadsetAudio& audio) { audio.setBand(band, value); });
}

void COrvaneHS6533Device::pickCurve(int index) {
    if (!session_) return;
    HeadsetSystemRecord values = session_->audio->values();
    headset::EqualiserState eq = session_->audio->equaliser();
    if (index < 0 || static_cast<size_t>(index) >= eq.curves.size()) return;
    values[CustomCurve] = index;
    session_->audio->setStored(values, eq);
    session_->audio->selectEqualiser(kCustomEqType);
    audioChanged();
}

int COrvaneHS6533Device::saveCurve() {
    CVoice6533ControlUI* voice = voicePanel();
    if (!session_ || !voice) return headset::kCurveRefused;
    const std::string name = voice->newCurveName().trimmed().toStdString();
    const int result = session_->audio->saveCurve(name);
    if (result == headset::kCurveStored) audioChanged();
    if (result == headset::kCurveDuplicate) askUser("message_text_5", false);
    // Twenty curves already: the user learns why nothing was added. With no
    // name and no curve selected there is nothing to overwrite or say.
    if (result == headset::kCurveRefused && !name.empty()) askUser("message_text_eq_curve_limit", false);
    return result;
}

void COrvaneHS6533Device::deleteCurve() {
    const std::vector<int> stored = headsetProfile().ReadEqValues(1);
    headset::Bands presetOne{};
    std::copy_n(stored.begin(), std::min(stored.size(), presetOne.size()), presetOne.begin());
    changeAudio([&](headset::HeadsetAudio& audio) { audio.deleteCurve(presetOne); });
}

}  // namespace talven
