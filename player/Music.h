// One loaded module and how it is being played: state, position, length.
// The player calls everything here with the output device locked.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "ModuleRenderer.h"

namespace corvane::player {

class Music {
 public:
  enum class State { Stopped, Playing, Paused };

  explicit Music(std::unique_ptr<ModuleRenderer> renderer) : renderer(std::move(renderer)) {}

  // Sound thread: the next buffer of music, or silence when not playing.
  // Playback stops by itself at the end of a song that does not loop.
  void fill(std::span<std::int16_t> interleaved);
  // Row, loop and end events of the last fill; empty when it played nothing.
  std::span<const PlaybackEvent> events() const;

  void play();
  // Gives a PLAYER_ERROR code; see BASSMOD_MusicPlayEx.
  int playFrom(std::uint32_t position, std::int32_t flags, bool reset);
  bool pause();
  void stop() { playState = State::Stopped; }
  State state() const { return playState; }

  int setPosition(std::uint32_t position);
  std::uint32_t position() const;
  void setPositionScaler(int scale) { scaler = scale; }
  std::uint32_t length(bool playLength) const;

  void setAmplify(int amplify) { renderer->setAmplify(amplify); }
  void setPanSeparation(int separation) { renderer->setPanSeparation(separation); }

 private:
  static SongPosition unpack(std::uint32_t position);
  int seek(std::uint32_t position, bool stopNotes);

  std::unique_ptr<ModuleRenderer> renderer;
  State playState = State::Stopped;
  int scaler = 1;
  bool rendered = false;  // whether the last fill rendered (and so has events)
};

}  // namespace corvane::player
