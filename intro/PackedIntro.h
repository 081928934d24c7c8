// The assets a packed intro carries, taken at start: each kind the user did
// not name with an option comes from the pack, checked by the same readers
// as a named file.
#pragma once

#include <string>

#include "IntroAssets.h"

namespace corvane {

// Where the running program's own file is found.
inline constexpr const char* RunningProgramPath = "/proc/self/exe";

// Fills every kind `assets` lacks from the assets packed into the program
// file at `programPath`. Gives an empty string when that file carries no pack
// or a sound one; when its pack is damaged, or one of its assets fails its
// check, no packed asset is used and the one line returned says so.
std::string AddPackedAssets(IntroAssets& assets, const std::string& programPath = RunningProgramPath);

}  // namespace corvane
