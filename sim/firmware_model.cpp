#include "sim/firmware_model.h"

#include <algorithm>

namespace talven::sim {

namespace {

enum class Access : uint8_t { Read, Write };

// The commands that move bytes between the host and one memory area. The
// frame's offset field addresses the area and its length byte says how many
// bytes the chunk carries (writes) or asks for (reads).
struct CommandRule {
    uint8_t command;
    Access access;
    Area area;
};

constexpr CommandRule kRules[] = {
    {cmd::ReadInfo, Access::Read, Area::Info},
    {cmd::ReadBlock, Access::Read, Area::Config},
    {cmd::WriteBlock, Access::Write, Area::Config},
    {cmd::ReadTable, Access::Read, Area::KeyTable},
    {cmd::WriteTable, Access::Write, Area::KeyTable},
    {cmd::WriteShort, Access::Write, Area::Short},
    {cmd::WriteLightFrame, Access::Write, Area::LightFrame},
    {cmd::WriteBuffer, Access::Write, Area::Macro},
    {cmd::ReadShort, Access::Read, Area::Status},
    {cmd::ReadThirdTable, Access::Read, Area::LightPositions},
};

const CommandRule* findRule(uint8_t command) {
    for (const CommandRule& rule : kRules) {
        if (rule.command == command) return &rule;
    }
    return nullptr;
}

constexpr std::string_view kAreaNames[kAreaCount] = {
    "info", "key-table", "light-positions", "config", "macro", "short", "status", "light-frame",
    "key-assignments",
};

struct FaultNameEntry {
    FaultKind kind;
    std::string_view name;
};
constexpr FaultNameEntry kFaultNames[] = {
    {FaultKind::None, "none"},          {FaultKind::NoReply, "noreply"},
    {FaultKind::Stale, "stale"},        {FaultKind::StatusFF, "status-ff"},
    {FaultKind::StatusFE, "status-fe"}, {FaultKind::Remove, "remove"},
};

Frame frameFromReport(std::span<const uint8_t> report) {
    // A short write reaches the firmware zero-padded, a long one cut at the
    // frame size, as the USB transfer would deliver it.
    Frame f{};
    std::copy_n(report.begin(), std::min(report.size(), kFrameSize), f.begin());
    return f;
}

Report toReport(const Frame& f) { return Report(f.begin(), f.end()); }

// Appends to a log that keeps only its newest entries.
template <typename T>
void logBounded(std::deque<T>& log, T entry) {
    if (log.size() == FirmwareModel::kRequestLogLimit) log.pop_front();
    log.push_back(std::move(entry));
}

}  // namespace

std::string_view areaName(Area area) { return kAreaNames[static_cast<size_t>(area)]; }

std::string_view faultName(FaultKind kind) {
    for (const auto& e : kFaultNames) {
        if (e.kind == kind) return e.name;
    }
    return "?";
}

std::optional<FaultKind> parseFaultName(std::string_view name) {
    for (const auto& e : kFaultNames) {
        if (e.name == name) return e.kind;
    }
    return std::nullopt;
}

Frame replyFrame(const Frame& request, uint8_t status) {
    Frame reply{};
    reply[0] = kCommandReportId;
    std::copy_n(request.begin() + 3, 4, reply.begin() + 3);  // command, length, offset
    reply[7] = status;
    return reply;
}

FirmwareModel::FirmwareModel(const FirmwareImage& image) {
    auto fill = [this](Area a, size_t size, std::span<const uint8_t> initial) {
        std::vector<uint8_t>& b = bytes(a);
        b.assign(size, 0);
        std::copy_n(initial.begin(), std::min(size, initial.size()), b.begin());
    };
    fill(Area::Info, kInfoSize, image.info);
    fill(Area::KeyTable, kTableSize, image.keyTable);
    fill(Area::KeyAssignments, kTableSize, image.keyTable);
    fill(Area::LightPositions, kTableSize, image.lightPositions);
    fill(Area::Config, image.configSize, image.config);
    fill(Area::Short, kShortAreaSize, {});
    fill(Area::Status, kStatusSize, image.status);
    fill(Area::LightFrame, kTableSize, {});
    fitMacroMemory();
}

void FirmwareModel::fitMacroMemory() {
    bytes(Area::Macro).resize(bytes(Area::Info)[kInfoMacroUnits] * kMacroUnit, 0);
}

ModelResponse FirmwareModel::handleOutputReport(std::span<const uint8_t> report) {
    ModelResponse out;
    if (report.empty()) return out;
    std::lock_guard guard(lock_);
    if (report[0] != kCommandReportId) {
        logBounded(otherReports_, Report(report.begin(), report.end()));
        const FaultKind fault = takeFault(true);
        if (fault == FaultKind::Remove) out.removeDevice = true;
        // A lost report never reaches the product's handling.
        if (fault == FaultKind::None) otherReport(report, out);
        return out;
    }
    handleFrame(frameFromReport(report), out);
    return out;
}

void FirmwareModel::handleFrame(const Frame& request, ModelResponse& out) {
    logBounded(requests_, request);
    const FaultKind fault = takeFault(false);
    if (fault == FaultKind::NoReply) return;
    if (fault == FaultKind::Remove) {
        out.removeDevice = true;
        return;
    }
    Frame reply = replyFrame(request, status::Ok);
    if (fault == FaultKind::StatusFF || fault == FaultKind::StatusFE) {
        reply[7] = fault == FaultKind::StatusFF ? status::Failed : status::Rejected;
    } else if (!checksumValid(request)) {
        reply[7] = status::Rejected;
    } else {
        if (fault == FaultKind::Stale) {
            // A late answer to some other request: same shape, foreign command.
            Frame stale = replyFrame(request, status::Ok);
            stale[3] = static_cast<uint8_t>(request[3] ^ 0x80);
            sealFrame(stale);
            out.reports.push_back(toReport(stale));
        }
        runCommand(request, reply, out);
    }
    sealFrame(reply);
    // The reply leaves before anything the command caused the device to send.
    out.reports.insert(out.reports.begin() + (fault == FaultKind::Stale ? 1 : 0), toReport(reply));
}

FaultKind FirmwareModel::takeFault(bool plainReport) {
    if (fault_.kind == FaultKind::None || fault_.onReports != plainReport) return FaultKind::None;
    if (fault_.after > 0) {
        --fault_.after;
        return FaultKind::None;
    }
    const FaultKind kind = fault_.kind;
    if (kind != FaultKind::None && fault_.remaining > 0 && --fault_.remaining == 0) {
        fault_.kind = FaultKind::None;
    }
    return kind;
}

void FirmwareModel::runCommand(const Frame& request, Frame& reply, ModelResponse& out) {
    if (productCommand(request, reply, out)) return;
    const uint8_t command = frameCommand(request);
    switch (command) {
    case cmd::Begin:
        ++begins_;
        inTransaction_ = true;
        return;
    case cmd::End:
        ++ends_;
        inTransaction_ = false;
        return;
    case cmd::IsOnline:
        reply[kFrameDataOffset] = 0xFF;
        return;
    default:
        break;
    }
    const CommandRule* rule = findRule(command);
    if (rule == nullptr) {
        reply[7] = status::Failed;
        return;
    }
    transfer(rule->area, rule->access == Access::Write, request, reply, out);
}

void FirmwareModel::transfer(Area which, bool write, const Frame& request, Frame& reply, ModelResponse& out) {
    const size_t length = frameLength(request);
    const size_t offset = frameOffset(request);
    std::vector<uint8_t>& area = bytes(which);
    if (length > kFrameMaxData || offset + length > area.size()) {
        reply[7] = status::Failed;
        return;
    }
    if (!write) {
        std::copy_n(area.begin() + offset, length, reply.begin() + kFrameDataOffset);
        return;
    }
    std::copy_n(request.begin() + kFrameDataOffset, length, area.begin() + offset);
    afterWrite(which, offset, length, out);
}

bool FirmwareModel::productCommand(const Frame&, Frame&, ModelResponse&) { return false; }
void FirmwareModel::afterWrite(Area, size_t, size_t, ModelResponse&) {}
void FirmwareModel::otherReport(std::span<const uint8_t>, ModelResponse&) {}
std::optional<std::string> FirmwareModel::productControl(const std::vector<std::string>&, ModelResponse&) {
    return std::nullopt;
}

namespace {

std::optional<size_t> parseDecimal(const std::string& text) {
    size_t value = 0;
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<size_t>(c - '0');
    }
    return value;
}

std::optional<Area> parseAreaName(std::string_view name) {
    for (size_t i = 0; i < kAreaCount; ++i)
        if (kAreaNames[i] == name) return static_cast<Area>(i);
    return std::nullopt;
}

}  // namespace

