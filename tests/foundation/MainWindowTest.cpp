// The intro's main window on the headless platform: start-up messages, the
// window it opens, the frame count, the keys and the end.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "../support/IntroFixture.h"
#include "IntroOptions.h"
#include "MainUnit.h"
#include "PageText.h"
#include "ScalingChoice.h"
#include "Tallberg_Functions.h"

namespace corvane::test {
namespace {

class MainWindow : public IntroFixture {
 protected:
  ScratchDirectory dir;
};

struct StartCase {
  const char* name;
  const char* file;  // nullptr: no text file
  std::vector<std::string> boxes;
  std::int32_t pageCount;
  bool timerRunning;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class MainWindowStart : public MainWindow, public ::testing::WithParamInterface<StartCase> {};

TEST_P(MainWindowStart, TellsTheUserAndSetsThePages) {
  const StartCase& c = GetParam();
  if (c.file) writeTextFile(c.file);
  create();
  EXPECT_EQ(boxTexts(), c.boxes);
  EXPECT_EQ(PageCount, c.pageCount);
  EXPECT_EQ(frmMain->dxTimer->Enabled(), c.timerRunning);
  EXPECT_EQ(frmMain->dxTimer->Armed(), c.timerRunning);
  // After an error the later steps are not done: no letter pictures either.
  EXPECT_EQ(frmMain->ImageList->Items().Count(), c.timerRunning ? 46 : 1);
  // The form is created and shown either way.
  start();
  EXPECT_TRUE(window().visible);
  EXPECT_EQ(window().desc.caption, "Corvane");
  // Full screen covers the desktop; a failed start stays in the window.
  platform::Size desktop = windows().desktopSize();
  platform::Size client = c.timerRunning ? desktop : platform::Size{320, 240};
  EXPECT_EQ(window().desc.clientWidth, client.width);
  EXPECT_EQ(window().desc.clientHeight, client.height);
  EXPECT_EQ(backend_->display().isFullScreen(), c.timerRunning);
}

const std::string kNoFile = "Warnung: No CORVANE textfile found, using standart text.";

INSTANTIATE_TEST_SUITE_P(
    MainWindow, MainWindowStart,
    ::testing::Values(
        StartCase{"no_file", nullptr, {kNoFile}, 3, true},
        StartCase{"wrong_first_line", "CORVANE\r\n2\r\n",
                  {"Warnung: This is not a valid CORVANE textfile", kNoFile}, 3, true},
        StartCase{"valid_file", "CVNTYPER\r\n2\r\n", {}, 2, true},
        // The error ends the creation handler: no full screen, no timer.
        StartCase{"page_count_not_a_number", "CVNTYPER\r\nzwei\r\n",
                  {"Corvane: 'zwei' ist kein gültiger Integerwert"}, 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, StartsFullScreenBlackWithoutFrameOrPointer) {
  create();
  start();
  EXPECT_EQ(window().desc.border, platform::BorderStyle::None);
  EXPECT_FALSE(window().cursorVisible);
  EXPECT_EQ(window().position, (platform::Point{0, 0}));
  platform::DisplayMode mode = backend_->display().currentMode();
  EXPECT_EQ(mode.width, 320);
  EXPECT_EQ(mode.height, 240);
  EXPECT_EQ(mode.bitCount(), 16);
  const platform::PresentedFrame& frame = backend_->display().lastFrame();
  ASSERT_EQ(frame.width, 320);
  EXPECT_TRUE(frame.fullScreen);
  EXPECT_EQ(std::count(frame.pixels.begin(), frame.pixels.end(), 0u), 320 * 240) << "black";
}

TEST_F(MainWindow, CountsSixtyTwoFramesASecondWhileActiveAndNoneWhileNot) {
  create();
  start();
  runFor(1000);
  EXPECT_EQ(FrameCounter, 62);  // ticks at 16, 32, ... 992 ms
  runFor(20);                   // the rate window closes: 63 ticks in 1008 ms
  EXPECT_EQ(FrameCounter, 63);
  EXPECT_EQ(frmMain->dxTimer->TicksPerSecond(), 62);
  post(platform::EventKind::Deactivate, frmMain->Handle());
  runFor(1000);
  EXPECT_EQ(FrameCounter, 63);
  post(platform::EventKind::Activate, frmMain->Handle());
  runFor(1000);
  EXPECT_EQ(FrameCounter, 125);
}

// Between frames the loop sleeps on the queue until the next tick is due:
// one idle step sleeps, the next one ticks. A key that comes during a sleep
// ends it and is handled at once; the sleep after it lasts just up to the tick.
TEST_F(MainWindow, SleepsUntilTheNextFrameAndAKeyEndsTheSleepAtOnce) {
  create();
  start();
  windows().setClockFollowsWaits(true);
  auto stepsUntilFrame = [](std::int32_t frame) {
    int steps = 0;
    while (FrameCounter < frame && steps < 1000 && !Application->Terminated()) {
      Application->HandleMessage();
      ++steps;
    }
    return steps;
  };
  stepsUntilFrame(1);
  const std::uint32_t firstTick = clock().now();
  EXPECT_EQ(stepsUntilFrame(2), 2);
  EXPECT_EQ(clock().now(), firstTick + 16);

  windows().schedule(firstTick + 21, {platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_F1, 0});
  Application->HandleMessage();
  EXPECT_EQ(windows().takeLastWait(), 16u);
  EXPECT_EQ(clock().now(), firstTick + 21) << "the key ended the sleep";
  Application->HandleMessage();
  EXPECT_FALSE(window().fullScreen) << "the key was handled before any further tick";
  EXPECT_EQ(FrameCounter, 2);
  // F1 restarted the timer: the next frame comes 16 ms after the key.
  EXPECT_EQ(stepsUntilFrame(3), 2);
  EXPECT_EQ(clock().now(), firstTick + 21 + 16);
}

TEST_F(MainWindow, F1SwitchesFrameAndPointerAndKeepsTheCount) {
  create();
  start();
  runFor(500);
  clock().advance(10);
  std::uint32_t switchedAt = clock().now();
  std::int32_t frames = FrameCounter;
  platform::Size desktop = windows().desktopSize();
  struct Expect {
    platform::BorderStyle border;
    bool cursor;
    bool fullScreen;
    platform::Point position;
    platform::Size client;
  };
  // Back to a centred 320 x 240 window with the dialog frame, then full
  // screen again.
  for (Expect e : {Expect{platform::BorderStyle::Dialog, true, false,
                          {(desktop.width - 320) / 2, (desktop.height - 240) / 2}, {320, 240}},
                   Expect{platform::BorderStyle::None, false, true, {0, 0}, desktop}}) {
    post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_F1);
    Application->ProcessMessages();
    EXPECT_EQ(window().desc.border, e.border);
    EXPECT_EQ(window().cursorVisible, e.cursor);
    EXPECT_EQ(backend_->display().isFullScreen(), e.fullScreen);
    EXPECT_EQ(window().position, e.position);
    EXPECT_EQ(window().desc.clientWidth, e.client.width);
    EXPECT_EQ(window().desc.clientHeight, e.client.height);
    EXPECT_TRUE(frmMain->dxDraw->CanDraw());
    EXPECT_EQ(frmMain->dxDraw->Surface()->BitCount(), e.fullScreen ? 16 : 32);
    EXPECT_EQ(FrameCounter, frames);
  }
  // The timer restarted its clock: the next frame is due a full interval
  // after the switch, not after the last frame before it.
  clock().set(switchedAt + 15);
  Application->HandleMessage();
  EXPECT_EQ(FrameCounter, frames) << "the clock restarted at the switch";
  clock().set(switchedAt + 16);
  Application->HandleMessage();
  EXPECT_EQ(FrameCounter, frames + 1);
  // A long stall gives one late frame, not a burst of catch-up frames.
  clock().advance(400);
  for (int i = 0; i < 10; ++i) Application->HandleMessage();
  EXPECT_EQ(FrameCounter, frames + 2);
}

TEST_F(MainWindow, EscapeEndsTheLoopAndStopsTheTimer) {
  create();
  start();
  runFor(100);
  post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  TDXTimer* timer = frmMain->dxTimer;
  bool destroyedWithTimerOff = false;
  timer->OnTimer = nullptr;
  frmMain->OnDestroy = [&](TObject* s) {
    frmMain->FormDestroy(s);
    destroyedWithTimerOff = !timer->Enabled() && !Application->OnIdle;
  };
  DoneApplication();
  EXPECT_TRUE(destroyedWithTimerOff);
  EXPECT_EQ(windows().windowCount(), 0u);
}

TEST_F(MainWindow, OtherKeysDoNothing) {
  create();
  start();
  for (std::uint16_t key : {std::uint16_t{13}, std::uint16_t{32}, std::uint16_t{114}, std::uint16_t{'A'}})
    post(platform::EventKind::KeyDown, frmMain->Handle(), key);
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Terminated());
  EXPECT_EQ(window().desc.border, platform::BorderStyle::None);
}

// F2 changes only how full-screen pictures fill the monitor: the window,
// the timer and the count go on as they were; the choice is remembered in the
// settings file when the program entry named one, and read back at the next start.
TEST_F(MainWindow, F2SwitchesTheScalingOnlyAndRemembersIt) {
  const std::string settings = (dir.path() / "config" / "corvane" / "settings").string();
  create();
  start();
  runFor(500);
  const std::int32_t frames = FrameCounter;
  for (platform::Scaling expected : {platform::Scaling::Fill, platform::Scaling::Whole}) {
    post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_F2);
    Application->ProcessMessages();
    EXPECT_EQ(backend_->display().scaling(), expected);
    EXPECT_TRUE(backend_->display().isFullScreen());
    EXPECT_EQ(window().desc.border, platform::BorderStyle::None);
    EXPECT_EQ(FrameCounter, frames);
  }
  runFor(160);
  EXPECT_EQ(FrameCounter, frames + 10) << "the timer was not stopped or restarted";
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "config")) << "nothing remembered unless asked";

