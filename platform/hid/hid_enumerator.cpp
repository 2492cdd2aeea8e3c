#include "platform/hid/hid_enumerator.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <string_view>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

namespace talven::hid {

namespace fs = std::filesystem;

namespace {

// Descriptors are at most 4 KiB in the kernel and uevent files a few hundred
// bytes; anything far larger is not what we are looking for.
constexpr size_t kMaxFileBytes = 64 * 1024;

constexpr const char* kSysClassHidraw = "/sys/class/hidraw";

// Reads a whole file in binary. sysfs attributes report a size that has
// nothing to do with their content, so read until end of file instead. Only
// regular files are read: a FIFO planted in a simulator folder must not
// block the scan.
std::optional<std::string> readWholeFile(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    char chunk[4096];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) { ok = false; break; }
        if (n == 0) break;
        data.append(chunk, static_cast<size_t>(n));
        if (data.size() > kMaxFileBytes) { ok = false; break; }
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return data;
}

std::optional<std::vector<uint8_t>> readBinaryFile(const fs::path& path) {
    std::optional<std::string> text = readWholeFile(path);
    if (!text) return std::nullopt;
    return std::vector<uint8_t>(text->begin(), text->end());
}

// Parses all of `text` as a number in `base` that fits 16 bits.
std::optional<uint16_t> parseU16(std::string_view text, int base) {
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

// "BBBB:VVVVVVVV:PPPPPPPP", all hexadecimal.
bool parseHidId(std::string_view text, HidUevent& out) {
    size_t a = text.find(':');
    size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    if (b == std::string_view::npos) return false;
    auto bus = parseU16(text.substr(0, a), 16);
    auto vid = parseU16(text.substr(a + 1, b - a - 1), 16);
    auto pid = parseU16(text.substr(b + 1), 16);
    if (!bus || !vid || !pid) return false;
    out.bus = *bus;
    out.vendorId = *vid;
    out.productId = *pid;
    return true;
}

// HID_PHYS of a USB interface ends in "/inputN"; Bluetooth and virtual
// devices have no such part and count as interface 0.
uint16_t interfaceFromPhys(std::string_view phys) {
    size_t at = phys.rfind("/input");
    if (at == std::string_view::npos) return 0;
    std::string_view digits = phys.substr(at + 6);
    size_t n = 0;
    while (n < digits.size() && std::isdigit(static_cast<unsigned char>(digits[n]))) ++n;
    return parseU16(digits.substr(0, n), 10).value_or(0);
}

// Orders names with embedded numbers by value: hidraw2 before hidraw10.
bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        bool da = std::isdigit(static_cast<unsigned char>(a[i]));
        bool db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            std::string_view na(a.data() + i, ei - i), nb(b.data() + j, ej - j);
            while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
            while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;  // equal by value ("hidraw01" and "hidraw1"): keep a stable order
}

std::vector<std::string> sortedEntries(const std::string& classDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.') names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

// Adds one path per top-level collection of one class-directory entry.
void addEntry(const HidRoot& root, const std::string& name, std::vector<HidInterfaceInfo>& out) {
    fs::path entry = fs::path(root.classDir) / name;
    fs::path device = entry / "device";
    std::optional<std::string> ueventText = readWholeFile(device / "uevent");
    if (!ueventText) return;
    std::optional<HidUevent> uevent = parseHidUevent(*ueventText);
    std::optional<std::vector<uint8_t>> bytes = readBinaryFile(device / "report_descriptor");
    if (!uevent || !bytes) return;
    std::optional<ReportDescriptor> descriptor = parseReportDescriptor(*bytes);
    if (!descriptor || descriptor->collections.empty()) return;

    std::error_code ec;
    fs::path ownNode = entry / "node";
    std::string node = fs::exists(fs::symlink_status(ownNode, ec)) ? ownNode.string()
                                                                    : (fs::path(root.devDir) / name).string();
    const auto& collections = descriptor->collections;
    for (size_t i = 0; i < collections.size(); ++i) {
        HidInterfaceInfo info;
        info.collectionNumber = collections.size() > 1 ? static_cast<uint16_t>(i + 1) : 0;
        info.path = makeInterfacePath(node, {uevent->vendorId, uevent->productId,
                                             uevent->interfaceNumber, info.collectionNumber});
        info.node = node;
        info.sysfsDir = device.string();
        info.uevent = *uevent;
        info.usagePage = collections[i].usagePage;
        info.usage = collections[i].usage;
        out.push_back(std::move(info));
    }
}

// The sysfs "device" directory that describes a node: next to a simulator
// node, or under /sys/class/hidraw for a real hidraw node.
std::optional<fs::path> deviceDirForNode(const std::string& node) {
    fs::path nodePath(node);
    fs::path beside = nodePath.parent_path() / "device";
    std::error_code ec;
    if (fs::exists(beside / "report_descriptor", ec)) return beside;
    std::string name = nodePath.filename().string();
    if (name.rfind("hidraw", 0) == 0) return fs::path(kSysClassHidraw) / name / "device";
    return std::nullopt;
}

}  // namespace

std::optional<HidUevent> parseHidUevent(const std::string& text) {
    HidUevent out;
    bool haveId = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "HID_ID") {
            if (!parseHidId(value, out)) return std::nullopt;
            haveId = true;
        } else if (key == "HID_NAME") {
            out.name = std::string(value);
        } else if (key == "HID_PHYS") {
            out.interfaceNumber = interfaceFromPhys(value);
        }
    }
    if (!haveId) return std::nullopt;
    return out;
}

