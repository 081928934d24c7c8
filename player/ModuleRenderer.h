// Renders a tracker module to interleaved signed 16-bit stereo. This is the
// one place that decides how music sounds: the player library plays what it
// renders, and tools that need the music faster than real time render it with
// the same settings through the same class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvane::player {

// Music flags, as passed to the player's music load.
inline constexpr std::uint32_t kMusicRamp = 0x1;        // normal volume ramping
inline constexpr std::uint32_t kMusicRampSoft = 0x2;    // longer, softer ramps
inline constexpr std::uint32_t kMusicLoop = 0x4;        // follow the song's jump back forever
inline constexpr std::uint32_t kMusicStopOnMove = 0x100;  // stop all notes when the position moves

inline constexpr int kDefaultAmplify = 50;        // 0-100; 50 leaves the level as mixed
inline constexpr int kDefaultPanSeparation = 50;  // 0 mono - 100 channels hard left/right

struct SongPosition {
  int order = 0;
  int row = 0;
  friend bool operator==(const SongPosition&, const SongPosition&) = default;
};

struct PlaybackEvent {
  enum class Kind {
    Row,       // playback reached a new row
    LoopBack,  // the song jumped back to an earlier position (looping)
    End,       // the song ended and rendering stopped (not looping)
  };
  Kind kind = Kind::Row;
  SongPosition position;
  std::size_t frame = 0;  // where in the last render it happened, within one chunk
};

class ModuleRenderer {
 public:
  // Frames rendered between two looks at the song position; it bounds how
  // late a row is noticed.
  static constexpr std::size_t kChunkFrames = 64;

  // Gives nothing when the data is not a module the renderer can play.
  static std::unique_ptr<ModuleRenderer> load(std::span<const std::byte> data, std::uint32_t flags, int sampleRate);
  ~ModuleRenderer();
  ModuleRenderer(const ModuleRenderer&) = delete;
  ModuleRenderer& operator=(const ModuleRenderer&) = delete;

  // Fills the whole buffer (two values per frame) and gives how many frames
  // hold music; after the end of a song that does not loop the rest is silence.
  std::size_t render(std::span<std::int16_t> interleaved);
  // What happened during the last render, in order.
  const std::vector<PlaybackEvent>& events() const { return lastEvents; }

  void setFlags(std::uint32_t flags);
  std::uint32_t flags() const { return musicFlags; }
  void setAmplify(int amplify);             // 0-100
  void setPanSeparation(int separation);    // 0-100

  // Moves playback; false when the position is not in the song. With
  // stopNotes every sounding note ends; without, the notes that would be
  // sounding at the new position play on from where they would be.
  bool setPosition(SongPosition position, bool stopNotes);
  void stopAllNotes();

  SongPosition position() const { return current; }
  double rowProgress() const;  // 0 to below 1: how far playback is into the row
  int orderCount() const;
  double lengthSeconds() const;  // one pass through the song
  bool ended() const { return finished; }
  int sampleRate() const { return rate; }

 private:
  struct Engine;
  ModuleRenderer(std::unique_ptr<Engine> engine, int sampleRate);
  void observePosition(std::size_t frame);
  void stopNotesMissingAt(SongPosition position);

  std::unique_ptr<Engine> engine;
  int rate;
  std::uint32_t musicFlags = 0;
  SongPosition current;
  bool rowAnnounced = false;  // the current row has been reported as an event
  std::size_t framesIntoRow = 0;
  bool finished = false;
  std::vector<PlaybackEvent> lastEvents;
};

}  // namespace corvane::player
