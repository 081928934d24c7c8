// Binding of the module-player library. The intro never links to the player:
// it loads the library file at run time and looks its 23 entry points up by
// name, all or nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Kernel32.h"

namespace corvane {

// Called by the player on its sound thread as the music reaches a sync point.
using BASSMOD_SYNCPROC = void (*)(std::uint32_t handle, std::uint32_t data, std::uint32_t user);

// The loaded player library; 0 while none is loaded.
extern platform::HMODULE PlayerLibraryHandle;

// The entry points, empty until LoadPlayerLibrary has bound all of them.
// Truth values are 32 bits wide, non-zero meaning success.
extern std::uint32_t (*BASSMOD_GetVersion)();
extern const char* (*BASSMOD_GetDeviceDescription)(std::int32_t device);
extern std::int32_t (*BASSMOD_ErrorGetCode)();
extern std::int32_t (*BASSMOD_Init)(std::int32_t device, std::uint32_t rate, std::uint32_t flags);
extern void (*BASSMOD_Free)();
extern float (*BASSMOD_GetCPU)();
extern std::int32_t (*BASSMOD_GetVolume)();
extern std::int32_t (*BASSMOD_SetVolume)(std::uint32_t volume);
extern std::int32_t (*BASSMOD_MusicLoad)(std::int32_t fromMemory, const void* file, std::uint32_t offset,
                                         std::uint32_t length, std::uint32_t flags);
extern void (*BASSMOD_MusicFree)();
extern std::int32_t (*BASSMOD_MusicPlay)();
extern std::int32_t (*BASSMOD_MusicPlayEx)(std::uint32_t position, std::int32_t flags, std::int32_t reset);
extern std::int32_t (*BASSMOD_MusicSetAmplify)(std::uint32_t amplify);
extern std::int32_t (*BASSMOD_MusicSetPanSep)(std::uint32_t separation);
extern std::int32_t (*BASSMOD_MusicSetPositionScaler)(std::uint32_t scale);
extern std::uint32_t (*BASSMOD_MusicIsActive)();
extern std::int32_t (*BASSMOD_MusicStop)();
extern std::int32_t (*BASSMOD_MusicPause)();
extern std::uint32_t (*BASSMOD_MusicGetLength)(std::int32_t playLength);
extern std::int32_t (*BASSMOD_MusicSetPosition)(std::uint32_t position);
extern std::uint32_t (*BASSMOD_MusicGetPosition)();
extern std::uint32_t (*BASSMOD_MusicSetSync)(std::uint32_t type, std::uint32_t param, BASSMOD_SYNCPROC proc,
                                             std::uint32_t user);
extern std::int32_t (*BASSMOD_MusicRemoveSync)(std::uint32_t sync);

// The names of the entry points, in the order in which they are resolved.
extern const std::array<const char*, 23> PlayerEntryPointNames;

// The path of `fileName` in `directory`: one separator between them, whether
// or not the directory ends in one. An empty directory (no temporary
// directory could be had) means the current one, where the payload files are
// then written.
std::string PlayerFilePath(const std::string& directory, const std::string& fileName);

// Loads the library `fileName` from `directory` and binds every entry point.
// True when the library is loaded and all are bound; when one is missing the
// library is released again. While a library is loaded, a call loads nothing
// and gives true.
bool LoadPlayerLibrary(const std::string& directory, const std::string& fileName);

// Frees the player's music (when bound) and releases the library. Safe to call
// when nothing is loaded.
void UnloadPlayerLibrary();

}  // namespace corvane
