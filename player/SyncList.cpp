#include "SyncList.h"

#include <algorithm>

namespace corvane::player {

SyncList::SyncList() { syncs.reserve(16); }

PlayerSync SyncList::add(std::uint32_t type, std::uint32_t param, PlayerSyncProc proc, std::uint32_t user) {
  const std::uint32_t kind = type & ~PLAYER_SYNC_ONETIME;
  if (proc == nullptr || (kind != PLAYER_SYNC_POS && kind != PLAYER_SYNC_END)) return 0;
  const PlayerSync handle = nextHandle++;
  if (nextHandle == 0) nextHandle = 1;  // 0 means "no sync" to callers
  syncs.push_back({handle, kind, param, proc, user, (type & PLAYER_SYNC_ONETIME) != 0});
  return handle;
}

bool SyncList::remove(PlayerSync handle) {
  const auto found = std::find_if(syncs.begin(), syncs.end(), [handle](const Sync& sync) { return sync.handle == handle; });
  if (found == syncs.end()) return false;
  syncs.erase(found);
  return true;
}

bool SyncList::contains(PlayerSync handle) const {
  return std::any_of(syncs.begin(), syncs.end(), [handle](const Sync& sync) { return sync.handle == handle; });
}

bool SyncList::matches(const Sync& sync, const PlaybackEvent& event) {
  switch (event.kind) {
    case PlaybackEvent::Kind::Row:
      return sync.type == PLAYER_SYNC_POS && sync.param == PLAYER_POSITION(event.position.order, event.position.row);
    case PlaybackEvent::Kind::LoopBack:
    case PlaybackEvent::Kind::End:
      return sync.type == PLAYER_SYNC_END;
  }
  return false;
}

std::uint32_t SyncList::dataFor(const Sync& sync, const PlaybackEvent& event) {
  if (sync.type == PLAYER_SYNC_POS) return sync.param;
  return event.kind == PlaybackEvent::Kind::LoopBack ? 1u : 0u;
}

void SyncList::collect(std::span<const PlaybackEvent> events, std::vector<Firing>& firings) {
  for (const PlaybackEvent& event : events) {
    for (auto sync = syncs.begin(); sync != syncs.end();) {
      if (!matches(*sync, event)) {
        ++sync;
        continue;
      }
      firings.push_back({sync->proc, sync->handle, dataFor(*sync, event), sync->user, sync->oneTime});
      sync = sync->oneTime ? syncs.erase(sync) : sync + 1;
    }
  }
}

}  // namespace corvane::player
