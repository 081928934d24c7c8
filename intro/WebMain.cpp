// The intro's program entry in a web page: the page's platform, with the
// player library the page has linked in offered as a library of the
// platform's own, so that the intro writes, binds and deletes its payload as
// it does on the desktop. The assets corvane-pack put beside the page come
// in as a packed intro's own.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "EntryPoints.h"
#include "IntroAssets.h"
#include "MainUnit.h"
#include "PackedIntro.h"
#include "Tallberg_Functions.h"
#include "platform/Kernel32.h"
#include "platform/Platform.h"
#include "web/WebBackend.h"

namespace {

EM_JS(int, page_deterministic, (), { return Module.corvanePage.deterministic ? 1 : 0; });
EM_JS(void, page_ended, (int code), { Module.corvanePage.ended(code); });
EM_JS(int, page_text_given, (), { return Module.corvanePage.textGiven ? 1 : 0; });

// Where the page puts the pack it found beside it (the file system is the
// page's own, in memory).
constexpr const char* PagePackPath = "/corvane.pack";

// The page's pack read as a packed intro reads its own file: used whole, or
// when damaged not at all, with one line that says so. A text file given to
// the page wins over the packed text, as --text does on the desktop.
void InstallPagePack() {
  corvane::IntroAssets assets;
  if (const std::string damaged = corvane::AddPackedAssets(assets, PagePackPath); !damaged.empty())
    std::fprintf(stderr, "corvane: %s\n", damaged.c_str());
  if (page_text_given()) assets.text.reset();
  corvane::InstallAssets(std::move(assets));
}

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
  InstallPagePack();
  corvane::platform::Install(corvane::platform::OpenWebBackend(options));
  const int code = corvane::RunIntro();
  corvane::platform::Uninstall();
  page_ended(code);
  return code;
}
