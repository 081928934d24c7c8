// The intro's program entry: opens the desktop and runs the main window.
#include <cstdio>
#include <string>

#include "MainUnit.h"
#include "platform/Platform.h"
#include "sdl/SdlBackend.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
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
  // In a sanitizer build the intro's own memory is checked here, once all of
  // it is given back and before the desktop is closed: the OpenGL driver
  // leaves a few bytes behind when SDL unloads it, in a library that is gone
  // by the end of the process, where no suppression can name it.
  __lsan_do_leak_check();
#endif
  corvane::platform::Uninstall();
  return code;
}
