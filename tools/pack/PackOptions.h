// What corvane-pack is asked to do, read from its command line.
#pragma once

#include <string>
#include <vector>

#include "IntroOptions.h"

namespace corvane::pack {

struct PackOptions {
  std::string out;    // the executable to write
  std::string intro;  // the intro to copy; empty: the one beside corvane-pack
  std::string web;    // or the directory to write the web site into
  std::string site;   // the web site to copy; empty: DefaultWebSite()
  AssetPaths assets;  // read by the intro's own option parser
  bool help = false;
};

// Reads the arguments after the program name; raises OptionError.
PackOptions ParsePackOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string PackHelpText();

// The intro that corvane-pack copies when it is given none: "corvane" in the
// directory of the running program's own file.
std::string IntroBesideProgram();

// The web site corvane-pack copies when it is given none: the one
// scripts/build-web.sh builds in the source tree corvane-pack was built from.
std::string DefaultWebSite();

}  // namespace corvane::pack
