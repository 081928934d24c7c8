// Writing a packed intro: the intro's program without any assets it carried,
// then the new assets, as one executable file.
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

}  // namespace corvane::pack
