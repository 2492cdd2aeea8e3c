#pragma once
// One volume control of the headset's mixer, with the switch beside it when
// the card has one: the microphone's capture control, or the control that
// plays the microphone back into the ear (sidetone). The ALSA backend and the
// virtual device both offer their controls through this interface, so the
// level properties are worked out in one place.

#include <optional>

namespace osconf {

struct LevelRange {
    long min = 0;
    long max = 0;
};

class LevelControl {
public:
    virtual ~LevelControl() = default;

    virtual int channels() const = 0;
    virtual LevelRange rawRange() const = 0;
    // In hundredths of a dB; empty when the control states no dB scale.
    virtual std::optional<LevelRange> dbRange() const = 0;
    // Raw value of one channel (0 .. channels() - 1).
    virtual std::optional<long> raw(int channel) const = 0;
    // Channel -1 sets every channel.
    virtual bool setRaw(int channel, long value) = 0;
    // Conversions on the control's own dB scale; only called when dbRange()
    // is set. dbToRaw picks the nearest step.
    virtual std::optional<long> rawToDb(long raw) const = 0;
    virtual std::optional<long> dbToRaw(long db) const = 0;

    virtual bool hasSwitch() const = 0;
    // On means the sound passes (not muted).
    virtual std::optional<bool> switchOn() const = 0;
    virtual bool setSwitch(bool on) = 0;
};

}  // namespace osconf
