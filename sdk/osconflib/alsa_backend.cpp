#include "sdk/osconflib/alsa_backend.h"

#include "sdk/osconflib/element_choice.h"

#include <alsa/asoundlib.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace osconf {

namespace {

// One direction of a simple mixer element: capture for the microphone,
// playback for its monitoring.
class AlsaControl final : public LevelControl {
public:
    AlsaControl(snd_mixer_elem_t* elem, bool capture) : elem_(elem), capture_(capture) {}

    int channels() const override {
        int count = 0;
        for (int ch = 0; ch <= SND_MIXER_SCHN_LAST; ++ch) {
            auto channel = static_cast<snd_mixer_selem_channel_id_t>(ch);
            if (capture_ ? snd_mixer_selem_has_capture_channel(elem_, channel)
                         : snd_mixer_selem_has_playback_channel(elem_, channel)) {
                count = ch + 1;
            }
        }
        return count;
    }
    LevelRange rawRange() const override {
        LevelRange range;
        if (capture_) snd_mixer_selem_get_capture_volume_range(elem_, &range.min, &range.max);
        else snd_mixer_selem_get_playback_volume_range(elem_, &range.min, &range.max);
        return range;
    }
    std::optional<LevelRange> dbRange() const override {
        LevelRange range;
        int result = capture_ ? snd_mixer_selem_get_capture_dB_range(elem_, &range.min, &range.max)
                              : snd_mixer_selem_get_playback_dB_range(elem_, &range.min, &range.max);
        // A scale whose bottom is "muted" (-inf) has no usable minimum for a
        // dB answer; the raw steps serve then.
        if (result < 0 || range.min >= range.max || range.min <= SND_CTL_TLV_DB_GAIN_MUTE) return std::nullopt;
        return range;
    }
    std::optional<long> raw(int channel) const override {
        long value = 0;
        auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
        int result = capture_ ? snd_mixer_selem_get_capture_volume(elem_, id, &value)
                              : snd_mixer_selem_get_playback_volume(elem_, id, &value);
        if (result < 0) return std::nullopt;
        return value;
    }
    bool setRaw(int channel, long value) override {
        if (channel < 0) {
            return (capture_ ? snd_mixer_selem_set_capture_volume_all(elem_, value)
                             : snd_mixer_selem_set_playback_volume_all(elem_, value)) >= 0;
        }
        auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
        return (capture_ ? snd_mixer_selem_set_capture_volume(elem_, id, value)
                         : snd_mixer_selem_set_playback_volume(elem_, id, value)) >= 0;
    }
    std::optional<long> rawToDb(long raw) const override {
        long db = 0;
        int result = capture_ ? snd_mixer_selem_ask_capture_vol_dB(elem_, raw, &db)
                              : snd_mixer_selem_ask_playback_vol_dB(elem_, raw, &db);
        if (result < 0) return std::nullopt;
        return db;
    }
    std::optional<long> dbToRaw(long db) const override {
        long below = 0;
        long above = 0;
        bool ok = capture_ ? snd_mixer_selem_ask_capture_dB_vol(elem_, db, -1, &below) >= 0 &&
                                 snd_mixer_selem_ask_capture_dB_vol(elem_, db, 1, &above) >= 0
                           : snd_mixer_selem_ask_playback_dB_vol(elem_, db, -1, &below) >= 0 &&
                                 snd_mixer_selem_ask_playback_dB_vol(elem_, db, 1, &above) >= 0;
        if (!ok) return std::nullopt;
        auto distance = [&](long raw) {
            auto level = rawToDb(raw);
            return level ? std::labs(*level - db) : LONG_MAX;
        };
        return distance(below) <= distance(above) ? below : above;
    }
    bool hasSwitch() const override {
        return capture_ ? snd_mixer_selem_has_capture_switch(elem_) : snd_mixer_selem_has_playback_switch(elem_);
    }
    std::optional<bool> switchOn() const override {
        int on = 0;
        int result = capture_ ? snd_mixer_selem_get_capture_switch(elem_, SND_MIXER_SCHN_FRONT_LEFT, &on)
                              : snd_mixer_selem_get_playback_switch(elem_, SND_MIXER_SCHN_FRONT_LEFT, &on);
        if (result < 0) return std::nullopt;
        return on != 0;
    }
    bool setSwitch(bool on) override {
        return (capture_ ? snd_mixer_selem_set_capture_switch_all(elem_, on ? 1 : 0)
                         : snd_mixer_selem_set_playback_switch_all(elem_, on ? 1 : 0)) >= 0;
    }

private:
    snd_mixer_elem_t* elem_;
    bool capture_;
};

class AlsaBackend final : public Backend {
public:
    AlsaBackend(snd_mixer_t* mixer, int card, std::string storePath)
        : mixer_(mixer), card_(card), storePath_(std::move(storePath)) {
        std::vector<snd_mixer_elem_t*> elems;
        std::vector<MixerElementInfo> infos;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e != nullptr; e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_is_active(e)) continue;
            elems.push_back(e);
            infos.push_back({snd_mixer_selem_get_name(e), snd_mixer_selem_get_index(e),
                             snd_mixer_selem_has_capture_volume(e) != 0, snd_mixer_selem_has_capture_switch(e) != 0,
                             snd_mixer_selem_has_playback_volume(e) != 0,
                             snd_mixer_selem_has_playback_switch(e) != 0});
        }
        ElementChoice choice = chooseElements(infos);
        if (choice.input) input_.emplace(elems[*choice.input], true);
        if (choice.monitor) monitor_.emplace(elems[*choice.monitor], false);
    }
    ~AlsaBackend() override { snd_mixer_close(mixer_); }

    BackendKind kind() const override { return BackendKind::Alsa; }
    LevelControl* input() override { return refresh(input_); }
    LevelControl* monitor() override { return refresh(monitor_); }
    int cardNumber() const override { return card_; }
    std::string storePath() const override { return storePath_; }
    bool offersVoiceChanger() const override { return false; }

private:
    // Other programs change the same controls; take their news before a
    // value is read or written.
    LevelControl* refresh(std::optional<AlsaControl>& control) {
        if (!control) return nullptr;
        snd_mixer_handle_events(mixer_);
        return &*control;
    }

    snd_mixer_t* mixer_;
    int card_;
    std::string storePath_;
    std::optional<AlsaControl> input_;
    std::optional<AlsaControl> monitor_;
};

snd_mixer_t* openMixer(int card, std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "hw:%d", card);
    snd_mixer_t* mixer = nullptr;
    int result = snd_mixer_open(&mixer, 0);
    if (result >= 0 && (result = snd_mixer_attach(mixer, name)) >= 0 &&
        (result = snd_mixer_selem_register(mixer, nullptr, nullptr)) >= 0 &&
        (result = snd_mixer_load(mixer)) >= 0) {
        return mixer;
    }
    error = std::string("cannot open the mixer of ") + name + ": " + snd_strerror(result);
    if (mixer != nullptr) snd_mixer_close(mixer);
    return nullptr;
}

}  // namespace

std::unique_ptr<Backend> openAlsaBackend(UsbId id, const std::string& storePath, std::string& error) {
    std::optional<int> card = findUsbSoundCard("/sys/class/sound", id);
    if (!card) {
        char text[80];
        std::snprintf(text, sizeof text, "no USB sound card %04x:%04x attached", id.vendor, id.product);
        error = text;
        return nullptr;
    }
    snd_mixer_t* mixer = openMixer(*card, error);
    if (mixer == nullptr) return nullptr;
    return std::make_unique<AlsaBackend>(mixer, *card, storePath);
}

}  // namespace osconf
