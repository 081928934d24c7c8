// What corvane-pack is asked to do, read from its command line.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "IntroAssets.h"

namespace corvane::pack {

struct PackOptions {
  std::string out;    // the executable to write
  std::string intro;  // the intro to copy; empty: the one beside corvane-pack
  std::array<std::string, AllAssetKinds.size()> assets;  // a file per kind, in AllAssetKinds order; empty: none
  bool help = false;
};

// A command line that cannot be followed; the message says why.
class PackUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name; raises PackUsageError.
PackOptions ParsePackOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string PackHelpText();

// The intro that corvane-pack copies when it is given none: "corvane" in the
// directory of the running program's own file.
std::string IntroBesideProgram();

}  // namespace corvane::pack
