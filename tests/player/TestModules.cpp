#include "TestModules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>

namespace corvane::test {

modgen::Module toneModule(int patternCount) {
  modgen::Module module;
  module.title = "test";
  auto& sine = module.samples[0];
  sine.name = "sine";
  for (int i = 0; i < 64; ++i)
    sine.data.push_back(static_cast<std::int8_t>(std::lround(100.0 * std::sin(2.0 * std::numbers::pi * i / 64.0))));
  sine.loopStart = 0;
  sine.loopLength = 64;
  for (int i = 0; i < patternCount; ++i) module.orders.push_back(static_cast<std::uint8_t>(i));
  module.patterns.resize(static_cast<std::size_t>(patternCount));
  return module;
}

void setCell(modgen::Module& module, int pattern, int row, int channel, modgen::Cell cell) {
  module.patterns.at(static_cast<std::size_t>(pattern)).rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(channel)) = cell;
}

modgen::Cell toneNote() { return {1, 428, 0, 0}; }

modgen::Cell effect(std::uint8_t effect, std::uint8_t parameter) { return {0, 0, effect, parameter}; }

std::vector<std::byte> bytesOf(const modgen::Module& module) {
  const auto bytes = modgen::writeModule(module);
  std::vector<std::byte> out(bytes.size());
  std::transform(bytes.begin(), bytes.end(), out.begin(), [](std::uint8_t b) { return std::byte{b}; });
  return out;
}

std::vector<std::byte> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> chars{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::byte> out(chars.size());
  std::transform(chars.begin(), chars.end(), out.begin(), [](char c) { return static_cast<std::byte>(c); });
  return out;
}

std::vector<std::int16_t> render(player::ModuleRenderer& renderer, std::size_t frames) {
  std::vector<std::int16_t> out(frames * 2);
  renderer.render(out);
  return out;
}

double rms(std::span<const std::int16_t> interleaved) {
  if (interleaved.empty()) return 0.0;
  double sum = 0.0;
  for (const auto value : interleaved) sum += static_cast<double>(value) * value;
  return std::sqrt(sum / static_cast<double>(interleaved.size()));
}

int peak(std::span<const std::int16_t> interleaved) {
  int most = 0;
  for (const auto value : interleaved) most = std::max(most, std::abs(static_cast<int>(value)));
  return most;
}

double mean(std::span<const std::int16_t> interleaved) {
  if (interleaved.empty()) return 0.0;
  double sum = 0.0;
  for (const auto value : interleaved) sum += value;
  return sum / static_cast<double>(interleaved.size());
}

int maxStep(std::span<const std::int16_t> interleaved, int channel) {
  int most = 0;
  for (std::size_t i = static_cast<std::size_t>(channel) + 2; i < interleaved.size(); i += 2)
    most = std::max(most, std::abs(interleaved[i] - interleaved[i - 2]));
  return most;
}

}  // namespace corvane::test
