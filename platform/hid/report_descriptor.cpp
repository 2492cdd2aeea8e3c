#include "platform/hid/report_descriptor.h"

#include <algorithm>
#include <bitset>
#include <limits>
#include <map>

namespace talven::hid {

namespace {

// Limits that keep a hostile or corrupt descriptor from costing more than a
// real one could. The report limit matches the largest buffer hidraw hands
// out, so every byte length still fits the 16-bit caps fields.
constexpr size_t kMaxGlobalStack = 32;
constexpr size_t kMaxCollectionDepth = 64;
constexpr uint32_t kMaxReportSizeBits = 256;
constexpr uint64_t kMaxReportPayloadBytes = 16383;
constexpr uint32_t kMaxDecodedBits = 32;

enum class ItemType : uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

namespace MainTag {
constexpr uint8_t Input = 0x8, Output = 0x9, Collection = 0xA, Feature = 0xB, EndCollection = 0xC;
}
namespace GlobalTag {
constexpr uint8_t UsagePage = 0x0, LogicalMin = 0x1, LogicalMax = 0x2, PhysicalMin = 0x3,
                  PhysicalMax = 0x4, ReportSize = 0x7, ReportId = 0x8, ReportCount = 0x9,
                  Push = 0xA, Pop = 0xB;
}
namespace LocalTag {
constexpr uint8_t Usage = 0x0, UsageMin = 0x1, UsageMax = 0x2, Delimiter = 0xA;
}

// An item's data as stored. Whether it is signed depends on the item (and,
// for maxima, on the minimum), so the interpretation waits for the main item.
struct RawNumber {
    uint32_t value = 0;
    uint8_t size = 0;
};

int64_t asSigned(RawNumber n) {
    switch (n.size) {
        case 1: return static_cast<int8_t>(n.value);
        case 2: return static_cast<int16_t>(n.value);
        case 4: return static_cast<int32_t>(n.value);
        default: return 0;
    }
}

int32_t clampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Minima are signed whenever their top bit is set. A maximum is read the
// same way only when the minimum is negative: "Logical Minimum (0), Logical
// Maximum (0xFFFF)" in two bytes means 0..65535 on every device that writes
// it, not 0..-1, which would leave no valid value at all.
void resolveRange(RawNumber minRaw, RawNumber maxRaw, int32_t& min, int32_t& max) {
    int64_t lo = asSigned(minRaw);
    int64_t hi = lo < 0 ? asSigned(maxRaw) : static_cast<int64_t>(maxRaw.value);
    min = clampToInt32(lo);
    max = clampToInt32(hi);
}

struct GlobalState {
    uint16_t usagePage = 0;
    RawNumber logicalMin, logicalMax, physicalMin, physicalMax;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A declared usage or range before the usage page is settled: one- and
// two-byte usages take the page in effect at the main item, four-byte ones
// carry their own.
struct PendingSpan {
    uint32_t first = 0;
    uint32_t last = 0;
    bool extended = false;  // four-byte usage: first and last carry their page
    bool range = false;     // from Usage Minimum/Maximum
    uint16_t page = 0;      // short usages: the page in effect when declared
};

struct LocalState {
    std::vector<PendingSpan> spans;
    std::optional<RawNumber> usageMin, usageMax;
    int delimiterDepth = 0;
    bool aliasTaken = false;
};

uint32_t withPage(uint32_t id, uint16_t page) { return (uint32_t{page} << 16) | (id & 0xFFFF); }

class Parser {
public:
    explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::optional<ReportDescriptor> run(std::string* error);

private:
    bool fail(const std::string& why);
    bool item(ItemType type, uint8_t tag, RawNumber data);
    bool mainItem(uint8_t tag, RawNumber data);
    bool globalItem(uint8_t tag, RawNumber data);
    bool localItem(uint8_t tag, RawNumber data);
    bool addUsageRange();
    std::vector<UsageSpan> settleUsages() const;
    bool addField(ReportKind kind, uint32_t flags);
    bool openCollection();
    bool closeCollection();
    bool finish();

