// The calls the intro makes to the player when the music starts and at exit,
// as the fake player records them, and what is left of the payload after.
#include <gtest/gtest.h>

#include "BASSMOD_Dynamic.h"
#include "MusicTestSupport.h"
#include "Tallberg_Functions.h"
#include "platform/Kernel32.h"

namespace corvane::test {
namespace {

using Lines = std::vector<std::string>;

// The calls of a start in which the player plays.
const Lines kPlays = {"load {lib}", "GetVersion", "Init -1 44100 0", "MusicLoad 0 {mod} 0 0 261", "MusicPlay"};
// The calls at exit after it played: music freed while its file is still
// there, the player shut down, the music freed once more by the unload, and
// the library released while its file is still there.
const Lines kStops = {"MusicFree, module present", "Free", "MusicFree", "unload, own file present"};

struct PlaybackCase {
  const char* name;
  const char* lacking = nullptr;  // the entry point the library lacks
  const char* version = nullptr;  // the version the player reports (hex)
  const char* init = nullptr;     // "0": the player cannot open the output
  bool libraryThere = true;
  bool moduleThere = true;
  bool plays = false;
  Lines atStart = {};
  Lines atStop = {};
};
void PrintTo(const PlaybackCase& c, std::ostream* os) { *os << c.name; }

class Playback : public ::testing::Test {
 protected:
  void SetUp() override { ResetMusic(); }
  void TearDown() override { ResetMusic(); }

