#include "GoldenFrames.h"

#include <cstdio>

#include "MainUnit.h"
#include "framework/Forms.h"

namespace corvane::test {

std::string GoldenFileName(std::int32_t frame, const GoldenMode& mode) {
  char name[64];
  std::snprintf(name, sizeof name, "frame-%04d-%s.png", static_cast<int>(frame), mode.name);
  return name;
}

std::vector<platform::PresentedFrame> CaptureIntroFrames(platform::HeadlessBackend& backend,
                                                         const GoldenMode& mode,
                                                         const std::vector<std::int32_t>& frames) {
  if (mode.window) {
    backend.windows().postEvent({platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_F1, 0});
    Application->ProcessMessages();
  }
  std::vector<platform::PresentedFrame> pictures;
  backend.clock().setStepPerRead(1);
  for (std::int32_t frame : frames) {
    while (FrameCounter < frame && !Application->Terminated()) Application->HandleMessage();
    pictures.push_back(backend.display().lastFrame());
  }
  backend.clock().setStepPerRead(0);
  return pictures;
}

}  // namespace corvane::test
