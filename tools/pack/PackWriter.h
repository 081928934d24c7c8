// Writing a packed intro: the intro's program without any assets it carried,
// then the new assets, as one executable file; or the intro's web page with
// the assets in one pack file beside it.
#pragma once

#include <stdexcept>
#include <string>

#include "IntroAssets.h"

namespace corvane::pack {

// A packed intro that cannot be written; the message names the file and why.
class PackError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes `out` (mode 0755): the program at `intro`, stripped of the pack it
// carries if it is a packed intro, with `assets` packed behind it. The file
// appears under its name only when complete. Raises PackError when `intro`
// is no intro program or carries a damaged pack, and when `out` is `intro`,
// the running program or one of the assets' files (named by their `name`).
void WritePackedIntro(const std::string& intro, const IntroAssets& assets, const std::string& out);

// The file beside the page that carries the assets, in the packed intro's
// format (a pack with nothing before it); the page reads it at start.
inline constexpr const char* kWebPackName = "corvane.pack";

// Writes into `dir` a copy of the web site at `site` (as scripts/build-web.sh
// builds it) with `assets` in dir/corvane.pack, a PNG logo or font as a
// bitmap file. `dir` is made when missing; an existing one must be empty or
// a site written here before, whose files are replaced (any other file in it
// is left alone). Each file appears under its name only when complete.
// Raises PackError when `site` is no such site or `dir` cannot be used.
void WriteWebSite(const std::string& site, const IntroAssets& assets, const std::string& dir);

}  // namespace corvane::pack
