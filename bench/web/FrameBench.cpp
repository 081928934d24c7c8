// One whole frame of the intro on the native build: the real program on the
// headless platform, stepped by the capture tool's recorder (the clock moves
// one frame-timer interval per step), past the music's start so that every
// frame is drawn and presented. The web page's frame in its deterministic
// mode is the same work in the browser; scripts/bench-web.sh sets the two
// side by side.
#include <benchmark/benchmark.h>

#include <memory>

#include "IntroRecorder.h"

namespace {

// The intro's tables are process-wide: one recorder for the whole run.
corvane::capture::IntroRecorder& Recorder() {
  static auto recorder = [] {
    auto made = std::make_unique<corvane::capture::IntroRecorder>(false);
    while (made->frameNumber() < 101) made->nextFrame();
    return made;
  }();
  return *recorder;
}

void IntroFrame(benchmark::State& state) {
  corvane::capture::IntroRecorder& recorder = Recorder();
  for (auto _ : state)
    if (!recorder.nextFrame()) state.SkipWithError("the intro stopped");
}
BENCHMARK(IntroFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
