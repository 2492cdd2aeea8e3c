#pragma once
// The simulated keyboards' firmware: the common command handling plus what a
// user does on the keyboard itself.
//
//   key <name> <position> [press|release|tap]
//       a key at table position <position> goes down and/or up; the keyboard
//       reports it as 0x0500 + position (press) and 0x0600 + position
//       (release). Default tap: both.
//   profile <name> <index>
//       the onboard profile key: record 0's byte 0 becomes <index> and the
//       keyboard asks the host to synchronise (0x0401).
//   gamemode <name> on|off
//       the keyboard's game-mode key: status byte 4 becomes 1 (on) or 0
//       (off) and the keyboard announces the change (0x0403).
//
// The keyboard keeps its factory key table apart from the keys' current
// functions: 0x07 always reads the factory codes, which is how the host finds
// each key's position however the keys were assigned, and 0x09 writes the
// current functions (Area::KeyAssignments).

#include "sim/firmware_model.h"

#include <memory>

namespace talven::sim {

class KeyboardModel : public FirmwareModel {
public:
    using FirmwareModel::FirmwareModel;

    std::string controlHelp() const override;

protected:
    bool productCommand(const Frame& request, Frame& reply, ModelResponse& out) override;
    std::optional<std::string> productControl(const std::vector<std::string>& words, ModelResponse& out) override;

private:
    std::string keyCommand(const std::vector<std::string>& words, ModelResponse& out);
    std::string profileCommand(const std::vector<std::string>& words, ModelResponse& out);
    std::string gameModeCommand(const std::vector<std::string>& words, ModelResponse& out);
    void announce(uint16_t usage, ModelResponse& out) const;
};

std::unique_ptr<FirmwareModel> makeKeyboardModel(const FirmwareImage& image);

}  // namespace talven::sim
