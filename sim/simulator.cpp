#include "sim/simulator.h"

#include "platform/hid/hid_path.h"
#include "platform/worker_thread.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace talven::sim {

namespace {

std::vector<std::string> splitWords(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

template <typename T>
std::optional<T> parseNumber(std::string_view text, int base) {
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    T value{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string errorLine(const std::string& why) { return "error " + why; }

constexpr const char* kHelp =
    "ok commands: list | plug <name|all> | unplug <name|all> | "
    "fault <name> <none|noreply|stale|status-ff|status-fe|remove> [count] [after N] [reports] | "
    "notify <name> <hex usage> | memory <name> <area> <offset> <length> | quit";

}  // namespace

// --- SimDevice ---------------------------------------------------------------

namespace {

// Every simulated product reports this firmware release (bcdDevice 1.02).
constexpr uint16_t kSimReleaseNumber = 0x0102;

SimInterfaceConfig interfaceConfig(const ProductSpec& spec) {
    SimInterfaceConfig c;
    c.entryName = simEntryName(spec);
    c.vendorId = spec.vendorId;
    c.productId = spec.productId;
    c.interfaceNumber = spec.interfaceNumber;
    c.name = std::string(spec.hidName);
    c.busIndex = spec.row + 1;
    c.reportDescriptor = spec.descriptor();
    c.releaseNumber = kSimReleaseNumber;
    return c;
}

}  // namespace

SimDevice::SimDevice(const ProductSpec& spec, const std::string& simDir)
    : spec_(spec),
      model_(spec.makeModel(spec.firmware())),
      hid_(simDir, interfaceConfig(spec), [this](std::span<const uint8_t> r) { return handleOutput(r); }) {}

bool SimDevice::handleOutput(std::span<const uint8_t> report) {
    ModelResponse response = model_->handleOutputReport(report);
    for (const Report& r : response.reports) hid_.sendInput(r);
    return response.removeDevice;
}

bool SimDevice::notify(uint16_t usage, std::string* error) {
    auto reports = model_->notificationReports(usage);
    if (!reports) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", usage);
        if (error) *error = std::string(name()) + " cannot send usage " + hex;
        return false;
    }
    for (const Report& r : *reports) {
        if (!hid_.sendInput(r)) {
            if (error) *error = std::string(name()) + " is not plugged";
            return false;
        }
    }
    return true;
}

std::optional<std::string> SimDevice::control(const std::vector<std::string>& words) {
    ModelResponse response;
    auto answer = model_->control(words, response);
    if (!answer) return std::nullopt;
    for (const Report& r : response.reports) {
        if (!hid_.sendInput(r)) return "error " + std::string(name()) + " is not plugged";
    }
    return answer;
}

std::string SimDevice::interfacePath(uint16_t wantedRole) const {
    const int collection = wantedRole == role::Command ? spec_.commandCollection
                           : wantedRole == role::Event ? spec_.notificationCollection
                                                       : usb::kNoCollection;
    if (collection == usb::kNoCollection) return {};
    return hid::makeInterfacePath(hid_.nodePath(), {spec_.vendorId, spec_.productId, spec_.interfaceNumber,
                                                    static_cast<uint16_t>(collection)});
}

// --- Simulator ---------------------------------------------------------------

Simulator::Simulator(std::string dir) : dir_(std::move(dir)) {}

Simulator::~Simulator() {
    stopControl();
    unplugAll();
}

bool Simulator::addProduct(std::string_view name, std::string* error) {
    const ProductSpec* spec = findSimProduct(name);
    if (spec == nullptr) {
        if (error) *error = "unknown product '" + std::string(name) + "' (known: " + simKnownNames() + ")";
        return false;
    }
    if (device(name) != nullptr) return true;
    auto at = std::find_if(devices_.begin(), devices_.end(),
                           [spec](const auto& d) { return d->spec().row > spec->row; });
    auto added = devices_.insert(at, std::make_unique<SimDevice>(*spec, dir_));
    (*added)->hid().setServiceCpu(serviceCpu_);
    return true;
}

void Simulator::keepServiceOnOneCpu() {
    serviceCpu_ = firstAllowedCpu();
    for (const auto& d : devices_) d->hid().setServiceCpu(serviceCpu_);
}

void Simulator::addAllProducts() {
    for (const ProductSpec& spec : simProducts()) addProduct(spec.name);
}

SimDevice* Simulator::device(std::string_view name) {
    for (auto& d : devices_) {
        if (d->name() == name) return d.get();
    }
    return nullptr;
}

std::vector<SimDevice*> Simulator::devices() {
    std::vector<SimDevice*> all;
    for (auto& d : devices_) all.push_back(d.get());
    return all;
}

bool Simulator::ensureDir(std::string* error) const {
    std::error_code ec;
    if (std::filesystem::is_directory(dir_, ec)) return true;
    if (!std::filesystem::create_directories(dir_, ec)) {
        if (error) *error = "cannot create " + dir_ + ": " + ec.message();
        return false;
    }
    ::chmod(dir_.c_str(), 0700);  // the nodes accept commands from whoever can reach them
    return true;
}

std::vector<SimDevice*> Simulator::select(std::string_view name, std::string* error) {
    if (name == "all") {
        if (devices_.empty() && error) *error = "this simulator has no products";
        return devices();
    }
    if (SimDevice* d = device(name)) return {d};
    if (error) {
        *error = findSimProduct(name) ? "product '" + std::string(name) + "' is not part of this simulator"
                                      : "unknown product '" + std::string(name) + "' (known: " +
                                            simKnownNames() + ")";
    }
    return {};
}

bool Simulator::plug(std::string_view name, std::string* error) {
    auto chosen = select(name, error);
    if (chosen.empty() || !ensureDir(error)) return false;
    for (SimDevice* d : chosen) {
        std::string why;
        if (!d->plug(&why)) {
            if (error) *error = "cannot plug " + std::string(d->name()) + ": " + why;
            return false;
        }
    }
    return true;
}

bool Simulator::unplug(std::string_view name, std::string* error) {
    auto chosen = select(name, error);
    for (SimDevice* d : chosen) d->unplug();
    return !chosen.empty();
}

bool Simulator::plugAll(std::string* error) { return devices_.empty() || plug("all", error); }

void Simulator::unplugAll() {
    for (auto& d : devices_) d->unplug();
}

bool Simulator::startControl(std::string* error) {
    if (control_) return true;
    if (!ensureDir(error)) return false;
    auto server = std::make_unique<ControlServer>(simControlPath(dir_),
                                                  [this](std::string_view line) { return runCommand(line); });
    if (!server->start(error)) return false;
    control_ = std::move(server);
    removeLeftovers();
    return true;
}

void Simulator::removeLeftovers() const {
    // Entries half built or half removed by a simulator that was killed; now
    // that this one owns the directory nothing else can be using them.
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir_, ec)) {
        const std::string name = e.path().filename().string();
        if (name.starts_with(".plug-") || name.starts_with(".gone-")) std::filesystem::remove_all(e.path(), ec);
    }
}

