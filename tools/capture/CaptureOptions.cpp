#include "CaptureOptions.h"

#include <charconv>

namespace corvane::capture {

namespace {

// A whole decimal number filling all of `text`, within [low, high].
std::int32_t ParseNumber(const std::string& text, std::int32_t low, std::int32_t high, const std::string& what) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || at != end || value < low || value > high)
    throw UsageError(what + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not '" + text + "'");
  return value;
}

void ParseFrames(const std::string& text, CaptureOptions& options) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) throw UsageError("--frames wants FIRST:LAST, not '" + text + "'");
  options.firstFrame = ParseNumber(text.substr(0, colon), 1, kMaxFrame, "the first frame");
  options.lastFrame = ParseNumber(text.substr(colon + 1), 1, kMaxFrame, "the last frame");
  if (options.lastFrame < options.firstFrame)
    throw UsageError("--frames " + text + ": the last frame comes before the first");
}

// WIDTHxHEIGHT, each side a whole number of pixels.
platform::Size ParseScreen(const std::string& text) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) throw UsageError("--screen wants WIDTHxHEIGHT, not '" + text + "'");
  return {ParseNumber(text.substr(0, x), 1, kMaxScreenSide, "the screen's width"),
          ParseNumber(text.substr(x + 1), 1, kMaxScreenSide, "the screen's height")};
}

// Options that contradict each other.
void CheckCombination(const CaptureOptions& options, bool scalingGiven) {
  if (options.outDir.empty()) throw UsageError("--out needs a directory");
  if (scalingGiven && !options.screen) throw UsageError("--fill and --whole need --screen");
  if (options.screen && options.window) throw UsageError("--screen shows the full screen; it cannot go with --window");
  if (options.screen && options.scale != 1) throw UsageError("--screen gives the size; it cannot go with --scale");
}

}  // namespace

CaptureOptions ParseOptions(const std::vector<std::string>& args) {
  CaptureOptions options;
  bool scalingGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    try {
      if (TakeAssetOption(args, i, options.assets)) continue;
    } catch (const OptionError& error) {
      throw UsageError(error.what());
    }
    if (arg == "--help" || arg == "-h") options.help = true;
    else if (arg == "--frames") ParseFrames(value(), options);
    else if (arg == "--out") options.outDir = value();
    else if (arg == "--window") options.window = true;
    else if (arg == "--full-screen") options.window = false;
    else if (arg == "--scale") options.scale = ParseNumber(value(), 1, kMaxScale, "--scale");
    else if (arg == "--screen") options.screen = ParseScreen(value());
    else if (arg == "--fill" || arg == "--whole") {
      options.scaling = arg == "--fill" ? platform::Scaling::Fill : platform::Scaling::Whole;
      scalingGiven = true;
    }
    else if (arg == "--gif") options.gif = true;
    else if (arg == "--mp4") options.mp4 = true;
    else throw UsageError("unknown option '" + arg + "'");
  }
  CheckCombination(options, scalingGiven);
  return options;
}

std::string HelpText() {
  return std::string(R"(Usage: corvane-capture [OPTIONS]

Runs the intro without a display, on a clock that moves exactly one frame
interval (16 ms) per frame, and writes what it shows and plays:
  DIR/frame-NNNNNN.png   every frame of the range, NNNNNN the frame number
  DIR/music.wav          the music, 44100 Hz 16-bit stereo, from frame 100
                         (where the intro starts it) to the end of the last
                         frame; frame N is shown (N - 100) * 16 ms into it
Nothing is played on a sound device and nothing is shown on the screen.

Options:
  --frames FIRST:LAST  the frames to write (default 101:700, one pass through
                       the built-in pages); frame 1 is the first tick, frames
                       1 to 100 show the black screen the intro starts with
  --out DIR            where to write (default ./corvane-capture); made if
                       missing; files already there are replaced
  --full-screen        the full-screen format, 320x240 in 16 bits (default)
  --window             the window's 32-bit format, as after F1 at start
  --scale N            enlarge every picture N times (1-16), nearest neighbour
  --screen WxH         write what a monitor of W x H pixels shows of the full
                       screen: the picture enlarged and placed on black
    --whole            by whole numbers only, as the intro does by default
    --fill             to the monitor's height (or width): by the largest
                       whole number, then smoothly by the rest (F2 in the intro)
  --gif                also write DIR/intro.gif, every second frame at
                       31.25 frames a second, looping
  --mp4                also write DIR/intro.mp4 with the sound (needs ffmpeg)
  -h, --help           show this text

The intro's own assets can be replaced, as in the intro itself:
)") + AssetOptionsHelp() + R"(
)" + AssetCheckNote() + R"(
Two runs with the same options write the same bytes. Files appear under their
final names only when complete; an interrupted run leaves the finished ones.
Exit status: 0 done, 1 failed, 2 bad command line or FILE, 130/143
interrupted.
)";
}

}  // namespace corvane::capture
