// What the intro is asked to do, read from its command line. The options
// that give it the user's own assets (--text FILE, --music FILE, --logo FILE,
// --font FILE) are read the same way by the intro and by the capture tool.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "IntroAssets.h"
#include "platform/Display.h"

namespace corvane {

// A command line that cannot be followed; the message says why.
class OptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file named for each kind of asset, in AllAssetKinds order; empty where
// none was named.
using AssetPaths = std::array<std::string, AllAssetKinds.size()>;

// When args[i] is one of the asset options, takes it and its value (moving
// i onto the value) and gives true; raises OptionError when the value is
// missing or empty.
bool TakeAssetOption(const std::vector<std::string>& args, std::size_t& i, AssetPaths& paths);

// Reads and checks every named file; gives the first one's message when one
// is refused (the assets are then incomplete), else empty.
std::string ReadNamedAssets(const AssetPaths& paths, IntroAssets& assets);

// The lines of --help that describe the asset options, and the note on how
// their files are checked.
std::string AssetOptionsHelp();
std::string AssetCheckNote();

struct IntroOptions {
  AssetPaths assets;
  // --fill or --whole; empty: as remembered from the last F2.
  std::optional<platform::Scaling> scaling;
  bool help = false;
};

// The intro's own command line (the arguments after the program name).
IntroOptions ParseIntroOptions(const std::vector<std::string>& args);

// The text `corvane --help` prints.
std::string IntroHelpText();

}  // namespace corvane
