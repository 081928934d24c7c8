#include "PackOptions.h"

#include <filesystem>

#include "PackedIntro.h"

namespace corvane::pack {

PackOptions ParsePackOptions(const std::vector<std::string>& args) {
  PackOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (TakeAssetOption(args, i, options.assets)) continue;
    auto value = [&](const char* what) -> const std::string& {
      if (i + 1 >= args.size() || args[i + 1].empty()) throw OptionError(arg + " needs a " + what);
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") options.help = true;
    else if (arg == "--out") options.out = value("file");
    else if (arg == "--intro") options.intro = value("file");
    else if (arg == "--web") options.web = value("directory");
    else if (arg == "--site") options.site = value("directory");
    else throw OptionError("unknown option '" + arg + "'");
  }
  if (options.help) return options;
  if (options.out.empty() && options.web.empty())
    throw OptionError("--out FILE or --web DIR is missing: where to write the intro");
  if (!options.out.empty() && !options.web.empty()) throw OptionError("--out and --web cannot go together");
  if (!options.intro.empty() && options.out.empty()) throw OptionError("--intro goes with --out");
  if (!options.site.empty() && options.web.empty()) throw OptionError("--site goes with --web");
  return options;
}

std::string PackHelpText() {
  return R"(Usage: corvane-pack --out FILE [--text F] [--music F] [--logo F] [--font F]
       corvane-pack --web DIR [--site DIR] [--text F] [--music F] [--logo F] [--font F]

Writes FILE: one program that is the intro with your own assets inside. It
needs nothing beside it: copy it anywhere and run it. What it carries is
shown and played in place of the intro's own (its text in place of a
./corvane.dll); started with --text, --music, --logo or --font it takes
that file instead of what it carries for that one asset.

With --web it writes the intro's web page instead, with your assets in
DIR/corvane.pack: copy DIR to any web server that serves static files. A
text file given to the page (?text=NAME, or dropped on it) is shown in
place of the packed text.

Options:
  --out FILE    the program to write, mode 0755; written under a fresh name
                beside it and renamed when complete; never one of the files
                it is made from
)" + AssetOptionsHelp() +
         R"(  --intro FILE  the intro to copy (default: corvane in the directory of
                corvane-pack). A packed intro may be given: its assets are
                replaced by the ones named here, never added to
  --web DIR     the web site to write. DIR is made if it does not exist; an
                existing DIR must be empty or a site corvane-pack wrote
                before: its files are replaced, any other file in it is left
                as it is. A PNG logo or font goes in as a BMP
  --site DIR    the page to copy, as scripts/build-web.sh builds it
                (default: )" + DefaultWebSite() + R"()
  -h, --help    show this text

)" + AssetCheckNote() +
         "Nothing is written then. Exit status: 0 written, 1 not written (the\n"
         "reason is said), 2 a bad command line or asset.\n";
}

std::string IntroBesideProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::canonical(RunningProgramPath, error);
  if (error) return "corvane";
  return (self.parent_path() / "corvane").string();
}

std::string DefaultWebSite() { return CORVANE_WEB_SITE_DIR; }

}  // namespace corvane::pack
