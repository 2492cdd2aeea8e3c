#pragma once
// Where the program finds its resources and keeps per-user files. Every folder
// returned ends in '/', so callers append file names directly.

#include <string>

namespace talven::paths {

// Folder of the running executable, resolved through /proc/self/exe.
std::string executableFolder();

// skin/, DefaultData/, Font/ and SDK/: the executable's folder when it holds
// "skin/" (a build tree or a portable copy), else ../app/ when that is the
// build tree's program folder (for talvenctl and talven-devsim run from the
// build), else <exe folder>/../share/talven-k88/. TALVEN_RESOURCE_DIR
// overrides all.
std::string resourceRoot();
// The decision above for a given executable folder, without the override.
std::string resourceRootFor(const std::string& exeFolder);

// $XDG_DATA_HOME/<title>/ (default ~/.local/share), created when missing.
std::string dataFolder();
// dataFolder() + folderName + "/", created when missing. folderName comes from
// the product tables; a name that would leave the data folder (empty, ".",
// "..", or holding '/' or NUL) throws std::invalid_argument.
std::string deviceDataFolder(const std::string& folderName);
// resourceRoot() + "DefaultData/": the factory profiles and Language.config.
std::string defaultDataFolder();
// $XDG_CACHE_HOME/<title>/ (default ~/.cache), created when missing: files
// the program can fetch again, such as downloaded updates.
std::string cacheFolder();
// $XDG_CONFIG_HOME/<title>/ (default ~/.config); not created here.
std::string configFolder();
// $XDG_CONFIG_HOME/ itself, where desktops keep their own settings files.
std::string configHome();

}  // namespace talven::paths
