// The player at work on its sound thread: playback moving on, syncs, calls
// that must not wait, and the sound that reaches the output.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "ModuleFormat.h"
#include "ModuleRenderer.h"
#include "PlayerLibrary.h"
#include "TestModules.h"

namespace corvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kIntroFlags = 0x105;
// One output buffer of 1024 frames at 44100 per second.
constexpr auto kBufferTime = std::chrono::microseconds(1024 * 1000000LL / 44100);

template <typename Predicate>
bool waitFor(Predicate done, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) saved = old;
    setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (saved.empty())
      unsetenv(name);
    else
      setenv(name, saved.c_str(), 1);
  }

 private:
  const char* name;
  std::string saved;
};

class Playback : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(api.init(-1, 44100, 0)) << api.errorGetCode();
  }
  void TearDown() override {
    api.musicFree();
    api.free();
  }
  void load(std::uint32_t flags) { ASSERT_TRUE(api.musicLoad(0, CORVANE_MODULE_FILE, 0, 0, flags)) << api.errorGetCode(); }
  static std::uint32_t row(std::uint32_t position) { return position >> 16; }

  PlayerLibrary& api = PlayerLibrary::get();
};

TEST_F(Playback, PositionMovesOnlyWhilePlaying) {
  load(kIntroFlags);
  ASSERT_TRUE(api.musicPlay());
  ASSERT_TRUE(waitFor([&] { return row(api.musicGetPosition()) >= 2; }, 2000ms));
  ASSERT_TRUE(api.musicPause());
  const std::uint32_t paused = api.musicGetPosition();
  std::this_thread::sleep_for(300ms);  // nearly two rows of music
  EXPECT_EQ(api.musicGetPosition(), paused);
  EXPECT_TRUE(api.musicPlay());
  EXPECT_TRUE(waitFor([&] { return row(api.musicGetPosition()) > row(paused); }, 2000ms));
}

struct SyncRecord {
  std::atomic<int> calls{0};
  std::atomic<std::uint32_t> data{0};
  std::atomic<std::uint32_t> user{0};
};
SyncRecord record;

void recordSync(PlayerSync, std::uint32_t data, std::uint32_t user) {
  record.data = data;
  record.user = user;
  ++record.calls;
}

struct SyncCase {
  const char* name;
  friend void PrintTo(const SyncCase& c, std::ostream* out) { *out << c.name; }
  std::uint32_t loadFlags;
  std::uint32_t type;
  std::uint32_t param;
  std::uint32_t startAt;
  std::uint32_t data;
  std::uint32_t activeAfter;
};

class Syncs : public Playback, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(Syncs, FireWhenPlaybackGetsThere) {
  const SyncCase& sync = GetParam();
  load(sync.loadFlags);
  record.calls = 0;
  const PlayerSync handle = api.musicSetSync(sync.type, sync.param, recordSync, 1234);
  ASSERT_NE(handle, 0u);
  ASSERT_TRUE(api.musicPlayEx(sync.startAt, -1, 1));
  ASSERT_TRUE(waitFor([] { return record.calls > 0; }, 3000ms));
  EXPECT_EQ(record.data, sync.data);
  EXPECT_EQ(record.user, 1234u);
  EXPECT_TRUE(waitFor([&] { return api.musicIsActive() == sync.activeAfter; }, 1000ms));
  // One-time syncs leave the list once they have fired.
  EXPECT_EQ(api.musicRemoveSync(handle) != 0, (sync.type & PLAYER_SYNC_ONETIME) == 0);
}

INSTANTIATE_TEST_SUITE_P(Player, Syncs, ::testing::Values(
    SyncCase{"row", 0x105, PLAYER_SYNC_POS, PLAYER_POSITION(0, 3), PLAYER_POSITION(0, 0), PLAYER_POSITION(0, 3),
             PLAYER_ACTIVE_PLAYING},
    SyncCase{"rowOnce", 0x105, PLAYER_SYNC_POS | PLAYER_SYNC_ONETIME, PLAYER_POSITION(1, 2), PLAYER_POSITION(1, 0),
             PLAYER_POSITION(1, 2), PLAYER_ACTIVE_PLAYING},
    SyncCase{"endOfSong", 0x001, PLAYER_SYNC_END, 0, PLAYER_POSITION(3, 62), 0, PLAYER_ACTIVE_STOPPED},
    SyncCase{"loopBack", 0x105, PLAYER_SYNC_END, 0, PLAYER_POSITION(3, 62), 1, PLAYER_ACTIVE_PLAYING}),
    [](const auto& info) { return std::string(info.param.name); });

