#include "Score.h"

#include <algorithm>
#include <charconv>

namespace corvane::modgen {
namespace {

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t\r", at);
    if (at == std::string_view::npos) break;
    const auto end = std::min(text.find_first_of(" \t\r", at), text.size());
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Parser {
 public:
  Score run(std::string_view text) {
    std::size_t at = 0;
    while (at <= text.size()) {
      const auto end = std::min(text.find('\n', at), text.size());
      ++line;
      parseLine(trim(text.substr(at, end - at)));
      at = end + 1;
    }
    return std::move(score);
  }

 private:
  [[noreturn]] void fail(const std::string& message) const { throw ScoreError(line, message); }

  int number(std::string_view word, int low, int high, const char* what) const {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < low || value > high)
      fail(std::string(what) + " out of range: " + std::string(word));
    return value;
  }

  void parseLine(std::string_view text) {
    if (text.empty() || text.front() == '#') return;
    if (text.front() >= '0' && text.front() <= '9') return parseRow(text);
    const auto words = splitWords(text);
    if (words[0] == "title") {
      score.title = std::string(trim(text.substr(5)));
      if (score.title.size() > kTitleSize) fail("title longer than 20 characters");
    } else if (words[0] == "sample") {
      parseSample(words);
    } else if (words[0] == "order") {
      for (std::size_t i = 1; i < words.size(); ++i)
        score.orders.push_back(static_cast<std::uint8_t>(number(words[i], 0, 63, "pattern number")));
    } else if (words[0] == "pattern") {
      if (words.size() != 2) fail("pattern takes one number");
      const int index = number(words[1], 0, 63, "pattern number");
      if (score.patterns.contains(index)) fail("pattern written twice");
      pattern = &score.patterns[index];
      lastRow = -1;
    } else {
      fail("unknown keyword: " + std::string(words[0]));
    }
  }

  void parseSample(const std::vector<std::string_view>& words) {
    if (words.size() != 6 || words[4] != "volume") fail("expected: sample NUMBER NAME VOICE volume N");
    SampleDeclaration sample;
    sample.number = number(words[1], 1, kSampleCount, "sample number");
    sample.name = std::string(words[2]);
    const auto voice = voiceNamed(words[3]);
    if (!voice) fail("unknown voice: " + std::string(words[3]));
    sample.voice = *voice;
    sample.volume = static_cast<std::uint8_t>(number(words[5], 0, 64, "volume"));
    for (const auto& other : score.samples)
      if (other.number == sample.number || other.name == sample.name) fail("sample declared twice: " + sample.name);
    score.samples.push_back(std::move(sample));
  }

  void parseRow(std::string_view text) {
    if (pattern == nullptr) fail("row outside a pattern");
    std::vector<std::string_view> parts;
    for (std::size_t at = 0;;) {
      const auto bar = text.find('|', at);
      parts.push_back(trim(text.substr(at, bar == std::string_view::npos ? std::string_view::npos : bar - at)));
      if (bar == std::string_view::npos) break;
      at = bar + 1;
    }
    if (parts.size() != kChannelCount + 1) fail("a row needs its number and 4 cells");
    const int row = number(parts[0], 0, kRowsPerPattern - 1, "row");
    if (row <= lastRow) fail("rows must be written in rising order");
    lastRow = row;
    for (int channel = 0; channel < kChannelCount; ++channel)
      pattern->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(channel)] = parseCell(parts[static_cast<std::size_t>(channel) + 1]);
  }

  Cell parseCell(std::string_view text) {
    const auto words = splitWords(text);
    Cell cell;
    std::size_t next = 0;
    if (next < words.size() && (words[0] == "---" || words[0] == "...")) {
      next = 1;
    } else if (const auto period = next < words.size() ? parseNote(words[0]) : std::nullopt) {
      if (words.size() < 2) fail("a note needs a sample name");
      cell.period = *period;
      cell.sample = sampleNumber(words[1]);
      next = 2;
    }
    if (next < words.size()) {
      const auto effect = words[next++];
      if (effect.size() != 3 || !std::all_of(effect.begin(), effect.end(), [](char c) { return hexDigit(c) >= 0; }))
        fail("not a note, sample or effect: " + std::string(effect));
      cell.effect = static_cast<std::uint8_t>(hexDigit(effect[0]));
      cell.parameter = static_cast<std::uint8_t>(hexDigit(effect[1]) * 16 + hexDigit(effect[2]));
    }
    if (next != words.size()) fail("too much in one cell: " + std::string(text));
    return cell;
  }

  std::uint8_t sampleNumber(std::string_view name) const {
    for (const auto& sample : score.samples)
      if (sample.name == name) return static_cast<std::uint8_t>(sample.number);
    fail("unknown sample: " + std::string(name));
  }

  Score score;
  int line = 0;
  Pattern* pattern = nullptr;
  int lastRow = -1;
};

}  // namespace

ScoreError::ScoreError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), lineNumber(line) {}

Score parseScore(std::string_view text) { return Parser().run(text); }

Module buildModule(const Score& score) {
  if (score.orders.empty()) throw ScoreError(0, "the song has no order");
  Module module;
  module.title = score.title;
  for (const auto& declaration : score.samples) {
    SynthSample made = synthesise(declaration.voice);
    SampleRecord& record = module.samples[static_cast<std::size_t>(declaration.number - 1)];
    record.name = declaration.name;
    record.data = std::move(made.data);
    record.volume = declaration.volume;
    record.loopStart = made.loopStart;
    record.loopLength = made.loopLength;
  }
  module.orders = score.orders;
  const int count = *std::max_element(score.orders.begin(), score.orders.end()) + 1;
  for (int index = 0; index < count; ++index) {
    const auto found = score.patterns.find(index);
    if (found == score.patterns.end()) throw ScoreError(0, "pattern " + std::to_string(index) + " is not written");
    module.patterns.push_back(found->second);
  }
  return module;
}

}  // namespace corvane::modgen
