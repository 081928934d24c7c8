// What the capture tool is asked to do, read from its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "IntroOptions.h"
#include "platform/Display.h"

namespace corvane::capture {

struct CaptureOptions {
  // Frames are counted as the intro counts them: frame 1 is the first tick of
  // its frame timer, the music starts at frame 100, drawing at 101. One pass
  // through the three built-in pages is frames 101 to 700.
  std::int32_t firstFrame = 101;
  std::int32_t lastFrame = 700;
  std::string outDir = "corvane-capture";
  bool window = false;  // the window's 32-bit format, as after F1 at start
  int scale = 1;        // whole-number enlargement, nearest neighbour
  // The full-screen picture as a monitor of this size shows it, placed and
  // enlarged the way `scaling` says; empty: the picture itself.
  std::optional<platform::Size> screen;
  platform::Scaling scaling = platform::Scaling::Whole;
  AssetPaths assets;  // the user's own text, music, logo and font; empty: the intro's own
  bool gif = false;
  bool mp4 = false;
  bool help = false;
};

inline constexpr std::int32_t kMaxFrame = 1'000'000;  // 4.4 hours of intro; its WAV stays below 4 GB
inline constexpr int kMaxScale = 16;
inline constexpr int kMaxScreenSide = 4096;

// A command line that cannot be followed; the message says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name; raises UsageError.
CaptureOptions ParseOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string HelpText();

}  // namespace corvane::capture
