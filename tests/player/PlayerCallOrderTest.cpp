// Calls in the orders the intro (and any other user) may make them: each
// sequence lists the calls with the result and error code each must give.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "PlayerLibrary.h"
#include "TestModules.h"

namespace corvane::test {
namespace {

// Tests never need a sound card; the test runner sets this too.
class DummyAudio : public ::testing::Environment {
 public:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 0); }
};
const auto* const dummyAudio = ::testing::AddGlobalTestEnvironment(new DummyAudio);

constexpr std::uint32_t kIntroFlags = 0x105;
constexpr std::int64_t kAny = -2;      // the result is not checked, only the error code
constexpr std::int64_t kNonZero = -3;  // any handle but 0

enum class Call {
  Version, Init, InitNoDriver, InitBadRate, InitBadDevice, Free, Load, LoadFromMemory, LoadMissingFile,
  LoadNotAModule, LoadLargestModuleFile, LoadTooLargeFile, LoadStartOfTooLargeFile, MusicFree, Play, PlayExAt3_16, Stop, Pause, IsActive, GetVolume, SetVolume40, SetVolume101,
  Amplify80, Amplify101, PanSep0, PanSep101, Scaler4, Scaler0, Scaler257, Length, SetPosition2_0, SetPosition4_0,
  SetPosition0_64, Position, SetSyncBadType, SetSyncPos, RemoveLastSync,
};

struct Step {
  Call call;
  std::int64_t result;
  int error;
};

struct Sequence {
  const char* name;
  friend void PrintTo(const Sequence& c, std::ostream* out) { *out << c.name; }
  std::vector<Step> steps;
};

void ignoreSync(PlayerSync, std::uint32_t, std::uint32_t) {}

class CallOrder : public ::testing::TestWithParam<Sequence> {
 protected:
  void TearDown() override {
    api.musicFree();
    api.free();
    for (const std::string& path : madeFiles) std::filesystem::remove(path);
  }

