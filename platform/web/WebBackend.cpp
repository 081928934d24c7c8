#include "WebBackend.h"

#include <emscripten.h>

#include <cmath>

#include "WebClock.h"
#include "WebDisplay.h"
#include "WebWindowSystem.h"

namespace corvane::platform {

namespace {

class WebBackend;
WebBackend* pageBackend = nullptr;  // the backend the page's events go to
std::function<std::int32_t()> frameCounter;

class WebBackend : public Backend {
 public:
  explicit WebBackend(const WebOptions& options) : clock_(options.deterministic), windows_(clock_, options) {
    windows_.setFrameCounter(frameCounter);
    pageBackend = this;
  }
  ~WebBackend() override {
    if (pageBackend == this) pageBackend = nullptr;
  }
  std::string_view name() const override { return "web"; }
  WebWindowSystem& windows() override { return windows_; }
  Clock& clock() override { return clock_; }
  Display& display() override { return display_; }

 private:
  WebClock clock_;
  WebWindowSystem windows_;
  WebDisplay display_{windows_};
};

}  // namespace

std::uint32_t WebClock::now() {
  std::uint32_t reading = time_;
  if (!virtual_) {
    // performance.now: milliseconds since the page opened, with a fraction.
    reading = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::floor(emscripten_get_now())));
  }
  if (!readSinceWait_) {
    readSinceWait_ = true;
    firstReading_ = reading;
  }
  return reading;
}

std::unique_ptr<Backend> OpenWebBackend(const WebOptions& options) { return std::make_unique<WebBackend>(options); }

void SetWebFrameCounter(std::function<std::int32_t()> counter) {
  frameCounter = std::move(counter);
  if (pageBackend) pageBackend->windows().setFrameCounter(frameCounter);
}

}  // namespace corvane::platform

// The page's events, handed over between two steps of the program.
using corvane::platform::pageBackend;

extern "C" EMSCRIPTEN_KEEPALIVE void corvane_page_key(int key, int down, int shift) {
  if (pageBackend)
    pageBackend->windows().key(static_cast<std::uint16_t>(key), down != 0, static_cast<std::uint32_t>(shift));
}

extern "C" EMSCRIPTEN_KEEPALIVE void corvane_page_visible(int visible) {
  if (pageBackend) pageBackend->windows().pageVisible(visible != 0);
}

extern "C" EMSCRIPTEN_KEEPALIVE void corvane_page_quit() {
  if (pageBackend) pageBackend->windows().quit();
}
