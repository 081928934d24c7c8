// A headless platform with a 320 x 240 form holding one display component,
// and a listener that writes down every notification it gets.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "graphics/DXDraw.h"
#include "support/HeadlessFixture.h"

namespace corvane::test {

using platform::DisplayMode;
using platform::PixelFormat;

inline const char* NotificationName(DisplayNotification n) {
  static const char* const names[] = {"Destroying", "Initializing",    "Initialize", "InitializeSurface",
                                      "Finalize",   "FinalizeSurface", "Restore",    "SetSurfaceSize"};
  return names[static_cast<int>(n)];
}

// Writes "<tag>:<notification>" into a shared log.
struct Recorder {
  std::string tag;
  std::vector<std::string>* log;
  static void Notify(void* context, TCustomDXDraw*, DisplayNotification n) {
    auto* self = static_cast<Recorder*>(context);
    self->log->push_back(self->tag + ":" + NotificationName(n));
  }
};

// The stored options of the intro's display.
inline TDXDrawOptions IntroOptions() {
  return {doAllowReboot, doWaitVBlank, doAllowPalette256, doDirectX7Mode, doHardware};
}

class DisplayFixture : public HeadlessFixture {
 protected:
  void SetUp() override {
    HeadlessFixture::SetUp();
    windows().setDesktopSize({1280, 960});
    form_ = new TForm(Application);
    form_->SetClientSize(320, 240);
    dxDraw_ = new TDXDraw(form_);
    dxDraw_->SetParent(form_);
    dxDraw_->SetAutoSize(false);
    dxDraw_->SetAlign(TAlign::alClient);
    dxDraw_->SetSurfaceWidth(320);
    dxDraw_->SetSurfaceHeight(240);
    dxDraw_->Display().SetWidth(320);
    dxDraw_->Display().SetHeight(240);
    dxDraw_->Display().SetBitCount(16);
    dxDraw_->SetOptions(IntroOptions());
    // The tests initialise the display themselves, as the intro does.
    dxDraw_->AutoInitialize = false;
    form_->Show();
  }
  void TearDown() override {
    delete form_;
    HeadlessFixture::TearDown();
  }

  platform::HeadlessDisplay& screen() { return backend_->display(); }
  void goFullScreen() {
    TDXDrawOptions options = dxDraw_->Options();
    options.Include(doFullScreen);
    dxDraw_->SetOptions(options);
  }
  static DisplayMode ModeOf(int width, int height, int bits) {
    PixelFormat format = bits == 8    ? PixelFormat::indexed8()
                         : bits == 16 ? PixelFormat::rgb565()
                         : bits == 24 ? PixelFormat::rgb888()
                                      : PixelFormat::xrgb8888();
    return {width, height, format, 60};
  }
  // The modes the emulated screen offers: width, height, bits each.
  void offerModes(const std::vector<std::array<int, 3>>& modes) {
    std::vector<DisplayMode> list;
    for (const auto& [w, h, bits] : modes) list.push_back(ModeOf(w, h, bits));
    screen().setModes(list);
  }

  TForm* form_ = nullptr;
  TDXDraw* dxDraw_ = nullptr;
  std::vector<std::string> log_;
};

}  // namespace corvane::test
