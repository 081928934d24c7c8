#include "OutputDevice.h"

#include "PlayerApi.h"

namespace corvane::player {
namespace {

// SDL counts users of its audio part, so the player can start and stop it
// without disturbing a program that uses SDL for its own window.
class AudioSubsystem {
 public:
  AudioSubsystem() : started(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
  ~AudioSubsystem() {
    if (started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  AudioSubsystem(const AudioSubsystem&) = delete;
  AudioSubsystem& operator=(const AudioSubsystem&) = delete;
  bool ok() const { return started; }

 private:
  bool started;
};

}  // namespace

int OutputDevice::describe(int device, std::string& name) {
  const AudioSubsystem audio;
  if (!audio.ok()) return PLAYER_ERROR_DRIVER;
  if (device == -1) {
    const char* driver = SDL_GetCurrentAudioDriver();
    name = std::string("Default output (") + (driver ? driver : "unknown") + ")";
    return PLAYER_OK;
  }
  const char* found = device >= 0 && device < SDL_GetNumAudioDevices(0) ? SDL_GetAudioDeviceName(device, 0) : nullptr;
  if (found == nullptr) return PLAYER_ERROR_ILLEGAL_DEVICE;
  name = found;
  return PLAYER_OK;
}

int OutputDevice::open(int device, int rate, Source& source, std::unique_ptr<OutputDevice>& opened) {
  // The subsystem reference taken here passes to the device on success and is
  // given back in its destructor.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return PLAYER_ERROR_DRIVER;
  const char* name = nullptr;
  if (device != -1) {
    name = device >= 0 && device < SDL_GetNumAudioDevices(0) ? SDL_GetAudioDeviceName(device, 0) : nullptr;
    if (name == nullptr) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return PLAYER_ERROR_ILLEGAL_DEVICE;
    }
  }
  auto made = std::unique_ptr<OutputDevice>(new OutputDevice(0, rate, source));
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = kBufferFrames;
  wanted.callback = &OutputDevice::callback;
  wanted.userdata = made.get();
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  made->id = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
  if (made->id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return PLAYER_ERROR_DEVICE_OPEN;
  }
  SDL_PauseAudioDevice(made->id, 0);
  opened = std::move(made);
  return PLAYER_OK;
}

OutputDevice::OutputDevice(SDL_AudioDeviceID id, int rate, Source& source) : id(id), outputRate(rate), source(source) {}

void OutputDevice::close() {
  if (id == 0) return;  // never opened, or closed: no subsystem reference either
  SDL_CloseAudioDevice(id);
  id = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void OutputDevice::callback(void* self, Uint8* stream, int length) {
  auto& device = *static_cast<OutputDevice*>(self);
  device.soundThread.store(SDL_ThreadID());
  const Uint64 start = SDL_GetPerformanceCounter();
  device.source.fill({reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / sizeof(std::int16_t)});
  const double busy = static_cast<double>(SDL_GetPerformanceCounter() - start) / static_cast<double>(SDL_GetPerformanceFrequency());
  const double period = static_cast<double>(length) / (4.0 * device.outputRate);
  // Smoothed over a few dozen buffers, so that one slow buffer does not jump.
  const float now = static_cast<float>(100.0 * busy / period);
  device.cpu.store(device.cpu.load() * 0.9f + now * 0.1f);
}

}  // namespace corvane::player