  ChooseScaling(std::nullopt, settings);
  EXPECT_EQ(backend_->display().scaling(), platform::Scaling::Whole) << "no file: the default";
  pressKey(platform::VK_F2);
  EXPECT_EQ(ReadScalingSetting(settings), platform::Scaling::Fill);
  struct stat info {};
  ASSERT_EQ(::stat((dir.path() / "config" / "corvane").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u) << "made for the user alone";
  backend_->display().setScaling(platform::Scaling::Whole);
  ChooseScaling(std::nullopt, settings);
  EXPECT_EQ(backend_->display().scaling(), platform::Scaling::Fill) << "the next start takes it back";
  ChooseScaling(platform::Scaling::Whole, settings);
  EXPECT_EQ(backend_->display().scaling(), platform::Scaling::Whole) << "the command line chooses";
  EXPECT_EQ(ReadScalingSetting(settings), platform::Scaling::Fill) << "for that start only";
  pressKey(platform::VK_F2);
  pressKey(platform::VK_F2);
  EXPECT_EQ(ReadScalingSetting(settings), platform::Scaling::Whole);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "config" / "corvane"),
                          std::filesystem::directory_iterator{}),
            1)
      << "no scratch file left beside it";
}

// What a settings file says, however it came to be; anything not understood
// is the default, never a failure.
TEST(ScalingSetting, ReadFromTheFileWrittenWithTheOtherSettingsKept) {
  ScratchDirectory dir;
  const std::string path = (dir.path() / "settings").string();
  struct Row {
    const char* name;
    std::optional<std::string> bytes;  // empty: no file
    std::optional<platform::Scaling> read;
  } rows[] = {
      {"no file", std::nullopt, std::nullopt},
      {"empty", "", std::nullopt},
      {"fill", "scaling=fill\n", platform::Scaling::Fill},
      {"whole, spaced, CRLF, no last newline", "  scaling = whole\r", platform::Scaling::Whole},
      {"among others and comments", "# mine\nvolume=3\nscaling=fill\nother = x\n", platform::Scaling::Fill},
      {"the last line counts", "scaling=fill\nscaling=whole\n", platform::Scaling::Whole},
      {"a value not known", "scaling=stretch\n", std::nullopt},
      {"commented out", "#scaling=fill\n", std::nullopt},
      {"binary", std::string("\0\xFF\x01scaling\0=fill", 16), std::nullopt},
      {"too large to be ours", std::string(70000, ' ') + "\nscaling=fill\n", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(path);
    if (row.bytes) std::ofstream(path, std::ios::binary) << *row.bytes;
    EXPECT_EQ(ReadScalingSetting(path), row.read);
    ASSERT_TRUE(WriteScalingSetting(path, platform::Scaling::Fill));
    EXPECT_EQ(ReadScalingSetting(path), platform::Scaling::Fill);
  }
  std::filesystem::remove(path);
  std::ofstream(path) << "volume=3\nscaling=whole\n";
  ASSERT_TRUE(WriteScalingSetting(path, platform::Scaling::Fill));
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "volume=3\nscaling=fill\n");
  // Not a regular file: never read (a FIFO would hold the start), and a
  // directory in the way cannot be replaced.
  const std::string fifo = (dir.path() / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadScalingSetting(fifo), std::nullopt);
  std::filesystem::create_directories(dir.path() / "taken");
  EXPECT_FALSE(WriteScalingSetting((dir.path() / "taken").string(), platform::Scaling::Fill));
  EXPECT_FALSE(WriteScalingSetting((dir.path() / "settings" / "below-a-file").string(), platform::Scaling::Fill));
  EXPECT_EQ(ReadScalingSetting(""), std::nullopt);
}

