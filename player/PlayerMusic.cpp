// The music half of the player: loading, transport, position and syncs.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <vector>

#include "Player.h"
#include "PlayerError.h"

namespace corvane::player {

namespace {

// No module comes near this; more is refused as memory the player will not
// take, before anything is read (a file of gigabytes would take its size in
// memory and half a minute first).
constexpr off_t kLargestModule = off_t{64} << 20;

// Reads "length" bytes from "offset" of a file (length 0: to the end). Only
// a regular file is read: a pipe or a device would block or never end.
int readFile(const char* path, std::uint32_t offset, std::uint32_t length, std::vector<std::byte>& bytes) {
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return PLAYER_ERROR_FILEOPEN;
  struct stat info {};
  int result = PLAYER_ERROR_FILEOPEN;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && offset <= info.st_size) {
    const off_t available = info.st_size - offset;
    const off_t wanted = length == 0 ? available : std::min<off_t>(length, available);
    if (wanted > kLargestModule) {
      ::close(fd);
      return PLAYER_ERROR_MEMORY;
    }
    try {
      bytes.resize(static_cast<std::size_t>(wanted));
      std::size_t done = 0;
      while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
      }
      if (done == bytes.size()) result = PLAYER_OK;
    } catch (const std::bad_alloc&) {
      result = PLAYER_ERROR_MEMORY;
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

int Player::musicUnavailable() const {
  if (!device) return PLAYER_ERROR_INIT;
  if (!music) return PLAYER_ERROR_NO_MUSIC;
  return PLAYER_OK;
}

// Syncs belong to the music they were set on and go with it.
std::unique_ptr<Music> Player::takeMusic(std::unique_ptr<Music> replacement) {
  const DeviceLock lock(device.get());
  syncs.clear();
  ++musicGeneration;
  std::swap(music, replacement);
  return replacement;
}

bool Player::musicLoad(bool fromMemory, const void* file, std::uint32_t offset, std::uint32_t length, std::uint32_t flags) {
  if (!device) return fail(PLAYER_ERROR_INIT);
  if (file == nullptr || (fromMemory && length == 0)) return fail(PLAYER_ERROR_ILLEGAL_PARAM);
  std::vector<std::byte> fromFile;
  std::span<const std::byte> data;
  if (fromMemory) {
    data = {static_cast<const std::byte*>(file) + offset, length};
  } else {
    const int result = readFile(static_cast<const char*>(file), offset, length, fromFile);
    if (result != PLAYER_OK) return fail(result);
    data = fromFile;
  }
  // Parsing happens before the lock, so the sound thread never waits for it.
  auto renderer = ModuleRenderer::load(data, flags, device->rate());
  if (!renderer) return fail(PLAYER_ERROR_FILEFORMAT);
  auto loaded = std::make_unique<Music>(std::move(renderer));
  std::unique_ptr<Music> previous = takeMusic(std::move(loaded));
  return succeed();  // the previous music is destroyed here, unlocked
}

void Player::musicFree() {
  std::unique_ptr<Music> previous = takeMusic(nullptr);
  setLastError(PLAYER_OK);
}

bool Player::musicPlay() {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  music->play();
  return succeed();
}

bool Player::musicPlayEx(std::uint32_t position, std::int32_t flags, bool reset) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  const int result = music->playFrom(position, flags, reset);
  return result == PLAYER_OK ? succeed() : fail(result);
}

bool Player::musicSetAmplify(std::uint32_t amplify) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  if (amplify > 100) return fail(PLAYER_ERROR_ILLEGAL_PARAM);
  music->setAmplify(static_cast<int>(amplify));
  return succeed();
}

bool Player::musicSetPanSeparation(std::uint32_t separation) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  if (separation > 100) return fail(PLAYER_ERROR_ILLEGAL_PARAM);
  music->setPanSeparation(static_cast<int>(separation));
  return succeed();
}

bool Player::musicSetPositionScaler(std::uint32_t scale) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  if (scale < 1 || scale > 256) return fail(PLAYER_ERROR_ILLEGAL_PARAM);
  music->setPositionScaler(static_cast<int>(scale));
  return succeed();
}

std::uint32_t Player::musicIsActive() {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) {
    setLastError(reason);
    return PLAYER_ACTIVE_STOPPED;
  }
  setLastError(PLAYER_OK);
  switch (music->state()) {
    case Music::State::Playing: return PLAYER_ACTIVE_PLAYING;
    case Music::State::Paused: return PLAYER_ACTIVE_PAUSED;
    case Music::State::Stopped: break;
  }
  return PLAYER_ACTIVE_STOPPED;
}

bool Player::musicStop() {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  music->stop();
  return succeed();
}

bool Player::musicPause() {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  return music->pause() ? succeed() : fail(PLAYER_ERROR_NOT_PLAYING);
}

std::uint32_t Player::musicGetLength(bool playLength) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) {
    setLastError(reason);
    return std::numeric_limits<std::uint32_t>::max();
  }
  setLastError(PLAYER_OK);
  return music->length(playLength);
}

bool Player::musicSetPosition(std::uint32_t position) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  const int result = music->setPosition(position);
  return result == PLAYER_OK ? succeed() : fail(result);
}

std::uint32_t Player::musicGetPosition() {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) {
    setLastError(reason);
    return std::numeric_limits<std::uint32_t>::max();
  }
  setLastError(PLAYER_OK);
  return music->position();
}

PlayerSync Player::musicSetSync(std::uint32_t type, std::uint32_t param, PlayerSyncProc proc, std::uint32_t user) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) {
    setLastError(reason);
    return 0;
  }
  const PlayerSync handle = syncs.add(type, param, proc, user);
  setLastError(handle != 0 ? PLAYER_OK : PLAYER_ERROR_ILLEGAL_PARAM);
  return handle;
}

bool Player::musicRemoveSync(PlayerSync sync) {
  const DeviceLock lock(device.get());
  if (const int reason = musicUnavailable()) return fail(reason);
  return syncs.remove(sync) ? succeed() : fail(PLAYER_ERROR_ILLEGAL_PARAM);
}

}  // namespace corvane::player