    std::span<const uint8_t> bytes_;
    size_t itemStart_ = 0;
    std::string error_;
    GlobalState global_;
    std::vector<GlobalState> stack_;
    LocalState local_;
    std::vector<uint16_t> links_;  // link collection of each open collection, innermost last
    uint32_t nextLink_ = 0;
    bool sawUnnumberedData_ = false;
    std::map<uint32_t, uint64_t> reportBits_;  // (kind << 8 | id) -> bits so far
    ReportDescriptor result_;
};

bool Parser::fail(const std::string& why) {
    error_ = why + " at byte " + std::to_string(itemStart_);
    return false;
}

std::optional<ReportDescriptor> Parser::run(std::string* error) {
    size_t pos = 0;
    bool ok = true;
    while (ok && pos < bytes_.size()) {
        itemStart_ = pos;
        uint8_t prefix = bytes_[pos];
        if (prefix == 0xFE) {
            // Long item: size byte, tag byte, data. No long tags are defined,
            // so they are skipped whole.
            if (bytes_.size() - pos < 3) { ok = fail("truncated long item"); break; }
            size_t size = bytes_[pos + 1];
            if (bytes_.size() - pos - 3 < size) { ok = fail("truncated long item"); break; }
            pos += 3 + size;
            continue;
        }
        uint8_t size = prefix & 0x03;
        if (size == 3) size = 4;
        if (bytes_.size() - pos - 1 < size) { ok = fail("truncated item"); break; }
        RawNumber data{0, size};
        for (uint8_t i = 0; i < size; ++i) data.value |= uint32_t{bytes_[pos + 1 + i]} << (8 * i);
        pos += 1 + size;
        ok = item(static_cast<ItemType>((prefix >> 2) & 0x03), prefix >> 4, data);
    }
    if (ok) {
        itemStart_ = bytes_.size();
        ok = finish();
    }
    if (!ok) {
        if (error) *error = error_;
        return std::nullopt;
    }
    return std::move(result_);
}

bool Parser::item(ItemType type, uint8_t tag, RawNumber data) {
    switch (type) {
        case ItemType::Main: return mainItem(tag, data);
        case ItemType::Global: return globalItem(tag, data);
        case ItemType::Local: return localItem(tag, data);
        case ItemType::Reserved: return true;
    }
    return true;
}

bool Parser::mainItem(uint8_t tag, RawNumber data) {
    bool ok = true;
    switch (tag) {
        case MainTag::Input: ok = addField(ReportKind::Input, data.value); break;
        case MainTag::Output: ok = addField(ReportKind::Output, data.value); break;
        case MainTag::Feature: ok = addField(ReportKind::Feature, data.value); break;
        case MainTag::Collection: ok = openCollection(); break;
        case MainTag::EndCollection: ok = closeCollection(); break;
        default: break;  // reserved main tags carry nothing we use
    }
    local_ = LocalState{};
    return ok;
}

bool Parser::globalItem(uint8_t tag, RawNumber data) {
    switch (tag) {
        case GlobalTag::UsagePage:
            if (data.value > 0xFFFF) return fail("usage page above 0xFFFF");
            global_.usagePage = static_cast<uint16_t>(data.value);
            break;
        case GlobalTag::LogicalMin: global_.logicalMin = data; break;
        case GlobalTag::LogicalMax: global_.logicalMax = data; break;
        case GlobalTag::PhysicalMin: global_.physicalMin = data; break;
        case GlobalTag::PhysicalMax: global_.physicalMax = data; break;
        case GlobalTag::ReportSize:
            if (data.value > kMaxReportSizeBits)
                return fail("report size " + std::to_string(data.value) + " above " +
                            std::to_string(kMaxReportSizeBits) + " bits");
            global_.reportSize = data.value;
            break;
        case GlobalTag::ReportId:
            if (data.value == 0 || data.value > 0xFF)
                return fail("report ID " + std::to_string(data.value) + " outside 1..255");
            global_.reportId = static_cast<uint8_t>(data.value);
            result_.usesReportIds = true;
            break;
        case GlobalTag::ReportCount: global_.reportCount = data.value; break;
        case GlobalTag::Push:
            if (stack_.size() >= kMaxGlobalStack) return fail("push nested too deeply");
            stack_.push_back(global_);
            break;
        case GlobalTag::Pop:
            if (stack_.empty()) return fail("pop without a matching push");
            global_ = stack_.back();
            stack_.pop_back();
            break;
        default: break;  // unit, unit exponent and reserved tags do not affect the caps
    }
    return true;
}

bool Parser::localItem(uint8_t tag, RawNumber data) {
    switch (tag) {
        case LocalTag::Usage:
            // Inside a delimiter set the usages are aliases of one control;
            // only the first one stands for it, so elements stay aligned.
            if (local_.delimiterDepth > 0) {
                if (local_.aliasTaken) break;
                local_.aliasTaken = true;
            }
            local_.spans.push_back({data.value, data.value, data.size == 4, false, global_.usagePage});
            break;
        case LocalTag::UsageMin:
            local_.usageMin = data;
            return addUsageRange();
        case LocalTag::UsageMax:
            local_.usageMax = data;
            return addUsageRange();
        case LocalTag::Delimiter:
            if (data.value == 1) {
                ++local_.delimiterDepth;
                local_.aliasTaken = false;
            } else if (local_.delimiterDepth > 0) {
                --local_.delimiterDepth;
            }
            break;
        default: break;  // designators and strings do not affect the caps
    }
    return true;
}

// A range is complete once both ends are known, in either order.
bool Parser::addUsageRange() {
    if (!local_.usageMin || !local_.usageMax) return true;
    RawNumber lo = *local_.usageMin, hi = *local_.usageMax;
    local_.usageMin.reset();
    local_.usageMax.reset();
    bool extended = lo.size == 4 || hi.size == 4;
    uint32_t first = lo.value, last = hi.value;
    if (extended) {
        // Mixed sizes: the short end borrows the page of the extended one.
        if (lo.size != 4) first = withPage(first, usagePageOf(last));
        if (hi.size != 4) last = withPage(last, usagePageOf(first));
        if (usagePageOf(first) != usagePageOf(last)) return fail("usage range spans two usage pages");
    } else if (first > 0xFFFF || last > 0xFFFF) {
        return fail("usage range end above 0xFFFF");
    }
    if (first > last) return fail("usage minimum above usage maximum");
    local_.spans.push_back({first, last, extended, true, global_.usagePage});
    return true;
}

// Gives the short usages their page. The page in effect at the main item
// applies to the usages declared last; walking back, the first usage that
// was declared under that same page ends the walk, and the ones before it
// keep the page they were declared under. So "Usage Page (Desktop), Usage
// (Wheel), Usage Page (Consumer), Input" is a consumer usage, while
// "Usage Page (Desktop), Usage (X), Usage Page (Consumer), Usage (Volume Up),
// Input" keeps X on the desktop page.
std::vector<UsageSpan> Parser::settleUsages() const {
    std::vector<PendingSpan> spans = local_.spans;
    for (size_t i = spans.size(); i-- > 0;) {
        if (spans[i].extended) continue;
        if (spans[i].page == global_.usagePage) break;
        spans[i].page = global_.usagePage;
    }
    std::vector<UsageSpan> out;
    out.reserve(spans.size());
    for (const PendingSpan& p : spans) {
        if (p.extended)
            out.push_back({p.first, p.last});
        else
            out.push_back({withPage(p.first, p.page), withPage(p.last, p.page)});
    }
    return out;
}

bool Parser::addField(ReportKind kind, uint32_t flags) {
    ReportField f;
    f.kind = kind;
    f.reportId = global_.reportId;
    f.reportSize = global_.reportSize;
    f.reportCount = global_.reportCount;
    f.flags = flags;
    resolveRange(global_.logicalMin, global_.logicalMax, f.logicalMin, f.logicalMax);
    resolveRange(global_.physicalMin, global_.physicalMax, f.physicalMin, f.physicalMax);

    uint64_t& bits = reportBits_[(uint32_t{static_cast<uint8_t>(kind)} << 8) | f.reportId];
    f.bitOffset = static_cast<uint32_t>(bits);
    bits += uint64_t{f.reportSize} * f.reportCount;
    if (bits > kMaxReportPayloadBytes * 8)
        return fail("report " + std::to_string(f.reportId) + " longer than " +
                    std::to_string(kMaxReportPayloadBytes) + " bytes");
    if (f.reportId == 0) sawUnnumberedData_ = true;

    f.spans = settleUsages();
    f.usagePage = f.spans.empty() ? global_.usagePage : usagePageOf(f.spans.front().first);
    if (!f.spans.empty()) {
        f.usageMin = f.spans.front().first;
        f.usageMax = f.spans.back().last;
        f.isRange = f.spans.size() == 1 && local_.spans.front().range;
    }
    if (f.usageCount() <= ReportField::kMaxExpandedUsages) {
        for (const UsageSpan& s : f.spans)
            for (uint64_t u = s.first; u <= s.last; ++u) f.usages.push_back(static_cast<uint32_t>(u));
    }

    // Data outside every collection belongs to no interface path; its bits
    // still count towards the report it is part of.
    if (links_.empty()) return true;
    TopLevelCollection& top = result_.collections.back();
    f.linkCollection = links_.back();
    if (f.reportId != 0 &&
        std::find(top.reportIds.begin(), top.reportIds.end(), f.reportId) == top.reportIds.end())
        top.reportIds.push_back(f.reportId);
    top.fields.push_back(std::move(f));
    return true;
}

bool Parser::openCollection() {
    if (links_.size() >= kMaxCollectionDepth) return fail("collections nested too deeply");
    std::vector<UsageSpan> spans = settleUsages();
    if (links_.empty()) {
        TopLevelCollection top;
        top.usagePage = spans.empty() ? global_.usagePage : usagePageOf(spans.front().first);
        top.usage = spans.empty() ? 0 : usageIdOf(spans.front().first);
        result_.collections.push_back(std::move(top));
        nextLink_ = 0;
    }
    if (nextLink_ > 0xFFFF) return fail("too many collections");
    links_.push_back(static_cast<uint16_t>(nextLink_++));
    return true;
}

bool Parser::closeCollection() {
    if (links_.empty()) return fail("end collection without an open collection");
    links_.pop_back();
    return true;
}

uint16_t byteLength(uint64_t bits) { return static_cast<uint16_t>((bits + 7) / 8 + 1); }

// Splits a field's usages into capabilities the way the Windows HID stack
// does: one per declared usage or range, for variable fields limited to the
// elements the field has; elements beyond the declared usages repeat the last
// usage and go to a single-usage capability of their own.
template <typename Cap, typename Fill>
void addVariableCaps(std::vector<Cap>& caps, const ReportField& f, uint32_t fieldIndex, Fill fill) {
    uint32_t element = 0;
    auto add = [&](uint32_t first, uint32_t count, uint32_t usageFirst, bool range) {
        Cap cap;
        cap.reportId = f.reportId;
        cap.usagePage = usagePageOf(usageFirst);
        cap.usageMin = usageIdOf(usageFirst);
        cap.usageMax = static_cast<uint16_t>(usageIdOf(usageFirst) + (range ? count - 1 : 0));
        cap.isRange = range && count > 1;
        cap.linkCollection = f.linkCollection;
        cap.fieldIndex = fieldIndex;
        cap.firstElement = first;
        cap.reportCount = count;
        fill(cap);
        caps.push_back(cap);
    };
    for (const UsageSpan& s : f.spans) {
        if (element >= f.reportCount) break;
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(s.size(), f.reportCount - element));
        add(element, n, s.first, true);
        element += n;
    }
    if (element < f.reportCount) {
        uint32_t last = f.spans.empty() ? withPage(0, f.usagePage) : f.spans.back().last;
        Cap* prev = caps.empty() ? nullptr : &caps.back();
        if (!f.spans.empty() && prev && prev->fieldIndex == fieldIndex && !prev->isRange &&
            prev->usagePage == usagePageOf(last) && prev->usageMin == usageIdOf(last)) {
            prev->reportCount += f.reportCount - element;
        } else {
            add(element, f.reportCount - element, last, false);
        }
    }
}

void addFieldCaps(KindCaps& caps, const ReportField& f, uint32_t index) {
    if (f.isConstant() || f.reportCount == 0 || f.reportSize == 0 || f.reportSize > kMaxDecodedBits)
        return;
    if (f.isArray()) {
        for (const UsageSpan& s : f.spans) {
            ButtonCap cap;
            cap.reportId = f.reportId;
            cap.usagePage = usagePageOf(s.first);
            cap.usageMin = usageIdOf(s.first);
            cap.usageMax = usageIdOf(s.last);
            cap.isRange = s.first != s.last;
            cap.isArray = true;
            cap.linkCollection = f.linkCollection;
            cap.fieldIndex = index;
            cap.reportCount = f.reportCount;
            caps.buttons.push_back(cap);
        }
    } else if (f.reportSize == 1 && f.logicalMin == 0 && f.logicalMax == 1) {
        addVariableCaps(caps.buttons, f, index, [](ButtonCap&) {});
    } else {
        addVariableCaps(caps.values, f, index, [&f](ValueCap& cap) {
            cap.bitSize = f.reportSize;
            cap.logicalMin = f.logicalMin;
            cap.logicalMax = f.logicalMax;
            cap.physicalMin = f.physicalMin;
            cap.physicalMax = f.physicalMax;
        });
    }
}

KindCaps& capsOf(TopLevelCollection& c, ReportKind kind) {
    switch (kind) {
        case ReportKind::Output: return c.output;
        case ReportKind::Feature: return c.feature;
        default: return c.input;
    }
}

bool Parser::finish() {
    if (!links_.empty()) return fail("collection not closed");
    if (result_.usesReportIds && sawUnnumberedData_)
        return fail("data without a report ID in a descriptor that uses report IDs");
    for (TopLevelCollection& c : result_.collections) {
        for (uint32_t i = 0; i < c.fields.size(); ++i) {
            const ReportField& f = c.fields[i];
            uint64_t bits = reportBits_[(uint32_t{static_cast<uint8_t>(f.kind)} << 8) | f.reportId];
            uint16_t length = byteLength(bits);
            uint16_t& slot = f.kind == ReportKind::Input    ? c.inputReportByteLength
                             : f.kind == ReportKind::Output ? c.outputReportByteLength
                                                            : c.featureReportByteLength;
            slot = std::max(slot, length);
            addFieldCaps(capsOf(c, f.kind), f, i);
        }
    }
    return true;
}

// Reads `size` (1..32) bits starting at `bitOffset`, least significant bit
// first as HID lays them out. The caller has checked the bounds.
uint32_t readBits(std::span<const uint8_t> payload, uint64_t bitOffset, uint32_t size) {
    size_t firstByte = static_cast<size_t>(bitOffset / 8);
    unsigned shift = static_cast<unsigned>(bitOffset % 8);
    size_t byteCount = (shift + size + 7) / 8;
    uint64_t acc = 0;
    for (size_t i = 0; i < byteCount; ++i) acc |= uint64_t{payload[firstByte + i]} << (8 * i);
    acc >>= shift;
    uint64_t mask = (uint64_t{1} << size) - 1;
    return static_cast<uint32_t>(acc & mask);
}

int64_t readElement(std::span<const uint8_t> payload, const ReportField& f, uint32_t element) {
    uint32_t v = readBits(payload, f.bitOffset + uint64_t{element} * f.reportSize, f.reportSize);
    if (f.hasSignedValues() && f.reportSize < 32 && (v >> (f.reportSize - 1)) & 1)
        return static_cast<int64_t>(v) - (int64_t{1} << f.reportSize);
    if (f.hasSignedValues()) return static_cast<int32_t>(v);
    return v;
}

// The usages one item reports, each once, in the order first seen. A report
// may hold tens of thousands of pressed buttons; looking each up in the list
// made decoding one such report take seconds, so the ids seen are a bitmap.
class UsagesOnce {
public:
    explicit UsagesOnce(std::vector<uint16_t>& on) : on_(on) {
        for (uint16_t id : on_) seen_.set(id);
    }
    void add(uint16_t id) {
        if (seen_.test(id)) return;
        seen_.set(id);
        on_.push_back(id);
    }

private:
    std::vector<uint16_t>& on_;
    std::bitset<0x10000> seen_;
};

// An array element names the usage it reports by its index into the usage
// list. A value outside the logical range is the "nothing" an array sends
// for released keys, and usage 0 is reserved on every page as "no event",
// so neither reports a usage.
void decodeArray(std::span<const uint8_t> payload, const ReportField& f, const ButtonCap& cap,
                 std::vector<uint16_t>& on) {
    UsagesOnce once(on);
    for (uint32_t e = 0; e < f.reportCount; ++e) {
        int64_t v = readElement(payload, f, e);
        if (v < f.logicalMin || v > f.logicalMax) continue;
        std::optional<uint32_t> usage = f.usageAt(static_cast<uint64_t>(v - f.logicalMin));
        if (!usage || usageIdOf(*usage) == 0) continue;
        if (usagePageOf(*usage) != cap.usagePage) continue;
        uint16_t id = usageIdOf(*usage);
        if (id >= cap.usageMin && id <= cap.usageMax) once.add(id);
    }
}

void decodeButtons(std::span<const uint8_t> payload, const ReportField& f, const ButtonCap& cap,
                   std::vector<uint16_t>& on) {
    UsagesOnce once(on);
    for (uint32_t i = 0; i < cap.reportCount; ++i) {
        if (readBits(payload, f.bitOffset + uint64_t{cap.firstElement + i} * f.reportSize, 1) == 0)
            continue;
        uint16_t id = static_cast<uint16_t>(cap.usageMin + (cap.isRange ? i : 0));
        if (id != 0) once.add(id);
    }
}

// Physical minimum and maximum both 0 mean "same as logical" (no scaling).
// A value outside the logical range is a null state with no physical
// meaning; it scales to 0.
int32_t scaleValue(const ReportField& f, int64_t raw) {
    if (f.physicalMin == 0 && f.physicalMax == 0) return clampToInt32(raw);
    if (raw < f.logicalMin || raw > f.logicalMax || f.logicalMax <= f.logicalMin) return 0;
    int64_t span = int64_t{f.logicalMax} - f.logicalMin;
    int64_t out = f.physicalMin + (raw - f.logicalMin) * (int64_t{f.physicalMax} - f.physicalMin) / span;
    return clampToInt32(out);
}

bool fits(const ReportField& f, size_t payloadBytes) {
    return f.bitOffset + uint64_t{f.reportSize} * f.reportCount <= uint64_t{payloadBytes} * 8;
}

}  // namespace

uint64_t ReportField::usageCount() const {
    uint64_t n = 0;
    for (const UsageSpan& s : spans) n += s.size();
    return n;
}

std::optional<uint32_t> ReportField::usageAt(uint64_t k) const {
    for (const UsageSpan& s : spans) {
        if (k < s.size()) return static_cast<uint32_t>(s.first + k);
        k -= s.size();
    }
    return std::nullopt;
}

bool TopLevelCollection::ownsReportId(uint8_t id) const {
    if (reportIds.empty()) return id == 0;
    return std::find(reportIds.begin(), reportIds.end(), id) != reportIds.end();
}

const KindCaps& TopLevelCollection::caps(ReportKind kind) const {
    switch (kind) {
        case ReportKind::Output: return output;
        case ReportKind::Feature: return feature;
        default: return input;
    }
}

std::optional<ReportDescriptor> parseReportDescriptor(std::span<const uint8_t> bytes,
                                                      std::string* error) {
    return Parser(bytes).run(error);
}

std::vector<DataItem> makeInputDataItems(const TopLevelCollection& collection) {
    std::vector<DataItem> items;
    const KindCaps& caps = collection.input;
    for (uint32_t i = 0; i < caps.buttons.size(); ++i) {
        const ButtonCap& cap = caps.buttons[i];
        DataItem item;
        item.reportId = cap.reportId;
        item.usagePage = cap.usagePage;
        item.isButton = true;
        item.usageMin = cap.usageMin;
        item.usageMax = cap.usageMax;
        item.capIndex = i;
        items.push_back(std::move(item));
    }
    for (uint32_t i = 0; i < caps.values.size(); ++i) {
        const ValueCap& cap = caps.values[i];
        uint32_t perUsage = cap.isRange ? cap.reportCount : 1;
        for (uint32_t k = 0; k < perUsage; ++k) {
            DataItem item;
            item.reportId = cap.reportId;
            item.usagePage = cap.usagePage;
            item.usageMin = cap.usageMin;
            item.usageMax = cap.usageMax;
            item.usage = static_cast<uint16_t>(cap.usageMin + k);
            item.capIndex = i;
            item.element = cap.firstElement + k;
            items.push_back(std::move(item));
        }
    }
    return items;
}

bool unpackInputReport(const TopLevelCollection& collection, std::span<const uint8_t> report,
                       std::vector<DataItem>& items) {
    for (DataItem& item : items) {
        item.hasData = false;
        item.usages.clear();
    }
    if (report.empty()) return false;
    uint8_t id = report[0];
    std::span<const uint8_t> payload = report.subspan(1);
    for (const ReportField& f : collection.fields)
        if (f.kind == ReportKind::Input && f.reportId == id && !fits(f, payload.size())) return false;

    const KindCaps& caps = collection.input;
    for (DataItem& item : items) {
        if (item.reportId != id) continue;
        if (item.isButton) {
            if (item.capIndex >= caps.buttons.size()) return false;
            const ButtonCap& cap = caps.buttons[item.capIndex];
            if (cap.fieldIndex >= collection.fields.size()) return false;
            const ReportField& f = collection.fields[cap.fieldIndex];
            if (!fits(f, payload.size())) return false;
            if (cap.isArray)
                decodeArray(payload, f, cap, item.usages);
            else
                decodeButtons(payload, f, cap, item.usages);
        } else {
            if (item.capIndex >= caps.values.size()) return false;
            const ValueCap& cap = caps.values[item.capIndex];
            if (cap.fieldIndex >= collection.fields.size()) return false;
            const ReportField& f = collection.fields[cap.fieldIndex];
            if (!fits(f, payload.size()) || item.element >= f.reportCount) return false;
            int64_t raw = readElement(payload, f, item.element);
            item.rawValue = static_cast<int32_t>(raw);
            item.scaledValue = scaleValue(f, raw);
        }
        item.hasData = true;
    }
    return true;
}

}  // namespace talven::hid
