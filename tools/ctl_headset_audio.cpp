#include "tools/ctl_headset.h"

#include <cstdio>

namespace talven::ctl {

namespace {

using headset::AudioPort;
using headset::AudioSide;

std::string narrow(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return out;
}

const char* sideName(AudioSide side) { return side == AudioSide::Output ? "output" : "input"; }

std::string channelText(std::optional<std::int32_t> channel) {
    return channel ? " channel " + std::to_string(*channel) : std::string();
}

// Prints every library call: '>' a write with its value, '<' a read with
// the library's answer, "failed" when the call did not succeed.
class TracingPort : public headset::AudioPort {
public:
    explicit TracingPort(std::unique_ptr<AudioPort> inner) : inner_(std::move(inner)) {}

    std::optional<std::wstring> read(AudioSide side, std::wstring_view name,
                                     const std::vector<std::int32_t>& extra) override {
        auto value = inner_->read(side, name, extra);
        std::string extras;
        for (auto e : extra) extras += " " + std::to_string(e);
        std::printf("< %s %s%s%s = %s\n", sideName(side), narrow(name).c_str(), extra.empty() ? "" : " extra",
                    extras.c_str(), value ? narrow(*value).c_str() : "failed");
        return value;
    }
    bool writeInt(AudioSide side, std::wstring_view name, std::int32_t value,
                  std::optional<std::int32_t> channel) override {
        const bool ok = inner_->writeInt(side, name, value, channel);
        std::printf("> %s %s = %d%s%s\n", sideName(side), narrow(name).c_str(), value, channelText(channel).c_str(),
                    ok ? "" : " failed");
        return ok;
    }
    bool writeFloat(AudioSide side, std::wstring_view name, float value,
                    std::optional<std::int32_t> channel) override {
        const bool ok = inner_->writeFloat(side, name, value, channel);
        std::printf("> %s %s = %.2f%s%s\n", sideName(side), narrow(name).c_str(), static_cast<double>(value),
                    channelText(channel).c_str(), ok ? "" : " failed");
        return ok;
    }

private:
    std::unique_ptr<AudioPort> inner_;
};

}  // namespace

std::unique_ptr<headset::HeadsetAudioSession> openHeadsetAudio(bool trace, std::string* error) {
    headset::PortWrapper wrap;
    if (trace) wrap = [](std::unique_ptr<AudioPort> port) { return std::make_unique<TracingPort>(std::move(port)); };
    auto session = headset::openHeadsetAudio(headset::AudioLibrary::defaultPath(), error, wrap);
    if (session && !session->warning.empty()) std::fprintf(stderr, "talvenctl: %s\n", session->warning.c_str());
    return session;
}

}  // namespace talven::ctl
