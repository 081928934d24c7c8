// The player library bound the way the intro binds it: dlopen by path and
// every entry point looked up by name.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "PlayerApi.h"

namespace corvane::test {

struct PlayerLibrary {
  decltype(&BASSMOD_GetVersion) getVersion;
  decltype(&BASSMOD_GetDeviceDescription) getDeviceDescription;
  decltype(&BASSMOD_ErrorGetCode) errorGetCode;
  decltype(&BASSMOD_Init) init;
  decltype(&BASSMOD_Free) free;
  decltype(&BASSMOD_GetCPU) getCpu;
  decltype(&BASSMOD_GetVolume) getVolume;
  decltype(&BASSMOD_SetVolume) setVolume;
  decltype(&BASSMOD_MusicLoad) musicLoad;
  decltype(&BASSMOD_MusicFree) musicFree;
  decltype(&BASSMOD_MusicPlay) musicPlay;
  decltype(&BASSMOD_MusicPlayEx) musicPlayEx;
  decltype(&BASSMOD_MusicSetAmplify) musicSetAmplify;
  decltype(&BASSMOD_MusicSetPanSep) musicSetPanSep;
  decltype(&BASSMOD_MusicSetPositionScaler) musicSetPositionScaler;
  decltype(&BASSMOD_MusicIsActive) musicIsActive;
  decltype(&BASSMOD_MusicStop) musicStop;
  decltype(&BASSMOD_MusicPause) musicPause;
  decltype(&BASSMOD_MusicGetLength) musicGetLength;
  decltype(&BASSMOD_MusicSetPosition) musicSetPosition;
  decltype(&BASSMOD_MusicGetPosition) musicGetPosition;
  decltype(&BASSMOD_MusicSetSync) musicSetSync;
  decltype(&BASSMOD_MusicRemoveSync) musicRemoveSync;
  void* handle;

  // Loaded once per test process and kept, as the intro keeps it while it runs.
  static PlayerLibrary& get() {
    static PlayerLibrary library(CORVANE_PLAYER_LIBRARY);
    return library;
  }

 private:
  explicit PlayerLibrary(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle == nullptr) throw std::runtime_error(dlerror());
    bind(getVersion, "BASSMOD_GetVersion");
    bind(getDeviceDescription, "BASSMOD_GetDeviceDescription");
    bind(errorGetCode, "BASSMOD_ErrorGetCode");
    bind(init, "BASSMOD_Init");
    bind(free, "BASSMOD_Free");
    bind(getCpu, "BASSMOD_GetCPU");
    bind(getVolume, "BASSMOD_GetVolume");
    bind(setVolume, "BASSMOD_SetVolume");
    bind(musicLoad, "BASSMOD_MusicLoad");
    bind(musicFree, "BASSMOD_MusicFree");
    bind(musicPlay, "BASSMOD_MusicPlay");
    bind(musicPlayEx, "BASSMOD_MusicPlayEx");
    bind(musicSetAmplify, "BASSMOD_MusicSetAmplify");
    bind(musicSetPanSep, "BASSMOD_MusicSetPanSep");
    bind(musicSetPositionScaler, "BASSMOD_MusicSetPositionScaler");
    bind(musicIsActive, "BASSMOD_MusicIsActive");
    bind(musicStop, "BASSMOD_MusicStop");
    bind(musicPause, "BASSMOD_MusicPause");
    bind(musicGetLength, "BASSMOD_MusicGetLength");
    bind(musicSetPosition, "BASSMOD_MusicSetPosition");
    bind(musicGetPosition, "BASSMOD_MusicGetPosition");
    bind(musicSetSync, "BASSMOD_MusicSetSync");
    bind(musicRemoveSync, "BASSMOD_MusicRemoveSync");
  }

  template <typename Function>
  void bind(Function& slot, const char* name) {
    slot = reinterpret_cast<Function>(dlsym(handle, name));
    if (slot == nullptr) throw std::runtime_error(std::string("missing entry point ") + name);
  }
};

}  // namespace corvane::test
