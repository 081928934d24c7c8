#include "Synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace corvane::modgen {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Deterministic noise: the generator must give the same bytes on every run.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state(seed) {}
  double next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483648.0 - 1.0;
  }

 private:
  std::uint32_t state;
};

std::size_t evenLength(double seconds, double rate) {
  const auto frames = static_cast<std::size_t>(std::lround(seconds * rate));
  return frames + (frames % 2);
}

// Raised-cosine fade of the last part so that a one-shot sample ends in
// silence instead of a step.
void fadeTail(std::vector<double>& wave, std::size_t length) {
  length = std::min(length, wave.size());
  const std::size_t start = wave.size() - length;
  for (std::size_t i = 0; i < length; ++i)
    wave[start + i] *= 0.5 + 0.5 * std::cos(std::numbers::pi * static_cast<double>(i + 1) / static_cast<double>(length));
}

// Removes the slow drift that decaying noise and sweeps leave behind; a
// one-shot with an offset would thump when it starts and stops.
void removeDrift(std::vector<double>& wave) {
  double previousIn = 0.0;
  double previousOut = 0.0;
  for (double& value : wave) {
    const double out = value - previousIn + 0.995 * previousOut;
    previousIn = value;
    previousOut = out;
    value = out;
  }
}

std::vector<std::int8_t> toPcm(const std::vector<double>& wave) {
  double peak = 0.0;
  for (const double value : wave) peak = std::max(peak, std::fabs(value));
  const double scale = peak > 0.0 ? 124.0 / peak : 0.0;
  std::vector<std::int8_t> pcm(wave.size());
  std::transform(wave.begin(), wave.end(), pcm.begin(), [scale](double value) {
    return static_cast<std::int8_t>(std::clamp<long>(std::lround(value * scale), -127, 127));
  });
  return pcm;
}

SynthSample oneShot(std::vector<double> wave) {
  removeDrift(wave);
  fadeTail(wave, wave.size() / 5);
  return {toPcm(wave), 0, 0};
}

SynthSample kick() {
  // A soft sine thump falling from about 150 Hz to 48 Hz.
  const double rate = kBaseRate;
  std::vector<double> wave(evenLength(0.36, rate));
  double phase = 0.0;
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    wave[i] = std::sin(phase) * std::exp(-t / 0.16);
    phase += kTwoPi * (48.0 + 100.0 * std::exp(-t / 0.035)) / rate;
  }
  return oneShot(std::move(wave));
}

SynthSample snare() {
  // Band-limited noise over a short 185 Hz body; kept soft for a calm beat.
  const double rate = 2.0 * kBaseRate;
  std::vector<double> wave(evenLength(0.22, rate));
  Noise noise(0x5EED1234u);
  double low = 0.0;
  double previous = 0.0;
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double raw = noise.next();
    const double band = raw - previous;  // takes the rumble out
    previous = raw;
    low += 0.45 * (band - low);          // and the harshest highs
    const double attack = std::min(1.0, t / 0.001);
    wave[i] = attack * (0.8 * low * std::exp(-t / 0.055) + 0.6 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.04));
  }
  return oneShot(std::move(wave));
}

SynthSample hat() {
  const double rate = 2.0 * kBaseRate;
  std::vector<double> wave(evenLength(0.07, rate));
  Noise noise(0xC0FFEE11u);
  double previous = 0.0;
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double raw = noise.next();
    const double attack = std::min(1.0, t / 0.0005);
    wave[i] = attack * (raw - previous) * std::exp(-t / 0.015);
    previous = raw;
  }
  return oneShot(std::move(wave));
}

SynthSample lead() {
  // A soft bell: harmonic partials, the higher ones dying first.
  constexpr std::array<std::pair<double, double>, 4> kPartials = {{{1.0, 0.9}, {0.35, 0.4}, {0.18, 0.2}, {0.1, 0.12}}};
  const double rate = kBaseRate;
  const double cycle = 32.0;  // samples per cycle: C an octave above the bass
  std::vector<double> wave(evenLength(1.6, rate));
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    double value = 0.0;
    for (std::size_t p = 0; p < kPartials.size(); ++p)
      value += kPartials[p].first * std::exp(-t / kPartials[p].second) *
               std::sin(kTwoPi * static_cast<double>(p + 1) * static_cast<double>(i) / cycle);
    wave[i] = std::min(1.0, t / 0.003) * value;
  }
  fadeTail(wave, wave.size() / 4);
  return {toPcm(wave), 0, 0};
}

