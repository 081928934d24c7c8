// One capture: the intro's frames as PNG files, its music as a WAV file and,
// when asked, a GIF made along with the frames and an MP4 made from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "CaptureOptions.h"
#include "MusicTrack.h"
#include "ProgressBar.h"

namespace corvane::capture {

class IntroRecorder;

class CaptureRun {
 public:
  CaptureRun(CaptureOptions options, ProgressBar& progress);

  // Raises std::runtime_error with a message for the user. Returns early,
  // having removed what it had half written, when the run is interrupted.
  void run();

  // The file name of frame `frame` in the output directory.
  static std::string FrameFileName(std::int32_t frame);

 private:
  void prepareOutput();
  void recordFrames();
  void startMusicAhead(const IntroRecorder& recorder);
  void writeMusic();
  void makeMp4();
  std::string outPath(const std::string& name) const { return outDir + "/" + name; }

  CaptureOptions options;
  ProgressBar& progress;
  std::string outDir;  // absolute, so that a change of directory does not move it
  std::string ffmpeg;
  std::optional<std::uint32_t> musicStartMs;
  std::uint32_t frameIntervalMs = 16;
  std::uint32_t lastFrameEndMs = 0;
  bool musicWritten = false;
  std::optional<MusicAhead> musicAhead;
};

}  // namespace corvane::capture
