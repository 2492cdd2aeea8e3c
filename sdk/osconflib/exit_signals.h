#pragma once
// Ending on a signal without leaving the desktop's default sink to a filter
// that dies with the process. A program that handles SIGTERM, SIGINT and
// SIGHUP itself ends in order and the library cleans up as it unloads; for
// one that leaves a signal at its default action, the library catches it,
// cleans up on PipeWire's thread and then lets the default action end the
// process as it would have.

#include <functional>

struct pw_loop;

namespace osconf::exit_signals {

// Signals still at their default action get a handler that wakes `loop`;
// there `cleanup` runs (with the loop's lock held). It starts what must
// reach the server and calls finish() once the server has it; a second
// later the signal's default action comes regardless. Again while armed
// does nothing.
void arm(pw_loop* loop, std::function<void()> cleanup);
// The caught signal's default action, after the cleanup; nothing when no
// signal was caught.
void finish();
// Puts the default action back on the signals this armed, from any thread
// holding the loop's lock, and forgets the loop.
void disarm();

}  // namespace osconf::exit_signals
