#include "PlayerError.h"

namespace corvane::player {
namespace {
// Per thread, so that a sync callback on the sound thread does not overwrite
// the result the program thread is about to read.
thread_local int threadError = PLAYER_OK;
}  // namespace

void setLastError(int code) { threadError = code; }
int lastError() { return threadError; }

}  // namespace corvane::player
