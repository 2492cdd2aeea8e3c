#pragma once
// Writing a file so that readers only ever see the old or the new contents,
// even when the process is killed or the machine loses power half-way.

#include <string>
#include <string_view>

namespace talven {

// Writes `contents` to a temporary file in the folder of `path`, flushes it to
// disk, renames it over `path` and flushes the folder, so the rename itself
// survives a power loss. Returns 0 or the errno of the step that failed; on
// failure the old file is untouched and no temporary is left.
//
// Every file the program keeps (profiles, lists, macros, settings) is written
// here and nowhere else.
int writeFileAtomically(const std::string& path, std::string_view contents);

// The steps of writeFileAtomically at which a failure can be injected.
enum class AtomicWriteStep { none, write, fsync, rename };

// Makes writeFileAtomically fail at `step` with `error` (ENOSPC for a full
// disk, EROFS, EIO, ...) as if the system call had, after letting `skip`
// writes through untouched. It stays armed until disarmed with step none.
// Tests use it to play a full disk or a failing medium without needing one;
// the injected failure goes through the same clean-up as a real one.
// The errno of this thread's last writeFileAtomically; 0 after a success.
int lastAtomicWriteError();

void armAtomicWriteFault(AtomicWriteStep step, int error, int skip = 0);

}  // namespace talven
