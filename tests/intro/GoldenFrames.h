// The frames whose pictures are kept as references: the first drawn frame,
// two frames of the first page at full strength, a fading and an empty frame
// of its end, and the second page. Shared by the test that compares them and
// by the program that makes the references.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "headless/HeadlessBackend.h"

namespace corvane::test {

inline const std::vector<std::int32_t> GoldenFrameNumbers = {101, 150, 185, 195, 285, 295, 302};

// Full screen draws in 5-6-5, the window in 32 bits.
struct GoldenMode {
  const char* name;
  bool window;
};
inline void PrintTo(const GoldenMode& mode, std::ostream* os) { *os << mode.name; }
inline const GoldenMode GoldenModes[] = {{"fullscreen", false}, {"window", true}};

// "frame-0101-fullscreen.png" and the like.
std::string GoldenFileName(std::int32_t frame, const GoldenMode& mode);

// With the intro's form created and shown and no frame counted yet: switches
// to the window when the mode asks for it, then runs the loop to each frame
// in turn and keeps the picture presented in it.
std::vector<platform::PresentedFrame> CaptureIntroFrames(platform::HeadlessBackend& backend,
                                                         const GoldenMode& mode,
                                                         const std::vector<std::int32_t>& frames);

}  // namespace corvane::test
