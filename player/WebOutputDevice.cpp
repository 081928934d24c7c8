// The sound output of the web page: the page's AudioWorklet plays what the
// player renders. The worklet keeps a short queue and asks the page for more
// when it runs low; the page answers between two steps of the program by
// calling corvane_audio_fill, which mixes on the page's one thread.
#include <emscripten.h>

#include "OutputDevice.h"
#include "PlayerApi.h"

namespace corvane::player {
namespace {

OutputDevice* current = nullptr;  // the open device the page fills

// Opens the page's output at `rate`; gives its handle, or 0 when the page has
// no sound (no Web Audio, no worklet, or another rate than the page's).
EM_JS(int, page_audio_open, (int rate), {
  const page = Module.corvanePage;
  return page && page.audio ? page.audio.open(rate) : 0;
});
EM_JS(void, page_audio_close, (int handle), {
  const page = Module.corvanePage;
  if (page && page.audio) page.audio.close(handle);
});
EM_JS(int, page_audio_available, (), {
  const page = Module.corvanePage;
  return page && page.audio && page.audio.available() ? 1 : 0;
});

}  // namespace

int OutputDevice::describe(int device, std::string& name) {
  if (!page_audio_available()) return PLAYER_ERROR_DRIVER;
  if (device != -1 && device != 0) return PLAYER_ERROR_ILLEGAL_DEVICE;
  name = "Default output (Web Audio)";
  return PLAYER_OK;
}

int OutputDevice::open(int device, int rate, Source& source, std::unique_ptr<OutputDevice>& opened) {
  if (!page_audio_available()) return PLAYER_ERROR_DRIVER;
  if (device != -1 && device != 0) return PLAYER_ERROR_ILLEGAL_DEVICE;
  if (current != nullptr) return PLAYER_ERROR_ALREADY;
  auto made = std::unique_ptr<OutputDevice>(new OutputDevice(0, rate, source));
  // The page asks for sound from here on; the device must be in place first.
  current = made.get();
  made->id = page_audio_open(rate);
  if (made->id == 0) {
    current = nullptr;
    return PLAYER_ERROR_DEVICE_OPEN;
  }
  opened = std::move(made);
  return PLAYER_OK;
}

OutputDevice::OutputDevice(DeviceId id, int rate, Source& source) : id(id), outputRate(rate), source(source) {}

void OutputDevice::close() {
  if (id == 0) return;
  page_audio_close(id);
  id = 0;
  if (current == this) current = nullptr;
}

const std::int16_t* OutputDevice::fillForPage(int frames) {
  if (frames <= 0) return nullptr;
  if (frames > pageBufferFrames) {
    pageBuffer = std::make_unique<std::int16_t[]>(static_cast<std::size_t>(frames) * 2);
    pageBufferFrames = frames;
  }
  const double start = emscripten_get_now();
  filling = true;
  source.fill({pageBuffer.get(), static_cast<std::size_t>(frames) * 2});
  filling = false;
  const double busyMs = emscripten_get_now() - start;
  const double periodMs = 1000.0 * frames / outputRate;
  // Smoothed over a few dozen buffers, so that one slow buffer does not jump.
  cpu.store(cpu.load() * 0.9f + static_cast<float>(100.0 * busyMs / periodMs) * 0.1f);
  return pageBuffer.get();
}

}  // namespace corvane::player

// Called by the page with `frames` stereo frames wanted; gives the address of
// the interleaved signed 16-bit samples, or 0 when no device is open.
extern "C" EMSCRIPTEN_KEEPALIVE const std::int16_t* corvane_audio_fill(int frames) {
  using corvane::player::current;
  return current ? current->fillForPage(frames) : nullptr;
}
