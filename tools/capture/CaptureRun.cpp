#include "CaptureRun.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "ExternalProgram.h"
#include "FrameWriter.h"
#include "GifEncoder.h"
#include "IntroRecorder.h"
#include "Interruption.h"
#include "MusicTrack.h"
#include "OutputFile.h"
#include "Tallberg_Functions.h"

namespace corvane::capture {

namespace fs = std::filesystem;

namespace {

// A GIF counts its delays in hundredths of a second and players stretch very
// short ones, so it takes every second frame: 32 ms each, 3.2 hundredths,
// given as 3, 3, 4, 3, 3, ... so that the sum stays in step.
constexpr int kGifFrameStep = 2;

std::string Seconds(std::int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%03lld", ms < 0 ? "-" : "", static_cast<long long>(std::llabs(ms) / 1000),
                static_cast<long long>(std::llabs(ms) % 1000));
  return text;
}

// Frames a second, for a film with frames `intervalMs` apart.
std::string Rate(std::uint32_t intervalMs) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", 1000.0 / intervalMs);
  return text;
}

// What a monitor of `size` shows of the full-screen picture.
ScreenPicture OnMonitor(const ScreenPicture& picture, platform::Size size, platform::Scaling scaling) {
  const platform::FrameView frame{picture.pixels.data(), picture.width, picture.height, picture.width};
  return {size.width, size.height, platform::ScalePicture(frame, size, scaling)};
}

}  // namespace

CaptureRun::CaptureRun(CaptureOptions options, ProgressBar& progress)
    : options(std::move(options)), progress(progress) {}

std::string CaptureRun::FrameFileName(std::int32_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06d.png", static_cast<int>(frame));
  return name;
}

void CaptureRun::run() {
  if (options.mp4) {
    ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty()) throw std::runtime_error("--mp4 needs ffmpeg, which is not installed");
  }
  prepareOutput();
  recordFrames();
  if (Interrupted()) return;
  writeMusic();
  if (Interrupted()) return;
  if (options.mp4) makeMp4();
}

void CaptureRun::prepareOutput() {
  std::error_code error;
  fs::create_directories(options.outDir, error);
  if (error) throw std::runtime_error("cannot make the directory " + options.outDir + ": " + error.message());
  outDir = fs::absolute(options.outDir).lexically_normal().string();
  if (outDir.size() > 1 && outDir.back() == '/') outDir.pop_back();
  // Find out now, not after the run, whether files can be made there.
  OutputFile probe(outPath("probe"));
}

void CaptureRun::recordFrames() {
  std::optional<IntroRecorder> recorder;
  recorder.emplace(options.window);
  FrameWriter writer(options.scale, std::thread::hardware_concurrency());
  // The GIF is made as the frames come, from every second one.
  std::optional<OutputFile> gifFile;
  std::optional<GifEncoder> gif;
  if (options.gif) {
    gifFile.emplace(outPath("intro.gif"));
    gif.emplace(options.scale);
  }
  int gifPictures = 0, gifShown = 0;  // pictures so far, and their time in hundredths
  while (recorder->frameNumber() < options.lastFrame) {
    if (Interrupted()) return;
    if (!recorder->nextFrame())
      throw std::runtime_error("the intro stopped at frame " + std::to_string(recorder->frameNumber()) +
                               " (see its message above)");
    const std::int32_t frame = recorder->frameNumber();
    if (frame >= options.firstFrame) {
      ScreenPicture screen = recorder->screen(writer.spareStorage());
      if (options.screen) screen = OnMonitor(screen, *options.screen, options.scaling);
      if (gif && (frame - options.firstFrame) % kGifFrameStep == 0) {
        const int until = static_cast<int>(++gifPictures * recorder->frameIntervalMs() * kGifFrameStep / 10);
        gifFile->write(gif->add(screen, until - gifShown));
        gifShown = until;
      }
      writer.write(outPath(FrameFileName(frame)), std::move(screen));
    }
    if (!musicAhead && recorder->musicStartMs()) startMusicAhead(*recorder);
    progress.update("frames", static_cast<std::uint64_t>(frame), static_cast<std::uint64_t>(options.lastFrame));
  }
  writer.finish();
  if (gif) {
    gifFile->write(gif->finish());
    gifFile->commit();
  }
  musicStartMs = recorder->musicStartMs();
  frameIntervalMs = recorder->frameIntervalMs();
  lastFrameEndMs = recorder->frameTimeMs() + frameIntervalMs;
}

// The music is rendered alongside the frames from the moment it starts, as
// far as the last frame will go (the frames come one interval apart), so
// that only what is left of it waits for the frames to be done. At most a
// minute of it, which bounds the memory it holds.
void CaptureRun::startMusicAhead(const IntroRecorder& recorder) {
  constexpr std::uint64_t kMostAheadMs = 60'000;
  const std::uint64_t framesLeft = static_cast<std::uint64_t>(std::max(options.lastFrame - recorder.frameNumber(), 0));
  const std::uint64_t lastEndMs = recorder.frameTimeMs() + (framesLeft + 1) * recorder.frameIntervalMs();
  musicAhead.emplace(SampleFramesAt(std::min(lastEndMs - *recorder.musicStartMs(), kMostAheadMs)));
}

void CaptureRun::writeMusic() {
  if (options.lastFrame < MusicStartFrame) return;  // the music had not started
  if (!musicStartMs) throw std::runtime_error("the intro did not start its music at frame 100");
  const std::size_t frames = SampleFramesAt(lastFrameEndMs - *musicStartMs);
  OutputFile file(outPath("music.wav"));
  const bool done = WriteIntroMusic(
      file, frames,
      [this, frames](std::size_t rendered) {
        progress.update("music ", rendered, frames);
        return !Interrupted();
      },
      musicAhead ? &*musicAhead : nullptr);
  if (!done) return;
  progress.update("music ", frames, frames);
  file.commit();
  musicWritten = true;
}

void CaptureRun::makeMp4() {
  progress.update("mp4   ", 0, 1);
  OutputFile file(outPath("intro.mp4"));
  std::vector<std::string> argv{ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                "-framerate", Rate(frameIntervalMs), "-start_number", std::to_string(options.firstFrame),
                                "-i", outPath("frame-%06d.png")};
  if (musicWritten) {
    // The sound file begins at frame 100; the film at the first frame.
    const std::int64_t offsetMs = (std::int64_t{MusicStartFrame} - options.firstFrame) * frameIntervalMs;
    if (offsetMs >= 0) argv.insert(argv.end(), {"-itsoffset", Seconds(offsetMs)});
    else argv.insert(argv.end(), {"-ss", Seconds(-offsetMs)});
    argv.insert(argv.end(), {"-i", outPath("music.wav"), "-c:a", "aac", "-b:a", "192k"});
  }
  argv.insert(argv.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-fflags", "+bitexact", "-shortest",
                           "-f", "mp4", file.scratchPath()});
  if (RunProgram(argv, Interrupted) != 0) {
    if (Interrupted()) return;
    throw std::runtime_error("ffmpeg could not make " + outPath("intro.mp4"));
  }
  file.commit();
  progress.update("mp4   ", 1, 1);
}

}  // namespace corvane::capture
