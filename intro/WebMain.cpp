// The intro's program entry in a web page: the page's platform, with the
// player library the page has linked in offered as a library of the
// platform's own, so that the intro writes, binds and deletes its payload as
// it does on the desktop.
#include <emscripten.h>

#include "EntryPoints.h"
#include "MainUnit.h"
#include "Tallberg_Functions.h"
#include "platform/Kernel32.h"
#include "platform/Platform.h"
#include "web/WebBackend.h"

namespace {

EM_JS(int, page_deterministic, (), { return Module.corvanePage.deterministic ? 1 : 0; });
EM_JS(void, page_ended, (int code), { Module.corvanePage.ended(code); });

corvane::platform::LibraryExports PlayerExports() {
  corvane::platform::LibraryExports exports;
  for (const corvane::player::EntryPoint& entry : corvane::player::EntryPoints())
    exports[entry.name] = entry.address;
  return exports;
}

}  // namespace

int main() {
  corvane::platform::WebOptions options;
  options.deterministic = page_deterministic() != 0;
  corvane::platform::RegisterBuiltinLibrary(corvane::PlayerLibraryName, PlayerExports());
  corvane::platform::SetWebFrameCounter([] { return corvane::FrameCounter; });
  corvane::platform::Install(corvane::platform::OpenWebBackend(options));
  const int code = corvane::RunIntro();
  corvane::platform::Uninstall();
  page_ended(code);
  return code;
}
