// The renderer on modules built in memory: flags, moves, position, levels.
#include <gtest/gtest.h>

#include "ModuleRenderer.h"
#include "TestModules.h"

namespace corvane::test {
namespace {

using player::kMusicLoop;
using player::kMusicRamp;
using player::kMusicRampSoft;
using player::kMusicStopOnMove;
using player::ModuleRenderer;
using player::PlaybackEvent;
using player::SongPosition;

std::unique_ptr<ModuleRenderer> load(const modgen::Module& module, std::uint32_t flags) {
  const auto bytes = bytesOf(module);
  auto renderer = ModuleRenderer::load(bytes, flags, kRate);
  EXPECT_NE(renderer, nullptr);
  return renderer;
}

TEST(ModuleRenderer, RefusesDataThatIsNotAModule) {
  const std::vector<std::byte> empty;
  const std::vector<std::byte> noise(3000, std::byte{0x5A});
  EXPECT_EQ(ModuleRenderer::load(empty, 0, kRate), nullptr);
  EXPECT_EQ(ModuleRenderer::load(noise, 0, kRate), nullptr);
  EXPECT_EQ(ModuleRenderer::load(bytesOf(toneModule(1)), 0, 0), nullptr);
}

// A tone that is cut to volume 0 on row 4 steps straight to silence unless
// the mixer ramps the volume.
struct RampCase {
  const char* name;
  friend void PrintTo(const RampCase& c, std::ostream* out) { *out << c.name; }
  std::uint32_t flags;
  int lowestStep;   // the largest sample step is at least this
  int highestStep;  // and at most this
};

class RampFlags : public ::testing::TestWithParam<RampCase> {};

TEST_P(RampFlags, VolumeCutIsSmoothedOnlyWithRamping) {
  auto module = toneModule(1);
  setCell(module, 0, 0, 0, toneNote());
  setCell(module, 0, 4, 0, effect(modgen::kEffectSetVolume, 0));
  auto renderer = load(module, GetParam().flags);
  renderer->setPanSeparation(100);
  const auto sound = render(*renderer, 6 * kFramesPerRow);
  // The sine itself moves less than 200 between two frames; the cut without
  // ramps is a step of several thousand.
  EXPECT_GE(maxStep(sound, 0), GetParam().lowestStep);
  EXPECT_LE(maxStep(sound, 0), GetParam().highestStep);
}

INSTANTIATE_TEST_SUITE_P(Flags, RampFlags,
                         ::testing::Values(RampCase{"none", 0, 2000, 32767}, RampCase{"ramp", kMusicRamp, 0, 600},
                                           RampCase{"soft", kMusicRampSoft, 0, 250}),
                         [](const auto& info) { return std::string(info.param.name); });

// Three patterns; the last jumps back to position 1. A tone started at
// position 0 rings on into the loop unless notes stop when the song jumps.
struct JumpCase {
  const char* name;
  friend void PrintTo(const JumpCase& c, std::ostream* out) { *out << c.name; }
  std::uint32_t flags;
  bool noteOnLandingRow;
  bool soundAfterJump;
};

class LoopJump : public ::testing::TestWithParam<JumpCase> {};

TEST_P(LoopJump, NotesFromBeforeTheJumpStopOnlyWhenAsked) {
  auto module = toneModule(3);
  setCell(module, 0, 0, 0, toneNote());
  setCell(module, 0, 0, 1, effect(modgen::kEffectSetSpeed, 1));  // 0.02 s a row
  if (GetParam().noteOnLandingRow) setCell(module, 1, 0, 0, toneNote());
  setCell(module, 2, 63, 3, effect(modgen::kEffectPositionJump, 1));
  auto renderer = load(module, GetParam().flags);
  const std::size_t rowFrames = kFramesPerRow / 6;
  const auto firstPass = render(*renderer, 3 * 64 * rowFrames + rowFrames / 2);
  const auto afterJump = render(*renderer, 20 * rowFrames);
  const double before = rms(firstPass);
  EXPECT_GT(before, 1000.0);
  EXPECT_EQ(renderer->position().order, 1);
  // A stopped note leaves only the mixer's short de-click decay behind.
  const double after = rms(std::span(afterJump).subspan(2 * rowFrames));
  if (GetParam().soundAfterJump)
    EXPECT_GT(after, 0.5 * before);
  else
    EXPECT_LT(after, 0.01 * before);
}

INSTANTIATE_TEST_SUITE_P(Flags, LoopJump,
                         ::testing::Values(JumpCase{"loopRingsOn", kMusicLoop, false, true},
                                           JumpCase{"loopStopsNotes", kMusicLoop | kMusicStopOnMove, false, false},
                                           JumpCase{"landingNotePlays", kMusicLoop | kMusicStopOnMove, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModuleRenderer, WithoutLoopTheSongEndsAtItsJumpBack) {
  auto module = toneModule(2);
  setCell(module, 0, 0, 1, effect(modgen::kEffectSetSpeed, 1));
  setCell(module, 1, 63, 3, effect(modgen::kEffectPositionJump, 0));
  auto renderer = load(module, 0);
  const std::size_t songFrames = 2 * 64 * (kFramesPerRow / 6);
  std::vector<std::int16_t> buffer(2 * (songFrames + kRate));
  const std::size_t rendered = renderer->render(buffer);
  EXPECT_TRUE(renderer->ended());
  EXPECT_NEAR(static_cast<double>(rendered), static_cast<double>(songFrames), 0.2 * kRate);
  ASSERT_FALSE(renderer->events().empty());
  EXPECT_EQ(renderer->events().back().kind, PlaybackEvent::Kind::End);
  EXPECT_EQ(renderer->render(buffer), 0u);
}

TEST(ModuleRenderer, LoopingReportsEachJumpBack) {
  auto module = toneModule(2);
  setCell(module, 0, 0, 1, effect(modgen::kEffectSetSpeed, 1));
  setCell(module, 1, 63, 3, effect(modgen::kEffectPositionJump, 0));
  auto renderer = load(module, kMusicLoop);
  int loops = 0;
  std::vector<std::int16_t> buffer(2 * 1024);
  for (int i = 0; i < 400; ++i) {  // about 9 s; one pass is 2.56 s
    ASSERT_EQ(renderer->render(buffer), 1024u);
    for (const auto& event : renderer->events()) loops += event.kind == PlaybackEvent::Kind::LoopBack;
  }
  EXPECT_EQ(loops, 3);
  EXPECT_FALSE(renderer->ended());
}

struct SeekCase {
  const char* name;
  friend void PrintTo(const SeekCase& c, std::ostream* out) { *out << c.name; }
  bool stopNotes;
  bool soundAfter;
};

class Seek : public ::testing::TestWithParam<SeekCase> {};

TEST_P(Seek, MovingKeepsOrStopsTheNotesThatWereSounding) {
  auto module = toneModule(1);
  setCell(module, 0, 0, 0, toneNote());
  auto renderer = load(module, 0);
  render(*renderer, kFramesPerRow);
  ASSERT_TRUE(renderer->setPosition({0, 8}, GetParam().stopNotes));
  const auto after = render(*renderer, kFramesPerRow);
  EXPECT_EQ(renderer->position(), (SongPosition{0, 8}));
  EXPECT_EQ(rms(std::span(after).subspan(1000)) > 1000.0, GetParam().soundAfter);
}

INSTANTIATE_TEST_SUITE_P(Moves, Seek, ::testing::Values(SeekCase{"stop", true, false}, SeekCase{"keep", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModuleRenderer, RefusesPositionsOutsideTheSong) {
  auto renderer = load(toneModule(2), 0);
  for (const SongPosition bad : {SongPosition{2, 0}, SongPosition{-1, 0}, SongPosition{0, 64}, SongPosition{1, -1}})
    EXPECT_FALSE(renderer->setPosition(bad, true)) << bad.order << "/" << bad.row;
  EXPECT_TRUE(renderer->setPosition({1, 63}, true));
}

TEST(ModuleRenderer, PositionFollowsTheRowsPlayed) {
  auto renderer = load(toneModule(2), 0);
  std::vector<std::int16_t> buffer;
  for (const int row : {0, 1, 5, 63, 64 + 10}) {
    ASSERT_TRUE(renderer->setPosition({0, 0}, true));
    buffer.assign(2 * (static_cast<std::size_t>(row) * kFramesPerRow + kFramesPerRow / 2), 0);
    renderer->render(buffer);
    EXPECT_EQ(renderer->position(), (SongPosition{row / 64, row % 64})) << row;
    EXPECT_NEAR(renderer->rowProgress(), 0.5, 0.05) << row;
  }
  EXPECT_EQ(renderer->orderCount(), 2);
  EXPECT_NEAR(renderer->lengthSeconds(), 2 * 64 * 0.12, 0.01);
}

TEST(ModuleRenderer, PanSeparationAndAmplifyShapeTheLevel) {
  auto module = toneModule(1);
  setCell(module, 0, 0, 0, toneNote());
  auto renderer = load(module, kMusicRamp);
  renderer->setPanSeparation(0);
  const auto mono = render(*renderer, kFramesPerRow);
  for (std::size_t i = 0; i < mono.size(); i += 2) ASSERT_EQ(mono[i], mono[i + 1]) << i;

  renderer->setPanSeparation(50);
  const double unity = rms(render(*renderer, kFramesPerRow));
  renderer->setAmplify(100);
  render(*renderer, 1024);  // let the gain change settle
  EXPECT_NEAR(rms(render(*renderer, kFramesPerRow)) / unity, 2.0, 0.1);
  renderer->setAmplify(0);
  render(*renderer, 1024);
  EXPECT_EQ(peak(render(*renderer, kFramesPerRow)), 0);
}

}  // namespace
}  // namespace corvane::test
