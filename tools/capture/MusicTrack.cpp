#include "MusicTrack.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "IntroAssets.h"
#include "MainUnit.h"
#include "ModuleRenderer.h"
#include "Tallberg_Functions.h"

namespace corvane::capture {

namespace {

// The player fills its output in buffers of this many frames; rendering in
// the same steps gives the same sound, since the renderer looks at the song
// position at fixed points within each buffer.
constexpr std::size_t kPlayerBufferFrames = 1024;
constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;

void PutLittleEndian(std::vector<std::byte>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
}

void PutTag(std::vector<std::byte>& out, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::byte>(tag[i]));
}

}  // namespace

std::size_t SampleFramesAt(std::uint64_t ms) { return static_cast<std::size_t>(ms * PlayerOutputRate / 1000); }

namespace {

std::vector<std::byte> WavHeader(std::size_t frames) {
  const std::uint64_t dataBytes = std::uint64_t{frames} * kChannels * kBytesPerSample;
  if (dataBytes > 0xFFFFFFFFull - 36) throw std::runtime_error("the music is too long for a WAV file");
  std::vector<std::byte> out;
  PutTag(out, "RIFF");
  PutLittleEndian(out, static_cast<std::uint32_t>(36 + dataBytes), 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLittleEndian(out, 16, 4);  // the size of a PCM format block
  PutLittleEndian(out, 1, 2);   // PCM
  PutLittleEndian(out, kChannels, 2);
  PutLittleEndian(out, PlayerOutputRate, 4);
  PutLittleEndian(out, PlayerOutputRate * kChannels * kBytesPerSample, 4);
  PutLittleEndian(out, kChannels * kBytesPerSample, 2);
  PutLittleEndian(out, 8 * kBytesPerSample, 2);
  PutTag(out, "data");
  PutLittleEndian(out, static_cast<std::uint32_t>(dataBytes), 4);
  return out;
}

}  // namespace

bool WriteIntroMusic(OutputFile& file, std::size_t frames, const std::function<bool(std::size_t)>& carryOn) {
  auto renderer = player::ModuleRenderer::load(std::as_bytes(MusicModuleData()), PlayerMusicFlags,
                                               static_cast<int>(PlayerOutputRate));
  if (!renderer) throw std::runtime_error("the music module cannot be read");
  file.write(WavHeader(frames));
  std::vector<std::int16_t> buffer(kPlayerBufferFrames * kChannels);
  std::vector<std::byte> bytes;
  bytes.reserve(buffer.size() * kBytesPerSample);
  for (std::size_t done = 0; done < frames; done += kPlayerBufferFrames) {
    if (carryOn && !carryOn(done)) return false;
    renderer->render(buffer);
    const std::size_t take = std::min(kPlayerBufferFrames, frames - done) * kChannels;
    bytes.clear();
    for (std::size_t i = 0; i < take; ++i) PutLittleEndian(bytes, static_cast<std::uint16_t>(buffer[i]), 2);
    file.write(bytes);
  }
  return true;
}

}  // namespace corvane::capture
