#include "sdk/osconflib/virtual_backend.h"

#include "platform/atomic_file.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

namespace osconf {

namespace {

// The virtual microphone: 0..100 steps over -20 .. +10 dB, on by default at
// step 80. Its monitoring: 0..32 steps over -32 .. 0 dB, off at step 16.
// Both mono, like a headset's microphone.
struct VirtualControlSpec {
    const char* key;
    LevelRange raw;
    LevelRange db;
    long initialRaw;
    bool initialOn;
};
constexpr VirtualControlSpec kInputSpec{"input", {0, 100}, {-2000, 1000}, 80, true};
constexpr VirtualControlSpec kMonitorSpec{"monitor", {0, 32}, {-3200, 0}, 16, false};

// mixer.conf: "input.raw=80", "input.on=1", ...; all controls save together.
class MixerFile {
public:
    explicit MixerFile(std::string path) : path_(std::move(path)) {
        std::ifstream in(path_);
        std::string line;
        while (std::getline(in, line)) {
            std::size_t equals = line.find('=');
            long value = 0;
            if (equals == std::string::npos) continue;
            auto [end, error] = std::from_chars(line.data() + equals + 1, line.data() + line.size(), value);
            if (error == std::errc() && end == line.data() + line.size()) values_[line.substr(0, equals)] = value;
        }
    }
    long get(const std::string& key, long fallback) const {
        auto found = values_.find(key);
        return found == values_.end() ? fallback : found->second;
    }
    bool set(const std::string& key, long value) {
        std::map<std::string, long> next = values_;
        next[key] = value;
        std::string text;
        for (const auto& [name, number] : next) text += name + "=" + std::to_string(number) + "\n";
        if (talven::writeFileAtomically(path_, text) != 0) return false;
        values_ = std::move(next);
        return true;
    }

private:
    std::string path_;
    std::map<std::string, long> values_;
};

class VirtualControl final : public LevelControl {
public:
    VirtualControl(const VirtualControlSpec& spec, MixerFile& file) : spec_(spec), file_(file) {}

    int channels() const override { return 1; }
    LevelRange rawRange() const override { return spec_.raw; }
    std::optional<LevelRange> dbRange() const override { return spec_.db; }
    std::optional<long> raw(int) const override {
        long value = file_.get(key("raw"), spec_.initialRaw);
        // A hand-edited file must not yield a level outside the control.
        if (value < spec_.raw.min || value > spec_.raw.max) return spec_.initialRaw;
        return value;
    }
    bool setRaw(int, long value) override { return file_.set(key("raw"), value); }
    std::optional<long> rawToDb(long raw) const override {
        return spec_.db.min + (raw - spec_.raw.min) * (spec_.db.max - spec_.db.min) / width();
    }
    std::optional<long> dbToRaw(long db) const override {
        double steps = double(db - spec_.db.min) * width() / double(spec_.db.max - spec_.db.min);
        return spec_.raw.min + std::lround(steps);
    }
    bool hasSwitch() const override { return true; }
    std::optional<bool> switchOn() const override { return file_.get(key("on"), spec_.initialOn) != 0; }
    bool setSwitch(bool on) override { return file_.set(key("on"), on ? 1 : 0); }

private:
    std::string key(const char* field) const { return std::string(spec_.key) + "." + field; }
    long width() const { return spec_.raw.max - spec_.raw.min; }

    const VirtualControlSpec& spec_;
    MixerFile& file_;
};

class VirtualBackend final : public Backend {
public:
    explicit VirtualBackend(std::string dir)
        : dir_(std::move(dir)), file_(dir_ + "mixer.conf"), input_(kInputSpec, file_),
          monitor_(kMonitorSpec, file_) {}

    BackendKind kind() const override { return BackendKind::Virtual; }
    LevelControl* input() override { return &input_; }
    LevelControl* monitor() override { return &monitor_; }
    int cardNumber() const override { return -1; }
    std::string storePath() const override { return dir_ + "properties.conf"; }
    bool offersVoiceChanger() const override { return true; }

private:
    std::string dir_;
    MixerFile file_;
    VirtualControl input_;
    VirtualControl monitor_;
};

}  // namespace

std::unique_ptr<Backend> openVirtualBackend(const std::string& dir, std::string& error) {
    std::string folder = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (folder.empty() || ec) {
        error = "cannot use the virtual audio folder '" + dir + "'" + (ec ? ": " + ec.message() : "");
        return nullptr;
    }
    return std::make_unique<VirtualBackend>(folder);
}

}  // namespace osconf
