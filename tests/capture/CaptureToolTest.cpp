// corvane-capture run as a program, the way a user runs it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "MainUnit.h"
#include "ModuleFormat.h"
#include "ModuleRenderer.h"
#include "Tallberg_Functions.h"
#include "support/Png.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kTool = CORVANE_CAPTURE;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh directory for one test, removed afterwards.
struct Scratch {
  Scratch() {
    path = fs::temp_directory_path() / ("corvane-capture-test-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Scratch() { fs::remove_all(path); }
  fs::path path;
  static inline int count = 0;
};

struct Result {
  int status = -1;  // the exit status; -1 when ended by a signal
  std::string out, err;
};

// Runs a shell command in `dir`; gives its exit status, -1 for a signal.
int Shell(const std::string& command, const fs::path& dir) {
  const int wait = std::system(("cd '" + dir.string() + "' && " + command).c_str());
  return WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
}

// Runs the tool with `args` in `dir`, its output kept in files.
Result Capture(const std::string& args, const fs::path& dir, const std::string& wrapper = "") {
  const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
  const int status = Shell(wrapper + "'" + kTool + "' " + args + " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null", dir);
  Result result{status, ReadText(out), ReadText(err)};
  fs::remove(out);
  fs::remove(err);
  return result;
}

// The name the tool gives frame `frame`.
std::string FrameName(int frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06d.png", frame);
  return name;
}

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  if (fs::exists(dir))
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectSamePicture(const fs::path& captured, const fs::path& reference, int scale) {
  RgbaImage got, want;
  ASSERT_TRUE(ReadPng(captured.string(), got)) << captured;
  ASSERT_TRUE(ReadPng(reference.string(), want)) << reference;
  ASSERT_EQ(got.width, want.width * scale);
  ASSERT_EQ(got.height, want.height * scale);
  int wrong = 0;
  for (int y = 0; y < got.height; ++y)
    for (int x = 0; x < got.width; ++x) wrong += got.rgb(x, y) != want.rgb(x / scale, y / scale);
  EXPECT_EQ(wrong, 0) << captured << " against " << reference;
}

// --- The command line -------------------------------------------------------

// Something other than a usable file, made as "node" in the directory first.
enum class Node {
  None, Fifo, Socket, Directory,
  Empty,     // a file of no bytes
  Huge,      // a file one byte over 64 MiB (sparse)
  Words,     // a line of text, no page text, module or picture
  WideBmp,   // a bitmap file header saying 5000 x 1 pixels
  LineFeedText,  // a page text saved with line feeds alone
};

struct CommandCase {
  const char* name;
  const char* args;
  int status;
  const char* says;  // in stdout for --help, else in stderr
  Node node = Node::None;
};

void Make(Node node, const fs::path& path) {
  switch (node) {
    case Node::None: break;
    case Node::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case Node::Socket: {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      ASSERT_LT(path.string().size(), sizeof address.sun_path);
      std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
      EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
      ::close(fd);
      break;
    }
    case Node::Directory: fs::create_directory(path); break;
    case Node::Empty: std::ofstream(path, std::ios::binary).flush(); break;
    case Node::Huge:
      std::ofstream(path, std::ios::binary).flush();
      fs::resize_file(path, (std::uintmax_t{64} << 20) + 1);
      break;
    case Node::Words: std::ofstream(path, std::ios::binary) << "hello, world\n"; break;
    case Node::LineFeedText: std::ofstream(path, std::ios::binary) << "CVNTYPER\n1\n\"hello\"\n"; break;
    case Node::WideBmp: {
      // File header, then an info header: width 5000, height 1, 24 bits.
      const unsigned char header[] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                      0x88, 0x13, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
      std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(header), sizeof header);
      break;
    }
  }
}
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class CaptureCommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CaptureCommandLine, AnswersAndWritesNothing) {
  const CommandCase& c = GetParam();
  Scratch scratch;
  ASSERT_NO_FATAL_FAILURE(Make(c.node, scratch.path / "node"));
  // A tool that waits on a FIFO for ever is stopped (status 124) rather
  // than holding up the tests.
  const Result result = Capture(c.args, scratch.path, "timeout -k 10 300 ");
  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_NE((c.status == 0 ? result.out : result.err).find(c.says), std::string::npos) << result.out << result.err;
  const std::vector<std::string> made = c.node == Node::None ? std::vector<std::string>{} : std::vector<std::string>{"node"};
  EXPECT_EQ(FilesIn(scratch.path), made) << "no output directory, no file";
}

