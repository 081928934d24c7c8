#include "PackOptions.h"

#include <filesystem>

#include "PackedIntro.h"

namespace corvane::pack {

PackOptions ParsePackOptions(const std::vector<std::string>& args) {
  PackOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size() || args[i + 1].empty()) throw PackUsageError(arg + " needs a file");
      return args[++i];
    };
    bool taken = true;
    if (arg == "--help" || arg == "-h") options.help = true;
    else if (arg == "--out") options.out = value();
    else if (arg == "--intro") options.intro = value();
    else taken = false;
    for (std::size_t k = 0; k < AllAssetKinds.size() && !taken; ++k)
      if (arg == "--" + std::string(AssetKindName(AllAssetKinds[k]))) {
        options.assets[k] = value();
        taken = true;
      }
    if (!taken) throw PackUsageError("unknown option '" + arg + "'");
  }
  if (options.out.empty() && !options.help) throw PackUsageError("--out FILE is missing: where to write the intro");
  return options;
}

std::string PackHelpText() {
  return R"(Usage: corvane-pack --out FILE [--text F] [--music F] [--logo F] [--font F]

Writes FILE: one program that is the intro with your own assets inside it.
It needs nothing beside it: copy it anywhere and run it. Its text is shown
instead of a corvane.dll in the directory it runs in; started with --text,
--music, --logo or --font, it shows and plays those files instead of what it
carries.

Options:
  --out FILE     the program to write (mode 0755); written under a fresh
                 name beside it and renamed when complete. It may not be the
                 intro it copies, nor one of the asset files
  --text FILE    the pages, a CVNTYPER text file (UTF-8 or 8-bit)
  --music FILE   a tracker module: MOD, XM, S3M, IT and the other formats the
                 player reads; it plays from frame 100, looping
  --logo FILE    a BMP or PNG, at most 4096 pixels on a side; drawn from the
                 top-left corner, clipped to the screen
  --font FILE    a glyph sheet, BMP or PNG: 15 x 3 tiles of 17 x 17 pixels
                 from the top-left corner, white see-through
  --intro FILE   the intro to copy (default: corvane beside corvane-pack). A
                 packed intro can be given: its assets are replaced by the
                 ones named here, never added to
  -h, --help     show this text

Every asset is checked as the intro checks it; a bad one is named with the
reason and nothing is written (exit code 2).
)";
}

std::string IntroBesideProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::canonical(RunningProgramPath, error);
  if (error) return "corvane";
  return (self.parent_path() / "corvane").string();
}

}  // namespace corvane::pack
