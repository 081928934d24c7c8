// The sound output: one SDL audio device that pulls signed 16-bit stereo from
// a source on SDL's own sound thread. In a web page there is no such thread:
// the page's AudioWorklet asks for sound and the page's one thread fills it
// between two steps of the program (WebOutputDevice.cpp).
#pragma once

#if !defined(__EMSCRIPTEN__)
#include <SDL.h>
#endif

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace corvane::player {

class OutputDevice {
 public:
  class Source {
   public:
    // Called on the sound thread with the device locked; must fill it all.
    virtual void fill(std::span<std::int16_t> interleaved) noexcept = 0;

   protected:
    ~Source() = default;
  };

  static constexpr std::uint16_t kBufferFrames = 1024;

  // Opens device -1 (the default) or 0.. and starts it. Gives a PLAYER_ERROR
  // code on failure, PLAYER_OK with the device in "opened" on success.
  static int open(int device, int rate, Source& source, std::unique_ptr<OutputDevice>& opened);
  // Name of an output device (-1: the default); false when there is none.
  static int describe(int device, std::string& name);

  ~OutputDevice() { close(); }
  // Stops the sound thread and waits until it has left the source for good.
  void close();
  OutputDevice(const OutputDevice&) = delete;
  OutputDevice& operator=(const OutputDevice&) = delete;

#if defined(__EMSCRIPTEN__)
  // One thread: the source is never filled while the program runs.
  void lock() {}
  void unlock() {}
  bool onSoundThread() const { return filling; }
  // Fills `frames` stereo frames for the page's worklet and gives where they are.
  const std::int16_t* fillForPage(int frames);
#else
  // Keeps the sound thread out of the source; held at most one buffer's mix.
  void lock() { SDL_LockAudioDevice(id); }
  void unlock() { SDL_UnlockAudioDevice(id); }
  bool onSoundThread() const { return SDL_ThreadID() == soundThread.load(); }
#endif

  int rate() const { return outputRate; }
  float cpuPercent() const { return cpu.load(); }

 private:
#if defined(__EMSCRIPTEN__)
  using DeviceId = int;  // the page's output node, 0 for none
#else
  using DeviceId = SDL_AudioDeviceID;
  static void callback(void* self, Uint8* stream, int length);
  std::atomic<SDL_threadID> soundThread{0};
#endif
  OutputDevice(DeviceId id, int rate, Source& source);

  DeviceId id;
  int outputRate;
  Source& source;
  std::atomic<float> cpu{0.0f};
#if defined(__EMSCRIPTEN__)
  bool filling = false;
  std::unique_ptr<std::int16_t[]> pageBuffer;
  int pageBufferFrames = 0;
#endif
};

// Locks the device when there is one, for state the sound thread also reads.
class DeviceLock {
 public:
  explicit DeviceLock(OutputDevice* device) : device(device) {
    if (device) device->lock();
  }
  ~DeviceLock() {
    if (device) device->unlock();
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  OutputDevice* device;
};

}  // namespace corvane::player
