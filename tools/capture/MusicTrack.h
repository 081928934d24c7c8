// The intro's music as a sound file: rendered from the module the intro
// carries, with the flags and the rate the intro asks of its player, by the
// player's own renderer, as fast as the processor allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "OutputFile.h"

namespace corvane::capture {

class MusicSource;

// Stereo sample frames from the start of the music to `ms` milliseconds
// into it, at the intro's output rate.
std::size_t SampleFramesAt(std::uint64_t ms);

// The start of the music, rendered on a thread of its own while the frames
// are being made, so that little of it is left to do after them.
class MusicAhead {
 public:
  // Starts rendering the first `frames` stereo frames (rounded up to whole
  // buffers of the player); stops early when the run is interrupted.
  explicit MusicAhead(std::size_t frames);
  // Stops rendering and waits for the thread.
  ~MusicAhead();
  MusicAhead(const MusicAhead&) = delete;
  MusicAhead& operator=(const MusicAhead&) = delete;

 private:
  friend bool WriteIntroMusic(OutputFile&, std::size_t, const std::function<bool(std::size_t)>&, MusicAhead*);
  void render(const std::stop_token& stop, std::size_t frames);

  std::unique_ptr<MusicSource> source;
  std::exception_ptr error;
  std::jthread thread;  // last: starts once the rest is made
};

// Writes a WAV file (16-bit stereo at the intro's rate, 44-byte header)
// holding the first `frames` stereo frames of the intro's music, going on
// from what `ahead` (if any) has rendered. Between two buffers it tells
// `carryOn` how many frames are done; gives false, having stopped, when that
// answers false. Raises std::runtime_error when the module cannot be read or
// the file written.
bool WriteIntroMusic(OutputFile& file, std::size_t frames, const std::function<bool(std::size_t)>& carryOn,
                     MusicAhead* ahead = nullptr);

}  // namespace corvane::capture
