#include "sim/report_descriptors.h"

#include <initializer_list>
#include <span>

namespace talven::sim {

namespace {

// col1 of a keyboard: the boot keyboard report behind report ID 1.
constexpr uint8_t kKeyboardCollection[] = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): modifier bits
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x01,        //   Input (Constant): reserved byte
    0x05, 0x08,        //   Usage Page (LEDs)
    0x19, 0x01,        //   Usage Minimum (Num Lock)
    0x29, 0x05,        //   Usage Maximum (Kana)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x05,        //   Report Count (5)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): LED bits
    0x75, 0x03,        //   Report Size (3)
    0x95, 0x01,        //   Report Count (1)
    0x91, 0x01,        //   Output (Constant): pad to a byte
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x00,  //   Usage Maximum (255)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x06,        //   Report Count (6)
    0x81, 0x00,        //   Input (Data, Array, Absolute): six-key array
    0xC0,              // End Collection
};

// col1 of the mouse: five buttons, 16-bit relative X/Y and a wheel.
constexpr uint8_t kMouseCollection[] = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x02,        // Usage (Mouse)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x09, 0x01,        //   Usage (Pointer)
    0xA1, 0x00,        //   Collection (Physical)
    0x05, 0x09,        //     Usage Page (Button)
    0x19, 0x01,        //     Usage Minimum (1)
    0x29, 0x05,        //     Usage Maximum (5)
    0x15, 0x00,        //     Logical Minimum (0)
    0x25, 0x01,        //     Logical Maximum (1)
    0x75, 0x01,        //     Report Size (1)
    0x95, 0x05,        //     Report Count (5)
    0x81, 0x02,        //     Input (Data, Variable, Absolute): buttons
    0x75, 0x03,        //     Report Size (3)
    0x95, 0x01,        //     Report Count (1)
    0x81, 0x01,        //     Input (Constant): pad
    0x05, 0x01,        //     Usage Page (Generic Desktop)
    0x09, 0x30,        //     Usage (X)
    0x09, 0x31,        //     Usage (Y)
    0x16, 0x01, 0x80,  //     Logical Minimum (-32767)
    0x26, 0xFF, 0x7F,  //     Logical Maximum (32767)
    0x75, 0x10,        //     Report Size (16)
    0x95, 0x02,        //     Report Count (2)
    0x81, 0x06,        //     Input (Data, Variable, Relative)
    0x09, 0x38,        //     Usage (Wheel)
    0x15, 0x81,        //     Logical Minimum (-127)
    0x25, 0x7F,        //     Logical Maximum (127)
    0x75, 0x08,        //     Report Size (8)
    0x95, 0x01,        //     Report Count (1)
    0x81, 0x06,        //     Input (Data, Variable, Relative)
    0xC0,              //   End Collection
    0xC0,              // End Collection
};

// col2: power down, sleep and wake-up.
constexpr uint8_t kSystemControlCollection[] = {
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x80,  // Usage (System Control)
    0xA1, 0x01,  // Collection (Application)
    0x85, 0x02,  //   Report ID (2)
    0x19, 0x81,  //   Usage Minimum (System Power Down)
    0x29, 0x83,  //   Usage Maximum (System Wake Up)
    0x15, 0x00,  //   Logical Minimum (0)
    0x25, 0x01,  //   Logical Maximum (1)
    0x75, 0x01,  //   Report Size (1)
    0x95, 0x03,  //   Report Count (3)
    0x81, 0x02,  //   Input (Data, Variable, Absolute)
    0x95, 0x05,  //   Report Count (5)
    0x81, 0x01,  //   Input (Constant): pad
    0xC0,        // End Collection
};

// col3: one 16-bit consumer usage per report. Media keys and the device's
// own notifications (0x0401, 0x0403, 0x0404, 0x0500-0x06FF) travel here.
constexpr uint8_t kConsumerCollection[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x07,  //   Usage Maximum (0x07FF)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x07,  //   Logical Maximum (0x07FF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection
};

// col4: the command channel, 63 data bytes each way behind report ID 4.
constexpr uint8_t kVendorCollection[] = {
    0x06, 0x1C, 0xFF,  // Usage Page (vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (vendor 1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): replies
    0x09, 0x02,        //   Usage (vendor 2)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): requests
    0xC0,              // End Collection
};

constexpr uint8_t kHeadsetDescriptor[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1): the ear-cup buttons
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x09, 0xE9,        //   Usage (Volume Increment)
    0x09, 0xEA,        //   Usage (Volume Decrement)
    0x09, 0xE2,        //   Usage (Mute)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x03,        //   Report Count (3)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x05,        //   Report Count (5)
    0x81, 0x01,        //   Input (Constant): pad
    0x85, 0x04,        //   Report ID (4): the command channel
    0x06, 0x1C, 0xFF,  //   Usage Page (vendor 0xFF1C)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (vendor 1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): replies
    0x09, 0x02,        //   Usage (vendor 2)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): requests
    0x85, 0xFF,        //   Report ID (255): lighting frames
    0x95, 0x10,        //   Report Count (16)
    0x09, 0x03,        //   Usage (vendor 3)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

std::vector<uint8_t> join(std::initializer_list<std::span<const uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (auto part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace

std::vector<uint8_t> configurableDeviceDescriptor(bool mouse) {
    return join({mouse ? std::span<const uint8_t>(kMouseCollection) : std::span<const uint8_t>(kKeyboardCollection),
                 kSystemControlCollection, kConsumerCollection, kVendorCollection});
}

std::vector<uint8_t> headsetDescriptor() {
    return std::vector<uint8_t>(std::begin(kHeadsetDescriptor), std::end(kHeadsetDescriptor));
}

}  // namespace talven::sim
