// SIGINT and SIGTERM only note that the run is to stop; the capture checks
// the note between two pieces of work, removes what it had half written and
// then ends by the same signal.
#pragma once

namespace corvane::capture {

void CatchInterruptions();
// The signal that asked the run to stop, or 0.
int InterruptionSignal();
inline bool Interrupted() { return InterruptionSignal() != 0; }
// Ends the process by the signal noted, as if it had not been caught.
[[noreturn]] void EndByInterruption();

}  // namespace corvane::capture
