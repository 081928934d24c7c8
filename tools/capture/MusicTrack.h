// The intro's music as a sound file: rendered from the module the intro
// carries, with the flags and the rate the intro asks of its player, by the
// player's own renderer, as fast as the processor allows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "OutputFile.h"

namespace corvane::capture {

// Stereo sample frames from the start of the music to `ms` milliseconds
// into it, at the intro's output rate.
std::size_t SampleFramesAt(std::uint64_t ms);

// Writes a WAV file (16-bit stereo at the intro's rate, 44-byte header)
// holding the first `frames` stereo frames of the intro's music. Between two
// buffers it tells `carryOn` how many frames are done; gives false, having
// stopped, when that answers false. Raises
// std::runtime_error when the module cannot be read or the file written.
bool WriteIntroMusic(OutputFile& file, std::size_t frames, const std::function<bool(std::size_t)>& carryOn);

}  // namespace corvane::capture
