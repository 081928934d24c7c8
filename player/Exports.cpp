// The library's only visible symbols. Each entry point hands over to the
// player and lets no C++ exception cross into the C caller.
#include <new>

#include "Player.h"
#include "PlayerApi.h"
#include "PlayerError.h"

#define PLAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using corvane::player::Player;

// Called inside a catch block: records what was thrown as the last error.
void recordFailure() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    corvane::player::setLastError(PLAYER_ERROR_MEMORY);
  } catch (...) {
    corvane::player::setLastError(PLAYER_ERROR_UNKNOWN);
  }
}

template <typename Call, typename Result>
Result guarded(Call call, Result failed) noexcept {
  try {
    return call(Player::instance());
  } catch (...) {
    recordFailure();
  }
  return failed;
}

template <typename Call>
void guardedVoid(Call call) noexcept {
  try {
    call(Player::instance());
  } catch (...) {
    recordFailure();
  }
}

std::int32_t truth(bool value) { return value ? 1 : 0; }

}  // namespace

PLAYER_EXPORT uint32_t BASSMOD_GetVersion(void) {
  corvane::player::setLastError(PLAYER_OK);
  return PLAYER_VERSION;
}

PLAYER_EXPORT const char* BASSMOD_GetDeviceDescription(int32_t device) {
  return guarded([&](Player& player) { return player.deviceDescription(device); }, static_cast<const char*>(nullptr));
}

PLAYER_EXPORT int32_t BASSMOD_ErrorGetCode(void) { return corvane::player::lastError(); }

PLAYER_EXPORT int32_t BASSMOD_Init(int32_t device, uint32_t rate, uint32_t flags) {
  return guarded([&](Player& player) { return truth(player.init(device, rate, flags)); }, 0);
}

PLAYER_EXPORT void BASSMOD_Free(void) {
  guardedVoid([](Player& player) { player.free(); });
}

PLAYER_EXPORT float BASSMOD_GetCPU(void) {
  return guarded([](Player& player) { return player.cpu(); }, 0.0f);
}

PLAYER_EXPORT int32_t BASSMOD_GetVolume(void) {
  return guarded([](Player& player) { return player.volume(); }, -1);
}

PLAYER_EXPORT int32_t BASSMOD_SetVolume(uint32_t volume) {
  return guarded([&](Player& player) { return truth(player.setVolume(volume)); }, 0);
}

PLAYER_EXPORT int32_t BASSMOD_MusicLoad(int32_t fromMemory, const void* file, uint32_t offset, uint32_t length, uint32_t flags) {
  return guarded([&](Player& player) { return truth(player.musicLoad(fromMemory != 0, file, offset, length, flags)); }, 0);
}

PLAYER_EXPORT void BASSMOD_MusicFree(void) {
  guardedVoid([](Player& player) { player.musicFree(); });
}

PLAYER_EXPORT int32_t BASSMOD_MusicPlay(void) {
  return guarded([](Player& player) { return truth(player.musicPlay()); }, 0);
}

PLAYER_EXPORT int32_t BASSMOD_MusicPlayEx(uint32_t position, int32_t flags, int32_t reset) {
  return guarded([&](Player& player) { return truth(player.musicPlayEx(position, flags, reset != 0)); }, 0);
}

PLAYER_EXPORT int32_t BASSMOD_MusicSetAmplify(uint32_t amplify) {
  return guarded([&](Player& player) { return truth(player.musicSetAmplify(amplify)); }, 0);
}

PLAYER_EXPORT int32_t BASSMOD_MusicSetPanSep(uint32_t separation) {
  return guarded([&](Player& player) { return truth(player.musicSetPanSeparation(separation)); }, 0);
}

PLAYER_EXPORT int32_t BASSMOD_MusicSetPositionScaler(uint32_t scale) {
  return guarded([&](Player& player) { return truth(player.musicSetPositionScaler(scale)); }, 0);
}

PLAYER_EXPORT uint32_t BASSMOD_MusicIsActive(void) {
  return guarded([](Player& player) { return player.musicIsActive(); }, PLAYER_ACTIVE_STOPPED);
}

PLAYER_EXPORT int32_t BASSMOD_MusicStop(void) {
  return guarded([](Player& player) { return truth(player.musicStop()); }, 0);
}

PLAYER_EXPORT int32_t BASSMOD_MusicPause(void) {
  return guarded([](Player& player) { return truth(player.musicPause()); }, 0);
}

PLAYER_EXPORT uint32_t BASSMOD_MusicGetLength(int32_t playLength) {
  return guarded([&](Player& player) { return player.musicGetLength(playLength != 0); }, 0xFFFFFFFFu);
}

PLAYER_EXPORT int32_t BASSMOD_MusicSetPosition(uint32_t position) {
  return guarded([&](Player& player) { return truth(player.musicSetPosition(position)); }, 0);
}

PLAYER_EXPORT uint32_t BASSMOD_MusicGetPosition(void) {
  return guarded([](Player& player) { return player.musicGetPosition(); }, 0xFFFFFFFFu);
}

PLAYER_EXPORT PlayerSync BASSMOD_MusicSetSync(uint32_t type, uint32_t param, PlayerSyncProc proc, uint32_t user) {
  return guarded([&](Player& player) { return player.musicSetSync(type, param, proc, user); }, PlayerSync{0});
}

PLAYER_EXPORT int32_t BASSMOD_MusicRemoveSync(PlayerSync sync) {
  return guarded([&](Player& player) { return truth(player.musicRemoveSync(sync)); }, 0);
}
