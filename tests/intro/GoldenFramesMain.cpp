// Makes the reference pictures of the golden-frame test: runs the intro on
// the headless platform, without a page text file, once full screen and once
// in the window, and writes the chosen frames as PNG files.
//
// usage: corvane-golden-frames OUTPUT_DIRECTORY
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "GoldenFrames.h"
#include "MainUnit.h"
#include "PageText.h"
#include "framework/Forms.h"
#include "support/Png.h"

using namespace corvane;

namespace {

bool WriteMode(const std::filesystem::path& out, const test::GoldenMode& mode) {
  auto backend = std::make_unique<platform::HeadlessBackend>();
  platform::HeadlessBackend& headless = *backend;
  headless.windows().setQuitWhenIdle(false);
  platform::Install(std::move(backend));
  platform::SetMessageEcho(false);
  ResetPageText();
  ResetGlyphCells();
  FrameCounter = 0;
  InitApplication();
  Application->Title = "Corvane";
  Application->CreateForm(frmMain);
  frmMain->Show();
  Application->ProcessMessages();
  auto pictures = test::CaptureIntroFrames(headless, mode, test::GoldenFrameNumbers);
  DoneApplication();
  frmMain = nullptr;
  platform::Uninstall();
  bool ok = true;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const auto& p = pictures[i];
    std::string path = (out / test::GoldenFileName(test::GoldenFrameNumbers[i], mode)).string();
    if (p.width != 320 || p.height != 240 || !test::WritePng(path, p.width, p.height, p.pixels)) {
      std::fprintf(stderr, "corvane-golden-frames: cannot write %s (%dx%d)\n", path.c_str(), p.width, p.height);
      ok = false;
    } else {
      std::printf("%s\n", path.c_str());
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: corvane-golden-frames OUTPUT_DIRECTORY\n");
    return 2;
  }
  std::filesystem::path out = std::filesystem::absolute(argv[1]);
  std::filesystem::create_directories(out);
  // The music starts at frame 100; no sound card is needed.
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  // The built-in text: run where no page text file can be found.
  std::filesystem::path scratch = std::filesystem::temp_directory_path() / "corvane-golden-frames";
  std::filesystem::create_directories(scratch);
  std::filesystem::current_path(scratch);
  std::filesystem::remove(scratch / PageTextFileName);
  RegisterIntroClasses();
  bool ok = true;
  for (const test::GoldenMode& mode : test::GoldenModes) ok = WriteMode(out, mode) && ok;
  FinalizeIntroUnits();
  std::filesystem::current_path(out);
  std::filesystem::remove_all(scratch);
  return ok ? 0 : 1;
}
