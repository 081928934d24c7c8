// The process's one module player: the output device, the loaded music and
// its syncs, and the mix that joins them on the sound thread. Each operation
// records its result for BASSMOD_ErrorGetCode.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Music.h"
#include "OutputDevice.h"
#include "SyncList.h"

namespace corvane::player {

class Player final : public OutputDevice::Source {
 public:
  static Player& instance();
  ~Player();

  const char* deviceDescription(int device);
  bool init(int device, std::uint32_t rate, std::uint32_t flags);
  void free();
  float cpu() const;
  int volume();
  bool setVolume(std::uint32_t volume);

  bool musicLoad(bool fromMemory, const void* file, std::uint32_t offset, std::uint32_t length, std::uint32_t flags);
  void musicFree();
  bool musicPlay();
  bool musicPlayEx(std::uint32_t position, std::int32_t flags, bool reset);
  bool musicSetAmplify(std::uint32_t amplify);
  bool musicSetPanSeparation(std::uint32_t separation);
  bool musicSetPositionScaler(std::uint32_t scale);
  std::uint32_t musicIsActive();
  bool musicStop();
  bool musicPause();
  std::uint32_t musicGetLength(bool playLength);
  bool musicSetPosition(std::uint32_t position);
  std::uint32_t musicGetPosition();
  PlayerSync musicSetSync(std::uint32_t type, std::uint32_t param, PlayerSyncProc proc, std::uint32_t user);
  bool musicRemoveSync(PlayerSync sync);

  void fill(std::span<std::int16_t> interleaved) noexcept override;

 private:
  Player();
  // The reason music calls cannot go on (not initialised, no music), or 0.
  int musicUnavailable() const;
  void dispatchSyncs(std::span<const PlaybackEvent> events);
  // Puts the replacement in place under the lock; gives the old music back to
  // be destroyed outside it.
  std::unique_ptr<Music> takeMusic(std::unique_ptr<Music> replacement);

  std::unique_ptr<OutputDevice> device;
  std::unique_ptr<Music> music;
  SyncList syncs;
  std::vector<SyncList::Firing> firings;
  std::uint64_t musicGeneration = 0;  // changes whenever the music is replaced or freed
  int outputVolume = 100;
  std::string description;
};

}  // namespace corvane::player
