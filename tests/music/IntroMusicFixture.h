// The running intro on the headless platform with the real player from its
// payload, a private runtime directory of the test's own and SDL's silent
// audio driver standing in for a sound card.
#pragma once

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../support/IntroFixture.h"
#include "BASSMOD_Dynamic.h"
#include "MainUnit.h"
#include "MusicTestSupport.h"
#include "PageText.h"
#include "Tallberg_Functions.h"

namespace corvane::test {

// Runs `body` in a child process and gives its exit status (-1: it did not
// exit normally). What the child checks fails the child, which then exits 1.
inline int InChild(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    body();
    std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
inline constexpr int kCannot = 77;  // the child could not set the fault up

inline const std::string kNoTextFile = "Warnung: No CORVANE textfile found, using standart text.";

// The intro links SDL, so SDL stays loaded while the player comes and goes;
// this test program does not, so it keeps SDL loaded the same way. (Else SDL
// would be unloaded with the player, its own lasting state with it.)
inline void KeepSdlLoaded() {
  static void* sdl = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  ASSERT_NE(sdl, nullptr) << ::dlerror();
}

class IntroMusic : public IntroFixture {
 protected:
  void SetUp() override {
    KeepSdlLoaded();
    IntroFixture::SetUp();
    ResetMusic();
  }
  void TearDown() override {
    DoneApplication();
    frmMain = nullptr;
    ResetMusic();
    IntroFixture::TearDown();
  }
  void end() {
    Application->Run();
    DoneApplication();
  }
  // Starts the intro, runs it past the music frame, checks whether the music
  // plays and that only the start-up box was shown, and ends it with Escape.
  void playPastTheMusicAndEscape(bool plays = true) {
    start();
    runUntilFrame(MusicStartFrame + 10);
    EXPECT_EQ(FrameCounter, MusicStartFrame + 10) << "the intro runs";
    EXPECT_EQ(MusicLoaded, plays);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{kNoTextFile}) << "no message about the music";
    post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
    end();
  }
  std::vector<std::string> payloadIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const char* name : {PlayerLibraryName, ModuleFileName})
      if (fs::exists(fs::symlink_status(dir / name))) names.push_back(name);
    return names;
  }

  ScratchTree tree;
  fs::path runtime = tree.directory("runtime");
  ScopedEnvironment xdg{"XDG_RUNTIME_DIR", runtime.c_str()};
  ScopedEnvironment audio{"SDL_AUDIODRIVER", "dummy"};
  ScratchDirectory cwd;
};

}  // namespace corvane::test
