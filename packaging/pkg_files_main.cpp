// Writes the files the install takes from the program's own tables, so they
// cannot drift from them:
//   udev-rules     the device access rules: one line per vendor and product
//                  of the interface recognition table
//   desktop-entry  the menu entry, the same text the autostart entry uses
// Each goes to OUTFILE when one is named, else to standard output.

#include "device/hid_records.h"
#include "platform/autostart.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string udevRules() {
    std::string text =
        "# Access for the logged-in user to the hidraw nodes of the supported\n"
        "# products (written at build time from the recognition table).\n";
    std::vector<std::pair<unsigned, unsigned>> seen;
    for (const auto& row : talven::recognitionTable()) {
        const std::pair<unsigned, unsigned> id{row.vendorId, row.productId};
        bool known = false;
        for (const auto& s : seen) known = known || s == id;
        if (known) continue;
        seen.push_back(id);
        char line[160];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", "
                      "TAG+=\"uaccess\"\n",
                      id.first, id.second);
        text += line;
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc == 2 || argc == 3 ? argv[1] : "";
    std::string text;
    if (what == "udev-rules") {
        text = udevRules();
    } else if (what == "desktop-entry") {
        text = talven::autostart::applicationEntry("talven-k88");
    } else {
        std::fprintf(stderr, "usage: %s udev-rules|desktop-entry [OUTFILE]\n", argv[0]);
        return 2;
    }
    FILE* out = argc == 3 ? std::fopen(argv[2], "w") : stdout;
    if (out == nullptr) {
        std::fprintf(stderr, "%s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    const bool written = std::fputs(text.c_str(), out) >= 0 && std::fflush(out) == 0;
    if (out != stdout && std::fclose(out) != 0) return 1;
    return written ? 0 : 1;
}
