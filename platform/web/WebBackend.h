// The browser: the intro in a web page. The window is the page's canvas, the
// keys are the page's, full screen is the browser's, the clock is the page's
// and the message box is a dialog in the page.
//
// A page's one thread must come back to the browser to let it show a picture
// or hand over a key; the program's own message loop and its modal box never
// do. So every wait of the program (an empty queue, a box) is a wait for the
// browser (Asyncify), and the program stays the same program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Platform.h"

namespace corvane::platform {

struct WebOptions {
  // The clock moves exactly one frame period at every wait of the message
  // loop, as the capture tool moves it, and frames come as fast as the page
  // can make them.
  bool deterministic = false;
  // The program's frame timer interval, in milliseconds.
  std::uint32_t framePeriodMs = 16;
};

// The page's backend. One per page; the page's events reach the one opened last.
std::unique_ptr<Backend> OpenWebBackend(const WebOptions& options);

// The program's count of frames: the page labels every picture with it and
// wakes the message loop in time for the next one.
void SetWebFrameCounter(std::function<std::int32_t()> counter);

}  // namespace corvane::platform
