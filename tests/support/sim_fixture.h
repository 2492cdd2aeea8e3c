#pragma once
// A simulator in a temporary directory, and a command channel bound to one of
// its products the way the application binds it.

#include "device/command_channel.h"
#include "device/hid_records.h"
#include "sim/simulator.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace talven::test {

class SimulatedProduct {
public:
    explicit SimulatedProduct(const std::string& product = "keyboard") : sim_(dir_.str()), name_(product) {
        std::string error;
        EXPECT_TRUE(sim_.addProduct(product, &error)) << error;
        EXPECT_TRUE(sim_.plug(product, &error)) << error;
    }

    sim::Simulator& simulator() { return sim_; }
    sim::SimDevice& device() { return *sim_.device(name_); }
    sim::FirmwareModel& model() { return device().model(); }
    std::string dir() const { return dir_.str(); }
    std::string commandPath() { return device().interfacePath(role::Command); }
    std::string eventPath() { return device().interfacePath(role::Event); }

    // Opens the command interface (read, write, shared) and connects the channel.
    void bind(CommandChannel& channel) {
        ASSERT_TRUE(channel.device().open(commandPath(), true, true, true, false));
        channel.setConnected(true);
    }

private:
    TempDir dir_;
    sim::Simulator sim_;
    std::string name_;
};

}  // namespace talven::test
