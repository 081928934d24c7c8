// What the intro is asked to do, read from its command line.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Display.h"

namespace corvane {

struct IntroOptions {
  // --fill or --whole; empty: as remembered from the last F2.
  std::optional<platform::Scaling> scaling;
  bool help = false;
};

// A command line that cannot be followed; the message says why.
class CommandLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name; raises CommandLineError.
IntroOptions ParseIntroOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string IntroHelpText();

}  // namespace corvane
