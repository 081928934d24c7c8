// The intro running for a long time: a million frames (about four and a half
// hours of virtual time) with the clock passing 2^32 ms early on and F1
// switching between full screen and window every 1000 frames. Memory, open
// files and drawing objects must stay flat after the first switch, every
// 16 ms must give exactly one frame, and the last picture must be the one a
// fresh, short run shows in the same animation state and display mode.
#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <numeric>

#include "platform/Gdi32.h"
#include "support/IntroFixture.h"

namespace corvane::test {
namespace {

constexpr std::int32_t kMusicStartFrame = 100;
constexpr std::int32_t kFrameMs = 16;
constexpr std::int32_t kToggleEvery = 1000;
// Pages change every 201 frames (three pages), the rows' wave every 10: the
// picture repeats every 6030 frames once both cycles have started.
constexpr std::int32_t kPictureCycle = 6030;
constexpr std::int32_t kCyclesStartBy = 201;
// A multiple of two switches, so every checkpoint is in the same display mode.
constexpr std::int32_t kCheckpointEvery = 10000;

std::int32_t SoakFrames() {
  const char* text = std::getenv("CORVANE_SOAK_FRAMES");
  const long frames = text ? std::strtol(text, nullptr, 10) : CORVANE_SOAK_DEFAULT_FRAMES;
  return static_cast<std::int32_t>(std::clamp<long>(frames, 13000, 100000000));
}

long ResidentKiB() {
  long size = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenFiles() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

// Bytes the program holds from the allocator (all arenas and large blocks).
// Unlike the resident size this does not depend on when the allocator gives
// freed pages back: the window's 32-bit buffers are 8 MB more than the full
// screen's, and whether that much stays resident after a switch back varies.
long HeapKiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

struct Checkpoint {
  std::int32_t frame;
  long heapKiB;
  long residentKiB;
  int openFiles;
  std::size_t gdiObjects;
};

class IntroSoak : public IntroFixture {
 protected:
  // One frame: 7 ms are too early for the 16 ms timer, 9 more make it fire.
  void nextFrame() {
    const std::int32_t before = FrameCounter;
    clock().advance(7);
    Application->HandleMessage();
    ASSERT_EQ(FrameCounter, before) << "a frame before its 16 ms";
    clock().advance(kFrameMs - 7);
    Application->HandleMessage();
    ASSERT_EQ(FrameCounter, before + 1) << "no frame after 16 ms";
  }
  void runToFrame(std::int32_t frame) {
    while (FrameCounter < frame && !HasFatalFailure()) nextFrame();
  }
  Checkpoint checkpoint() const {
    return {FrameCounter, HeapKiB(), ResidentKiB(), OpenFiles(), platform::GdiObjectCount()};
  }
  // A fresh intro, started with the clock at `ms`.
  void restart(std::uint32_t ms) {
    TearDown();
    SetUp();
    clock().setVirtual(true);
    clock().set(ms);
    create();
    start();
  }
  ScratchDirectory dir;
};

TEST_F(IntroSoak, StaysFlatAndKeepsItsPicture) {
  const std::int32_t frames = SoakFrames();
  const std::uint32_t startMs = 0xFFFFFFFFu - 30000;  // 2^32 ms comes after about 1875 frames
  restart(startMs);
  const auto began = std::chrono::steady_clock::now();

  int toggles = 0;
  // Room for every checkpoint from the start, so that the record itself
  // does not add to the memory it records.
  std::vector<Checkpoint> checkpoints;
  checkpoints.reserve(static_cast<std::size_t>(frames / kCheckpointEvery) + 1);
  Checkpoint baseline{};
  bool wrapped = false;
  while (FrameCounter < frames && !HasFatalFailure()) {
    nextFrame();
    if (clock().now() < startMs) wrapped = true;
    if (FrameCounter % kToggleEvery == 0 && FrameCounter < frames) {
      pressKey(platform::VK_F1);
      ++toggles;
    }
    // Taken half-way between switches, always in the same display mode.
    if (FrameCounter == 2 * kToggleEvery + kToggleEvery / 2) baseline = checkpoint();
    if (baseline.frame > 0 && FrameCounter > baseline.frame && FrameCounter % kCheckpointEvery == baseline.frame)
      checkpoints.push_back(checkpoint());
  }
  ASSERT_FALSE(HasFatalFailure());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::printf("soak: %d frames in %.1f s (%.1f us a frame), %d switches, %zu checkpoints\n", frames, seconds,
              1e6 * seconds / frames, toggles, checkpoints.size());

  EXPECT_TRUE(wrapped) << "the clock passed 2^32 ms";
  // Every 16 ms of the run gave one frame.
  EXPECT_EQ(static_cast<std::uint32_t>(clock().now() - startMs), static_cast<std::uint32_t>(frames) * kFrameMs);
  EXPECT_EQ(toggles, (frames - 1) / kToggleEvery);

  ASSERT_FALSE(checkpoints.empty());
  // The resident size settles once both modes have been shown a few times;
  // from the first checkpoint on it must stay where it is.
  const long residentKiB = checkpoints.front().residentKiB;
  // A sanitizer's allocator reports nothing in use and holds freed memory
  // back on purpose, so neither size means anything there.
  const bool plainAllocator = baseline.heapKiB > 0;
  if (!plainAllocator) std::printf("soak: sanitizer allocator, memory sizes not compared\n");
  for (const Checkpoint& c : checkpoints) {
    SCOPED_TRACE("frame " + std::to_string(c.frame));
    std::printf("soak: frame %d: %ld KiB in use, %ld KiB resident, %d open files, %zu drawing objects\n", c.frame,
                c.heapKiB, c.residentKiB, c.openFiles, c.gdiObjects);
    if (plainAllocator) {
      EXPECT_LE(c.heapKiB, baseline.heapKiB + baseline.heapKiB / 100)
          << "memory in use grew by more than 1% from " << baseline.heapKiB << " KiB";
      EXPECT_LE(c.residentKiB, residentKiB + residentKiB / 100)
          << "resident memory grew by more than 1% from " << residentKiB << " KiB";
    }
    EXPECT_EQ(c.openFiles, baseline.openFiles);
    EXPECT_EQ(c.gdiObjects, baseline.gdiObjects);
  }

  // The picture depends on the animation (the frame count, within the cycle)
  // and the display mode (full screen or window) only, so a fresh run in the
  // same mode to a frame in the same place of the cycle must show it too.
  const std::vector<std::uint32_t> last = screen().pixels;
  const bool fullScreen = screen().fullScreen;
  const std::int32_t m = frames - kMusicStartFrame;
  const std::int32_t same = kMusicStartFrame + kCyclesStartBy + (m - kCyclesStartBy) % kPictureCycle;
  restart(0x12345678u);
  if (toggles % 2) pressKey(platform::VK_F1);
  runToFrame(same);
  ASSERT_EQ(screen().fullScreen, fullScreen);
  const auto differing = std::inner_product(last.begin(), last.end(), screen().pixels.begin(), std::size_t{0},
                                            std::plus<>(), std::not_equal_to<>());
  EXPECT_EQ(last.size(), screen().pixels.size());
  EXPECT_EQ(differing, 0u) << "pixels of frame " << frames << " that differ from frame " << same << " of a short run";

  // The frame count stops at its largest value instead of wrapping.
  FrameCounter = std::numeric_limits<std::int32_t>::max() - 2;
  for (int i = 0; i < 5; ++i) {
    clock().advance(kFrameMs);
    Application->HandleMessage();
  }
  EXPECT_EQ(FrameCounter, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace corvane::test
