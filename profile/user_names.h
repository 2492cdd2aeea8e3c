#pragma once
// Rules shared by every name a user gives (profiles, macros) and by the time
// stamps that identify their files.

#include <functional>
#include <string>

namespace talven {

// Names compare without regard to the case of ASCII letters; other
// characters (UTF-8) must match exactly.
bool sameUserName(const std::string& a, const std::string& b);

// The longest name a user may give, in bytes: as long as a file name may
// be, and more than any list or menu shows.
inline constexpr size_t kMaxUserNameBytes = 255;

// Printable text that is not only spaces and at most kMaxUserNameBytes long:
// a name a list can show and the user can tell apart.
bool usableUserName(const std::string& name);

// A name as the file name a save dialog suggests: a name is only a label and
// may hold "/" or start with ".", but a suggestion must name a file in the
// folder the dialog shows, never one above it or in a subfolder. Slashes and
// control characters become "_", leading dots and spaces are dropped, the
// result is cut (at a character boundary) to leave room for `extension`, and
// an empty result becomes `fallback`.
std::string suggestedFileName(const std::string& name, const std::string& extension, const std::string& fallback);

// A MakeTimeStamp string that `taken` refuses for no earlier attempt. Stamps
// have millisecond resolution, so two files made in the same millisecond
// would collide: the next millisecond is waited for, and after two seconds
// of refusals a counter is added instead.
std::string uniqueTimeStamp(const std::function<bool(const std::string&)>& taken);

}  // namespace talven
