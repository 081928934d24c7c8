#include "Music.h"

#include <algorithm>
#include <cmath>

#include "PlayerApi.h"

namespace corvane::player {

namespace {
constexpr std::uint32_t kKeepPosition = 0xFFFFFFFFu;
constexpr std::int32_t kKeepFlags = -1;
}  // namespace

void Music::fill(std::span<std::int16_t> interleaved) {
  rendered = playState == State::Playing;
  if (!rendered) {
    std::fill(interleaved.begin(), interleaved.end(), std::int16_t{0});
    return;
  }
  renderer->render(interleaved);
  if (renderer->ended()) playState = State::Stopped;
}

std::span<const PlaybackEvent> Music::events() const {
  if (!rendered) return {};
  return renderer->events();
}

void Music::play() {
  // A song that has played to its end starts again from the beginning.
  if (renderer->ended()) renderer->setPosition({0, 0}, true);
  playState = State::Playing;
}

int Music::playFrom(std::uint32_t position, std::int32_t flags, bool reset) {
  if (flags != kKeepFlags) renderer->setFlags(static_cast<std::uint32_t>(flags));
  if (position != kKeepPosition) {
    const int result = seek(position, reset || (renderer->flags() & kMusicStopOnMove));
    if (result != PLAYER_OK) return result;
  } else if (reset) {
    renderer->stopAllNotes();
  }
  play();
  return PLAYER_OK;
}

bool Music::pause() {
  if (playState != State::Playing) return false;
  playState = State::Paused;
  return true;
}

SongPosition Music::unpack(std::uint32_t position) {
  return {static_cast<int>(position & 0xFFFF), static_cast<int>(position >> 16)};
}

int Music::seek(std::uint32_t position, bool stopNotes) {
  return renderer->setPosition(unpack(position), stopNotes) ? PLAYER_OK : PLAYER_ERROR_POSITION;
}

int Music::setPosition(std::uint32_t position) { return seek(position, renderer->flags() & kMusicStopOnMove); }

std::uint32_t Music::position() const {
  const SongPosition now = renderer->position();
  const double part = std::floor(renderer->rowProgress() * scaler);
  const auto row = std::min<std::uint32_t>(static_cast<std::uint32_t>(now.row * scaler + static_cast<int>(part)), 0xFFFF);
  return PLAYER_POSITION(now.order, row);
}

std::uint32_t Music::length(bool playLength) const {
  if (!playLength) return static_cast<std::uint32_t>(renderer->orderCount());
  // Bytes of 16-bit stereo output for one pass through the song.
  const double bytes = std::round(renderer->lengthSeconds() * renderer->sampleRate()) * 4.0;
  return bytes >= 0xFFFFFFFE ? 0xFFFFFFFEu : static_cast<std::uint32_t>(bytes);
}

}  // namespace corvane::player