// "memory <name> <area> <offset> <length>": bytes of a memory area in
// hexadecimal, for tests that check what a host wrote (a profile record,
// the last lighting frame) from the device's side.
std::optional<std::string> FirmwareModel::memoryControl(const std::vector<std::string>& words) const {
    if (words.size() != 5) return "error usage: memory <name> <area> <offset> <length>";
    const std::optional<Area> area = parseAreaName(words[2]);
    const auto offset = parseDecimal(words[3]);
    const auto length = parseDecimal(words[4]);
    if (!area) return "error unknown area '" + words[2] + "'";
    const std::vector<uint8_t>& b = bytes(*area);
    if (!offset || !length || *offset > b.size() || *length > b.size() - *offset)
        return "error the area holds " + std::to_string(b.size()) + " bytes";
    std::string line = "ok ";
    static constexpr char kHex[] = "0123456789abcdef";
    for (size_t i = *offset; i < *offset + *length; ++i) {
        line += kHex[b[i] >> 4];
        line += kHex[b[i] & 0xF];
    }
    return line;
}

std::optional<std::string> FirmwareModel::control(const std::vector<std::string>& words, ModelResponse& out) {
    std::lock_guard guard(lock_);
    if (!words.empty() && words[0] == "memory") return memoryControl(words);
    return productControl(words, out);
}

