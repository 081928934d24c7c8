// Requests to end that come from outside while the program runs on the
// desktop: the signals a session sends at logout or a terminal sends on
// Ctrl-C, and the display connection going away.
//
// - The first SIGINT, SIGTERM or SIGHUP asks the program to end in order, as
//   closing its window does: it arrives as a quit event, so a modal box that
//   is open is answered first.
// - Any further one ends the program at once (AbruptEnd.h), even when the
//   first could not be handled because the program is stuck on a display
//   that no longer answers; the exit code is 128 + the signal's number.
// - A lost display connection ends it at once with code 1.
//
// The signals are taken by a thread of their own, so a handler never runs
// inside whatever the program's other threads were doing.
#pragma once

namespace corvane::platform {

// Blocks the three signals in the calling thread (and so in every thread it
// makes later) and starts watching for them. Call before any other thread
// is made.
void StartWatchingEndSignals();
// Ends the watching thread; the signals stay blocked (the process is ending).
void StopWatchingEndSignals();
// How many end signals have arrived since the watching started.
int EndSignalsReceived();

// From now on a lost connection to the X display ends the process at once
// instead of leaving it to the display library's exit.
void WatchDisplayConnection();

// An X error for SDL's wake-up message to a window already closed is not
// taken for a fault. Called before SDL starts its video: SDL keeps the
// handler it finds and puts it back when it closes its connections, which
// is when such an error arrives.
void IgnoreWakeUpsToClosedWindows();

}  // namespace corvane::platform
