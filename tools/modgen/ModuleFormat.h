// The 4-channel, 31-sample "M.K." tracker module: the in-memory form that the
// generator fills in, and the writer that lays it out byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::modgen {

inline constexpr int kChannelCount = 4;
inline constexpr int kRowsPerPattern = 64;
inline constexpr int kSampleCount = 31;
inline constexpr int kOrderTableSize = 128;

// Where the fields sit in the file; all multi-byte numbers are big-endian.
inline constexpr std::size_t kTitleOffset = 0;
inline constexpr std::size_t kTitleSize = 20;
inline constexpr std::size_t kSampleRecordsOffset = 20;
inline constexpr std::size_t kSampleRecordSize = 30;
inline constexpr std::size_t kSampleNameSize = 22;
inline constexpr std::size_t kSongLengthOffset = 950;
inline constexpr std::size_t kRestartOffset = 951;
inline constexpr std::size_t kOrderTableOffset = 952;
inline constexpr std::size_t kSignatureOffset = 1080;
inline constexpr std::size_t kPatternDataOffset = 1084;
inline constexpr std::size_t kPatternSize = 1024;
inline constexpr std::uint8_t kRestartByte = 127;

// Effect numbers the generator writes.
inline constexpr std::uint8_t kEffectPositionJump = 0xB;
inline constexpr std::uint8_t kEffectSetVolume = 0xC;
inline constexpr std::uint8_t kEffectSetSpeed = 0xF;

struct SampleRecord {
  std::string name;
  std::vector<std::int8_t> data;  // even length; the file counts 16-bit words
  std::uint8_t finetune = 0;
  std::uint8_t volume = 64;
  std::size_t loopStart = 0;   // bytes
  std::size_t loopLength = 0;  // bytes; 0 plays the sample once
};

struct Cell {
  std::uint8_t sample = 0;  // 1-31, 0 keeps the channel's sample
  std::uint16_t period = 0;  // 0: no new note
  std::uint8_t effect = 0;
  std::uint8_t parameter = 0;
};

struct Pattern {
  std::array<std::array<Cell, kChannelCount>, kRowsPerPattern> rows{};
};

struct Module {
  std::string title;
  std::array<SampleRecord, kSampleCount> samples;
  std::vector<std::uint8_t> orders;  // pattern number per song position
  std::vector<Pattern> patterns;     // exactly highest order entry + 1
};

// Lays the module out as a file. Throws std::invalid_argument when the module
// cannot be expressed in the layout (odd or oversized samples, loops outside
// the data, order entries without a pattern, too many positions).
std::vector<std::uint8_t> writeModule(const Module& module);

// The same song as a multi-channel module ("6CHN" or "8CHN"): channel c of
// every row moves to channel 2c, the other channels stay silent, so the
// notes sound with other panning. Throws std::invalid_argument for data that
// is not a whole "M.K." module, or a channel count other than 6 or 8.
std::vector<std::uint8_t> widenModule(const std::vector<std::uint8_t>& fourChannels, int channels);

// Amiga period of a note in octaves 1-3 (C-1 = 856 ... B-3 = 113) at finetune 0.
std::optional<std::uint16_t> periodOf(int octave, int semitone);

// Reads a note written the tracker way: "C-2", "C#2", "A-1".
std::optional<std::uint16_t> parseNote(std::string_view text);

}  // namespace corvane::modgen
