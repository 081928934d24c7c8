// The score reader and the module writer of the music generator.
#include <gtest/gtest.h>

#include "ModuleFormat.h"
#include "Score.h"

namespace corvane::modgen {
namespace {

struct NoteCase {
  const char* text;
  friend void PrintTo(const NoteCase& c, std::ostream* out) { *out << c.text; }
  int period;  // 0: not a note
};

class NoteNames : public ::testing::TestWithParam<NoteCase> {};

TEST_P(NoteNames, ReadAsAmigaPeriods) {
  const auto period = parseNote(GetParam().text);
  EXPECT_EQ(period.value_or(0), GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(Score, NoteNames,
                         ::testing::Values(NoteCase{"C-1", 856}, NoteCase{"B-3", 113}, NoteCase{"A-2", 254},
                                           NoteCase{"C#2", 404}, NoteCase{"G#1", 538}, NoteCase{"C-4", 0},
                                           NoteCase{"C-0", 0}, NoteCase{"E#2", 0}, NoteCase{"H-2", 0},
                                           NoteCase{"C 2", 0}, NoteCase{"C-", 0}, NoteCase{"---", 0}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

constexpr const char* kHeader =
    "title T\n"
    "sample 1 bass bass volume 40\n"
    "order 0\n"
    "pattern 0\n";

TEST(Score, ReadsCellsIntoTheirRowsAndChannels) {
  const Score score = parseScore(std::string(kHeader) +
                                 "# a comment\n"
                                 " 0 | A-2 bass | ... F06 | --- | C#3 bass C20\n"
                                 "63 |          |         |     | ... B00\n");
  const auto& rows = score.patterns.at(0).rows;
  EXPECT_EQ(rows[0][0].period, 254);
  EXPECT_EQ(rows[0][0].sample, 1);
  EXPECT_EQ(rows[0][1].effect, 0xF);
  EXPECT_EQ(rows[0][1].parameter, 0x06);
  EXPECT_EQ(rows[0][2].period, 0);
  EXPECT_EQ(rows[0][3].period, 202);
  EXPECT_EQ(rows[0][3].effect, 0xC);
  EXPECT_EQ(rows[0][3].parameter, 0x20);
  EXPECT_EQ(rows[63][3].effect, kEffectPositionJump);
  EXPECT_EQ(rows[1][0].period, 0);  // unwritten rows are empty
  EXPECT_EQ(score.title, "T");
}

struct BadScore {
  const char* name;
  friend void PrintTo(const BadScore& c, std::ostream* out) { *out << c.name; }
  const char* text;  // appended to the header
  int line;
};

class ScoreMistakes : public ::testing::TestWithParam<BadScore> {};

TEST_P(ScoreMistakes, NameTheLine) {
  try {
    parseScore(std::string(kHeader) + GetParam().text);
    FAIL() << "accepted";
  } catch (const ScoreError& error) {
    EXPECT_EQ(error.line(), GetParam().line) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Score, ScoreMistakes,
                         ::testing::Values(BadScore{"unknownSample", "0 | A-2 lead | | |\n", 5},
                                           BadScore{"noteWithoutSample", "0 | A-2 | | |\n", 5},
                                           BadScore{"rowTooHigh", "64 | | | |\n", 5},
                                           BadScore{"rowsBackwards", "5 | | | |\n4 | | | |\n", 6},
                                           BadScore{"threeCells", "0 | | |\n", 5},
                                           BadScore{"badEffect", "0 | ... C2 | | |\n", 5},
                                           BadScore{"lowerCaseEffect", "0 | ... c20 | | |\n", 5},
                                           BadScore{"tooMuchInCell", "0 | A-2 bass C20 C10 | | |\n", 5},
                                           BadScore{"unknownKeyword", "tempo 90\n", 5},
                                           BadScore{"patternTwice", "pattern 0\n", 5},
                                           BadScore{"sampleTwice", "sample 1 other kick volume 10\n", 5},
                                           BadScore{"unknownVoice", "sample 2 x flute volume 10\n", 5},
                                           BadScore{"volumeTooHigh", "sample 2 x kick volume 65\n", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Score, BuildingNeedsEveryPatternTheOrderNames) {
  const Score score = parseScore("sample 1 k kick volume 64\norder 0 2\npattern 0\npattern 2\n");
  EXPECT_THROW(buildModule(score), ScoreError);
  EXPECT_THROW(buildModule(parseScore("pattern 0\n")), ScoreError);  // no order
}

TEST(ModuleWriter, RefusesWhatTheLayoutCannotHold) {
  Module good;
  good.orders = {0};
  good.patterns.resize(1);
  EXPECT_NO_THROW(writeModule(good));

  Module oddSample = good;
  oddSample.samples[0].data.resize(3);
  EXPECT_THROW(writeModule(oddSample), std::invalid_argument);

  Module loopOutside = good;
  loopOutside.samples[0].data.resize(8);
  loopOutside.samples[0].loopStart = 4;
  loopOutside.samples[0].loopLength = 6;
  EXPECT_THROW(writeModule(loopOutside), std::invalid_argument);

  Module missingPattern = good;
  missingPattern.orders = {0, 1};
  EXPECT_THROW(writeModule(missingPattern), std::invalid_argument);

  Module longTitle = good;
  longTitle.title = std::string(21, 'x');
  EXPECT_THROW(writeModule(longTitle), std::invalid_argument);
}

TEST(ModuleWriter, PacksCellsAndSampleRecordsBigEndian) {
  Module module;
  module.orders = {0};
  module.patterns.resize(1);
  module.patterns[0].rows[1][2] = {0x1F, 0x358, 0xB, 0x02};
  module.samples[16].data.assign(6, 1);
  module.samples[16].loopStart = 2;
  module.samples[16].loopLength = 4;
  module.samples[16].volume = 33;
  const auto file = writeModule(module);
  const std::size_t cell = kPatternDataOffset + 1 * 16 + 2 * 4;
  EXPECT_EQ(file[cell], 0x13);  // high sample nibble, period bits 8-11
  EXPECT_EQ(file[cell + 1], 0x58);
  EXPECT_EQ(file[cell + 2], 0xFB);  // low sample nibble, effect
  EXPECT_EQ(file[cell + 3], 0x02);
  const std::size_t record = kSampleRecordsOffset + 16 * kSampleRecordSize;
  EXPECT_EQ(file[record + 23], 3);  // length in words
  EXPECT_EQ(file[record + 25], 33);
  EXPECT_EQ(file[record + 27], 1);  // loop start in words
  EXPECT_EQ(file[record + 29], 2);  // loop length in words
  EXPECT_EQ(file[kSampleRecordsOffset + 29], 1);  // an empty sample has the one-word "no loop"
  EXPECT_EQ(file.size(), kPatternDataOffset + kPatternSize + 6);
}

}  // namespace
}  // namespace corvane::modgen
