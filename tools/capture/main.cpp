// corvane-capture: records the intro without a display or a sound device.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "CaptureOptions.h"
#include "CaptureRun.h"
#include "IntroAssets.h"
#include "Interruption.h"
#include "ProgressBar.h"

using namespace corvane::capture;

int main(int argc, char** argv) {
  CaptureOptions options;
  try {
    options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "corvane-capture: %s\nTry 'corvane-capture --help'.\n", error.what());
    return 2;
  }
  if (options.help) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  // The user's own assets are checked before anything is made, as the
  // intro checks them before its window opens.
  corvane::IntroAssets assets;
  if (const std::string refused = corvane::ReadNamedAssets(options.assets, assets); !refused.empty()) {
    std::fprintf(stderr, "corvane-capture: %s\n", refused.c_str());
    return 2;
  }
  corvane::InstallAssets(std::move(assets));
  CatchInterruptions();
  int code = 0;
  {
    ProgressBar progress(stderr, IsTerminal(stderr));
    try {
      CaptureRun(options, progress).run();
    } catch (const std::exception& error) {
      progress.finish();
      std::fprintf(stderr, "corvane-capture: %s\n", error.what());
      code = 1;
    }
  }
  if (Interrupted()) {
    std::fprintf(stderr, "corvane-capture: interrupted; the files finished so far are kept\n");
    EndByInterruption();
  }
  return code;
}
