#pragma once
// Rules shared by every name a user gives (profiles, macros) and by the time
// stamps that identify their files.

#include <functional>
#include <string>

namespace talven {

// Names compare without regard to the case of ASCII letters; other
// characters (UTF-8) must match exactly.
bool sameUserName(const std::string& a, const std::string& b);

// Printable text that is not only spaces: a name a list can show and the
// user can tell apart.
bool usableUserName(const std::string& name);

// A MakeTimeStamp string that `taken` refuses for no earlier attempt. Stamps
// have millisecond resolution, so two files made in the same millisecond
// would collide: the next millisecond is waited for, and after two seconds
// of refusals a counter is added instead.
std::string uniqueTimeStamp(const std::function<bool(const std::string&)>& taken);

}  // namespace talven