TEST(ScalingSetting, FileFromTheEnvironment) {
  struct Row {
    const char *config, *home, *path;  // nullptr: unset
  } rows[] = {
      {"/x/conf", "/home/u", "/x/conf/corvane/settings"},
      {nullptr, "/home/u", "/home/u/.config/corvane/settings"},
      {"", "/home/u", "/home/u/.config/corvane/settings"},
      {"relative", "/home/u", "/home/u/.config/corvane/settings"},  // only absolute paths count
      {nullptr, nullptr, ""},
      {nullptr, "relative", ""},
  };
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::optional<std::string> keptConfig = oldConfig ? std::optional<std::string>(oldConfig) : std::nullopt;
  const std::optional<std::string> keptHome = oldHome ? std::optional<std::string>(oldHome) : std::nullopt;
  auto set = [](const char* name, const char* value) {
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  };
  for (const Row& row : rows) {
    set("XDG_CONFIG_HOME", row.config);
    set("HOME", row.home);
    EXPECT_EQ(SettingsFilePath(), row.path) << (row.config ? row.config : "unset") << " " << (row.home ? row.home : "unset");
  }
  set("XDG_CONFIG_HOME", keptConfig ? keptConfig->c_str() : nullptr);
  set("HOME", keptHome ? keptHome->c_str() : nullptr);
}

