// Running the program that turns the frames into a film (ffmpeg), which may
// or may not be installed.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corvane::capture {

// The full path of `name` found on PATH; empty when it is not there.
std::string FindProgram(const std::string& name);

// Runs `argv` (argv[0] a full path) and waits for it. When `cancelled`
// answers true while it runs, it is asked to end (SIGTERM) and waited for.
// Gives the exit status (0 success), or -1 when it could not start, was
// ended by a signal or was cancelled.
int RunProgram(const std::vector<std::string>& argv, const std::function<bool()>& cancelled);

}  // namespace corvane::capture
