// A stand-in for the module player that writes every call it gets, one line
// each, to the file named by FAKE_PLAYER_LOG, so that tests can read back the
// order and the arguments of the calls, also after the library is unloaded.
// It also notes whether the files it depends on are still there when it is
// done with them: the module at MusicFree, its own file at unload.
//
// FAKE_PLAYER_VERSION (hexadecimal) sets the version it reports, and
// FAKE_PLAYER_INIT=0 makes its initialisation fail. The build makes one
// variant that exports all 23 entry points and one for each entry point that
// lacks just that one.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "PlayerApi.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

bool initialised = false;
std::string modulePath;

void Log(const std::string& line) {
  const char* path = std::getenv("FAKE_PLAYER_LOG");
  if (path == nullptr) return;
  std::FILE* log = std::fopen(path, "a");
  if (log == nullptr) return;
  std::fprintf(log, "%s\n", line.c_str());
  std::fclose(log);
}

const char* Presence(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? "present" : "absent";
}

// The path this library was loaded from, as the loader was given it.
std::string OwnPath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&Log), &info) == 0 || info.dli_fname == nullptr) return "?";
  return info.dli_fname;
}

__attribute__((constructor)) void OnLoad() { Log("load " + OwnPath()); }
__attribute__((destructor)) void OnUnload() { Log(std::string("unload, own file ") + Presence(OwnPath())); }

}  // namespace

FAKE_EXPORT uint32_t BASSMOD_GetVersion(void) {
  Log("GetVersion");
  const char* version = std::getenv("FAKE_PLAYER_VERSION");
  return version ? static_cast<uint32_t>(std::strtoul(version, nullptr, 16)) : PLAYER_VERSION;
}

FAKE_EXPORT const char* BASSMOD_GetDeviceDescription(int32_t) { return "fake"; }
FAKE_EXPORT int32_t BASSMOD_ErrorGetCode(void) { return PLAYER_OK; }

FAKE_EXPORT int32_t BASSMOD_Init(int32_t device, uint32_t rate, uint32_t flags) {
  Log("Init " + std::to_string(device) + " " + std::to_string(rate) + " " + std::to_string(flags));
  const char* works = std::getenv("FAKE_PLAYER_INIT");
  initialised = works == nullptr || std::string(works) != "0";
  return initialised;
}

FAKE_EXPORT void BASSMOD_Free(void) {
  Log("Free");
  initialised = false;
}

FAKE_EXPORT float BASSMOD_GetCPU(void) { return 0.0f; }
FAKE_EXPORT int32_t BASSMOD_GetVolume(void) { return 100; }
FAKE_EXPORT int32_t BASSMOD_SetVolume(uint32_t) { return 1; }

// Refuses, as the real player does, when not initialised or when the file
// cannot be read.
FAKE_EXPORT int32_t BASSMOD_MusicLoad(int32_t fromMemory, const void* file, uint32_t offset, uint32_t length,
                                      uint32_t flags) {
  const std::string path = fromMemory || file == nullptr ? "?" : static_cast<const char*>(file);
  Log("MusicLoad " + std::to_string(fromMemory) + " " + path + " " + std::to_string(offset) + " " +
      std::to_string(length) + " " + std::to_string(flags));
  std::FILE* module = fromMemory ? nullptr : std::fopen(path.c_str(), "rb");
  if (module) std::fclose(module);
  if (!initialised || module == nullptr) return 0;
  modulePath = path;
  return 1;
}

FAKE_EXPORT void BASSMOD_MusicFree(void) {
  Log(modulePath.empty() ? std::string("MusicFree") : std::string("MusicFree, module ") + Presence(modulePath));
  modulePath.clear();
}

FAKE_EXPORT int32_t BASSMOD_MusicPlay(void) {
  Log("MusicPlay");
  return 1;
}

FAKE_EXPORT int32_t BASSMOD_MusicPlayEx(uint32_t, int32_t, int32_t) { return 1; }
FAKE_EXPORT int32_t BASSMOD_MusicSetAmplify(uint32_t) { return 1; }
FAKE_EXPORT int32_t BASSMOD_MusicSetPanSep(uint32_t) { return 1; }
FAKE_EXPORT int32_t BASSMOD_MusicSetPositionScaler(uint32_t) { return 1; }
FAKE_EXPORT uint32_t BASSMOD_MusicIsActive(void) { return PLAYER_ACTIVE_STOPPED; }
FAKE_EXPORT int32_t BASSMOD_MusicStop(void) { return 1; }
FAKE_EXPORT int32_t BASSMOD_MusicPause(void) { return 1; }
FAKE_EXPORT uint32_t BASSMOD_MusicGetLength(int32_t) { return 0; }
FAKE_EXPORT int32_t BASSMOD_MusicSetPosition(uint32_t) { return 1; }
FAKE_EXPORT uint32_t BASSMOD_MusicGetPosition(void) { return 0; }
FAKE_EXPORT PlayerSync BASSMOD_MusicSetSync(uint32_t, uint32_t, PlayerSyncProc, uint32_t) { return 0; }
FAKE_EXPORT int32_t BASSMOD_MusicRemoveSync(PlayerSync) { return 1; }