TEST(IntroCommandLine, OptionsAndMistakes) {
  struct Row {
    std::vector<std::string> args;
    std::optional<platform::Scaling> scaling;
    bool help;
    const char* error;  // nullptr: accepted
  } rows[] = {
      {{}, std::nullopt, false, nullptr},
      {{"--fill"}, platform::Scaling::Fill, false, nullptr},
      {{"--whole"}, platform::Scaling::Whole, false, nullptr},
      {{"--fill", "--whole"}, platform::Scaling::Whole, false, nullptr},  // the last one counts
      {{"-h"}, std::nullopt, true, nullptr},
      {{"--fill", "--help"}, platform::Scaling::Fill, true, nullptr},
      {{"--help", "--bogus"}, std::nullopt, false, "unknown option '--bogus'"},
      {{"fill"}, std::nullopt, false, "unknown option 'fill'"},
      {{"--fill=yes"}, std::nullopt, false, "unknown option '--fill=yes'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.args));
    if (row.error) {
      try {
        ParseIntroOptions(row.args);
        ADD_FAILURE() << "accepted";
      } catch (const OptionError& error) {
        EXPECT_EQ(std::string(error.what()), row.error);
      }
      continue;
    }
    const IntroOptions options = ParseIntroOptions(row.args);
    EXPECT_EQ(options.scaling, row.scaling);
    EXPECT_EQ(options.help, row.help);
  }
  EXPECT_NE(IntroHelpText().find("--fill"), std::string::npos);
}

TEST_F(MainWindow, TheFrameCountStopsAtItsTopInsteadOfOverflowing) {
  create();
  FrameCounter = INT32_MAX - 1;
  frmMain->dxTimerTimer(frmMain->dxTimer, 1);
  frmMain->dxTimerTimer(frmMain->dxTimer, 1);
  EXPECT_EQ(FrameCounter, INT32_MAX);
  EXPECT_GT(FrameCounter, MusicStartFrame);
}

TEST_F(MainWindow, TheProgramEntryRunsUntilEscapeAndGivesZero) {
  DoneApplication();
  windows().setQuitWhenIdle(true);
  // Escape half a second into the run.
  clock().setStepPerRead(1);
  windows().schedule(500, {platform::EventKind::KeyDown, 1, platform::VK_ESCAPE, 0});
  EXPECT_EQ(RunIntro(), 0);
  EXPECT_EQ(windows().windowCount(), 0u);
  EXPECT_GT(FrameCounter, 20);
  // The units ended with the program: pictures no longer know the DIB.
  EXPECT_EQ(TPicture::MakeGraphic("TDIB"), nullptr);
  EXPECT_EQ(TPicture::ClipboardFormatClass(platform::CF_DIB), "");
  InitApplication();
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

TEST_F(MainWindow, TheGlyphSheetComesFromTheStoredSettings) {
  create();
  ASSERT_NE(frmMain->dxFont, nullptr);
  TDIB& sheet = frmMain->dxFont->DIB();
  EXPECT_EQ(sheet.Width(), 256);
  EXPECT_EQ(sheet.Height(), 60);
  EXPECT_EQ(sheet.BitCount(), 4);
  EXPECT_EQ(sheet.Size(), 7680);
  EXPECT_EQ(sheet.ColorTable[1], (platform::RGBQUAD{240, 240, 240, 0}));
  TMemoryStream written;
  sheet.WriteImageData(written);
  EXPECT_EQ(written.Bytes().size(), 7784u);
}

}  // namespace
}  // namespace corvane::test
