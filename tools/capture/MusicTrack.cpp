#include "MusicTrack.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "IntroAssets.h"
#include "Interruption.h"
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

// The player's renderer for the intro's music and the samples it has given
// so far (two a frame), in whole buffers.
class MusicSource {
 public:
  MusicSource()
      : renderer(player::ModuleRenderer::load(std::as_bytes(MusicModuleData()), PlayerMusicFlags,
                                              static_cast<int>(PlayerOutputRate))) {
    if (!renderer) throw std::runtime_error("the music module cannot be read");
  }
  std::size_t frames() const { return samples.size() / kChannels; }
  // Renders one more buffer.
  void renderBuffer() {
    const std::size_t at = samples.size();
    samples.resize(at + kPlayerBufferFrames * kChannels);
    renderer->render(std::span(samples).subspan(at));
  }
  // Forgets the samples written out, keeping the renderer where it is.
  void dropSamples() { samples.clear(); }
  const std::vector<std::int16_t>& rendered() const { return samples; }

 private:
  std::unique_ptr<player::ModuleRenderer> renderer;
  std::vector<std::int16_t> samples;
};

MusicAhead::MusicAhead(std::size_t frames)
    : thread([this, frames](const std::stop_token& stop) { render(stop, frames); }) {}

MusicAhead::~MusicAhead() = default;

void MusicAhead::render(const std::stop_token& stop, std::size_t frames) {
  try {
    source = std::make_unique<MusicSource>();
    while (source->frames() < frames && !stop.stop_requested() && !Interrupted()) source->renderBuffer();
  } catch (...) {
    error = std::current_exception();
  }
}

namespace {

void WriteSamples(OutputFile& file, std::span<const std::int16_t> samples, std::vector<std::byte>& bytes) {
  bytes.resize(samples.size() * kBytesPerSample);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto sample = static_cast<std::uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<std::byte>(sample & 0xFF);
    bytes[2 * i + 1] = static_cast<std::byte>(sample >> 8);
  }
  file.write(bytes);
}

}  // namespace

bool WriteIntroMusic(OutputFile& file, std::size_t frames, const std::function<bool(std::size_t)>& carryOn,
                     MusicAhead* ahead) {
  std::unique_ptr<MusicSource> source;
  if (ahead) {
    if (ahead->thread.joinable()) ahead->thread.join();
    if (ahead->error) std::rethrow_exception(ahead->error);
    source = std::move(ahead->source);
  }
  if (!source) source = std::make_unique<MusicSource>();
  file.write(WavHeader(frames));
  std::vector<std::byte> bytes;
  // What was rendered ahead, then the rest a buffer at a time.
  std::size_t done = std::min(source->frames(), frames);
  WriteSamples(file, std::span(source->rendered()).first(done * kChannels), bytes);
  source->dropSamples();
  for (; done < frames; done += kPlayerBufferFrames) {
    if (carryOn && !carryOn(done)) return false;
    source->renderBuffer();
    const std::size_t take = std::min(kPlayerBufferFrames, frames - done) * kChannels;
    WriteSamples(file, std::span(source->rendered()).first(take), bytes);
    source->dropSamples();
  }
  return true;
}

}  // namespace corvane::capture
