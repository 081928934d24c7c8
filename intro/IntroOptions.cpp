#include "IntroOptions.h"

namespace corvane {

IntroOptions ParseIntroOptions(const std::vector<std::string>& args) {
  IntroOptions options;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") options.help = true;
    else if (arg == "--fill") options.scaling = platform::Scaling::Fill;
    else if (arg == "--whole") options.scaling = platform::Scaling::Whole;
    else throw CommandLineError("unknown option '" + arg + "'");
  }
  return options;
}

std::string IntroHelpText() {
  return R"(Usage: corvane [OPTIONS]

Shows the intro full screen, with its music. Keys: Escape ends it, F1
switches between full screen and a window, F2 between the two ways of
enlarging the picture to the screen. F2's choice is remembered for the next
start in $XDG_CONFIG_HOME/corvane/settings (~/.config/corvane/settings).
The pages come from ./corvane.dll when there is one.

Options:
  --whole      enlarge by whole numbers only, black bars around (the default)
  --fill       fill the screen's height (or width): by the largest whole
               number first, then smoothly by the rest, pixels kept square
  -h, --help   show this text

--whole and --fill choose for this start only; the remembered choice stays.
Exit status: 0 ended with Escape, 1 no display, 2 bad command line.
)";
}

}  // namespace corvane