// A looped voice: a shaped start that ends exactly on the periodic wave the
// loop repeats, so the step from the loop's end back to its start is no step.
SynthSample looped(std::vector<double> wave, std::size_t loopStart, std::size_t loopLength) {
  wave.resize(loopStart + loopLength);
  return {toPcm(wave), loopStart, loopLength};
}

SynthSample bass() {
  // Round plucked bass: bright at the attack, settling on a soft held tone.
  constexpr std::array<double, 4> kStart = {1.0, 0.5, 0.25, 0.12};
  constexpr std::array<double, 4> kHeld = {1.0, 0.22, 0.06, 0.0};
  const double cycle = 128.0;
  const std::size_t loopStart = 128 * 24;
  std::vector<double> wave(loopStart + 128);
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double t = static_cast<double>(i) / kBaseRate;
    const double x = std::min(1.0, static_cast<double>(i) / static_cast<double>(loopStart));
    const double settle = (1.0 - x) * (1.0 - x);  // reaches 0 with zero slope
    double value = 0.0;
    for (std::size_t h = 0; h < kStart.size(); ++h)
      value += (kHeld[h] + (kStart[h] - kHeld[h]) * settle) *
               std::sin(kTwoPi * static_cast<double>(h + 1) * static_cast<double>(i) / cycle);
    wave[i] = std::min(1.0, t / 0.004) * (0.55 + 0.45 * settle) * value;
  }
  return looped(std::move(wave), loopStart, 128);
}

SynthSample pad(bool major) {
  // A just-intoned triad with slowly beating neighbours; every partial makes a
  // whole number of cycles in the loop (major 4:5:6, minor 10:12:15).
  const std::size_t loopLength = major ? 8192 : 10240;
  const std::array<double, 3> tones = major ? std::array<double, 3>{128, 160, 192} : std::array<double, 3>{160, 192, 240};
  constexpr std::array<double, 3> kWeights = {1.0, 0.75, 0.7};
  constexpr std::array<double, 3> kPhases = {0.0, 1.9, 4.1};
  const std::size_t attack = 4144;  // half a second of swell
  std::vector<double> wave(attack + loopLength);
  const double length = static_cast<double>(loopLength);
  for (std::size_t i = 0; i < wave.size(); ++i) {
    const double n = static_cast<double>(i);
    double value = 0.0;
    for (std::size_t k = 0; k < tones.size(); ++k) {
      const double w = kTwoPi * tones[k] * n / length;
      const double beat = kTwoPi * n / length;
      value += kWeights[k] * (std::sin(w) + 0.2 * std::sin(w + beat + kPhases[k]) +
                              0.2 * std::sin(w - beat + 2.0 * kPhases[k]) + 0.12 * std::sin(2.0 * w));
    }
    const double swell = std::sin(0.5 * std::numbers::pi * std::min(1.0, n / static_cast<double>(attack)));
    wave[i] = swell * swell * value;
  }
  return looped(std::move(wave), attack, loopLength);
}

}  // namespace

std::optional<Voice> voiceNamed(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, Voice>, 7> kNames = {{{"kick", Voice::Kick},
                                                                                 {"snare", Voice::Snare},
                                                                                 {"hat", Voice::Hat},
                                                                                 {"bass", Voice::Bass},
                                                                                 {"lead", Voice::Lead},
                                                                                 {"padmajor", Voice::PadMajor},
                                                                                 {"padminor", Voice::PadMinor}}};
  for (const auto& [text, voice] : kNames)
    if (text == name) return voice;
  return std::nullopt;
}

SynthSample synthesise(Voice voice) {
  switch (voice) {
    case Voice::Kick: return kick();
    case Voice::Snare: return snare();
    case Voice::Hat: return hat();
    case Voice::Bass: return bass();
    case Voice::Lead: return lead();
    case Voice::PadMajor: return pad(true);
    case Voice::PadMinor: return pad(false);
  }
  return {};
}

}  // namespace corvane::modgen