  // A file of `size` zero bytes that takes no room on the disk.
  const char* sparseFile(off_t size) {
    std::string path = (std::filesystem::temp_directory_path() / "corvane-player-test-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    madeFiles.push_back(path);
    return madeFiles.back().c_str();
  }

  std::int64_t initWithoutDriver() {
    const std::string saved = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const std::int64_t result = api.init(-1, 44100, 0);
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    return result;
  }

  std::int64_t loadFromMemory() {
    const auto bytes = readFile(CORVANE_MODULE_FILE);
    return api.musicLoad(1, bytes.data(), 0, static_cast<std::uint32_t>(bytes.size()), kIntroFlags);
  }

  std::int64_t run(Call call) {
    switch (call) {
      case Call::Version: return api.getVersion();
      case Call::Init: return api.init(-1, 44100, 0);
      case Call::InitNoDriver: return initWithoutDriver();
      case Call::InitBadRate: return api.init(-1, 100, 0);
      case Call::InitBadDevice: return api.init(1000, 44100, 0);
      case Call::Free: return api.free(), kAny;
      case Call::Load: return api.musicLoad(0, CORVANE_MODULE_FILE, 0, 0, kIntroFlags);
      case Call::LoadFromMemory: return loadFromMemory();
      case Call::LoadMissingFile: return api.musicLoad(0, "/nonexistent/Module.MOD", 0, 0, kIntroFlags);
      case Call::LoadNotAModule: return api.musicLoad(0, CORVANE_MUSIC_SCORE, 0, 0, kIntroFlags);
      // 64 MiB is read (and is no module); a byte more is refused before
      // it is read, unless only a part of the file is asked for.
      case Call::LoadLargestModuleFile: return api.musicLoad(0, sparseFile(kLargestModule), 0, 0, kIntroFlags);
      case Call::LoadTooLargeFile: return api.musicLoad(0, sparseFile(kLargestModule + 1), 0, 0, kIntroFlags);
      case Call::LoadStartOfTooLargeFile:
        return api.musicLoad(0, sparseFile(kLargestModule + 1), 0, 4096, kIntroFlags);
      case Call::MusicFree: return api.musicFree(), kAny;
      case Call::Play: return api.musicPlay();
      case Call::PlayExAt3_16: return api.musicPlayEx(PLAYER_POSITION(3, 16), -1, 1);
      case Call::Stop: return api.musicStop();
      case Call::Pause: return api.musicPause();
      case Call::IsActive: return api.musicIsActive();
      case Call::GetVolume: return api.getVolume();
      case Call::SetVolume40: return api.setVolume(40);
      case Call::SetVolume101: return api.setVolume(101);
      case Call::Amplify80: return api.musicSetAmplify(80);
      case Call::Amplify101: return api.musicSetAmplify(101);
      case Call::PanSep0: return api.musicSetPanSep(0);
      case Call::PanSep101: return api.musicSetPanSep(101);
      case Call::Scaler4: return api.musicSetPositionScaler(4);
      case Call::Scaler0: return api.musicSetPositionScaler(0);
      case Call::Scaler257: return api.musicSetPositionScaler(257);
      case Call::Length: return api.musicGetLength(0);
      case Call::SetPosition2_0: return api.musicSetPosition(PLAYER_POSITION(2, 0));
      case Call::SetPosition4_0: return api.musicSetPosition(PLAYER_POSITION(4, 0));
      case Call::SetPosition0_64: return api.musicSetPosition(PLAYER_POSITION(0, 64));
      case Call::Position: return api.musicGetPosition();
      case Call::SetSyncBadType: return api.musicSetSync(7, 0, ignoreSync, 0);
      case Call::SetSyncPos: return lastSync = api.musicSetSync(PLAYER_SYNC_POS, PLAYER_POSITION(1, 0), ignoreSync, 0);
      case Call::RemoveLastSync: return api.musicRemoveSync(lastSync);
    }
    return kAny;
  }

  static constexpr off_t kLargestModule = off_t{64} << 20;
  PlayerLibrary& api = PlayerLibrary::get();
  PlayerSync lastSync = 0;
  std::deque<std::string> madeFiles;
};

TEST_P(CallOrder, EachCallGivesItsResultAndErrorCode) {
  int index = 0;
  for (const Step& step : GetParam().steps) {
    const std::int64_t result = run(step.call);
    SCOPED_TRACE("step " + std::to_string(index++));
    if (step.result == kNonZero) {
      EXPECT_NE(result, 0);
    } else if (step.result != kAny) {
      EXPECT_EQ(result, step.result);
    }
    EXPECT_EQ(api.errorGetCode(), step.error);
  }
}

constexpr std::int64_t kNoPosition = 0xFFFFFFFF;

INSTANTIATE_TEST_SUITE_P(Player, CallOrder, ::testing::Values(
    // The intro's own run: start at frame 100, stop at exit.
    Sequence{"introStartAndStop", {{Call::Version, 0x00070000, PLAYER_OK}, {Call::Init, 1, PLAYER_OK},
             {Call::Load, 1, PLAYER_OK}, {Call::Play, 1, PLAYER_OK}, {Call::IsActive, PLAYER_ACTIVE_PLAYING, PLAYER_OK},
             {Call::MusicFree, kAny, PLAYER_OK}, {Call::Free, kAny, PLAYER_OK}, {Call::MusicFree, kAny, PLAYER_OK},
             {Call::IsActive, PLAYER_ACTIVE_STOPPED, PLAYER_ERROR_INIT}}},
    // Init failed, so the intro frees and still tries the load.
    Sequence{"loadAfterFailedInit", {{Call::InitNoDriver, 0, PLAYER_ERROR_DRIVER}, {Call::Free, kAny, PLAYER_OK},
             {Call::Load, 0, PLAYER_ERROR_INIT}, {Call::Play, 0, PLAYER_ERROR_INIT}}},
    Sequence{"freeWithoutInit", {{Call::Free, kAny, PLAYER_OK}, {Call::MusicFree, kAny, PLAYER_OK},
             {Call::Free, kAny, PLAYER_OK}, {Call::Init, 1, PLAYER_OK}}},
    Sequence{"initTwice", {{Call::Init, 1, PLAYER_OK}, {Call::Init, 0, PLAYER_ERROR_ALREADY},
             {Call::Free, kAny, PLAYER_OK}, {Call::Init, 1, PLAYER_OK}}},
    Sequence{"badInitArguments", {{Call::InitBadRate, 0, PLAYER_ERROR_FORMAT},
             {Call::InitBadDevice, 0, PLAYER_ERROR_ILLEGAL_DEVICE}, {Call::Init, 1, PLAYER_OK}}},
    Sequence{"playWithoutLoad", {{Call::Init, 1, PLAYER_OK}, {Call::Play, 0, PLAYER_ERROR_NO_MUSIC},
             {Call::Stop, 0, PLAYER_ERROR_NO_MUSIC}, {Call::Position, kNoPosition, PLAYER_ERROR_NO_MUSIC},
             {Call::IsActive, PLAYER_ACTIVE_STOPPED, PLAYER_ERROR_NO_MUSIC}}},
    Sequence{"freeWhilePlaying", {{Call::Init, 1, PLAYER_OK}, {Call::Load, 1, PLAYER_OK}, {Call::Play, 1, PLAYER_OK},
             {Call::Free, kAny, PLAYER_OK}, {Call::Load, 0, PLAYER_ERROR_INIT}, {Call::MusicFree, kAny, PLAYER_OK}}},
    Sequence{"musicFreeWhilePlaying", {{Call::Init, 1, PLAYER_OK}, {Call::Load, 1, PLAYER_OK},
             {Call::Play, 1, PLAYER_OK}, {Call::MusicFree, kAny, PLAYER_OK}, {Call::Play, 0, PLAYER_ERROR_NO_MUSIC},
             {Call::MusicFree, kAny, PLAYER_OK}, {Call::Load, 1, PLAYER_OK}, {Call::Play, 1, PLAYER_OK}}},
    Sequence{"loadReplacesLoadedMusic", {{Call::Init, 1, PLAYER_OK}, {Call::Load, 1, PLAYER_OK},
             {Call::Play, 1, PLAYER_OK}, {Call::LoadFromMemory, 1, PLAYER_OK},
             {Call::IsActive, PLAYER_ACTIVE_STOPPED, PLAYER_OK}}},
    Sequence{"badFiles", {{Call::Init, 1, PLAYER_OK}, {Call::LoadMissingFile, 0, PLAYER_ERROR_FILEOPEN},
             {Call::LoadNotAModule, 0, PLAYER_ERROR_FILEFORMAT}, {Call::Play, 0, PLAYER_ERROR_NO_MUSIC}}},
    Sequence{"largeFiles", {{Call::Init, 1, PLAYER_OK}, {Call::LoadLargestModuleFile, 0, PLAYER_ERROR_FILEFORMAT},
             {Call::LoadTooLargeFile, 0, PLAYER_ERROR_MEMORY}, {Call::LoadStartOfTooLargeFile, 0, PLAYER_ERROR_FILEFORMAT},
             {Call::Load, 1, PLAYER_OK}, {Call::LoadTooLargeFile, 0, PLAYER_ERROR_MEMORY},
             {Call::IsActive, PLAYER_ACTIVE_STOPPED, PLAYER_OK}}},
    Sequence{"pauseStopPlay", {{Call::Init, 1, PLAYER_OK}, {Call::Load, 1, PLAYER_OK},
             {Call::Pause, 0, PLAYER_ERROR_NOT_PLAYING}, {Call::Play, 1, PLAYER_OK}, {Call::Pause, 1, PLAYER_OK},
             {Call::IsActive, PLAYER_ACTIVE_PAUSED, PLAYER_OK}, {Call::Pause, 0, PLAYER_ERROR_NOT_PLAYING},
             {Call::Play, 1, PLAYER_OK}, {Call::IsActive, PLAYER_ACTIVE_PLAYING, PLAYER_OK}, {Call::Stop, 1, PLAYER_OK},
             {Call::IsActive, PLAYER_ACTIVE_STOPPED, PLAYER_OK}}},
    Sequence{"volume", {{Call::GetVolume, -1, PLAYER_ERROR_INIT}, {Call::SetVolume40, 0, PLAYER_ERROR_INIT},
             {Call::Init, 1, PLAYER_OK}, {Call::GetVolume, 100, PLAYER_OK}, {Call::SetVolume40, 1, PLAYER_OK},
             {Call::GetVolume, 40, PLAYER_OK}, {Call::SetVolume101, 0, PLAYER_ERROR_ILLEGAL_PARAM},
             {Call::GetVolume, 40, PLAYER_OK}}},
    Sequence{"musicSettings", {{Call::Amplify80, 0, PLAYER_ERROR_INIT}, {Call::Init, 1, PLAYER_OK},
             {Call::Amplify80, 0, PLAYER_ERROR_NO_MUSIC}, {Call::Load, 1, PLAYER_OK}, {Call::Amplify80, 1, PLAYER_OK},
             {Call::Amplify101, 0, PLAYER_ERROR_ILLEGAL_PARAM}, {Call::PanSep0, 1, PLAYER_OK},
             {Call::PanSep101, 0, PLAYER_ERROR_ILLEGAL_PARAM}, {Call::Scaler4, 1, PLAYER_OK},
             {Call::Scaler0, 0, PLAYER_ERROR_ILLEGAL_PARAM}, {Call::Scaler257, 0, PLAYER_ERROR_ILLEGAL_PARAM}}},
    Sequence{"positions", {{Call::Init, 1, PLAYER_OK}, {Call::Load, 1, PLAYER_OK}, {Call::Length, 4, PLAYER_OK},
             {Call::Position, PLAYER_POSITION(0, 0), PLAYER_OK}, {Call::SetPosition2_0, 1, PLAYER_OK},
             {Call::Position, PLAYER_POSITION(2, 0), PLAYER_OK}, {Call::SetPosition4_0, 0, PLAYER_ERROR_POSITION},
             {Call::SetPosition0_64, 0, PLAYER_ERROR_POSITION}, {Call::Scaler4, 1, PLAYER_OK},
             {Call::Position, PLAYER_POSITION(2, 0), PLAYER_OK}, {Call::PlayExAt3_16, 1, PLAYER_OK},
             {Call::IsActive, PLAYER_ACTIVE_PLAYING, PLAYER_OK}}},
    Sequence{"syncs", {{Call::SetSyncPos, 0, PLAYER_ERROR_INIT}, {Call::Init, 1, PLAYER_OK},
             {Call::Load, 1, PLAYER_OK}, {Call::SetSyncBadType, 0, PLAYER_ERROR_ILLEGAL_PARAM},
             {Call::SetSyncPos, kNonZero, PLAYER_OK}, {Call::RemoveLastSync, 1, PLAYER_OK},
             {Call::RemoveLastSync, 0, PLAYER_ERROR_ILLEGAL_PARAM}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