std::vector<HidRoot> defaultHidRoots() {
    std::vector<HidRoot> roots{{kSysClassHidraw, "/dev"}};
    const char* sim = std::getenv("TALVEN_SIM_DIR");
    if (sim && *sim) roots.push_back({sim, sim});
    return roots;
}

std::vector<HidInterfaceInfo> enumerateHidInterfaces(const std::vector<HidRoot>& roots) {
    std::vector<HidInterfaceInfo> out;
    for (const HidRoot& root : roots)
        for (const std::string& name : sortedEntries(root.classDir)) addEntry(root, name, out);
    return out;
}

std::optional<std::vector<uint8_t>> readDescriptorForNode(const std::string& node) {
    std::optional<fs::path> dir = deviceDirForNode(node);
    if (!dir) return std::nullopt;
    return readBinaryFile(*dir / "report_descriptor");
}

std::optional<HidUevent> readUeventForNode(const std::string& node) {
    std::optional<fs::path> dir = deviceDirForNode(node);
    if (!dir) return std::nullopt;
    std::optional<std::string> text = readWholeFile(*dir / "uevent");
    if (!text) return std::nullopt;
    return parseHidUevent(*text);
}

std::optional<uint16_t> readReleaseNumber(const fs::path& deviceDir) {
    std::error_code ec;
    fs::path dir = fs::canonical(deviceDir, ec);
    if (ec) return std::nullopt;
    // The HID device, its USB interface, the USB device.
    for (int level = 0; level < 3 && !dir.empty(); ++level, dir = dir.parent_path()) {
        std::optional<std::string> text = readWholeFile(dir / "bcdDevice");
        if (!text) continue;
        const std::string digits = text->substr(0, text->find_first_of("\r\n"));
        if (digits.empty() || digits.size() > 4 ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        return static_cast<uint16_t>(std::stoul(digits, nullptr, 16));
    }
    return std::nullopt;
}

std::optional<uint16_t> readReleaseNumberForNode(const std::string& node) {
    std::optional<fs::path> dir = deviceDirForNode(node);
    if (!dir) return std::nullopt;
    return readReleaseNumber(*dir);
}

bool enumerate(HidPathList& list) { return enumerate(list, defaultHidRoots()); }

bool enumerate(HidPathList& list, const std::vector<HidRoot>& roots) {
    freeList(list);
    try {
        for (HidInterfaceInfo& info : enumerateHidInterfaces(roots)) list.items.push_back(std::move(info.path));
    } catch (const std::bad_alloc&) {
        freeList(list);
        return false;
    }
    return true;
}

const std::string* nextPath(HidPathList& list) {
    if (list.cursor >= list.items.size()) return nullptr;
    return &list.items[list.cursor++];
}

void freeList(HidPathList& list) {
    list.items.clear();
    list.items.shrink_to_fit();
    list.cursor = 0;
}

}  // namespace talven::hid