std::atomic<int> freeErrorFromSync{0};

void freeFromSync(PlayerSync, std::uint32_t, std::uint32_t) {
  PlayerLibrary& api = PlayerLibrary::get();
  api.free();  // refused: it would wait for the very thread it runs on
  freeErrorFromSync = api.errorGetCode();
  api.musicFree();
}

TEST_F(Playback, SyncCallbackMayFreeTheMusicButNotThePlayer) {
  load(kIntroFlags);
  freeErrorFromSync = PLAYER_OK;
  ASSERT_NE(api.musicSetSync(PLAYER_SYNC_POS, PLAYER_POSITION(0, 1), freeFromSync, 0), 0u);
  ASSERT_TRUE(api.musicPlay());
  ASSERT_TRUE(waitFor([&] { return api.musicIsActive() == PLAYER_ACTIVE_STOPPED; }, 2000ms));
  EXPECT_EQ(api.errorGetCode(), PLAYER_ERROR_NO_MUSIC);
  EXPECT_EQ(freeErrorFromSync, PLAYER_ERROR_WRONG_THREAD);
  EXPECT_EQ(api.getVolume(), 100);  // still initialised
}

// Calls that share state with the sound thread wait at most for the mix of
// the buffer in progress. Left out: BASSMOD_Free, whose job is to end the
// sound thread (SDL lets it play out two more buffers first), and
// BASSMOD_MusicLoad, whose time is its own parsing, done before it locks.
TEST_F(Playback, NoCallWaitsLongerThanOneBuffer) {
  load(kIntroFlags);
  ASSERT_TRUE(api.musicPlay());
  auto slowest = Clock::duration::zero();
  const char* slowestName = "";
  const auto timed = [&](const char* name, auto call) {
    const auto start = Clock::now();
    call();
    if (Clock::now() - start > slowest) {
      slowest = Clock::now() - start;
      slowestName = name;
    }
  };
  for (int i = 0; i < 100; ++i) {
    timed("position", [&] { api.musicGetPosition(); });
    timed("set position", [&] { api.musicSetPosition(PLAYER_POSITION(i % 4, i % 64)); });
    timed("volume", [&] { api.setVolume(static_cast<std::uint32_t>(i)); });
    timed("pause", [&] { api.musicPause(); });
    timed("play", [&] { api.musicPlay(); });
    timed("active", [&] { api.musicIsActive(); });
    timed("amplify", [&] { api.musicSetAmplify(static_cast<std::uint32_t>(i)); });
    timed("sync", [&] { api.musicRemoveSync(api.musicSetSync(PLAYER_SYNC_END, 0, recordSync, 0)); });
    std::this_thread::sleep_for(1ms);
  }
  timed("music free", [&] { api.musicFree(); });
  EXPECT_LT(slowest, kBufferTime) << slowestName;
}

TEST_F(Playback, FreeingWhileTheSoundThreadRunsIsSafe) {
  for (int i = 0; i < 20; ++i) {
    load(kIntroFlags);
    ASSERT_TRUE(api.musicPlay());
    std::this_thread::sleep_for(std::chrono::milliseconds(i % 7));
    if (i % 2) api.musicFree();
    api.free();
    ASSERT_TRUE(api.init(-1, 44100, 0));
  }
}

// The intro's own module, and the same song in another format: an 8-channel
// module, as a user may bring one.
struct ModuleCase {
  const char* name;
  int channels;  // 4: the module as it is
  double seconds;  // how much of the output to compare
};
void PrintTo(const ModuleCase& c, std::ostream* os) { *os << c.name; }

