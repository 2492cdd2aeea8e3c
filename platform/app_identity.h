#pragma once
// Names that identify the program to the desktop and to itself.

#include <string_view>

namespace talven {

// The title with its double spaces is also the name of the per-user data and
// configuration folders and of the single-instance lock; a title with single
// spaces would name different folders and miss a running instance.
inline constexpr std::string_view kApplicationTitle = "TALVEN  K88  Gaming Keyboard";

// Folder below <prefix>/share that holds skin/, DefaultData/ and Font/ when the
// program is installed rather than run from its build folder.
inline constexpr std::string_view kInstalledResourceFolder = "talven-k88";

}  // namespace talven
