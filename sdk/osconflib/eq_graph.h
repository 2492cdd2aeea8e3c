#pragma once
// The equaliser's sound path as PipeWire runs it: ten peaking filters in
// series (31 Hz .. 16 kHz, one octave apart), loaded as a filter chain whose
// input is a virtual sink and whose output plays into the headset. This file
// holds what needs no server: the filter chain's arguments, the gains the
// filters get, and how the headset's sink and the desktop's default sink
// are recognised from their properties.

#include "sdk/osconflib/usb_card.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace osconf {

constexpr int kEqBands = 10;
// Centre frequencies of "EQ_Slider1" .. "EQ_Slider10".
constexpr std::array<int, kEqBands> kEqCentreHz = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
// Octave-spaced bands: Q = sqrt(2) makes neighbours meet about 3 dB down.
constexpr double kEqQ = 1.41;
// A slider's value is its band's gain in dB, as the kept property allows.
constexpr int kEqMinDb = -24;
constexpr int kEqMaxDb = 24;

// Names the equaliser's nodes carry in the graph (and in the default sink).
constexpr std::string_view kEqSinkName = "osconf_equaliser";
constexpr std::string_view kEqOutputName = "osconf_equaliser_output";

// What the user set: the switch and the ten slider values (dB).
struct EqSettings {
    bool enabled = false;
    std::array<int, kEqBands> bands{};
};

// The gains the filters play: the bands clamped to -24..+24 dB when the
// equaliser is on, all 0 dB when it is off (a peaking filter at 0 dB passes
// its input unchanged, so switching needs no other path and makes no gap).
std::array<float, kEqBands> effectiveGains(const EqSettings& settings);

// "eq_band_6:Gain": the control of band `index` (0-based) in the graph.
std::string bandControl(int index);

// The filter chain's module arguments (SPA-JSON): the graph with the given
// starting gains, its input a stereo sink named kEqSinkName, its output
// kEqOutputName aimed at `targetSink` and never moved to another sink.
std::string filterChainArguments(const std::array<float, kEqBands>& gains, const std::string& targetSink);

using Properties = std::map<std::string, std::string>;

// A USB ID as PipeWire and udev write it: "0x0d8c" or "0d8c".
std::optional<std::uint16_t> parsePropertyId(std::string_view text);

// Whether `props` carry `id` as device.vendor.id and device.product.id.
bool carriesUsbId(const Properties& props, UsbId id);

// The node name in a default-sink metadata value ({ "name": "..." });
// empty when the value names none.
std::optional<std::string> defaultSinkName(std::string_view json);

// The metadata value that names `sink` as the default.
std::string defaultSinkValue(std::string_view sink);

}  // namespace osconf
