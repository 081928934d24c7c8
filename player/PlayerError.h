// The last error of each calling thread, as BASSMOD_ErrorGetCode reports it.
#pragma once

#include "PlayerApi.h"

namespace corvane::player {

void setLastError(int code);
int lastError();

// Records the error and gives false, for the many "fail with a reason" exits.
inline bool fail(int code) {
  setLastError(code);
  return false;
}

inline bool succeed() {
  setLastError(PLAYER_OK);
  return true;
}

}  // namespace corvane::player
