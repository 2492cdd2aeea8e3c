#include "sdk/osconflib/element_choice.h"

#include <functional>

namespace osconf {

namespace {

using Test = std::function<bool(const MixerElementInfo&)>;

bool holds(const std::string& name, const char* part) { return name.find(part) != std::string::npos; }

// The first element passing the earliest test that any element passes.
std::optional<std::size_t> firstByPreference(const std::vector<MixerElementInfo>& elements,
                                             std::initializer_list<Test> tests) {
    for (const Test& test : tests) {
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (test(elements[i])) return i;
        }
    }
    return std::nullopt;
}

}  // namespace

ElementChoice chooseElements(const std::vector<MixerElementInfo>& elements) {
    ElementChoice choice;
    choice.input = firstByPreference(elements, {
        [](const MixerElementInfo& e) { return e.captureVolume && e.name == "Mic"; },
        [](const MixerElementInfo& e) {
            return e.captureVolume && (holds(e.name, "Mic") || holds(e.name, "Headset"));
        },
        [](const MixerElementInfo& e) { return e.captureVolume && e.name == "Capture"; },
        [](const MixerElementInfo& e) { return e.captureVolume; },
    });
    choice.monitor = firstByPreference(elements, {
        [](const MixerElementInfo& e) { return e.playbackVolume && holds(e.name, "Sidetone"); },
        [](const MixerElementInfo& e) { return e.playbackVolume && holds(e.name, "Mic"); },
    });
    return choice;
}

}  // namespace osconf
