// The report-descriptor parser and the input-report unpacker.
//
// Input: a 16-bit little-endian descriptor length, the descriptor, then input
// reports, each a length byte followed by that many bytes (first byte the
// report ID). Every report goes to every collection the descriptor yields,
// so a report of the wrong ID or length reaches each unpacker too.

#include "fuzz_support.h"
#include "platform/hid/report_descriptor.h"

#include <cstdlib>
#include <vector>

using namespace talven;

namespace {

void checkItem(const hid::TopLevelCollection& collection, const hid::DataItem& item) {
    // Items point back at the capability they came from.
    const auto& caps = collection.input;
    if (item.isButton ? item.capIndex >= caps.buttons.size() : item.capIndex >= caps.values.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader input(data, size);
    const auto descriptor = input.take(input.word());
    std::string error;
    const auto parsed = hid::parseReportDescriptor(descriptor, &error);
    if (!parsed) return 0;

    std::vector<std::vector<hid::DataItem>> items;
    for (const auto& collection : parsed->collections) {
        items.push_back(hid::makeInputDataItems(collection));
        // A report of the declared length must always be accepted. Checked
        // once per collection: the answer does not depend on the reports
        // that follow, and checking it again for each of them was half of
        // every run.
        std::vector<uint8_t> full(collection.inputReportByteLength, 0);
        if (!full.empty() && !collection.reportIds.empty()) full[0] = collection.reportIds.front();
        if (!full.empty() && !hid::unpackInputReport(collection, full, items.back())) std::abort();
    }
    while (input.remaining() > 0) {
        const auto report = input.take(input.byte());
        for (size_t i = 0; i < parsed->collections.size(); ++i) {
            const auto& collection = parsed->collections[i];
            hid::unpackInputReport(collection, report, items[i]);
            for (const auto& item : items[i]) checkItem(collection, item);
        }
    }
    return 0;
}
