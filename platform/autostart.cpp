#include "platform/autostart.h"

#include "platform/app_identity.h"
#include "platform/app_paths.h"
#include "platform/atomic_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace talven::autostart {

namespace fs = std::filesystem;

namespace {

// Characters that make an Exec argument need quotes (desktop entry rules:
// space, tab, newline and the shell's reserved characters).
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

bool usableExecutable(const std::string& executable) {
    return !executable.empty() && executable.front() == '/' &&
           executable.find_first_of(std::string_view("\n\r\0", 3)) == std::string::npos;
}

}  // namespace

std::string entryPath() { return paths::configHome() + "autostart/" + kEntryFileName; }

bool isEnabled(const std::string& entryFile) {
    std::error_code ec;
    return fs::is_regular_file(entryFile, ec);
}

std::string execArgument(const std::string& argument) {
    std::string quoted;
    const bool needsQuotes = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    for (const char c : argument) {
        if (c == '%') {
            quoted += "%%";
            continue;
        }
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
    }
    if (needsQuotes) quoted = '"' + quoted + '"';
    // The value is also a desktop-entry string, where a backslash escapes.
    std::string escaped;
    for (const char c : quoted) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string applicationEntry(const std::string& execLine) {
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + std::string(kApplicationTitle) + "\n";
    text += "GenericName=Device settings\n";
    text += "Comment=Set up the lighting, keys, macros and sound of TALVEN K88 keyboards, mice, mouse pads "
            "and headsets\n";
    text += "Exec=" + execLine + "\n";
    text += "Icon=talven-k88\n";
    text += "Terminal=false\n";
    text += "Categories=Settings;HardwareSettings;\n";
    text += "Keywords=keyboard;mouse;headset;lighting;macro;RGB;\n";
    text += "StartupWMClass=talven-k88\n";
    return text;
}

std::string desktopEntry(const std::string& executable) {
    return applicationEntry(execArgument(executable) + " --tray") + "X-GNOME-Autostart-enabled=true\n";
}

int enable(const std::string& entryFile, const std::string& executable) {
    if (!usableExecutable(executable)) return EINVAL;
    std::error_code ec;
    fs::create_directories(fs::path(entryFile).parent_path(), ec);
    if (ec) return ec.value();
    return writeFileAtomically(entryFile, desktopEntry(executable));
}

int disable(const std::string& entryFile) {
    std::error_code ec;
    fs::remove(entryFile, ec);
    return ec ? ec.value() : 0;
}

std::string ownExecutable() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

}  // namespace talven::autostart
