// The intro's program entry: opens the desktop and runs the main window.
#include <cstdio>
#include <string>

#include "MainUnit.h"
#include "platform/Platform.h"
#include "sdl/SdlBackend.h"

#if defined(__SANITIZE_ADDRESS__)
#include "platform/LeakCheck.h"
#endif

int main() {
  std::string error;
  auto backend = corvane::platform::OpenSdlBackend(error);
  if (!backend) {
    std::fprintf(stderr, "corvane: no display could be opened (%s)\n", error.c_str());
    return 1;
  }
  corvane::platform::Install(std::move(backend));
  int code = corvane::RunIntro();
#if defined(__SANITIZE_ADDRESS__)
  corvane::platform::CheckLeaksAfter([] { corvane::platform::Uninstall(); });
#else
  corvane::platform::Uninstall();
#endif
  return code;
}
