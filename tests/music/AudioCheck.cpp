// corvane-audio-check MODULE RAW [MIN_LOOPS]
// Checks what the intro sent to the sound output (16-bit stereo at 44100
// samples a second, as SDL's disk driver writes it) against the module
// rendered here with the player's own settings: after the buffers of silence
// from before the music started, and up to the silence after it was freed,
// every sample must be the rendered one. Also
// reports how often the song jumped back (positions 2 and 3 repeating), the
// longest stretch of digital silence once the music runs (a gap), and the
// level of the first second. Exit code 0 when all samples agree, the song
// jumped back at least MIN_LOOPS times (from 3 on, with the last two passes
// through the looped part alike to the sample) and no gap is longer than 50 ms.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ModuleRenderer.h"

namespace {

using corvane::player::ModuleRenderer;
using corvane::player::PlaybackEvent;

constexpr int kRate = 44100;
constexpr std::uint32_t kIntroMusicFlags = 0x105;
constexpr std::size_t kDeviceBufferFrames = 1024;  // the player's output buffer
constexpr double kLongestGapSeconds = 0.05;

std::vector<char> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Reference {
  std::vector<std::int16_t> samples;
  std::vector<std::size_t> loopFrames;  // where the song jumped back
};

Reference Render(const std::vector<char>& module, std::size_t frames) {
  auto renderer = ModuleRenderer::load({reinterpret_cast<const std::byte*>(module.data()), module.size()},
                                       kIntroMusicFlags, kRate);
  Reference out;
  if (!renderer) return out;
  out.samples.assign(frames * 2, 0);
  for (std::size_t at = 0; at < frames; at += kDeviceBufferFrames) {
    const std::size_t count = std::min(kDeviceBufferFrames, frames - at);
    renderer->render({out.samples.data() + 2 * at, 2 * count});
    for (const PlaybackEvent& event : renderer->events())
      if (event.kind == PlaybackEvent::Kind::LoopBack) out.loopFrames.push_back(at + event.frame);
  }
  return out;
}

std::size_t FirstSound(const std::vector<std::int16_t>& samples) {
  for (std::size_t i = 0; i < samples.size(); ++i)
    if (samples[i] != 0) return i / 2;
  return samples.size() / 2;
}

// The frame after the last one that is not silent: the output after it is
// the player's silence between the music being freed and the output closing.
std::size_t EndOfSound(const std::vector<std::int16_t>& samples) {
  for (std::size_t i = samples.size(); i > 0; --i)
    if (samples[i - 1] != 0) return (i + 1) / 2;
  return 0;
}

// The frames that differ between the output from `offset` on and the
// reference from its start.
std::size_t Mismatches(const std::vector<std::int16_t>& output, std::size_t offset,
                       const std::vector<std::int16_t>& reference, std::size_t& first) {
  std::size_t count = 0;
  first = SIZE_MAX;
  for (std::size_t i = 2 * offset; i < output.size(); i += 2) {
    const std::size_t r = i - 2 * offset;
    if (output[i] != reference[r] || output[i + 1] != reference[r + 1]) {
      if (count++ == 0) first = r / 2;
    }
  }
  return count;
}

// Frames that differ between the output's last two whole passes through the
// looped part (from one jump back to the next); -1 when there are not two.
long LoopDifference(const std::vector<std::int16_t>& output, std::size_t offset,
                    const std::vector<std::size_t>& jumps, double& period) {
  if (jumps.size() < 3) return -1;
  const std::size_t a = jumps[jumps.size() - 3], b = jumps[jumps.size() - 2], c = jumps.back();
  if (c - b != b - a) return long(std::max(c - b, b - a));
  period = double(b - a) / kRate;
  long differ = 0;
  for (std::size_t f = 0; f < b - a; ++f) {
    const std::size_t x = 2 * (offset + a + f), y = 2 * (offset + b + f);
    differ += output[x] != output[y] || output[x + 1] != output[y + 1];
  }
  return differ;
}

std::size_t LongestSilence(const std::vector<std::int16_t>& samples, std::size_t from) {
  std::size_t longest = 0, run = 0;
  for (std::size_t i = 2 * from; i + 1 < samples.size(); i += 2) {
    run = (samples[i] == 0 && samples[i + 1] == 0) ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

double LevelDb(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t frames) {
  double sum = 0;
  const std::size_t end = std::min(samples.size(), 2 * (from + frames));
  for (std::size_t i = 2 * from; i < end; ++i) sum += double(samples[i]) * samples[i];
  const double rms = std::sqrt(sum / std::max<double>(1, double(end - 2 * from))) / 32768.0;
  return rms > 0 ? 20 * std::log10(rms) : -200;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: corvane-audio-check MODULE RAW [MIN_LOOPS]\n");
    return 2;
  }
  const std::vector<char> module = ReadFile(argv[1]);
  const std::vector<char> raw = ReadFile(argv[2]);
  const long minLoops = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 0;
  std::vector<std::int16_t> output(raw.size() / 4 * 2);
  std::copy_n(raw.data(), output.size() * 2, reinterpret_cast<char*>(output.data()));
  output.resize(2 * EndOfSound(output));
  const std::size_t frames = output.size() / 2;
  // The music starts with a buffer of its own, after whole buffers of silence.
  const std::size_t offset = FirstSound(output) / kDeviceBufferFrames * kDeviceBufferFrames;
  const Reference reference = Render(module, frames - offset);
  if (reference.samples.empty() && frames > offset) {
    std::fprintf(stderr, "corvane-audio-check: %s is not a module\n", argv[1]);
    return 2;
  }
  std::size_t firstMismatch = 0;
  const std::size_t mismatches = Mismatches(output, offset, reference.samples, firstMismatch);
  const double gap = double(LongestSilence(output, offset)) / kRate;
  double period = 0;
  const long loopDiffers = LoopDifference(output, offset, reference.loopFrames, period);
  std::printf("output %.2f s, music from %.3f s, %zu frames differ (first at %.3f s), %zu jumps back, "
              "the looped part (%.2f s) %s, longest silence %.1f ms, first second at %.1f dB\n",
              double(frames) / kRate, double(offset) / kRate, mismatches,
              mismatches ? double(firstMismatch) / kRate : 0.0, reference.loopFrames.size(), period,
              loopDiffers < 0 ? "not heard twice" : loopDiffers == 0 ? "repeats exactly" : "differs between passes",
              gap * 1000, LevelDb(output, offset, kRate));
  const bool loopsHeard = long(reference.loopFrames.size()) >= minLoops && (minLoops < 3 || loopDiffers == 0);
  const bool ok = frames > offset && mismatches == 0 && loopsHeard && gap < kLongestGapSeconds;
  return ok ? 0 : 1;
}
