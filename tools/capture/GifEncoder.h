// Turns the intro's pictures into an animated GIF, one picture at a time,
// holding no more than the picture on show and the one waiting to be written:
// a long or large animation costs no more memory than a short one.
//
// Each picture after the first is written as the rectangle that changed, with
// the pixels that did not change inside it left transparent; a picture equal
// to the one before only lengthens that one's time. Every picture has its own
// colour table, sorted, so the same pictures always give the same bytes. The
// intro shows a few dozen greys; a picture with more than 255 new colours is
// reduced to 3-3-2 bits of red, green and blue rather than refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "PngEncoder.h"

namespace corvane::capture {

class GifEncoder {
 public:
  // Each pixel is drawn as a `scale` × `scale` square; the animation loops
  // for ever.
  explicit GifEncoder(int scale);

  // Adds `picture`, shown for `delay` hundredths of a second. Every picture
  // has the size of the first. Returns the bytes that are ready, perhaps none.
  std::vector<std::byte> add(const ScreenPicture& picture, int delay);
  // The rest of the file. Nothing may be added afterwards.
  std::vector<std::byte> finish();

 private:
  void writePending(std::vector<std::byte>& out);

  int scale;
  bool headerWritten = false;
  bool finished = false;
  std::optional<ScreenPicture> pending;
  int pendingDelay = 0;
  ScreenPicture shown;  // what a viewer shows after the pictures written
};

}  // namespace corvane::capture