// The module of a case as a file the player can load, removed afterwards.
class ModuleFile {
 public:
  explicit ModuleFile(const ModuleCase& c)
      : path((std::filesystem::temp_directory_path() / ("corvane-module-" + std::to_string(getpid()) + "-" + c.name)).string()) {
    auto bytes = readFile(CORVANE_MODULE_FILE);
    if (c.channels != 4) {
      std::vector<std::uint8_t> narrow(bytes.size());
      std::memcpy(narrow.data(), bytes.data(), bytes.size());
      const auto wide = modgen::widenModule(narrow, c.channels);
      bytes.resize(wide.size());
      std::memcpy(bytes.data(), wide.data(), wide.size());
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    data = std::move(bytes);
  }
  ~ModuleFile() { std::filesystem::remove(path); }
  std::string path;
  std::vector<std::byte> data;
};

// Follows what the file-writing output writes, a buffer at a time as it
// comes: the silent buffers before the play call are passed over (on a busy
// machine, or a slow build, there may be hundreds of megabytes of them), and
// the music, which starts on a buffer edge, is kept.
class MusicInFile {
 public:
  explicit MusicInFile(const std::string& path) : path_(path) {}
  // Reads what has come since the last call; true once `samples` are held.
  bool holds(std::size_t samples) {
    if (!in_.is_open()) in_.open(path_, std::ios::binary);
    std::vector<std::int16_t> buffer(2048);
    while (music_.size() < samples && in_.is_open()) {
      const std::streampos at = in_.tellg();
      if (!in_.read(reinterpret_cast<char*>(buffer.data()), 2 * 2048)) {
        in_.clear();
        in_.seekg(at);  // a buffer written in part: read again next time
        break;
      }
      if (music_.empty() && peak(buffer) == 0) continue;
      music_.insert(music_.end(), buffer.begin(), buffer.end());
    }
    return music_.size() >= samples;
  }
  const std::vector<std::int16_t>& music() const { return music_; }

 private:
  std::string path_;
  std::ifstream in_;
  std::vector<std::int16_t> music_;
};

class ModuleFormats : public Playback, public ::testing::WithParamInterface<ModuleCase> {};

TEST_P(ModuleFormats, LengthIsOnePassOfTheSongInOutputBytes) {
  const ModuleFile module(GetParam());
  ASSERT_TRUE(api.musicLoad(0, module.path.c_str(), 0, 0, kIntroFlags)) << api.errorGetCode();
  const auto renderer = player::ModuleRenderer::load(module.data, kIntroFlags, kRate);
  ASSERT_NE(renderer, nullptr);
  EXPECT_EQ(api.musicGetLength(1), static_cast<std::uint32_t>(std::round(renderer->lengthSeconds() * kRate)) * 4u);
  EXPECT_EQ(api.musicGetLength(0), 4u);
}

// Through SDL's file-writing driver: the output is exactly what the renderer
// makes of the module with the intro's flags; for the 8-channel module past
// the song's end, where it loops back.
TEST_P(ModuleFormats, PlayerWritesTheRenderedMusic) {
  api.free();  // the output is opened again on the file-writing driver
  const ModuleFile module(GetParam());
  const std::string file = module.path + ".raw";
  const std::size_t frames = static_cast<std::size_t>(GetParam().seconds * kRate);
  MusicInFile output(file);
  {
    const ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    const ScopedEnvironment path("SDL_DISKAUDIOFILE", file.c_str());
    const ScopedEnvironment delay("SDL_DISKAUDIODELAY", "0");
    ASSERT_TRUE(api.init(-1, 44100, 0)) << api.errorGetCode();
    ASSERT_TRUE(api.musicLoad(0, module.path.c_str(), 0, 0, kIntroFlags));
    ASSERT_TRUE(api.musicPlay());
    EXPECT_TRUE(waitFor([&] { return output.holds(2 * frames); }, 120s))
        << "the output never held " << GetParam().seconds << " s of music";
    api.free();
  }
  ASSERT_TRUE(api.init(-1, 44100, 0)) << api.errorGetCode();
  std::filesystem::remove(file);
  ASSERT_GE(output.music().size(), 2 * frames) << "less than " << GetParam().seconds << " s written";
  auto renderer = player::ModuleRenderer::load(module.data, kIntroFlags, kRate);
  std::vector<std::int16_t> expected;
  std::vector<std::int16_t> buffer(2048);
  while (expected.size() < 2 * frames) {
    renderer->render(buffer);
    expected.insert(expected.end(), buffer.begin(), buffer.end());
  }
  const std::span<const std::int16_t> heard = std::span(output.music()).first(2 * frames);
  EXPECT_TRUE(std::equal(heard.begin(), heard.end(), expected.begin()));
  EXPECT_GT(rms(heard), 1000.0);
  EXPECT_LT(peak(heard), 32000);
  if (GetParam().seconds > renderer->lengthSeconds()) {
    // Looping: the last second, well past the end of one pass, is heard too.
    EXPECT_GT(rms(heard.subspan(heard.size() - 2 * kRate)), 1000.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Player, ModuleFormats,
                         ::testing::Values(ModuleCase{"m_k", 4, 5.0}, ModuleCase{"eight_channels", 8, 45.0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
