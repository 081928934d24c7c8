// The music rendered partly ahead, on its own thread, and the rest after:
// wherever the split falls, the file holds the same sound as when all of it
// is rendered in one go.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "MusicTrack.h"

namespace corvane::capture {
namespace {

namespace fs = std::filesystem;

std::string Written(const fs::path& path, std::size_t frames, std::optional<std::size_t> ahead) {
  {
    std::optional<MusicAhead> early;
    if (ahead) early.emplace(*ahead);
    OutputFile file(path.string());
    EXPECT_TRUE(WriteIntroMusic(file, frames, {}, early ? &*early : nullptr));
    file.commit();
  }
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct SplitCase {
  const char* name;
  std::size_t ahead, frames;
};
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class MusicSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(MusicSplit, GivesTheSameFileAsOneGo) {
  const SplitCase& c = GetParam();
  const fs::path dir = fs::temp_directory_path() / ("corvane-music-" + std::to_string(::getpid()) + "-" + c.name);
  fs::create_directories(dir);
  const std::string whole = Written(dir / "whole.wav", c.frames, std::nullopt);
  const std::string split = Written(dir / "split.wav", c.frames, c.ahead);
  fs::remove_all(dir);
  ASSERT_EQ(whole.size(), 44 + c.frames * 4);
  EXPECT_NE(whole.find_first_not_of('\0', 44), std::string::npos) << "the music is heard";
  EXPECT_TRUE(whole == split);
}

INSTANTIATE_TEST_SUITE_P(
    MusicTrack, MusicSplit,
    ::testing::Values(SplitCase{"nothing_ahead", 0, 5000},
                      // Ahead rounds up to whole buffers of 1024 frames.
                      SplitCase{"part_ahead", 2500, 5000}, SplitCase{"all_ahead_to_the_buffer", 5000, 5000},
                      SplitCase{"more_ahead_than_needed", 9000, 3000}, SplitCase{"less_than_a_buffer", 700, 300}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::capture