std::optional<std::vector<Report>> FirmwareModel::notificationReports(uint16_t usage) const {
    // The consumer-control collection carries one 16-bit usage per report;
    // every press is followed by the release (usage 0), as a real key would.
    const uint8_t lo = static_cast<uint8_t>(usage & 0xFF);
    const uint8_t hi = static_cast<uint8_t>(usage >> 8);
    return std::vector<Report>{{0x03, lo, hi}, {0x03, 0x00, 0x00}};
}

size_t FirmwareModel::areaSize(Area area) const {
    std::lock_guard guard(lock_);
    return bytes(area).size();
}

std::vector<uint8_t> FirmwareModel::area(Area area) const {
    std::lock_guard guard(lock_);
    return bytes(area);
}

std::optional<std::vector<uint8_t>> FirmwareModel::read(Area area, size_t offset, size_t length) const {
    std::lock_guard guard(lock_);
    const std::vector<uint8_t>& b = bytes(area);
    if (offset > b.size() || length > b.size() - offset) return std::nullopt;
    return std::vector<uint8_t>(b.begin() + offset, b.begin() + offset + length);
}

bool FirmwareModel::write(Area area, size_t offset, std::span<const uint8_t> data) {
    std::lock_guard guard(lock_);
    std::vector<uint8_t>& b = bytes(area);
    if (offset > b.size() || data.size() > b.size() - offset) return false;
    std::copy(data.begin(), data.end(), b.begin() + offset);
    if (area == Area::Info) fitMacroMemory();
    return true;
}

uint8_t FirmwareModel::keyCount() const {
    std::lock_guard guard(lock_);
    return bytes(Area::Info)[kInfoKeyCount];
}

size_t FirmwareModel::macroCapacity() const {
    std::lock_guard guard(lock_);
    return bytes(Area::Macro).size();
}

std::vector<Frame> FirmwareModel::requests() const {
    std::lock_guard guard(lock_);
    return {requests_.begin(), requests_.end()};
}

std::vector<Report> FirmwareModel::otherReports() const {
    std::lock_guard guard(lock_);
    return {otherReports_.begin(), otherReports_.end()};
}

void FirmwareModel::clearRequests() {
    std::lock_guard guard(lock_);
    requests_.clear();
    otherReports_.clear();
}

unsigned FirmwareModel::beginCount() const {
    std::lock_guard guard(lock_);
    return begins_;
}

unsigned FirmwareModel::endCount() const {
    std::lock_guard guard(lock_);
    return ends_;
}

bool FirmwareModel::inTransaction() const {
    std::lock_guard guard(lock_);
    return inTransaction_;
}

bool faultFitsReports(FaultKind kind) {
    return kind == FaultKind::None || kind == FaultKind::NoReply || kind == FaultKind::Remove;
}

bool FirmwareModel::setFault(FaultKind kind, unsigned count, unsigned after, bool onReports) {
    if (onReports && !faultFitsReports(kind)) return false;
    std::lock_guard guard(lock_);
    fault_ = kind == FaultKind::None ? FaultState{} : FaultState{kind, count, after, onReports};
    return true;
}

FaultState FirmwareModel::fault() const {
    std::lock_guard guard(lock_);
    return fault_;
}

}  // namespace talven::sim
