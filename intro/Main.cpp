// The intro's program entry: opens the desktop and runs the main window.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "IntroAssets.h"
#include "IntroOptions.h"
#include "MainUnit.h"
#include "PackedIntro.h"
#include "ScalingChoice.h"
#include "platform/Platform.h"
#include "sdl/SdlBackend.h"

#if defined(__SANITIZE_ADDRESS__)
#include "platform/LeakCheck.h"
#endif

namespace {

// Reads the command line and the assets it names, before any window opens.
// Gives the exit status when the program ends here, else -1; `scaling` is
// the one asked for on the command line, if any.
int TakeCommandLine(int argc, char** argv, std::optional<corvane::platform::Scaling>& scaling) {
  corvane::IntroOptions options;
  try {
    options = corvane::ParseIntroOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const corvane::OptionError& error) {
    std::fprintf(stderr, "corvane: %s\nTry 'corvane --help'.\n", error.what());
    return 2;
  }
  if (options.help) {
    std::fputs(corvane::IntroHelpText().c_str(), stdout);
    return 0;
  }
  corvane::IntroAssets assets;
  if (const std::string refused = corvane::ReadNamedAssets(options.assets, assets); !refused.empty()) {
    std::fprintf(stderr, "corvane: %s\n", refused.c_str());
    return 2;
  }
  // A packed intro shows and plays what it carries where no option names a
  // file; a damaged pack is said in one line and the intro's own are used.
  if (const std::string damaged = corvane::AddPackedAssets(assets); !damaged.empty())
    std::fprintf(stderr, "corvane: %s\n", damaged.c_str());
  corvane::InstallAssets(std::move(assets));
  scaling = options.scaling;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<corvane::platform::Scaling> scaling;
  if (const int code = TakeCommandLine(argc, argv, scaling); code >= 0) return code;
  std::string error;
  auto backend = corvane::platform::OpenSdlBackend(error);
  if (!backend) {
    std::fprintf(stderr, "corvane: no display could be opened (%s)\n", error.c_str());
    return 1;
  }
  corvane::platform::Install(std::move(backend));
  corvane::ChooseScaling(scaling, corvane::SettingsFilePath());
  int code = corvane::RunIntro();
#if defined(__SANITIZE_ADDRESS__)
  corvane::platform::CheckLeaksAfter([] { corvane::platform::Uninstall(); });
#else
  corvane::platform::Uninstall();
#endif
  return code;
}
