// corvane-pack: the intro with the user's own assets inside, as one program
// or as a web site.
#include <cstdio>
#include <string>
#include <vector>

#include "PackOptions.h"
#include "PackWriter.h"

using namespace corvane;
using namespace corvane::pack;

int main(int argc, char** argv) {
  PackOptions options;
  try {
    options = ParsePackOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const OptionError& error) {
    std::fprintf(stderr, "corvane-pack: %s\nTry 'corvane-pack --help'.\n", error.what());
    return 2;
  }
  if (options.help) {
    std::fputs(PackHelpText().c_str(), stdout);
    return 0;
  }
  // Every asset is checked before anything is written.
  IntroAssets assets;
  if (const std::string refused = ReadNamedAssets(options.assets, assets); !refused.empty()) {
    std::fprintf(stderr, "corvane-pack: %s\n", refused.c_str());
    return 2;
  }
  try {
    if (!options.web.empty())
      WriteWebSite(options.site.empty() ? DefaultWebSite() : options.site, assets, options.web);
    else
      WritePackedIntro(options.intro.empty() ? IntroBesideProgram() : options.intro, assets, options.out);
  } catch (const PackError& error) {
    std::fprintf(stderr, "corvane-pack: %s\n", error.what());
    return 1;
  }
  return 0;
}
