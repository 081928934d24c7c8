// The music in the running intro, on the headless platform with the real
// player from the payload: the files written at start, the music from frame
// 100, the payload gone at exit however the intro ends, and the intro going
// on when the payload cannot be written or there is no sound.
#include <gtest/gtest.h>
#include <unistd.h>

#include "IntroMusicFixture.h"
#include "PlayerApi.h"

namespace corvane::test {
namespace {

TEST_F(IntroMusic, WritesThePayloadAtStartAndPlaysFromFrame100) {
  create();
  EXPECT_EQ(ReadBytes(runtime / PlayerLibraryName),
            std::vector<unsigned char>(PlayerLibraryData.begin(), PlayerLibraryData.end()));
  EXPECT_EQ(ReadBytes(runtime / ModuleFileName), std::vector<unsigned char>(ModuleData.begin(), ModuleData.end()));
  start();
  runUntilFrame(MusicStartFrame - 1);
  EXPECT_EQ(PlayerLibraryHandle, 0u) << "nothing loaded before frame 100";
  runUntilFrame(MusicStartFrame);
  ASSERT_TRUE(MusicLoaded);
  EXPECT_EQ(BASSMOD_MusicIsActive(), PLAYER_ACTIVE_PLAYING);
  EXPECT_EQ(MusicFilePath, (runtime / ModuleFileName).string());
  EXPECT_EQ(PlayerLibraryPath, (runtime / PlayerLibraryName).string());
  EXPECT_EQ(boxTexts(), std::vector<std::string>{kNoTextFile});
}

// However the intro ends, the payload files are gone afterwards.
struct ExitCase {
  const char* name;
  std::int32_t frames;  // frames run before the end
  platform::EventKind kind;
  std::uint16_t key;
};
void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class IntroExit : public IntroMusic, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(IntroExit, LeavesNoPayload) {
  const ExitCase& c = GetParam();
  create();
  start();
  runUntilFrame(c.frames);
  EXPECT_EQ(MusicLoaded, c.frames >= MusicStartFrame);
  EXPECT_EQ(payloadIn(runtime).size(), 2u);
  post(c.kind, frmMain->Handle(), c.key);
  end();
  EXPECT_TRUE(payloadIn(runtime).empty());
  EXPECT_EQ(PlayerLibraryHandle, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    IntroMusic, IntroExit,
    ::testing::Values(ExitCase{"escape_before_the_music", 50, platform::EventKind::KeyDown, platform::VK_ESCAPE},
                      ExitCase{"escape_with_music", 120, platform::EventKind::KeyDown, platform::VK_ESCAPE},
                      ExitCase{"window_closed", 120, platform::EventKind::Close, 0},
                      // What the desktop makes of SIGINT and SIGTERM.
                      ExitCase{"session_ends_before_the_music", 10, platform::EventKind::Quit, 0},
                      ExitCase{"session_ends_with_music", 120, platform::EventKind::Quit, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A quit that arrives while the start-up box is open waits in the queue; it
// is handled right after the payload is written, and the intro ends without
// a frame and without leaving files.
TEST_F(IntroMusic, AQuitDuringTheStartUpBoxEndsTheIntroCleanly) {
  post(platform::EventKind::Quit);
  create();
  EXPECT_EQ(boxTexts(), std::vector<std::string>{kNoTextFile});
  EXPECT_TRUE(Application->Terminated());
  end();
  EXPECT_EQ(FrameCounter, 0);
  EXPECT_TRUE(payloadIn(runtime).empty());
}

TEST_F(IntroMusic, WithoutSoundTheIntroGoesOnSilentlyAndCleansUp) {
  ScopedEnvironment noSound("SDL_AUDIODRIVER", "no-such-driver");
  create();
  start();
  runUntilFrame(MusicStartFrame + 30);
  EXPECT_EQ(FrameCounter, MusicStartFrame + 30);
  EXPECT_FALSE(MusicLoaded);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{kNoTextFile}) << "no message about the music";
  post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
  end();
  EXPECT_TRUE(payloadIn(runtime).empty());
}

// Another user made the private directory's name first (XDG_RUNTIME_DIR
// unset) and put a library in it: the intro makes a fresh private directory
// beside it, plays from there, and removes it at the end; theirs is neither
// written into nor removed, and nothing goes to the current directory.
TEST_F(IntroMusic, ATakenTemporaryDirectoryGivesWayToAFreshOne) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
  constexpr uid_t kUser = 65534;
  ::chmod(tree.root().c_str(), 0755);
  const fs::path tmp = tree.directory("tmp", 01777);
  const std::string ownName = "corvane-" + std::to_string(::geteuid());
  const fs::path theirs = tmp / ownName;
  const int made = InChild([&] {
    if (::setresgid(kUser, kUser, kUser) != 0 || ::setresuid(kUser, kUser, kUser) != 0) std::_Exit(kCannot);
    ASSERT_EQ(::mkdir(theirs.c_str(), 0777), 0);
    ::chmod(theirs.c_str(), 0777);
    WriteBytes(theirs / PlayerLibraryName, "their library");
  });
  ASSERT_EQ(made, 0) << "the other user could not make the directory";
  ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnvironment tmpdir("TMPDIR", tmp.c_str());
  create();
  fs::path fresh;
  for (const auto& entry : fs::directory_iterator(tmp))
    if (entry.path() != theirs) fresh = entry.path();
  ASSERT_FALSE(fresh.empty()) << "no fresh directory";
  EXPECT_TRUE(fresh.filename().string().starts_with(ownName + "."));
  EXPECT_EQ(ModeOf(fresh), 0700u);
  EXPECT_EQ(payloadIn(fresh).size(), 2u);
  start();
  runUntilFrame(MusicStartFrame);
  EXPECT_TRUE(MusicLoaded) << "played from the fresh directory";
  EXPECT_EQ(PlayerLibraryPath, (fresh / PlayerLibraryName).string());
  EXPECT_EQ(boxTexts(), std::vector<std::string>{kNoTextFile});
  post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
  end();
  EXPECT_FALSE(fs::exists(fresh)) << "the fresh directory is removed with the payload";
  EXPECT_EQ(ReadBytes(theirs / PlayerLibraryName).size(), std::string("their library").size());
  EXPECT_EQ(std::distance(fs::directory_iterator(theirs), fs::directory_iterator()), 1);
  EXPECT_TRUE(payloadIn(cwd.path()).empty());
}

// No private temporary directory to be had at all: the user can make
// nothing under the base. The payload goes to the current directory only
// when it is the user's own and nobody else can write it; otherwise the
// intro runs without music and says nothing about it (no box, no black
// screen). Run as an ordinary user, whom the directories' modes bind.
struct CurrentDirectoryCase {
  const char* name;
  bool theUsers;  // else root's
  unsigned mode;
  bool plays;
};
void PrintTo(const CurrentDirectoryCase& c, std::ostream* os) { *os << c.name; }

class NoPrivateDirectory : public IntroMusic, public ::testing::WithParamInterface<CurrentDirectoryCase> {};

TEST_P(NoPrivateDirectory, UsesOnlyAnUnsharedCurrentDirectory) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
  const CurrentDirectoryCase& c = GetParam();
  constexpr uid_t kUser = 65534;
  ::chmod(tree.root().c_str(), 0755);
  const fs::path base = tree.directory("tmp", 0755);  // root's: the user can make nothing there
  const fs::path here = tree.directory("here");
  const uid_t owner = c.theUsers ? kUser : 0;
  ASSERT_EQ(::chown(here.c_str(), owner, owner), 0);
  ASSERT_EQ(::chmod(here.c_str(), c.mode), 0);
  ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnvironment tmpdir("TMPDIR", base.c_str());
  const int status = InChild([&] {
    if (::setresgid(kUser, kUser, kUser) != 0 || ::setresuid(kUser, kUser, kUser) != 0) std::_Exit(kCannot);
    fs::current_path(here);
    create();
    EXPECT_EQ(payloadIn(here).size(), c.plays ? 2u : 0u);
    playPastTheMusicAndEscape(c.plays);
    EXPECT_TRUE(fs::is_empty(here));
    EXPECT_TRUE(fs::is_empty(base));
  });
  if (status == kCannot) GTEST_SKIP() << "cannot switch to user " << kUser;
  EXPECT_EQ(status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    IntroMusic, NoPrivateDirectory,
    ::testing::Values(CurrentDirectoryCase{"own_and_unshared", true, 0755, true},
                      CurrentDirectoryCase{"own_but_group_writable", true, 0775, false},
                      CurrentDirectoryCase{"own_but_writable_by_all", true, 0777, false},
                      CurrentDirectoryCase{"shared_and_sticky", false, 01777, false},
                      CurrentDirectoryCase{"anothers_and_unwritable", false, 0755, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The payload cannot be written: the error box names the file, the rest of
// the start is skipped, and the intro still shows its window and ends
// normally. Run as an ordinary user, whom the directory's mode binds.
TEST_F(IntroMusic, AnUnwritableDirectoryGivesTheErrorBoxAndTheIntroGoesOn) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
  constexpr uid_t kUser = 65534;
  ::chmod(tree.root().c_str(), 0755);  // the user must reach the directory
  const fs::path tmp = tree.directory("tmp", 01777);
  const fs::path own = tmp / ("corvane-" + std::to_string(kUser));
  fs::create_directory(own);
  ::chmod(own.c_str(), 0500);
  ASSERT_EQ(::chown(own.c_str(), kUser, kUser), 0);
  ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnvironment tmpdir("TMPDIR", tmp.c_str());
  auto runAsTheUser = [&] {
    if (::setresuid(kUser, kUser, kUser) != 0) std::_Exit(3);
    create();
    const std::vector<std::string> boxes = {
        kNoTextFile, "Corvane: Datei " + (own / PlayerLibraryName).string() + " kann nicht erstellt werden"};
    EXPECT_EQ(boxTexts(), boxes);
    EXPECT_FALSE(frmMain->dxTimer->Enabled()) << "the rest of the start is skipped";
    start();
    EXPECT_TRUE(windows().window(frmMain->Handle())->visible);
    post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
    end();
    std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
  };
  EXPECT_EXIT(runAsTheUser(), ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(fs::is_empty(own));
}

}  // namespace
}  // namespace corvane::test
