// The sanitizer build's leak check of a program that ran on the desktop.
#pragma once

namespace corvane::platform {

// Runs `shutDown` (closing the desktop: Uninstall), waits until every other thread of
// the process has ended, and then checks for leaks.
//
// The check stops all threads to read their stacks; a thread that starts or
// ends meanwhile can make it fail (the sound thread, the graphics driver's
// workers), so it runs when the program is down to its one thread. The
// libraries loaded at that point stay mapped, so that what the graphics
// driver keeps for its own lifetime is still reported under its library's
// name, where a suppression can match it.
void CheckLeaksAfter(void (*shutDown)());

}  // namespace corvane::platform
