#pragma once
// Writing a file so that readers only ever see the old or the new contents.

#include <string>
#include <string_view>

namespace talven {

// Writes `contents` to a temporary file in the folder of `path`, flushes it to
// disk and renames it over `path`. Returns 0 or the errno of the step that
// failed; on failure the old file is untouched and no temporary is left.
int writeFileAtomically(const std::string& path, std::string_view contents);

}  // namespace talven
