#include "platform/app_paths.h"

#include "platform/app_identity.h"
#include "platform/debug_output.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace talven::paths {

namespace fs = std::filesystem;

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

// A variable the XDG base-directory rules accept: set, non-empty, absolute.
const char* absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && value[0] == '/') ? value : nullptr;
}

std::string homeFolder() {
    if (const char* home = absoluteEnv("HOME")) return home;
    // Services and some sandboxes run without HOME; the password database
    // still knows where the user's files belong.
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    debugOutputf("no home folder; using %s", ec ? "/tmp" : temp.c_str());
    return ec ? "/tmp" : temp.string();
}

std::string xdgFolder(const char* variable, const char* defaultBelowHome) {
    std::string base = absoluteEnv(variable) ? std::string(absoluteEnv(variable))
                                             : homeFolder() + "/" + defaultBelowHome;
    return withSlash(std::move(base));
}

// Creation failure is not fatal here: the folder is only a place for files,
// and whoever writes a file there gets the write's own error.
void ensureFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) debugOutputf("cannot create %s: %s", folder.c_str(), ec.message().c_str());
}

bool isSafeFolderName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

std::string executableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        // Without /proc (unusual containers) the working folder is the only
        // sensible guess; the resource override covers the rest.
        return withSlash(fs::current_path(ec).string());
    }
    return withSlash(exe.parent_path().string());
}

std::string resourceRootFor(const std::string& exeFolder) {
    std::string folder = withSlash(exeFolder);
    std::error_code ec;
    if (fs::is_directory(folder + "skin", ec)) return folder;
    // /proc/self/exe is already free of links, so going up lexically is
    // the same as going up on disk.
    // In the build tree the command-line tools sit in tools/ and sim/ beside
    // app/, which holds the resources (and SDK/) of the desktop program.
    const fs::path buildApp = (fs::path(folder) / ".." / "app").lexically_normal();
    if (fs::is_directory(buildApp / "skin", ec) && fs::exists(buildApp / "talven-k88", ec)) {
        return withSlash(buildApp.string());
    }
    fs::path installed = (fs::path(folder) / ".." / "share" / kInstalledResourceFolder).lexically_normal();
    return withSlash(installed.string());
}

std::string resourceRoot() {
    if (const char* overridden = std::getenv("TALVEN_RESOURCE_DIR"); overridden && *overridden) {
        return withSlash(overridden);
    }
    return resourceRootFor(executableFolder());
}

std::string dataFolder() {
    std::string folder = xdgFolder("XDG_DATA_HOME", ".local/share") + std::string(kApplicationTitle) + "/";
    ensureFolder(folder);
    return folder;
}

std::string deviceDataFolder(const std::string& folderName) {
    if (!isSafeFolderName(folderName)) {
        throw std::invalid_argument("device data folder name is not a plain folder name: \"" +
                                    folderName + "\"");
    }
    std::string folder = dataFolder() + folderName + "/";
    ensureFolder(folder);
    return folder;
}

std::string defaultDataFolder() {
    return resourceRoot() + "DefaultData/";
}

std::string cacheFolder() {
    std::string folder = xdgFolder("XDG_CACHE_HOME", ".cache") + std::string(kApplicationTitle) + "/";
    ensureFolder(folder);
    return folder;
}

std::string configFolder() {
    return configHome() + std::string(kApplicationTitle) + "/";
}

std::string configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

}  // namespace talven::paths
