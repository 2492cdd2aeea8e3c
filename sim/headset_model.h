#pragma once
// The simulated USB headset: thirteen LEDs and its settings blocks; the
// audio side is the audio library's own virtual device.
//
// Memory, as the headset's firmware keeps it:
//   config   byte 0 the active profile; profile p's 25-byte block packed at
//            p x 25; writes (0x06) come in 64-byte windows, a write at
//            p x 64 + n landing in block p at byte n.
//   frames   output reports of ID 0xFF, 17 bytes: a tag (0x22 or 0x44), a
//            component command (0xAA/0xAD red, 0xAB/0xAE green, 0xAC/0xAF
//            blue; the first of each pair LEDs 0..6, the second 7..12), a
//            zero, then the values. Twelve reports make a frame:
//            (22 AA) (22 AD) (44 AA) (44 AD), the same with AB/AE, then
//            AC/AF. A frame counts once all twelve came in that order and
//            both tags carried the same values; a report out of order
//            starts over.
//
// Verbs:
//   frames <name>   the number of frames taken and the last one, LED by
//                   LED as RRGGBB

#include "sim/firmware_model.h"

#include <array>
#include <memory>
#include <mutex>

namespace talven::sim {

class HeadsetModel : public FirmwareModel {
public:
    static constexpr size_t kLeds = 13;
    using Colour = std::array<uint8_t, 3>;
    using LedColours = std::array<Colour, kLeds>;

    using FirmwareModel::FirmwareModel;

    std::optional<std::vector<Report>> notificationReports(uint16_t usage) const override;
    std::string controlHelp() const override;

    unsigned framesReceived() const;
    // Reports that broke a frame (wrong order, size, command or tags that
    // disagree).
    unsigned framesBroken() const;
    LedColours lastFrame() const;

protected:
    bool productCommand(const Frame& request, Frame& reply, ModelResponse& out) override;
    void otherReport(std::span<const uint8_t> report, ModelResponse& out) override;
    std::optional<std::string> productControl(const std::vector<std::string>& words, ModelResponse& out) override;

private:
    bool takeReport(std::span<const uint8_t> report);
    bool finishFrame();

    mutable std::mutex frameLock_;
    size_t next_ = 0;  // position in the frame's twelve reports
    std::array<std::array<uint8_t, 7>, 12> pending_{};
    LedColours last_{};
    unsigned frames_ = 0;
    unsigned broken_ = 0;
};

FirmwareImage headsetImage();
std::unique_ptr<FirmwareModel> makeHeadsetModel(const FirmwareImage& image);

}  // namespace talven::sim
