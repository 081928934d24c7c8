#include "IntroOptions.h"

namespace corvane {

namespace {

std::size_t Index(AssetKind kind) { return static_cast<std::size_t>(kind); }

}  // namespace

bool TakeAssetOption(const std::vector<std::string>& args, std::size_t& i, AssetPaths& paths) {
  const std::string& arg = args[i];
  for (AssetKind kind : AllAssetKinds) {
    if (arg != "--" + std::string(AssetKindName(kind))) continue;
    if (i + 1 >= args.size() || args[i + 1].empty()) throw OptionError(arg + " needs a file");
    paths[Index(kind)] = args[++i];
    return true;
  }
  return false;
}

std::string ReadNamedAssets(const AssetPaths& paths, IntroAssets& assets) {
  for (AssetKind kind : AllAssetKinds) {
    const std::string& path = paths[Index(kind)];
    if (path.empty()) continue;
    AssetResult result = ReadAsset(kind, path);
    if (!result) return result.message;
    assets[kind] = std::move(result.asset);
  }
  return {};
}

std::string AssetOptionsHelp() {
  return R"(  --text FILE   show the pages of FILE in place of ./corvane.dll (UTF-8 or
                8-bit text; an accented letter shows as its base letter)
  --music FILE  play FILE, a tracker module (MOD, XM, S3M, IT, ...), in place
                of the intro's own music
  --logo FILE   draw FILE, a BMP or PNG picture, in place of the logo; it is
                drawn from the top-left corner at its own size, so a picture
                other than 320x246 is clipped or leaves black; at most 4096
                pixels on a side
  --font FILE   cut the letters from FILE, a BMP or PNG glyph sheet: 15 x 3
                tiles of 17x17 pixels from the top-left corner (at least
                255x51), in the order A-Z (G before F), 1-9, 0, ! : . , + - ?
                and two blanks; white is see-through
)";
}

std::string AssetCheckNote() {
  return "Each FILE is checked before anything is shown: one that cannot be used\n"
         "ends the program with a line naming it and why, and the exit status 2.\n";
}

IntroOptions ParseIntroOptions(const std::vector<std::string>& args) {
  IntroOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (TakeAssetOption(args, i, options.assets)) continue;
    if (args[i] == "--help" || args[i] == "-h") options.help = true;
    else if (args[i] == "--fill") options.scaling = platform::Scaling::Fill;
    else if (args[i] == "--whole") options.scaling = platform::Scaling::Whole;
    else throw OptionError("unknown option '" + args[i] + "'");
  }
  return options;
}

std::string IntroHelpText() {
  return "Usage: corvane [OPTIONS]\n"
         "\n"
         "The Corvane typer intro, full screen, with its music. Escape ends it, F1\n"
         "switches between full screen and a window, F2 between the two ways of\n"
         "enlarging the picture to the screen. F2's choice is remembered for the next\n"
         "start in $XDG_CONFIG_HOME/corvane/settings (~/.config/corvane/settings).\n"
         "Without options it shows the pages of ./corvane.dll, if there is one, with\n"
         "its own logo, letters and music; an intro packed by corvane-pack shows what\n"
         "it carries instead.\n"
         "\n"
         "Options:\n" +
         AssetOptionsHelp() +
         "  --whole       enlarge by whole numbers only, black bars around (the\n"
         "                default)\n"
         "  --fill        fill the screen's height (or width): by the largest whole\n"
         "                number first, then smoothly by the rest, pixels kept square\n"
         "  -h, --help    show this text\n\n" +
         AssetCheckNote() +
         "--whole and --fill choose for this start only; the remembered choice stays.\n"
         "Exit status: 0 ended with Escape, 1 no display, 2 bad command line or file.\n";
}

}  // namespace corvane
