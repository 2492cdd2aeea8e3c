#pragma once
// Starting the program with the desktop session: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/talven-k88.desktop, that starts the program
// hidden in the tray. The entry existing is what "start with the session"
// means; nothing else records the choice.

#include <string>

namespace talven::autostart {

inline constexpr char kEntryFileName[] = "talven-k88.desktop";

// paths::configHome() + "autostart/" + kEntryFileName.
std::string entryPath();

// Whether `entryFile` exists as a file.
bool isEnabled(const std::string& entryFile);

// The program's desktop entry with `execLine` as its Exec value: the menu
// entry installed in share/applications/talven-k88.desktop is this with
// "talven-k88", and the autostart entry below is built on it, so both show
// the same name, icon and categories.
std::string applicationEntry(const std::string& execLine);

// The autostart entry's text for `executable` (an absolute path): the
// application entry whose Exec starts it with --tray, the path quoted and
// escaped the way desktop entries require.
std::string desktopEntry(const std::string& executable);

// One argument of an Exec line: quoted when it holds anything but plain
// characters, with ", `, $ and \ escaped inside the quotes and % doubled,
// then every backslash doubled again for the file's string escaping.
std::string execArgument(const std::string& argument);

// Writes the entry (folder created when needed, atomically). Returns 0 or
// an errno; EINVAL for an empty or relative executable path or one holding
// a line break or NUL.
int enable(const std::string& entryFile, const std::string& executable);

// Removes the entry; 0 also when there was none, else an errno.
int disable(const std::string& entryFile);

// The absolute path of the running program (/proc/self/exe); empty when
// it cannot be read.
std::string ownExecutable();

}  // namespace talven::autostart
