// The player's processor time per second of music, against a peer in the
// same run: libopenmpt rendering the same module with the same settings
// straight into memory, with no player, sound thread or output around it.
//
// The player runs as the intro runs it: loaded from its file, initialised on
// the default output, the module loaded from a file with the intro's flags.
// The output is SDL's disk driver without its real-time delay, so the sound
// thread renders as fast as it can; the time reported per iteration is the
// processor time the whole process spent while one second of music went out.
// "core_percent" is that time as a share of one core when the music plays in
// real time (the target is under 1%); "vs_peer" divides it by the peer's.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libopenmpt/libopenmpt.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "PlayerApi.h"

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kBufferFrames = 1024;
constexpr long kBytesPerSecond = kRate * 4;  // 16-bit stereo
constexpr std::uint32_t kIntroMusicFlags = PLAYER_MUSIC_RAMP | PLAYER_MUSIC_LOOP | PLAYER_MUSIC_POSRESET;

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

std::vector<char> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The peer: libopenmpt with the renderer's fixed settings and the flags'
// meaning (volume ramping as the mixer recommends, looping).
class PeerRenderer {
 public:
  PeerRenderer() : data_(ReadFile(CORVANE_MODULE_FILE)), module_(data_.data(), data_.size()) {
    module_.ctl_set_integer("dither", 0);
    module_.ctl_set_boolean("render.resampler.emulate_amiga", false);
    module_.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 0);
    module_.set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, -1);
    module_.set_render_param(openmpt::module::RENDER_STEREOSEPARATION_PERCENT, 50);
    module_.set_repeat_count(-1);
  }
  // Renders one second of music, `step` frames a call; gives the frames rendered.
  std::size_t renderSecond(std::size_t step = kBufferFrames) {
    std::size_t done = 0;
    while (done < kRate) {
      const std::size_t want = std::min<std::size_t>(step, kRate - done);
      done += module_.read_interleaved_stereo(kRate, want, buffer_.data());
      benchmark::DoNotOptimize(buffer_.data());
    }
    return done;
  }

 private:
  std::vector<char> data_;
  openmpt::module module_;
  std::vector<std::int16_t> buffer_ = std::vector<std::int16_t>(2 * kBufferFrames);
};

// Processor time of the peer per second of music, measured on this thread.
double PeerSecondsPerSecond(int seconds) {
  PeerRenderer peer;
  const double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  for (int i = 0; i < seconds; ++i) peer.renderSecond();
  return (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start) / seconds;
}

// The peer reading a whole output buffer a call, and reading in the steps in
// which the player follows the song position (64 frames).
void BM_Peer_Libopenmpt(benchmark::State& state) {
  PeerRenderer peer;
  for (auto _ : state) {
    const double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    peer.renderSecond(static_cast<std::size_t>(state.range(0)));
    state.SetIterationTime(CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start);
  }
  state.SetLabel("processor time per second of music");
}

// The player library, bound by name the way the intro binds it.
struct Player {
  void* handle = dlopen(CORVANE_PLAYER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  template <class F>
  F* bind(const char* name) {
    return reinterpret_cast<F*>(handle ? dlsym(handle, name) : nullptr);
  }
  bool bound() const { return init && free && load && play; }
  decltype(&BASSMOD_Init) init = bind<decltype(BASSMOD_Init)>("BASSMOD_Init");
  decltype(&BASSMOD_Free) free = bind<decltype(BASSMOD_Free)>("BASSMOD_Free");
  decltype(&BASSMOD_MusicLoad) load = bind<decltype(BASSMOD_MusicLoad)>("BASSMOD_MusicLoad");
  decltype(&BASSMOD_MusicPlay) play = bind<decltype(BASSMOD_MusicPlay)>("BASSMOD_MusicPlay");
};

long FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? long(info.st_size) : 0;
}

// Waits until the sound file holds `bytes`; gives the process's processor
// time spent meanwhile (the waiting itself costs next to nothing).
double ProcessTimeUntil(const std::string& sound, long bytes) {
  const double start = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  while (FileSize(sound) < bytes) std::this_thread::sleep_for(std::chrono::microseconds(500));
  return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start;
}

void BM_Player(benchmark::State& state) {
  const std::string sound = "/tmp/corvane-bench-" + std::to_string(::getpid()) + ".raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", sound.c_str(), 1);
  ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  Player player;
  if (!player.bound() || !player.init(-1, kRate, 0) || !player.load(0, CORVANE_MODULE_FILE, 0, 0, kIntroMusicFlags)) {
    state.SkipWithError("the player could not start");
    return;
  }
  player.play();
  long target = FileSize(sound);
  double total = 0;
  for (auto _ : state) {
    target += kBytesPerSecond;
    const double seconds = ProcessTimeUntil(sound, target);
    state.SetIterationTime(seconds);
    total += seconds;
  }
  player.free();
  ::unlink(sound.c_str());
  const double perSecond = total / double(state.iterations());
  state.counters["core_percent"] = perSecond * 100.0;
  // The peer renders the same stretch of the song: its parts differ in cost.
  state.counters["vs_peer"] = perSecond / PeerSecondsPerSecond(int(state.iterations()));
  state.SetLabel("processor time per second of music");
}

BENCHMARK(BM_Peer_Libopenmpt)->Arg(1024)->Arg(64)->UseManualTime()->Iterations(60)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Player)->UseManualTime()->Iterations(60)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