  void writePayload(const char* lacking, bool libraryThere, bool moduleThere) {
    if (libraryThere) {
      const std::string bytes = FakePlayerBytes(lacking ? lacking : "");
      SaveDataToFile(library, {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
    }
    const std::string module = "not read by the fake player";
    if (moduleThere) SaveDataToFile(module_, {reinterpret_cast<const unsigned char*>(module.data()), module.size()});
  }
  // The expected lines with the paths filled in.
  Lines expand(Lines lines) const {
    for (std::string& line : lines) {
      for (auto [key, value] : {std::pair{"{lib}", library.string()}, std::pair{"{mod}", module_.string()}})
        if (std::size_t at = line.find(key); at != std::string::npos) line.replace(at, 5, value);
    }
    return lines;
  }
  Lines takeLog() {
    Lines lines = log.lines();
    log.clear();
    return lines;
  }

  ScratchTree tree;
  fs::path dir = tree.directory("rt");
  std::string directory = dir.string() + "/";
  fs::path library = dir / PlayerLibraryName;
  fs::path module_ = dir / ModuleFileName;
  FakePlayerLog log{tree.root() / "calls.log"};
};

class CallSequence : public Playback, public ::testing::WithParamInterface<PlaybackCase> {};

TEST_P(CallSequence, MatchesTheTable) {
  const PlaybackCase& c = GetParam();
  ScopedEnvironment version("FAKE_PLAYER_VERSION", c.version);
  ScopedEnvironment init("FAKE_PLAYER_INIT", c.init);
  writePayload(c.lacking, c.libraryThere, c.moduleThere);

  EXPECT_EQ(StartMusic(directory, PlayerLibraryName, module_), c.plays);
  EXPECT_EQ(takeLog(), expand(c.atStart));
  EXPECT_EQ(MusicLoaded, c.plays);
  EXPECT_EQ(MusicFilePath, c.plays ? module_.string() : "");
  EXPECT_EQ(PlayerLibraryPath, c.plays ? library.string() : "");
  // A library that was bound but did not play stays loaded until the end.
  const bool bound = PlayerLibraryHandle != 0;

  StopMusic();
  EXPECT_EQ(takeLog(), expand(c.atStop));
  EXPECT_EQ(PlayerLibraryHandle != 0, bound && !c.plays);
  // The payload goes at exit in every case.
  EXPECT_FALSE(fs::exists(library));
  EXPECT_FALSE(fs::exists(module_));
}

INSTANTIATE_TEST_SUITE_P(
    Playback, CallSequence,
    ::testing::Values(
        PlaybackCase{.name = "plays", .plays = true, .atStart = kPlays, .atStop = kStops},
        // Any other version, even one that differs only in the low 16 bits,
        // is not initialised; the load is still tried and refused.
        PlaybackCase{.name = "other_version_low_bits", .version = "70001",
                     .atStart = {"load {lib}", "GetVersion", "Free", "MusicLoad 0 {mod} 0 0 261"}},
        PlaybackCase{.name = "other_version_high_bits", .version = "80000",
                     .atStart = {"load {lib}", "GetVersion", "Free", "MusicLoad 0 {mod} 0 0 261"}},
        PlaybackCase{.name = "no_output", .init = "0",
                     .atStart = {"load {lib}", "GetVersion", "Init -1 44100 0", "Free", "MusicLoad 0 {mod} 0 0 261"}},
        PlaybackCase{.name = "module_missing", .moduleThere = false,
                     .atStart = {"load {lib}", "GetVersion", "Init -1 44100 0", "MusicLoad 0 {mod} 0 0 261"}},
        PlaybackCase{.name = "library_lacks_remove_sync", .lacking = "BASSMOD_MusicRemoveSync",
                     .atStart = {"load {lib}", "unload, own file present"}},
        PlaybackCase{.name = "library_missing", .libraryThere = false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Playback, AModuleRemovedDuringTheRunIsSkippedAtExit) {
  writePayload(nullptr, true, true);
  ASSERT_TRUE(StartMusic(directory, PlayerLibraryName, module_));
  takeLog();
  fs::remove(module_);
  StopMusic();
  EXPECT_EQ(takeLog(), (Lines{"MusicFree, module absent", "Free", "MusicFree", "unload, own file present"}));
  EXPECT_FALSE(fs::exists(library));
}

// The library file deleted at exit is the one that was loaded, also when
// the directory came without its separator.
TEST_F(Playback, TheLibraryDeletedIsTheOneLoaded) {
  writePayload(nullptr, true, true);
  ASSERT_TRUE(StartMusic(dir.string(), PlayerLibraryName, module_));
  EXPECT_EQ(PlayerLibraryPath, library.string());
  StopMusic();
  EXPECT_FALSE(fs::exists(library));
}

// The payload written under bare names and loaded as "./BassMod.DLL": it is
// one file to the check, so a library another copy of the intro put there
// since is theirs and stays.
TEST_F(Playback, TheCheckAtExitHoldsHoweverThePathIsSpelled) {
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  const std::string bytes = FakePlayerBytes("");
  SaveDataToFile(PlayerLibraryName, {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
  SaveDataToFile(ModuleFileName, {reinterpret_cast<const unsigned char*>(bytes.data()), 1});
  ASSERT_TRUE(StartMusic("./", PlayerLibraryName, ModuleFileName));
  platform::ReplacementFile theirs(PlayerLibraryName);
  theirs.Write("theirs", 6);
  ASSERT_TRUE(theirs.Commit());
  StopMusic();
  EXPECT_TRUE(fs::exists(library)) << "another copy's library was deleted";
  EXPECT_FALSE(fs::exists(module_));
  fs::current_path(before);
}

TEST_F(Playback, ASecondStopCallsNothing) {
  writePayload(nullptr, true, true);
  ASSERT_TRUE(StartMusic(directory, PlayerLibraryName, module_));
  StopMusic();
  takeLog();
  StopMusic();
  EXPECT_TRUE(takeLog().empty());
  EXPECT_TRUE(MusicLoaded) << "nothing clears it";
}

TEST_F(Playback, AStopWithoutAStartOnlyDeletesThePayload) {
  writePayload(nullptr, true, true);
  StopMusic();
  EXPECT_TRUE(takeLog().empty());
  EXPECT_FALSE(fs::exists(library));
  EXPECT_FALSE(fs::exists(module_));
}

}  // namespace
}  // namespace corvane::test
