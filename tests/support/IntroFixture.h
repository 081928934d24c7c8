// The intro's main form on the headless platform, with a virtual clock that
// the tests move on, and its state back at program start for each test.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "GlyphCells.h"
#include "HeadlessFixture.h"
#include "MainUnit.h"
#include "PageText.h"
#include "ScalingChoice.h"

namespace corvane::test {

class IntroFixture : public HeadlessFixture {
 protected:
  void SetUp() override {
    HeadlessFixture::SetUp();
    RegisterIntroClasses();
    ResetIntroState();
    Application->Title = "Corvane";
  }
  void TearDown() override {
    DoneApplication();
    frmMain = nullptr;
    FinalizeIntroUnits();
    ResetIntroState();
    HeadlessFixture::TearDown();
  }
  static void ResetIntroState() {
    ResetPageText();
    ResetGlyphCells();
    FrameCounter = 0;
    RememberScalingIn({});
  }

  void writeTextFile(const std::string& bytes) { std::ofstream("corvane.dll", std::ios::binary) << bytes; }
  void create() { Application->CreateForm(frmMain); }
  // Shows the window (which takes the focus) and lets the loop start.
  void start() {
    frmMain->Show();
    Application->ProcessMessages();
  }
  // Runs the loop for `ms` of virtual time, the clock moving 1 ms per reading.
  void runFor(std::uint32_t ms) {
    std::uint32_t end = clock().now() + ms;
    clock().setStepPerRead(1);
    while (static_cast<std::int32_t>(end - clock().now()) > 0 && !Application->Terminated())
      Application->HandleMessage();
    clock().setStepPerRead(0);
  }
  // Runs the loop until the frame count reaches `frame`.
  void runUntilFrame(std::int32_t frame) {
    clock().setStepPerRead(1);
    for (int step = 0; step < 10000000 && FrameCounter < frame && !Application->Terminated(); ++step)
      Application->HandleMessage();
    clock().setStepPerRead(0);
  }
  void pressKey(std::uint16_t key) {
    post(platform::EventKind::KeyDown, frmMain->Handle(), key);
    Application->ProcessMessages();
  }
  std::vector<std::string> boxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : windows().messageBoxes()) texts.push_back(box.caption + ": " + box.text);
    return texts;
  }
  const platform::HeadlessWindow& window() { return *windows().window(frmMain->Handle()); }
  const platform::PresentedFrame& screen() { return backend_->display().lastFrame(); }
};

}  // namespace corvane::test
