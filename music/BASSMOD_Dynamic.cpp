#include "BASSMOD_Dynamic.h"

namespace corvane {

platform::HMODULE PlayerLibraryHandle = 0;

std::uint32_t (*BASSMOD_GetVersion)() = nullptr;
const char* (*BASSMOD_GetDeviceDescription)(std::int32_t) = nullptr;
std::int32_t (*BASSMOD_ErrorGetCode)() = nullptr;
std::int32_t (*BASSMOD_Init)(std::int32_t, std::uint32_t, std::uint32_t) = nullptr;
void (*BASSMOD_Free)() = nullptr;
float (*BASSMOD_GetCPU)() = nullptr;
std::int32_t (*BASSMOD_GetVolume)() = nullptr;
std::int32_t (*BASSMOD_SetVolume)(std::uint32_t) = nullptr;
std::int32_t (*BASSMOD_MusicLoad)(std::int32_t, const void*, std::uint32_t, std::uint32_t, std::uint32_t) = nullptr;
void (*BASSMOD_MusicFree)() = nullptr;
std::int32_t (*BASSMOD_MusicPlay)() = nullptr;
std::int32_t (*BASSMOD_MusicPlayEx)(std::uint32_t, std::int32_t, std::int32_t) = nullptr;
std::int32_t (*BASSMOD_MusicSetAmplify)(std::uint32_t) = nullptr;
std::int32_t (*BASSMOD_MusicSetPanSep)(std::uint32_t) = nullptr;
std::int32_t (*BASSMOD_MusicSetPositionScaler)(std::uint32_t) = nullptr;
std::uint32_t (*BASSMOD_MusicIsActive)() = nullptr;
std::int32_t (*BASSMOD_MusicStop)() = nullptr;
std::int32_t (*BASSMOD_MusicPause)() = nullptr;
std::uint32_t (*BASSMOD_MusicGetLength)(std::int32_t) = nullptr;
std::int32_t (*BASSMOD_MusicSetPosition)(std::uint32_t) = nullptr;
std::uint32_t (*BASSMOD_MusicGetPosition)() = nullptr;
std::uint32_t (*BASSMOD_MusicSetSync)(std::uint32_t, std::uint32_t, BASSMOD_SYNCPROC, std::uint32_t) = nullptr;
std::int32_t (*BASSMOD_MusicRemoveSync)(std::uint32_t) = nullptr;

namespace {

// The error mode while the library is loaded: no box of the system's own for
// a missing or broken file.
constexpr std::uint32_t kLoadErrorMode = platform::SEM_FAILCRITICALERRORS | platform::SEM_NOOPENFILEERRORBOX;

// One entry point: its name and its slot, with what is needed to fill, test
// and empty a slot of any function type.
struct EntryPoint {
  const char* name;
  void* slot;
  void (*assign)(void* slot, platform::FARPROC address);
  bool (*isSet)(const void* slot);
};

template <class Function>
void AssignSlot(void* slot, platform::FARPROC address) {
  *static_cast<Function**>(slot) = reinterpret_cast<Function*>(address);
}

template <class Function>
bool SlotIsSet(const void* slot) {
  return *static_cast<Function* const*>(slot) != nullptr;
}

template <class Function>
EntryPoint Entry(const char* name, Function*& slot) {
  return {name, &slot, &AssignSlot<Function>, &SlotIsSet<Function>};
}

// In the order in which they are resolved.
const std::array<EntryPoint, 23>& EntryPoints() {
  static const std::array<EntryPoint, 23> entries = {{
      Entry("BASSMOD_GetVersion", BASSMOD_GetVersion),
      Entry("BASSMOD_GetDeviceDescription", BASSMOD_GetDeviceDescription),
      Entry("BASSMOD_ErrorGetCode", BASSMOD_ErrorGetCode),
      Entry("BASSMOD_Init", BASSMOD_Init),
      Entry("BASSMOD_Free", BASSMOD_Free),
      Entry("BASSMOD_GetCPU", BASSMOD_GetCPU),
      Entry("BASSMOD_GetVolume", BASSMOD_GetVolume),
      Entry("BASSMOD_SetVolume", BASSMOD_SetVolume),
      Entry("BASSMOD_MusicLoad", BASSMOD_MusicLoad),
      Entry("BASSMOD_MusicFree", BASSMOD_MusicFree),
      Entry("BASSMOD_MusicPlay", BASSMOD_MusicPlay),
      Entry("BASSMOD_MusicPlayEx", BASSMOD_MusicPlayEx),
      Entry("BASSMOD_MusicSetAmplify", BASSMOD_MusicSetAmplify),
      Entry("BASSMOD_MusicSetPanSep", BASSMOD_MusicSetPanSep),
      Entry("BASSMOD_MusicSetPositionScaler", BASSMOD_MusicSetPositionScaler),
      Entry("BASSMOD_MusicIsActive", BASSMOD_MusicIsActive),
      Entry("BASSMOD_MusicStop", BASSMOD_MusicStop),
      Entry("BASSMOD_MusicPause", BASSMOD_MusicPause),
      Entry("BASSMOD_MusicGetLength", BASSMOD_MusicGetLength),
      Entry("BASSMOD_MusicSetPosition", BASSMOD_MusicSetPosition),
      Entry("BASSMOD_MusicGetPosition", BASSMOD_MusicGetPosition),
      Entry("BASSMOD_MusicSetSync", BASSMOD_MusicSetSync),
      Entry("BASSMOD_MusicRemoveSync", BASSMOD_MusicRemoveSync),
  }};
  return entries;
}

// Empties every slot, so that nothing can call into a library that is gone.
void ClearEntryPoints() {
  for (const EntryPoint& entry : EntryPoints()) entry.assign(entry.slot, nullptr);
}

void ReleaseLibrary() {
  platform::FreeLibrary(PlayerLibraryHandle);
  PlayerLibraryHandle = 0;
  ClearEntryPoints();
}

}  // namespace

const std::array<const char*, 23> PlayerEntryPointNames = [] {
  std::array<const char*, 23> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = EntryPoints()[i].name;
  return names;
}();

std::string PlayerFilePath(const std::string& directory, const std::string& fileName) {
  if (directory.empty()) return "./" + fileName;
  if (directory.back() == '/') return directory + fileName;
  return directory + "/" + fileName;
}

bool LoadPlayerLibrary(const std::string& directory, const std::string& fileName) {
  if (PlayerLibraryHandle != 0) return true;
  const std::string path = PlayerFilePath(directory, fileName);
  const std::uint32_t previousMode = platform::SetErrorMode(kLoadErrorMode);
  PlayerLibraryHandle = platform::LoadLibraryA(path);
  platform::SetErrorMode(previousMode);
  if (PlayerLibraryHandle == 0) return false;
  bool complete = true;
  for (const EntryPoint& entry : EntryPoints()) {
    entry.assign(entry.slot, platform::GetProcAddress(PlayerLibraryHandle, entry.name));
    complete = complete && entry.isSet(entry.slot);
  }
  if (!complete) ReleaseLibrary();
  return PlayerLibraryHandle != 0;
}

void UnloadPlayerLibrary() {
  if (PlayerLibraryHandle != 0) {
    if (BASSMOD_MusicFree) BASSMOD_MusicFree();
    ReleaseLibrary();
  }
  PlayerLibraryHandle = 0;
}

}  // namespace corvane
