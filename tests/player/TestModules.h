// Small modules built in memory for the renderer tests, and measurements of
// rendered sound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ModuleFormat.h"
#include "ModuleRenderer.h"

namespace corvane::test {

inline constexpr int kRate = 44100;
// Speed 6 at tempo 125, the format's defaults: 0.12 s a row.
inline constexpr std::size_t kFramesPerRow = 5292;

// Patterns 0..count-1 played in order, all rows empty; sample 1 is a looped
// sine (one cycle, amplitude 100) at volume 64, so a note on it rings forever.
modgen::Module toneModule(int patternCount);
void setCell(modgen::Module& module, int pattern, int row, int channel, modgen::Cell cell);
modgen::Cell toneNote();  // C-2 on sample 1
modgen::Cell effect(std::uint8_t effect, std::uint8_t parameter);

std::vector<std::byte> bytesOf(const modgen::Module& module);
std::vector<std::byte> readFile(const std::string& path);

std::vector<std::int16_t> render(player::ModuleRenderer& renderer, std::size_t frames);

// Measurements over interleaved stereo; channel 0 is left, 1 right.
double rms(std::span<const std::int16_t> interleaved);
int peak(std::span<const std::int16_t> interleaved);
double mean(std::span<const std::int16_t> interleaved);
int maxStep(std::span<const std::int16_t> interleaved, int channel);

}  // namespace corvane::test
