// What must not outlive the process even when it cannot end in order: a
// second request to end (a signal while the first is still being handled) or
// the display connection lost in the middle of a call. The files the intro
// writes for its own use are noted here when made and dropped again when
// they are deleted the normal way; ending abruptly removes what is still
// noted, says why on stderr and ends the process at once.
//
// Everything that runs while ending abruptly is safe in a signal handler and
// on any thread: no allocation, no locks, only system calls.
#pragma once

#include <string>

#include "platform/Kernel32.h"

namespace corvane::platform {

// Notes a file this process made at `path`, with what it was when made. A
// file that has since been replaced at that name (another copy of the
// program wrote it) is left alone. Paths too long to keep are not noted.
void NoteOwnedFile(const std::string& path, const FileIdentity& identity);
// Notes a directory this process made; it is removed when empty.
void NoteOwnedDirectory(const std::string& path);
// Forgets the file or directory at `path` (deleted, or no longer ours).
void ForgetOwned(const std::string& path);
// Forgets everything (for tests that run the program more than once).
void ForgetAllOwned();

// Removes what is noted: the files still as made, last noted first, then the
// directories that are empty by then. Gives how many were removed.
int RemoveOwned() noexcept;

// Removes what is noted, writes `line` and a line end to stderr, and ends
// the process with `code` without running anything else: no destructors, no
// exit handlers (they may wait on what can no longer answer).
[[noreturn]] void EndAbruptly(const char* line, int code) noexcept;

}  // namespace corvane::platform
