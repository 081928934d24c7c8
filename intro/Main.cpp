// The intro's program entry: opens the desktop and runs the main window.
#include <cstdio>
#include <string>
#include <vector>

#include "IntroOptions.h"
#include "MainUnit.h"
#include "ScalingChoice.h"
#include "platform/Platform.h"
#include "sdl/SdlBackend.h"

#if defined(__SANITIZE_ADDRESS__)
#include "platform/LeakCheck.h"
#endif

int main(int argc, char** argv) {
  corvane::IntroOptions options;
  try {
    options = corvane::ParseIntroOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const corvane::CommandLineError& error) {
    std::fprintf(stderr, "corvane: %s\nTry 'corvane --help'.\n", error.what());
    return 2;
  }
  if (options.help) {
    std::fputs(corvane::IntroHelpText().c_str(), stdout);
    return 0;
  }
  std::string error;
  auto backend = corvane::platform::OpenSdlBackend(error);
  if (!backend) {
    std::fprintf(stderr, "corvane: no display could be opened (%s)\n", error.c_str());
    return 1;
  }
  corvane::platform::Install(std::move(backend));
  corvane::ChooseScaling(options.scaling, corvane::SettingsFilePath());
  int code = corvane::RunIntro();
#if defined(__SANITIZE_ADDRESS__)
  corvane::platform::CheckLeaksAfter([] { corvane::platform::Uninstall(); });
#else
  corvane::platform::Uninstall();
#endif
  return code;
}
