#include "sdk/osconflib/eq_graph.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace osconf {

namespace {

// A string in SPA-JSON quotes; node names are ours or PipeWire's, but a
// quote or backslash in one must not end the text early.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + "\"";
}

std::string bandNode(int index) { return "eq_band_" + std::to_string(index + 1); }

std::string graphNodes(const std::array<float, kEqBands>& gains) {
    std::string nodes;
    for (int i = 0; i < kEqBands; ++i) {
        char control[96];
        std::snprintf(control, sizeof control, "\"Freq\" = %d.0 \"Q\" = %.2f \"Gain\" = %.3f", kEqCentreHz[i], kEqQ,
                      static_cast<double>(gains[static_cast<std::size_t>(i)]));
        nodes += "      { type = builtin name = " + bandNode(i) + " label = bq_peaking control = { " + control +
                 " } }\n";
    }
    return nodes;
}

std::string graphLinks() {
    std::string links;
    for (int i = 0; i + 1 < kEqBands; ++i) {
        links += "      { output = \"" + bandNode(i) + ":Out\" input = \"" + bandNode(i + 1) + ":In\" }\n";
    }
    return links;
}

}  // namespace

std::array<float, kEqBands> effectiveGains(const EqSettings& settings) {
    std::array<float, kEqBands> gains{};
    if (!settings.enabled) return gains;
    for (std::size_t i = 0; i < gains.size(); ++i) {
        gains[i] = static_cast<float>(std::clamp(settings.bands[i], kEqMinDb, kEqMaxDb));
    }
    return gains;
}

std::string bandControl(int index) { return bandNode(index) + ":Gain"; }

std::string filterChainArguments(const std::array<float, kEqBands>& gains, const std::string& targetSink) {
    const std::string target = quoted(targetSink);
    return "{\n"
           "  node.description = \"Headset equaliser\"\n"
           "  media.name = \"Headset equaliser\"\n"
           "  filter.graph = {\n"
           "    nodes = [\n" +
           graphNodes(gains) +
           "    ]\n"
           "    links = [\n" +
           graphLinks() +
           "    ]\n"
           "    inputs = [ \"" + bandNode(0) + ":In\" ]\n"
           "    outputs = [ \"" + bandNode(kEqBands - 1) + ":Out\" ]\n"
           "  }\n"
           "  audio.channels = 2\n"
           "  audio.position = [ FL FR ]\n"
           "  capture.props = {\n"
           "    node.name = " + quoted(kEqSinkName) + "\n"
           "    node.description = \"Headset equaliser\"\n"
           "    media.class = Audio/Sink\n"
           "  }\n"
           "  playback.props = {\n"
           "    node.name = " + quoted(kEqOutputName) + "\n"
           "    node.passive = true\n"
           "    node.dont-reconnect = true\n"
           "    target.object = " + target + "\n"
           "    node.target = " + target + "\n"
           "  }\n"
           "}\n";
}

std::optional<std::uint16_t> parsePropertyId(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 4) return std::nullopt;
    std::uint16_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool carriesUsbId(const Properties& props, UsbId id) {
    auto vendor = props.find("device.vendor.id");
    auto product = props.find("device.product.id");
    if (vendor == props.end() || product == props.end()) return false;
    return parsePropertyId(vendor->second) == id.vendor && parsePropertyId(product->second) == id.product;
}

std::optional<std::string> defaultSinkName(std::string_view json) {
    std::size_t key = json.find("\"name\"");
    if (key == std::string_view::npos) return std::nullopt;
    std::size_t colon = json.find_first_not_of(" \t\n", key + 6);
    if (colon == std::string_view::npos || (json[colon] != ':' && json[colon] != '=')) return std::nullopt;
    std::size_t open = json.find_first_not_of(" \t\n", colon + 1);
    if (open == std::string_view::npos || json[open] != '"') return std::nullopt;
    std::string name;
    for (std::size_t i = open + 1; i < json.size(); ++i) {
        if (json[i] == '"') return name.empty() ? std::nullopt : std::optional(name);
        if (json[i] == '\\' && i + 1 < json.size()) ++i;
        name.push_back(json[i]);
    }
    return std::nullopt;  // no closing quote
}

std::string defaultSinkValue(std::string_view sink) { return "{ \"name\": " + quoted(sink) + " }"; }

}  // namespace osconf
