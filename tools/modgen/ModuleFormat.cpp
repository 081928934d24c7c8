#include "ModuleFormat.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::modgen {
namespace {

// The classic period table, octaves 1 to 3, finetune 0.
constexpr std::array<std::uint16_t, 36> kPeriods = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

constexpr std::size_t kMaxSampleBytes = 2 * 0xFFFF;

void putBigEndian16(std::vector<std::uint8_t>& out, std::size_t at, std::size_t value) {
  out[at] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

void putText(std::vector<std::uint8_t>& out, std::size_t at, std::size_t size, const std::string& text) {
  if (text.size() > size) throw std::invalid_argument("text too long for its field: " + text);
  std::copy(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

void checkSample(const SampleRecord& sample) {
  const std::size_t size = sample.data.size();
  if (size % 2 != 0 || size > kMaxSampleBytes) throw std::invalid_argument("sample size not a word count: " + sample.name);
  if (sample.volume > 64 || sample.finetune > 15) throw std::invalid_argument("sample volume or finetune out of range: " + sample.name);
  if (sample.loopStart % 2 != 0 || sample.loopLength % 2 != 0) throw std::invalid_argument("sample loop not word aligned: " + sample.name);
  if (sample.loopLength > 0 && sample.loopStart + sample.loopLength > size)
    throw std::invalid_argument("sample loop outside its data: " + sample.name);
}

void writeSampleRecord(std::vector<std::uint8_t>& out, std::size_t at, const SampleRecord& sample) {
  checkSample(sample);
  putText(out, at, kSampleNameSize, sample.name);
  putBigEndian16(out, at + 22, sample.data.size() / 2);
  out[at + 24] = sample.finetune;
  out[at + 25] = sample.volume;
  // A loop length of one word is the layout's way of saying "no loop".
  const bool looped = sample.loopLength > 0;
  putBigEndian16(out, at + 26, looped ? sample.loopStart / 2 : 0);
  putBigEndian16(out, at + 28, looped ? sample.loopLength / 2 : 1);
}

void writeCell(std::vector<std::uint8_t>& out, std::size_t at, const Cell& cell) {
  if (cell.sample > kSampleCount || cell.period > 0xFFF || cell.effect > 0xF)
    throw std::invalid_argument("pattern cell out of range");
  out[at] = static_cast<std::uint8_t>((cell.sample & 0xF0) | (cell.period >> 8));
  out[at + 1] = static_cast<std::uint8_t>(cell.period & 0xFF);
  out[at + 2] = static_cast<std::uint8_t>(((cell.sample & 0x0F) << 4) | cell.effect);
  out[at + 3] = cell.parameter;
}

void checkOrders(const Module& module) {
  if (module.orders.empty() || module.orders.size() > kOrderTableSize)
    throw std::invalid_argument("song length must be 1 to 128 positions");
  const std::size_t highest = *std::max_element(module.orders.begin(), module.orders.end());
  if (module.patterns.size() != highest + 1)
    throw std::invalid_argument("pattern count must be the highest order entry plus one");
}

}  // namespace

std::vector<std::uint8_t> writeModule(const Module& module) {
  checkOrders(module);
  std::size_t sampleBytes = 0;
  for (const SampleRecord& sample : module.samples) sampleBytes += sample.data.size();
  const std::size_t patternBytes = module.patterns.size() * kPatternSize;
  std::vector<std::uint8_t> out(kPatternDataOffset + patternBytes + sampleBytes, 0);

  putText(out, kTitleOffset, kTitleSize, module.title);
  for (std::size_t i = 0; i < module.samples.size(); ++i)
    writeSampleRecord(out, kSampleRecordsOffset + i * kSampleRecordSize, module.samples[i]);
  out[kSongLengthOffset] = static_cast<std::uint8_t>(module.orders.size());
  out[kRestartOffset] = kRestartByte;
  std::copy(module.orders.begin(), module.orders.end(), out.begin() + kOrderTableOffset);
  putText(out, kSignatureOffset, 4, "M.K.");

  std::size_t at = kPatternDataOffset;
  for (const Pattern& pattern : module.patterns)
    for (const auto& row : pattern.rows)
      for (const Cell& cell : row) {
        writeCell(out, at, cell);
        at += 4;
      }
  for (const SampleRecord& sample : module.samples)
    for (const std::int8_t value : sample.data) out[at++] = static_cast<std::uint8_t>(value);
  return out;
}

std::vector<std::uint8_t> widenModule(const std::vector<std::uint8_t>& fourChannels, int channels) {
  if (channels != 6 && channels != 8) throw std::invalid_argument("6 or 8 channels");
  if (fourChannels.size() < kPatternDataOffset ||
      std::string_view(reinterpret_cast<const char*>(&fourChannels[kSignatureOffset]), 4) != "M.K.")
    throw std::invalid_argument("not an M.K. module");
  // The file holds as many patterns as the whole position table names.
  std::size_t patterns = 0;
  for (std::size_t i = 0; i < kOrderTableSize; ++i)
    patterns = std::max<std::size_t>(patterns, fourChannels[kOrderTableOffset + i] + 1u);
  const std::size_t samplesAt = kPatternDataOffset + patterns * kPatternSize;
  if (fourChannels.size() < samplesAt) throw std::invalid_argument("patterns cut short");
  constexpr std::size_t kCellSize = 4;
  const std::size_t wideRow = kCellSize * static_cast<std::size_t>(channels);
  std::vector<std::uint8_t> out(fourChannels.begin(), fourChannels.begin() + kPatternDataOffset);
  const std::string tag = std::to_string(channels) + "CHN";
  std::copy(tag.begin(), tag.end(), out.begin() + kSignatureOffset);
  for (std::size_t row = 0; row < patterns * kRowsPerPattern; ++row) {
    std::vector<std::uint8_t> wide(wideRow, 0);
    const auto narrow = fourChannels.begin() + static_cast<std::ptrdiff_t>(kPatternDataOffset + row * kCellSize * kChannelCount);
    for (std::size_t c = 0; c < kChannelCount; ++c)
      std::copy_n(narrow + static_cast<std::ptrdiff_t>(c * kCellSize), kCellSize, wide.begin() + static_cast<std::ptrdiff_t>(2 * c * kCellSize));
    out.insert(out.end(), wide.begin(), wide.end());
  }
  out.insert(out.end(), fourChannels.begin() + static_cast<std::ptrdiff_t>(samplesAt), fourChannels.end());
  return out;
}

std::optional<std::uint16_t> periodOf(int octave, int semitone) {
  if (octave < 1 || octave > 3 || semitone < 0 || semitone > 11) return std::nullopt;
  return kPeriods[static_cast<std::size_t>((octave - 1) * 12 + semitone)];
}

std::optional<std::uint16_t> parseNote(std::string_view text) {
  static constexpr std::string_view kNames = "C D EF G A B";
  if (text.size() != 3) return std::nullopt;
  const std::size_t letter = kNames.find(text[0]);
  if (letter == std::string_view::npos || text[0] == ' ') return std::nullopt;
  int semitone = static_cast<int>(letter);
  if (text[1] == '#') {
    if (semitone == 4 || semitone == 11) return std::nullopt;  // no E# or B#
    ++semitone;
  } else if (text[1] != '-') {
    return std::nullopt;
  }
  if (text[2] < '0' || text[2] > '9') return std::nullopt;
  return periodOf(text[2] - '0', semitone);
}

}  // namespace corvane::modgen
