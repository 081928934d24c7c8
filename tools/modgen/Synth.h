// The instrument voices of the music, made from nothing but arithmetic so that
// every byte of the module is our own and the same on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace corvane::modgen {

enum class Voice { Kick, Snare, Hat, Bass, Lead, PadMajor, PadMinor };

struct SynthSample {
  std::vector<std::int8_t> data;  // even length
  std::size_t loopStart = 0;      // bytes, even
  std::size_t loopLength = 0;     // bytes, even; 0: played once
};

// A note played at period 428 (C-2) plays its sample at this rate.
inline constexpr double kBaseRate = 3546895.0 / 428.0;

std::optional<Voice> voiceNamed(std::string_view name);

// Melodic voices sound a C when played at C-2: the pads one cycle every 64
// samples at the base rate, the bass an octave lower, the lead an octave
// higher. Snare and hat, played at C-3, are made at twice the base rate so
// that their highs survive.
SynthSample synthesise(Voice voice);

}  // namespace corvane::modgen
