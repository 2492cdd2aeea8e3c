#pragma once
// Parser for USB HID report descriptors (HID 1.11, section 6.2.2).
//
// The kernel hands us the raw descriptor of an interface; the transport needs
// what the Windows HID stack would derive from it: the top-level collections
// with their usage page, usage and report IDs, the byte lengths of the input,
// output and feature reports (including the report-ID byte), the button and
// value capabilities, and a way to turn a raw input report into usages and
// values. Everything here is pure and bounds-checked over a byte buffer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talven::hid {

enum class ReportKind : uint8_t { Input = 0, Output = 1, Feature = 2 };

// Usages are kept extended: (page << 16) | id.
constexpr uint16_t usagePageOf(uint32_t extended) { return static_cast<uint16_t>(extended >> 16); }
constexpr uint16_t usageIdOf(uint32_t extended) { return static_cast<uint16_t>(extended & 0xFFFF); }

// A run of consecutive usages in declaration order: a single Usage item gives
// first == last, a Usage Minimum/Maximum pair gives the whole range. Ranges
// are never expanded, so a 0..0x7FFF consumer array costs one entry.
struct UsageSpan {
    uint32_t first = 0;
    uint32_t last = 0;
    uint32_t size() const { return last - first + 1; }
};

// One Input/Output/Feature main item after the global and local state in
// effect at that point has been applied.
struct ReportField {
    ReportKind kind = ReportKind::Input;
    uint8_t reportId = 0;          // 0 when the descriptor uses no report IDs
    uint32_t bitOffset = 0;        // from the start of the payload (after the ID byte)
    uint32_t reportSize = 0;       // bits per element
    uint32_t reportCount = 0;      // number of elements
    uint32_t flags = 0;            // the main item's data bits (bit 0 constant, bit 1 variable, bit 2 relative, ...)
    uint16_t usagePage = 0;        // page of the first usage (or of the range)
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    // Every usage in declaration order; the authoritative list.
    std::vector<UsageSpan> spans;
    // Convenience views of `spans`: `usages` is the full expansion when it has
    // at most kMaxExpandedUsages entries (else empty); isRange is set when the
    // usages came from one Usage Minimum/Maximum pair; usageMin and usageMax
    // are the first and last usage declared.
    static constexpr uint32_t kMaxExpandedUsages = 1024;
    std::vector<uint32_t> usages;
    bool isRange = false;
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint16_t linkCollection = 0;   // index of the innermost collection, 0 = top level

    bool isConstant() const { return flags & 0x01; }
    bool isVariable() const { return flags & 0x02; }
    bool isArray() const { return !isVariable(); }
    bool hasSignedValues() const { return logicalMin < 0; }
    // Number of usages declared.
    uint64_t usageCount() const;
    // The k-th declared usage (extended), if there are that many. An array
    // element holding value v selects usageAt(v - logicalMin).
    std::optional<uint32_t> usageAt(uint64_t k) const;
};

// A button capability: a one-bit variable field with logical range 0..1, or
// any array field (its elements report which usages are on). A field whose
// usages span several runs or pages gives one capability per run, as the
// Windows HID stack does.
struct ButtonCap {
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    bool isArray = false;
    uint32_t fieldIndex = 0;       // into TopLevelCollection::fields
    uint32_t firstElement = 0;     // variable fields: the elements this cap covers
    uint32_t reportCount = 0;
};

// A value capability: a variable field wider than one bit (or with another
// logical range), split per usage run like the button caps. A range cap
// covers reportCount elements with consecutive usages; a single-usage cap
// with reportCount > 1 is a value array (the last usage repeating).
struct ValueCap {
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    uint32_t bitSize = 0;
    uint32_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t fieldIndex = 0;
    uint32_t firstElement = 0;
};

struct KindCaps {
    std::vector<ButtonCap> buttons;
    std::vector<ValueCap> values;
};

struct TopLevelCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> reportIds;    // distinct IDs in first-seen order; empty when unnumbered
    std::vector<ReportField> fields;   // every main item inside this collection
    // Byte lengths as Windows reports them: the longest report of that kind in
    // this collection plus one byte for the report ID (also when the ID is 0);
    // 0 when the collection has no report of that kind.
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    KindCaps input;
    KindCaps output;
    KindCaps feature;

    bool ownsReportId(uint8_t id) const;
    const KindCaps& caps(ReportKind kind) const;
};

struct ReportDescriptor {
    std::vector<TopLevelCollection> collections;
    bool usesReportIds = false;
};

// Parses a descriptor; on malformed input (truncated item, unbalanced
// collections or push/pop, report larger than the protocol allows) returns
// nullopt and, when `error` is given, a one-line reason.
std::optional<ReportDescriptor> parseReportDescriptor(std::span<const uint8_t> bytes,
                                                      std::string* error = nullptr);

// One decoded item of an input report: a button capability yields the usages
// that are on; a value capability yields one raw and scaled value per usage.
struct DataItem {
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    bool isButton = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    std::vector<uint16_t> usages;   // buttons: usages that are on, in report order
    uint16_t usage = 0;             // values: the usage of this value
    int32_t rawValue = 0;           // values: as stored (sign-extended when logicalMin < 0)
    int32_t scaledValue = 0;        // values: mapped onto the physical range when it is set
    bool hasData = false;
    // Where the item comes from: index into input.buttons or input.values
    // (by isButton) and, for values, the element of the field it reads.
    uint32_t capIndex = 0;
    uint32_t element = 0;
};

// The data items of a collection's input reports, in capability order: one per
// button capability, one per usage of each value capability. Filled once when
// a device is opened and refreshed by unpackInputReport.
std::vector<DataItem> makeInputDataItems(const TopLevelCollection& collection);

// Decodes `report` (first byte is the report ID, 0 when unnumbered) into the
// items whose report ID matches. Returns false when the report is shorter
// than the fields it should hold. Items of other reports keep hasData false.
bool unpackInputReport(const TopLevelCollection& collection, std::span<const uint8_t> report,
                       std::vector<DataItem>& items);

}  // namespace talven::hid
