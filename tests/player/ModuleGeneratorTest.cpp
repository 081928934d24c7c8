// The generated music module: its layout, its samples and the jump that
// makes it repeat its second half without a seam.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numeric>

#include "ModuleFormat.h"
#include "ModuleRenderer.h"
#include "Score.h"
#include "TestModules.h"

namespace corvane::test {
namespace {

using namespace corvane::modgen;

std::vector<std::uint8_t> builtModule() {
  const auto bytes = readFile(CORVANE_MODULE_FILE);
  std::vector<std::uint8_t> out(bytes.size());
  std::transform(bytes.begin(), bytes.end(), out.begin(), [](std::byte b) { return std::to_integer<std::uint8_t>(b); });
  return out;
}

std::size_t word(const std::vector<std::uint8_t>& file, std::size_t at) { return (std::size_t{file[at]} << 8 | file[at + 1]) * 2; }

struct SampleInfo {
  std::size_t length, loopStart, loopLength;
  int volume;
};

SampleInfo sampleInfo(const std::vector<std::uint8_t>& file, int index) {
  const std::size_t at = kSampleRecordsOffset + static_cast<std::size_t>(index) * kSampleRecordSize;
  return {word(file, at + 22), word(file, at + 26), word(file, at + 28), file[at + 25]};
}

class GeneratedModule : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(file.size(), kPatternDataOffset); }
  std::size_t patternCount() const { return *std::max_element(file.begin() + kOrderTableOffset, file.begin() + kOrderTableOffset + 128) + 1u; }
  std::size_t sampleStart(int index) const {
    std::size_t at = kPatternDataOffset + patternCount() * kPatternSize;
    for (int i = 0; i < index; ++i) at += sampleInfo(file, i).length;
    return at;
  }
  std::vector<std::uint8_t> file = builtModule();
};

TEST_F(GeneratedModule, HeaderFollowsTheLayout) {
  const std::string signature(file.begin() + kSignatureOffset, file.begin() + kSignatureOffset + 4);
  EXPECT_EQ(signature, "M.K.");
  EXPECT_EQ(file[kRestartOffset], 127);
  const std::size_t songLength = file[kSongLengthOffset];
  ASSERT_EQ(songLength, 4u);
  for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(file[kOrderTableOffset + i], i < songLength ? i : 0) << i;
  EXPECT_EQ(patternCount(), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data())), "Corvane");
}

TEST_F(GeneratedModule, FileSizeIsHeaderPatternsAndSamples) {
  std::size_t samples = 0;
  for (int i = 0; i < kSampleCount; ++i) samples += sampleInfo(file, i).length;
  EXPECT_EQ(file.size(), kPatternDataOffset + patternCount() * kPatternSize + samples);
  EXPECT_GT(samples, 20000u);
}

TEST_F(GeneratedModule, SamplesAreCleanAndLoopWithoutASeam) {
  int used = 0;
  for (int i = 0; i < kSampleCount; ++i) {
    SCOPED_TRACE("sample " + std::to_string(i + 1));
    const SampleInfo info = sampleInfo(file, i);
    if (info.length == 0) continue;
    ++used;
    EXPECT_LE(info.volume, 64);
    const auto* data = reinterpret_cast<const std::int8_t*>(file.data() + sampleStart(i));
    const std::vector<int> values(data, data + info.length);
    const double average = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
    EXPECT_LT(std::fabs(average), 2.0) << "offset from zero";
    EXPECT_LE(std::abs(values.front()), 2) << "starts with a step";
    int largestStep = 0;
    for (std::size_t n = 1; n < values.size(); ++n) largestStep = std::max(largestStep, std::abs(values[n] - values[n - 1]));
    if (info.loopLength > 2) {
      ASSERT_LE(info.loopStart + info.loopLength, info.length);
      const int seam = std::abs(values[info.loopStart] - values[info.loopStart + info.loopLength - 1]);
      EXPECT_LE(seam, largestStep) << "the loop's wrap is a step larger than any inside";
    } else {
      EXPECT_EQ(info.loopLength, 2u) << "one word: no loop";
      EXPECT_LE(std::abs(values.back()), 1) << "a one-shot that does not end in silence";
    }
  }
  EXPECT_GE(used, 5);
}

TEST_F(GeneratedModule, LastRowJumpsBackToTheSecondHalf) {
  const std::size_t songLength = file[kSongLengthOffset];
  const std::size_t lastPattern = file[kOrderTableOffset + songLength - 1];
  const std::size_t lastRow = kPatternDataOffset + lastPattern * kPatternSize + 63 * 16;
  int jumps = 0;
  for (std::size_t channel = 0; channel < 4; ++channel) {
    const std::uint8_t* cell = &file[lastRow + channel * 4];
    if ((cell[2] & 0x0F) != kEffectPositionJump) continue;
    ++jumps;
    EXPECT_EQ(cell[3], songLength / 2);
  }
  EXPECT_EQ(jumps, 1);
}

TEST_F(GeneratedModule, GeneratorGivesTheSameBytesEveryRun) {
  std::ifstream in(CORVANE_MUSIC_SCORE);
  const std::string score{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto first = writeModule(buildModule(parseScore(score)));
  const auto second = writeModule(buildModule(parseScore(score)));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, file);
}

// Rendered as the intro plays it, the jump back must sound like any other
// bar line: no gap, and no step larger than those of the music elsewhere.
TEST_F(GeneratedModule, LoopsAcrossTheJumpWithoutAClickOrGap) {
  const auto bytes = readFile(CORVANE_MODULE_FILE);
  auto renderer = player::ModuleRenderer::load(bytes, player::kMusicRamp | player::kMusicLoop | player::kMusicStopOnMove, kRate);
  ASSERT_NE(renderer, nullptr);
  const double length = renderer->lengthSeconds();
  EXPECT_GE(length, 30.0);
  EXPECT_LE(length, 60.0);
  std::vector<std::int16_t> sound;
  std::vector<std::int16_t> buffer(2 * 1024);
  std::size_t jumpFrame = 0;
  while (sound.size() < 2 * static_cast<std::size_t>((length + 5.0) * kRate)) {
    ASSERT_EQ(renderer->render(buffer), 1024u);
    for (const auto& event : renderer->events())
      if (event.kind == player::PlaybackEvent::Kind::LoopBack && jumpFrame == 0) jumpFrame = sound.size() / 2 + event.frame;
    sound.insert(sound.end(), buffer.begin(), buffer.end());
  }
  ASSERT_NEAR(static_cast<double>(jumpFrame) / kRate, length, 0.01);
  const std::size_t window = kRate / 20;  // 50 ms either side
  const std::span<const std::int16_t> all(sound);
  const auto nearJump = all.subspan(2 * (jumpFrame - window), 4 * window);
  const auto before = all.subspan(0, 2 * (jumpFrame - window));
  for (int channel = 0; channel < 2; ++channel)
    EXPECT_LE(maxStep(nearJump, channel), maxStep(before, channel)) << "channel " << channel;
  for (std::size_t at = jumpFrame - 4 * window; at < jumpFrame + 4 * window; at += window / 5)
    EXPECT_GT(rms(all.subspan(2 * at, 2 * window / 5)), 100.0) << "quiet 10 ms at frame " << at;
  EXPECT_LT(peak(all), 32000);
  EXPECT_LT(std::fabs(mean(all)), 30.0);
}

}  // namespace
}  // namespace corvane::test
