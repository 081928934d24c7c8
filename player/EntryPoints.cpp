#include "EntryPoints.h"

#include <array>

#include "PlayerApi.h"

namespace corvane::player {

namespace {
template <typename Function>
EntryPoint Entry(const char* name, Function* function) {
  return {name, reinterpret_cast<void (*)()>(function)};
}
}  // namespace

std::span<const EntryPoint> EntryPoints() {
  static const std::array entries{
      Entry("BASSMOD_ErrorGetCode", &BASSMOD_ErrorGetCode),
      Entry("BASSMOD_Free", &BASSMOD_Free),
      Entry("BASSMOD_GetCPU", &BASSMOD_GetCPU),
      Entry("BASSMOD_GetDeviceDescription", &BASSMOD_GetDeviceDescription),
      Entry("BASSMOD_GetVersion", &BASSMOD_GetVersion),
      Entry("BASSMOD_GetVolume", &BASSMOD_GetVolume),
      Entry("BASSMOD_Init", &BASSMOD_Init),
      Entry("BASSMOD_MusicFree", &BASSMOD_MusicFree),
      Entry("BASSMOD_MusicGetLength", &BASSMOD_MusicGetLength),
      Entry("BASSMOD_MusicGetPosition", &BASSMOD_MusicGetPosition),
      Entry("BASSMOD_MusicIsActive", &BASSMOD_MusicIsActive),
      Entry("BASSMOD_MusicLoad", &BASSMOD_MusicLoad),
      Entry("BASSMOD_MusicPause", &BASSMOD_MusicPause),
      Entry("BASSMOD_MusicPlay", &BASSMOD_MusicPlay),
      Entry("BASSMOD_MusicPlayEx", &BASSMOD_MusicPlayEx),
      Entry("BASSMOD_MusicRemoveSync", &BASSMOD_MusicRemoveSync),
      Entry("BASSMOD_MusicSetAmplify", &BASSMOD_MusicSetAmplify),
      Entry("BASSMOD_MusicSetPanSep", &BASSMOD_MusicSetPanSep),
      Entry("BASSMOD_MusicSetPosition", &BASSMOD_MusicSetPosition),
      Entry("BASSMOD_MusicSetPositionScaler", &BASSMOD_MusicSetPositionScaler),
      Entry("BASSMOD_MusicSetSync", &BASSMOD_MusicSetSync),
      Entry("BASSMOD_MusicStop", &BASSMOD_MusicStop),
      Entry("BASSMOD_SetVolume", &BASSMOD_SetVolume),
  };
  return entries;
}

}  // namespace corvane::player
