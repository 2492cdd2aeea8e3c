#pragma once
// The simulated products, one per row of the application's product table,
// and variants of them that are simulated only when asked for by name.
//
// Each product is data: its identity on the bus, its report descriptor, the
// factory contents of its memory and the model class that runs its firmware.
// Adding a product, or a product-specific model, is a row here.

#include "sim/firmware_model.h"
#include "sim/sim_identity.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace talven::sim {

struct ProductSpec {
    std::string_view name;     // what the simulator's commands call it
    unsigned row;              // product table row; entries sort in this order
    uint16_t vendorId;
    uint16_t productId;
    DeviceType type;
    uint16_t interfaceNumber;  // the interface that carries the command channel
    int commandCollection;     // collection numbers on that interface; usb::kNoCollection
    int notificationCollection;
    std::string_view hidName;  // HID_NAME of the uevent
    std::vector<uint8_t> (*descriptor)();
    FirmwareImage (*firmware)();
    std::unique_ptr<FirmwareModel> (*makeModel)(const FirmwareImage& image);
};

// The products simulated by default, in row order.
std::span<const ProductSpec> simProducts();
// Other builds of those products (a compact keyboard, ...): simulated only
// when named, so the default set stays what the demo and its pictures show.
std::span<const ProductSpec> simVariants();
// Products and variants.
const ProductSpec* findSimProduct(std::string_view name);
// "mouse, keyboard, ..." for messages.
std::string simProductNames();
std::string simVariantNames();
// Both, for "unknown product" messages.
std::string simKnownNames();

// The entry directory name, e.g. "row1-keyboard-if1". Rows whose devices
// report vendor and product 0 are told apart only by the order in which they
// are found, so names sort by row.
std::string simEntryName(const ProductSpec& product);

}  // namespace talven::sim
