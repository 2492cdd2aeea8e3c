#pragma once
// A set of simulated products below one directory.
//
// The directory is what TALVEN_SIM_DIR names: every plugged product has an
// entry in it (see sim_hid_interface.h) and the hidden socket ".control"
// takes one-line text commands (see runCommand) from other programs. Use it
// in-process (tests, the application's demo mode) or through talven-devsim.

#include "platform/event.h"
#include "sim/firmware_model.h"
#include "sim/sim_control.h"
#include "sim/sim_hid_interface.h"
#include "sim/sim_products.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talven::sim {

// One simulated product: its firmware model behind its HID interface.
class SimDevice {
public:
    SimDevice(const ProductSpec& spec, const std::string& simDir);
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    const ProductSpec& spec() const { return spec_; }
    std::string_view name() const { return spec_.name; }
    FirmwareModel& model() { return *model_; }
    SimHidInterface& hid() { return hid_; }

    bool plug(std::string* error = nullptr) { return hid_.plug(error); }
    void unplug() { hid_.unplug(); }
    bool plugged() const { return hid_.plugged(); }

    // Sends the press and release reports of `usage` on the notification
    // collection (keyboard notifications 0x0401.., key events 0x0500..; the
    // headset's volume and mute buttons). False when the product cannot send
    // that usage or is unplugged.
    bool notify(uint16_t usage, std::string* error = nullptr);
    bool sendInput(std::span<const uint8_t> report) { return hid_.sendInput(report); }
    // A product verb (see FirmwareModel::control): the answer line, after the
    // reports it caused are sent; nullopt when the product lacks the verb.
    std::optional<std::string> control(const std::vector<std::string>& words);

    // The interface path the enumerator gives the collection of this role
    // (role::Command: command frames, role::Event: notifications); empty
    // when the product has none.
    std::string interfacePath(uint16_t role) const;

private:
    bool handleOutput(std::span<const uint8_t> report);

    const ProductSpec& spec_;
    std::unique_ptr<FirmwareModel> model_;
    SimHidInterface hid_;
};

class Simulator {
public:
    explicit Simulator(std::string dir);
    // Stops the control socket and unplugs every product.
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& dir() const { return dir_; }

    // Products are added before plugging or serving commands; they stay in
    // row order whatever the order of the calls.
    bool addProduct(std::string_view name, std::string* error = nullptr);
    void addAllProducts();
    SimDevice* device(std::string_view name);
    std::vector<SimDevice*> devices();

    // The service threads of every product, added or plugged before or
    // after, keep to one CPU. A device's side of an exchange then wakes on
    // the CPU where the others' sides run, and the program's thread that
    // waits for it is drawn there too, rather than each exchange waking an
    // idle CPU (on a virtual machine, the dearest part of an exchange).
    // Takes effect at the next plug; call it before serving commands.
    void keepServiceOnOneCpu();
    // That CPU, or -1 while the service threads may run anywhere.
    int serviceCpu() const { return serviceCpu_; }

    // The directory is created when missing. "all" names every product.
    bool plug(std::string_view name, std::string* error = nullptr);
    bool unplug(std::string_view name, std::string* error = nullptr);
    bool plugAll(std::string* error = nullptr);
    void unplugAll();

    // One control command, one line of answer starting "ok" or "error":
    //   list                                  ok mouse=plugged keyboard=unplugged ...
    //   plug <name|all>, unplug <name|all>
    //   fault <name> <none|noreply|stale|status-ff|status-fe|remove> [count] [after N] [reports]
    //                                         count 0 = until cleared; default 1;
    //                                         the first N command frames pass;
    //                                         "reports": the plain output reports
    //                                         (the headset's lighting) instead,
    //                                         noreply (lost) and remove only
    //   notify <name> <usage in hex>
    //   quit                                  sets quitRequested()
    //   help
    std::string runCommand(std::string_view line);

    // Serves runCommand on "<dir>/.control" and clears what a killed
    // simulator left behind. Fails when another simulator already serves this
    // directory. Call it before plugging from other threads.
    bool startControl(std::string* error = nullptr);
    void stopControl();

    // Set by the "quit" command; talven-devsim waits on it.
    Event& quitRequested() { return quit_; }

private:
    bool ensureDir(std::string* error) const;
    void removeLeftovers() const;
    std::vector<SimDevice*> select(std::string_view name, std::string* error);
    std::string listCommand();
    std::string faultCommand(const std::vector<std::string>& words);
    std::string notifyCommand(const std::vector<std::string>& words);
    std::string helpText();

    std::string dir_;
    std::vector<std::unique_ptr<SimDevice>> devices_;
    std::unique_ptr<ControlServer> control_;
    Event quit_{true};
    int serviceCpu_ = -1;
};

}  // namespace talven::sim
