// Syncs: callbacks the music makes when it reaches a row or its end.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "ModuleRenderer.h"
#include "PlayerApi.h"

namespace corvane::player {

class SyncList {
 public:
  struct Firing {
    PlayerSyncProc proc;
    PlayerSync handle;
    std::uint32_t data;
    std::uint32_t user;
    bool oneTime;  // already taken out of the list
  };

  SyncList();
  // Gives the new handle, or 0 when the type is not known.
  PlayerSync add(std::uint32_t type, std::uint32_t param, PlayerSyncProc proc, std::uint32_t user);
  bool remove(PlayerSync handle);
  bool contains(PlayerSync handle) const;
  void clear() { syncs.clear(); }

  // The calls the events of one mix call for, in order; one-time syncs are
  // taken out of the list as they are collected. Does not allocate while the
  // list and the events stay small, since it runs on the sound thread.
  void collect(std::span<const PlaybackEvent> events, std::vector<Firing>& firings);

 private:
  struct Sync {
    PlayerSync handle;
    std::uint32_t type;  // without the one-time bit
    std::uint32_t param;
    PlayerSyncProc proc;
    std::uint32_t user;
    bool oneTime;
  };
  static bool matches(const Sync& sync, const PlaybackEvent& event);
  static std::uint32_t dataFor(const Sync& sync, const PlaybackEvent& event);

  std::vector<Sync> syncs;
  PlayerSync nextHandle = 1;
};

}  // namespace corvane::player
