#pragma once
// The simulated mouse pad: fifteen LEDs round its edge and lighting only.
//
// Memory, as the pad's firmware keeps it:
//   config   byte 0 the active profile; profile p's 25-byte settings block
//            packed at p x 25 (mode, brightness, speed stored as 4 - speed,
//            effect option, multi-colour flag, R, G, B, then bytes of its
//            own). Writes (0x06) come in 64-byte windows, one per profile:
//            a write at p x 64 + n lands in block p at byte n. A write that
//            runs past the block or names no profile is refused (0xFF).
//   frames   0x12 lighting frames, three bytes per LED; each frame that
//            starts at offset 0 is counted.
//
// Verbs:
//   profile <name> <index>   the pad's profile button: byte 0 becomes
//                            <index>, then the pad asks the host to
//                            synchronise (0x0401)

#include "sim/firmware_model.h"

#include <atomic>
#include <memory>

namespace talven::sim {

class MousePadModel : public FirmwareModel {
public:
    using FirmwareModel::FirmwareModel;

    std::string controlHelp() const override;
    // Lighting frames received since the pad was made.
    unsigned framesReceived() const { return frames_.load(); }

protected:
    bool productCommand(const Frame& request, Frame& reply, ModelResponse& out) override;
    void afterWrite(Area area, size_t offset, size_t length, ModelResponse& out) override;
    std::optional<std::string> productControl(const std::vector<std::string>& words, ModelResponse& out) override;

private:
    void writeWindow(const Frame& request, Frame& reply);

    std::atomic<unsigned> frames_{0};
};

FirmwareImage mousePadImage();
std::unique_ptr<FirmwareModel> makeMousePadModel(const FirmwareImage& image);

}  // namespace talven::sim
