#pragma once
// The simulated mice: a cabled mouse and one behind a wireless receiver.
//
// Memory, as the mouse firmware keeps it:
//   information   byte 5 key slots, 6 macro memory / 128, 11 DPI per slider
//                 step, 12-13 slider steps, 14-15 DPI at slider position 0
//   key table     3 bytes per key slot; 0x07 always reads the factory codes,
//                 0x09 writes the buttons' current functions
//                 (Area::KeyAssignments), as the keyboards do
//   config        byte 0 the active profile; profile p's 75-byte settings
//                 block at p x 128 (lighting, polling rate, active DPI stage,
//                 lift-off, five 9-byte DPI stages, screen, correction)
//
// Verbs of both:
//   profile <name> <index>   the profile button: byte 0 becomes <index> and
//                            the mouse asks the host to synchronise (0x0401)
//   dpi <name> <stage>       the DPI button: the active profile's stage
//                            becomes <stage>, then 0x0401
// The wireless mouse also knows
//   link <name> up|down      the mouse goes out of the receiver's reach or
//                            comes back. While it is away the receiver
//                            answers the link check (0xAA) with 0x00 in data
//                            byte 0 and refuses every other command (0xFF).

#include "sim/firmware_model.h"

#include <memory>

namespace talven::sim {

// The mouse's configuration memory: one 128-byte block per onboard profile,
// the active DPI stage at byte 12 of its block.
inline constexpr size_t kMouseBlockStride = 128;
inline constexpr size_t kMouseBlockActiveStage = 12;

class MouseModel : public FirmwareModel {
public:
    using FirmwareModel::FirmwareModel;

    std::string controlHelp() const override;

protected:
    bool productCommand(const Frame& request, Frame& reply, ModelResponse& out) override;
    std::optional<std::string> productControl(const std::vector<std::string>& words, ModelResponse& out) override;
    void announce(uint16_t usage, ModelResponse& out) const;

private:
    std::string profileCommand(const std::vector<std::string>& words, ModelResponse& out);
    std::string dpiCommand(const std::vector<std::string>& words, ModelResponse& out);
};

class WirelessMouseModel : public MouseModel {
public:
    using MouseModel::MouseModel;

    std::string controlHelp() const override;

protected:
    bool productCommand(const Frame& request, Frame& reply, ModelResponse& out) override;
    std::optional<std::string> productControl(const std::vector<std::string>& words, ModelResponse& out) override;

private:
    bool linked_ = true;
};

FirmwareImage mouseImage();
std::unique_ptr<FirmwareModel> makeMouseModel(const FirmwareImage& image);
std::unique_ptr<FirmwareModel> makeWirelessMouseModel(const FirmwareImage& image);

}  // namespace talven::sim
