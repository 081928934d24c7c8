// The readable score the music is written in, and how it becomes a module.
//
//   title Corvane
//   sample 1 bass bass volume 48       number, name, voice, volume 0-64
//   order 0 1 2 3                      pattern of each song position
//   pattern 0
//   0  | A-2 bass F5A | ... | --- | E-2 padminor C20
//
// A pattern row is its number (0-63) and one cell per channel, split by "|".
// A cell holds an optional note with the name of its sample, then an optional
// effect as three hex digits; "---", "..." or nothing leave the cell empty.
// Rows that are not written are empty.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ModuleFormat.h"
#include "Synth.h"

namespace corvane::modgen {

class ScoreError : public std::runtime_error {
 public:
  ScoreError(int line, const std::string& message);
  int line() const { return lineNumber; }

 private:
  int lineNumber;
};

struct SampleDeclaration {
  int number = 0;  // 1-31
  std::string name;
  Voice voice = Voice::Kick;
  std::uint8_t volume = 64;
};

struct Score {
  std::string title;
  std::vector<SampleDeclaration> samples;
  std::vector<std::uint8_t> orders;
  std::map<int, Pattern> patterns;
};

// Throws ScoreError naming the line of the first mistake.
Score parseScore(std::string_view text);

// Synthesises the declared samples and lays out patterns 0..n-1. Throws
// ScoreError (line 0) when patterns are missing or the song has no order.
Module buildModule(const Score& score);

}  // namespace corvane::modgen