INSTANTIATE_TEST_SUITE_P(
    Capture, CaptureCommandLine,
    ::testing::Values(
        CommandCase{"help_with_unknown_option", "--help --bogus", 2, "unknown option"},
        CommandCase{"help_alone", "--help", 0, "--frames FIRST:LAST"},
        CommandCase{"unknown", "--bogus", 2, "unknown option '--bogus'"},
        CommandCase{"frames_without_colon", "--frames 5", 2, "FIRST:LAST"},
        CommandCase{"frames_backwards", "--frames 9:3", 2, "comes before"},
        CommandCase{"frame_zero", "--frames 0:3", 2, "the first frame must be"},
        CommandCase{"frames_not_numbers", "--frames a:b", 2, "not 'a'"},
        CommandCase{"frames_too_many", "--frames 1:1000001", 2, "the last frame must be"},
        CommandCase{"scale_zero", "--scale 0", 2, "--scale must be"},
        CommandCase{"scale_text", "--scale 2x", 2, "not '2x'"},
        CommandCase{"value_missing", "--out", 2, "--out needs a value"},
        CommandCase{"out_under_a_file", "--out /etc/passwd/frames --frames 101:101", 1, "cannot make the directory"},
        CommandCase{"out_not_writable", "--out /proc/self --frames 101:101", 1, "cannot write in /proc/self"},
        CommandCase{"help_lists_the_asset_options", "--help", 0, "--font FILE"},
        // Every file named for the intro is checked before anything is made:
        // one line naming it and why, and status 2.
        CommandCase{"text_missing", "--text no-such.txt --out here", 2,
                    "no-such.txt: cannot be read (No such file or directory)"},
        // Only a regular file is read; a FIFO is not even opened.
        CommandCase{"text_a_fifo", "--text node --out here", 2, "node: not a regular file", Node::Fifo},
        CommandCase{"text_a_socket", "--text node --out here", 2, "node: not a regular file", Node::Socket},
        CommandCase{"text_a_directory", "--text node --out here", 2, "node: not a regular file", Node::Directory},
        CommandCase{"text_a_device", "--text /dev/null --out here", 2, "/dev/null: not a regular file"},
        CommandCase{"text_not_a_page_text", "--text node --out here", 2,
                    "node: not a page text file (its first line is not CVNTYPER)", Node::Words},
        CommandCase{"text_with_line_feeds_alone", "--text node --out here", 2,
                    "node: its lines end in a line feed alone", Node::LineFeedText},
        CommandCase{"music_needs_a_file", "--music", 2, "--music needs a file"},
        CommandCase{"music_empty", "--music node --out here", 2, "node: the file is empty", Node::Empty},
        CommandCase{"music_over_64_mib", "--music node --out here", 2, "node: larger than 64 MiB", Node::Huge},
        CommandCase{"music_not_a_module", "--music node --out here", 2,
                    "node: not a music module the player can play", Node::Words},
        CommandCase{"music_a_fifo", "--music node --out here", 2, "node: not a regular file", Node::Fifo},
        CommandCase{"logo_not_a_picture", "--logo node --out here", 2, "node: not a BMP or PNG picture", Node::Words},
        CommandCase{"logo_over_4096_pixels", "--logo node --out here", 2,
                    "node: a picture may be at most 4096 pixels on a side, this one is 5000 x 1", Node::WideBmp},
        CommandCase{"font_too_small", "--font " BMPSUITE_DIR "/g/pal8.bmp --out here", 2,
                    "a glyph sheet needs at least 255 x 51 pixels (15 x 3 tiles of 17 x 17 from the top-left "
                    "corner), this one is 127 x 64"},
        CommandCase{"font_empty", "--font node --out here", 2, "node: the file is empty", Node::Empty},
        CommandCase{"fill_without_screen", "--fill", 2, "--fill and --whole need --screen"},
        CommandCase{"screen_not_a_size", "--screen 1366", 2, "WIDTHxHEIGHT"},
        CommandCase{"screen_too_wide", "--screen 5000x100 --fill", 2, "the screen's width must be"},
        CommandCase{"screen_no_height", "--screen 640x", 2, "the screen's height must be"},
        CommandCase{"screen_in_a_window", "--screen 800x600 --window", 2, "cannot go with --window"},
        CommandCase{"screen_scaled", "--screen 800x600 --scale 2", 2, "cannot go with --scale"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Pictures, sound and determinism ----------------------------------------

// One capture across the start of the music, the first drawn frame and the
// first page change, shared by the tests that read it.
class CaptureRunTest : public ::testing::Test {
 protected:
  static constexpr int kFirst = 99, kLast = 302;
  static void SetUpTestSuite() {
    scratch = new Scratch;
    const Result result = Capture("--frames 99:302 --out run", scratch->path);
    ASSERT_EQ(result.status, 0) << result.err;
  }
  static void TearDownTestSuite() {
    delete scratch;
    scratch = nullptr;
  }
  static fs::path run() { return scratch->path / "run"; }
  static inline Scratch* scratch = nullptr;
};

TEST_F(CaptureRunTest, WritesEveryFrameOfTheRangeAndTheMusicAndNothingElse) {
  std::vector<std::string> expected;
  for (int frame = kFirst; frame <= kLast; ++frame) expected.push_back(FrameName(frame));
  expected.push_back("music.wav");
  EXPECT_EQ(FilesIn(run()), expected);
}

TEST_F(CaptureRunTest, ASecondRunWritesTheSameBytes) {
  const Result again = Capture("--frames 99:302 --out again", scratch->path);
  ASSERT_EQ(again.status, 0) << again.err;
  const std::vector<std::string> names = FilesIn(run());
  ASSERT_EQ(FilesIn(scratch->path / "again"), names);
  for (const std::string& name : names)
    EXPECT_TRUE(ReadText(run() / name) == ReadText(scratch->path / "again" / name)) << name;
}

TEST_F(CaptureRunTest, FramesMatchTheGoldenFrames) {
  for (int frame : {101, 150, 185, 195, 285, 295, 302}) {
    char golden[64];
    std::snprintf(golden, sizeof golden, "frame-%04d-fullscreen.png", frame);
    ExpectSamePicture(run() / FrameName(frame), fs::path(CORVANE_GOLDEN_DIR) / golden, 1);
  }
  // Before frame 101 nothing is drawn: the screen is black.
  RgbaImage black;
  ASSERT_TRUE(ReadPng((run() / "frame-000100.png").string(), black));
  EXPECT_EQ(std::count(black.pixels.begin(), black.pixels.end(), 0), 320 * 240 * 3);
}

// The music from its start at frame 100 to the end of frame 302, as the
// player renders it from the module (in the player's buffers of 1024).
TEST_F(CaptureRunTest, MusicStartsAtFrame100AndIsHeard) {
  const std::string wav = ReadText(run() / "music.wav");
  ASSERT_GE(wav.size(), 44u);
  auto word = [&](std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(wav[at + i]);
    return value;
  };
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(word(22, 2), 2u);
  EXPECT_EQ(word(24, 4), 44100u);
  EXPECT_EQ(word(34, 2), 16u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  // Frames 100 to 302 are 203 frames of 16 ms: 3.248 s.
  const std::size_t frames = 3248 * 441 / 10;
  ASSERT_EQ(word(40, 4), frames * 4);
  ASSERT_EQ(wav.size(), 44 + frames * 4);

  auto renderer = player::ModuleRenderer::load(std::as_bytes(ModuleData), PlayerMusicFlags, 44100);
  ASSERT_NE(renderer, nullptr);
  std::vector<std::int16_t> expected;
  std::vector<std::int16_t> buffer(2048);
  while (expected.size() < frames * 2) {
    renderer->render(buffer);
    expected.insert(expected.end(), buffer.begin(), buffer.end());
  }
  int peak = 0;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < frames * 2; ++i) {
    const auto sample = static_cast<std::int16_t>(word(44 + 2 * i, 2));
    differing += sample != expected[i];
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_GT(peak, 1000) << "the music is heard";
}

struct FormatCase {
  const char* name;
  const char* args;
  const char* golden;
  int scale;
  // With --screen: the monitor, and how it enlarges the golden frame.
  platform::Size screen{};
  platform::Scaling scaling = platform::Scaling::Whole;
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class CaptureFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(CaptureFormat, Frame101IsTheGoldenFrame) {
  const FormatCase& c = GetParam();
  Scratch scratch;
  const Result result = Capture(std::string(c.args) + " --frames 101:101 --out out", scratch.path);
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path captured = scratch.path / "out" / "frame-000101.png", golden = fs::path(CORVANE_GOLDEN_DIR) / c.golden;
  if (c.screen.width == 0) {
    ExpectSamePicture(captured, golden, c.scale);
    return;
  }
  // What the monitor shows: the golden frame placed and enlarged there.
  RgbaImage got, frame;
  ASSERT_TRUE(ReadPng(captured.string(), got));
  ASSERT_TRUE(ReadPng(golden.string(), frame));
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) pixels.push_back(frame.rgb(x, y));
  const std::vector<std::uint32_t> want =
      platform::ScalePicture({pixels.data(), frame.width, frame.height, frame.width}, c.screen, c.scaling);
  ASSERT_EQ(got.width, c.screen.width);
  ASSERT_EQ(got.height, c.screen.height);
  int wrong = 0;
  for (int y = 0; y < got.height; ++y)
    for (int x = 0; x < got.width; ++x) wrong += got.rgb(x, y) != want[static_cast<std::size_t>(y * got.width + x)];
  EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Capture, CaptureFormat,
    ::testing::Values(FormatCase{"full_screen", "--full-screen", "frame-0101-fullscreen.png", 1},
                      FormatCase{"window", "--window", "frame-0101-window.png", 1},
                      FormatCase{"window_scaled", "--window --scale 3", "frame-0101-window.png", 3},
                      FormatCase{"screen_filled", "--screen 1366x768 --fill", "frame-0101-fullscreen.png", 1,
                                 {1366, 768}, platform::Scaling::Fill},
                      FormatCase{"screen_whole", "--screen 1920x1080 --whole", "frame-0101-fullscreen.png", 1,
                                 {1920, 1080}, platform::Scaling::Whole},
                      FormatCase{"screen_whole_by_default", "--screen 1600x900", "frame-0101-fullscreen.png", 1,
                                 {1600, 900}, platform::Scaling::Whole}),
    [](const auto& info) { return std::string(info.param.name); });

// A custom intro: a UTF-8 text, an 8-channel module, a public BMP test
// picture as logo and the README's example glyph sheet. The text shows as
// the same text written without accents; the logo's pixels stand at the
// top-left corner, black beside it; the letters are the sheet's; the sound
// is the user's module from frame 100, as the renderer makes it.
TEST(CaptureOwnAssets, ShowsAndPlaysWhatTheUserBrings) {
  Scratch scratch;
  auto textFile = [&](const char* name, const char* line1, const char* line2) {
    std::ofstream(scratch.path / name, std::ios::binary)
        << "CVNTYPER\r\n1\r\n\"\"\r\n\"" << line1 << "\"\r\n\"\"\r\n\"" << line2 << "\"\r\n";
  };
  textFile("utf8.txt", "  gr\xC3\xBC\xC3\x9F" "e an alle  ", "caf\xC3\xA9 und b\xC3\xA4r");
  textFile("plain.txt", "  gruse an alle  ", "cafe und bar");
  const std::vector<std::uint8_t> wide = modgen::widenModule({ModuleData.begin(), ModuleData.end()}, 8);
  std::ofstream(scratch.path / "wide.mod", std::ios::binary)
      .write(reinterpret_cast<const char*>(wide.data()), static_cast<std::streamsize>(wide.size()));
  const std::string pictures = std::string(" --window --logo " BMPSUITE_DIR "/g/rgb24.bmp --font ") +
                               CORVANE_EXAMPLES_DIR + "/example-font.png";
  const Result custom = Capture("--text utf8.txt --music wide.mod --frames 130:130 --out custom" + pictures, scratch.path);
  ASSERT_EQ(custom.status, 0) << custom.err;
  const Result plain = Capture("--text plain.txt --frames 130:130 --out plain" + pictures, scratch.path);
  ASSERT_EQ(plain.status, 0) << plain.err;

  const fs::path frame = scratch.path / "custom" / FrameName(130);
  EXPECT_TRUE(ReadText(frame) == ReadText(scratch.path / "plain" / FrameName(130))) << "UTF-8 text shows as plain";
  RgbaImage shown, logo;
  ASSERT_TRUE(ReadPng(frame.string(), shown));
  ASSERT_TRUE(ReadPng(BMPSUITE_DIR "/html/rgb24.png", logo));
  int wrong = 0, letters = 0;
  for (int y = 0; y < logo.height; ++y)
    for (int x = 0; x < logo.width; ++x) wrong += shown.rgb(x, y) != logo.rgb(x, y);
  EXPECT_EQ(wrong, 0) << "the logo at the top-left corner";
  EXPECT_EQ(shown.rgb(200, 10), 0u) << "black beside a small logo";
  // The example sheet's letters are red: none of the intro's own glyphs is.
  for (int y = 100; y < 240; ++y)
    for (int x = 0; x < 320; ++x) letters += (shown.rgb(x, y) >> 16) > 150 && ((shown.rgb(x, y) >> 8) & 0xFF) < 60;
  EXPECT_GT(letters, 100);

  // Frames 100 to 130 are 31 frames of 16 ms.
  const std::string wav = ReadText(scratch.path / "custom" / "music.wav");
  const std::size_t frames = 31 * 16 * 441 / 10;
  ASSERT_EQ(wav.size(), 44 + frames * 4);
  auto sound = [](std::span<const unsigned char> module) {
    auto renderer = player::ModuleRenderer::load(std::as_bytes(module), PlayerMusicFlags, 44100);
    std::vector<std::int16_t> out(((31 * 16 * 441 / 10) / 1024 + 1) * 2048);
    for (std::size_t at = 0; at < out.size(); at += 2048) renderer->render(std::span(out).subspan(at, 2048));
    return out;
  };
  const std::vector<std::int16_t> theirs = sound(wide), ours = sound(ModuleData);
  std::size_t differing = 0, fromOurs = 0;
  for (std::size_t i = 0; i < frames * 2; ++i) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(wav[44 + 2 * i]) |
                                                  static_cast<unsigned char>(wav[45 + 2 * i]) << 8);
    differing += sample != theirs[i];
    fromOurs += sample != ours[i];
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_GT(fromOurs, frames / 2) << "the user's module, not the intro's own";
}

// The GIF, read back by ImageMagick: every second frame, as the PNG files
// show it, at its time; the first picture whole, the later ones only where
// the screen changed.
TEST(CaptureAnimation, TheGifShowsEverySecondFrame) {
  Scratch scratch;
  const Result result = Capture("--gif --scale 2 --frames 99:160 --out out", scratch.path);
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path out = scratch.path / "out";
  EXPECT_EQ(ReadText(out / "intro.gif").substr(0, 6), "GIF89a");
  ASSERT_EQ(Shell("convert out/intro.gif -coalesce shown-%d.png && identify -format '%T %W %H %w\\n' out/intro.gif "
                  ">pictures.txt",
                  scratch.path),
            0);
  std::istringstream pictures(ReadText(scratch.path / "pictures.txt"));
  std::vector<int> starts{0};  // when each picture comes, in hundredths
  int delay = 0, screenWidth = 0, screenHeight = 0, width = 0, narrower = 0;
  while (pictures >> delay >> screenWidth >> screenHeight >> width) {
    SCOPED_TRACE(starts.size());
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 480);
    if (starts.size() == 1) {
      EXPECT_EQ(width, 640);
    }
    narrower += width < 640;
    starts.push_back(starts.back() + delay);
  }
  // Frames 99, 101, ..., 159: 31 pictures of 32 ms; equal neighbours may
  // have been joined into one.
  ASSERT_GE(starts.size(), 2u);
  EXPECT_EQ(starts.back(), 31 * 32 / 10);
  EXPECT_GT(narrower, 0) << "later pictures cover only what changed";
  for (int frame = 99, k = 0; frame <= 159; frame += 2, ++k) {
    SCOPED_TRACE(frame);
    const int time = k * 32 / 10;
    const auto picture = std::upper_bound(starts.begin(), starts.end(), time) - starts.begin() - 1;
    ExpectSamePicture(scratch.path / ("shown-" + std::to_string(picture) + ".png"), out / FrameName(frame), 1);
  }
}

// The film needs ffmpeg, which may not be installed.
TEST(CaptureAnimation, TheFilmWhereFfmpegIsInstalled) {
  Scratch scratch;
  const bool installed = Shell("command -v ffmpeg >/dev/null", scratch.path) == 0;
  const Result result = Capture("--mp4 --frames 95:130 --out out", scratch.path);
  if (!installed) {
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("ffmpeg"), std::string::npos) << result.err;
    EXPECT_TRUE(FilesIn(scratch.path).empty());
    return;
  }
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadText(scratch.path / "out" / "intro.mp4").substr(4, 4), "ftyp");
}

