// The sound output: one SDL audio device that pulls signed 16-bit stereo from
// a source on SDL's own sound thread.
#pragma once

#include <SDL.h>

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

  // Keeps the sound thread out of the source; held at most one buffer's mix.
  void lock() { SDL_LockAudioDevice(id); }
  void unlock() { SDL_UnlockAudioDevice(id); }

  int rate() const { return outputRate; }
  bool onSoundThread() const { return SDL_ThreadID() == soundThread.load(); }
  float cpuPercent() const { return cpu.load(); }

 private:
  OutputDevice(SDL_AudioDeviceID id, int rate, Source& source);
  static void callback(void* self, Uint8* stream, int length);

  SDL_AudioDeviceID id;
  int outputRate;
  Source& source;
  std::atomic<SDL_threadID> soundThread{0};
  std::atomic<float> cpu{0.0f};
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