void Simulator::stopControl() { control_.reset(); }

std::string Simulator::runCommand(std::string_view line) {
    const auto words = splitWords(line);
    if (words.empty()) return errorLine("empty command");
    const std::string& verb = words[0];
    if (verb == "help") return helpText();
    if (verb == "list" && words.size() == 1) return listCommand();
    if (verb == "quit" && words.size() == 1) {
        quit_.set();
        return "ok";
    }
    if ((verb == "plug" || verb == "unplug") && words.size() == 2) {
        std::string why;
        bool done = verb == "plug" ? plug(words[1], &why) : unplug(words[1], &why);
        return done ? "ok" : errorLine(why);
    }
    if (verb == "fault") return faultCommand(words);
    if (verb == "notify") return notifyCommand(words);
    if (words.size() >= 2) {
        if (SimDevice* d = device(words[1])) {
            if (auto answer = d->control(words)) return *answer;
        }
    }
    return errorLine("unknown command '" + std::string(line) + "' (try help)");
}

std::string Simulator::helpText() {
    std::string text = kHelp;
    std::vector<std::string> seen;
    for (auto& d : devices_) {
        std::string own = d->model().controlHelp();
        if (own.empty() || std::find(seen.begin(), seen.end(), own) != seen.end()) continue;
        seen.push_back(own);
        text += " | " + own;
    }
    return text;
}

std::string Simulator::listCommand() {
    std::string out = "ok";
    for (auto& d : devices_) {
        out += " " + std::string(d->name()) + (d->plugged() ? "=plugged" : "=unplugged");
    }
    return out;
}

std::string Simulator::faultCommand(const std::vector<std::string>& words) {
    static const std::string usage =
        "usage: fault <name> <none|noreply|stale|status-ff|status-fe|remove> [count] [after N] [reports]";
    // A last word "reports" aims the fault at the plain output reports.
    const bool onReports = words.size() > 3 && words.back() == "reports";
    const size_t end = words.size() - (onReports ? 1 : 0);
    if (words.size() < 3 || end > 6) return errorLine(usage);
    std::string why;
    auto chosen = select(words[1], &why);
    if (chosen.empty()) return errorLine(why);
    auto kind = parseFaultName(words[2]);
    if (!kind) return errorLine("unknown fault '" + words[2] + "'");
    // The optional count, then the optional "after N": the number of command
    // frames answered normally before the fault starts.
    size_t next = 3;
    std::optional<unsigned> count = 1u;
    if (next < end && words[next] != "after") {
        count = parseNumber<unsigned>(words[next], 10);
        if (!count) return errorLine("bad count '" + words[next] + "'");
        ++next;
    }
    std::optional<unsigned> after = 0u;
    if (next < end) {
        if (words[next] != "after" || next + 2 != end) return errorLine(usage);
        after = parseNumber<unsigned>(words[next + 1], 10);
        if (!after) return errorLine("bad request count '" + words[next + 1] + "'");
    }
    if (onReports && !faultFitsReports(*kind))
        return errorLine("a plain output report gets no reply: only noreply and remove can hit it");
    for (SimDevice* d : chosen) d->model().setFault(*kind, *count, *after, onReports);
    return "ok";
}

std::string Simulator::notifyCommand(const std::vector<std::string>& words) {
    if (words.size() != 3) return errorLine("usage: notify <name> <hex usage>");
    std::string why;
    auto chosen = select(words[1], &why);
    if (chosen.empty()) return errorLine(why);
    auto usage = parseNumber<uint16_t>(words[2], 16);
    if (!usage) return errorLine("bad usage '" + words[2] + "' (hexadecimal, at most FFFF)");
    for (SimDevice* d : chosen) {
        if (!d->notify(*usage, &why)) return errorLine(why);
    }
    return "ok";
}

}  // namespace talven::sim