// --- Progress and interruption ------------------------------------------------

// Long enough to pass the second after which the bar appears, even on a fast
// machine. Which steps show depends on the machine's speed; that each step
// shown ends at 100% does not.
const char* kLongRun = "--frames 101:250 --scale 10 --out long";

TEST(CaptureProgress, ShownOnATerminalOnly) {
  Scratch scratch;
  const Result redirected = Capture(kLongRun, scratch.path);
  ASSERT_EQ(redirected.status, 0) << redirected.err;
  EXPECT_EQ(redirected.err.find('%'), std::string::npos) << redirected.err;
  EXPECT_EQ(redirected.err.find('\r'), std::string::npos);
  // script(1) gives the tool a terminal and copies what it shows to stdout.
  ASSERT_EQ(Shell("script -q -e -c \"'" + kTool + "' " + kLongRun + "\" /dev/null >terminal.txt", scratch.path), 0);
  const std::string shown = ReadText(scratch.path / "terminal.txt");
  int steps = 0;
  for (const char* step : {"frames [", "music  ["}) {
    if (shown.find(step) == std::string::npos) continue;
    ++steps;
    const std::string last = shown.substr(shown.rfind(step));
    EXPECT_NE(last.find("] 100% ("), std::string::npos) << step << " ends short of 100%:\n" << shown;
  }
  EXPECT_GE(steps, 1) << shown;
  // The bar's line is ended before the tool exits.
  EXPECT_NE(shown.find("\033[K\r\n"), std::string::npos) << shown;
}

class CaptureInterrupted : public ::testing::TestWithParam<int> {};

TEST_P(CaptureInterrupted, LeavesOnlyFinishedFiles) {
  Scratch scratch;
  const fs::path out = scratch.path / "out";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string dir = out.string();
    ::execl(kTool.c_str(), kTool.c_str(), "--frames", "101:1000000", "--scale", "4", "--gif", "--out", dir.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Wait until it is well into the frames, then interrupt it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (FilesIn(out).size() < 20 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ::kill(child, GetParam());
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "it ends by the signal it got";
  EXPECT_EQ(WTERMSIG(status), GetParam());
  const std::vector<std::string> names = FilesIn(out);
  EXPECT_GE(names.size(), 20u);
  for (const std::string& name : names) {
    ASSERT_EQ(name.rfind("frame-", 0), 0u) << "no half-written GIF or other file: " << name;
    RgbaImage picture;
    EXPECT_TRUE(ReadPng((out / name).string(), picture)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Capture, CaptureInterrupted, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return std::string(info.param == SIGINT ? "sigint" : "sigterm"); });

}  // namespace
}  // namespace corvane::test
