#include "Player.h"

#include <algorithm>

#include "PlayerError.h"

namespace corvane::player {

namespace {
constexpr std::uint32_t kLowestRate = 8000;
constexpr std::uint32_t kHighestRate = 192000;
}  // namespace

Player& Player::instance() {
  static Player player;
  return player;
}

Player::Player() { firings.reserve(16); }

// Unloading the library with the device still open would leave the sound
// thread calling into unmapped code.
Player::~Player() { free(); }

const char* Player::deviceDescription(int device) {
  const int result = OutputDevice::describe(device, description);
  setLastError(result);
  return result == PLAYER_OK ? description.c_str() : nullptr;
}

bool Player::init(int deviceNumber, std::uint32_t rate, std::uint32_t /*flags: none defined*/) {
  if (device) return fail(PLAYER_ERROR_ALREADY);
  if (rate < kLowestRate || rate > kHighestRate) return fail(PLAYER_ERROR_FORMAT);
  if (deviceNumber < -1) return fail(PLAYER_ERROR_ILLEGAL_DEVICE);
  const int result = OutputDevice::open(deviceNumber, static_cast<int>(rate), *this, device);
  if (result != PLAYER_OK) return fail(result);
  outputVolume = 100;
  return succeed();
}

void Player::free() {
  // Closing the device waits for the sound thread, which cannot wait for itself.
  if (device && device->onSoundThread()) {
    setLastError(PLAYER_ERROR_WRONG_THREAD);
    return;
  }
  // The sound thread may still be in a sync callback that reads this player,
  // so the device is closed first and only then forgotten.
  if (device) device->close();
  device.reset();
  music.reset();
  syncs.clear();
  ++musicGeneration;
  setLastError(PLAYER_OK);
}

float Player::cpu() const {
  setLastError(device ? PLAYER_OK : PLAYER_ERROR_INIT);
  return device ? device->cpuPercent() : 0.0f;
}

int Player::volume() {
  if (!device) {
    setLastError(PLAYER_ERROR_INIT);
    return -1;
  }
  const DeviceLock lock(device.get());
  setLastError(PLAYER_OK);
  return outputVolume;
}

bool Player::setVolume(std::uint32_t volume) {
  if (!device) return fail(PLAYER_ERROR_INIT);
  if (volume > 100) return fail(PLAYER_ERROR_ILLEGAL_PARAM);
  const DeviceLock lock(device.get());
  outputVolume = static_cast<int>(volume);
  return succeed();
}

void Player::fill(std::span<std::int16_t> interleaved) noexcept {
  try {
    if (!music) {
      std::fill(interleaved.begin(), interleaved.end(), std::int16_t{0});
      return;
    }
    music->fill(interleaved);
    if (outputVolume < 100)
      for (std::int16_t& value : interleaved) value = static_cast<std::int16_t>(value * outputVolume / 100);
    dispatchSyncs(music->events());
  } catch (...) {
    // Nothing may leave the sound thread; a failed mix is heard as silence.
    std::fill(interleaved.begin(), interleaved.end(), std::int16_t{0});
  }
}

void Player::dispatchSyncs(std::span<const PlaybackEvent> events) {
  firings.clear();
  syncs.collect(events, firings);
  const std::uint64_t generation = musicGeneration;
  for (const SyncList::Firing& firing : firings) {
    // A callback may free or replace the music, or remove a sync still due.
    if (musicGeneration != generation) break;
    if (firing.oneTime || syncs.contains(firing.handle)) firing.proc(firing.handle, firing.data, firing.user);
  }
}

}  // namespace corvane::player
