// Module bytes through the player's C entry points: loaded from memory,
// measured, moved, played briefly on the silent output and freed. The same
// bytes are then rendered directly by the player's renderer for a few chunks,
// so every input that loads is also mixed, whatever the sound thread managed.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "ModuleRenderer.h"
#include "PlayerApi.h"

using corvane::player::ModuleRenderer;

namespace {

constexpr std::uint32_t kRate = 44100;

void ThroughEntryPoints(const std::uint8_t* data, std::size_t size, std::uint32_t flags) {
  if (!BASSMOD_MusicLoad(1, data, 0, static_cast<std::uint32_t>(size), flags)) return;
  const std::uint32_t orders = BASSMOD_MusicGetLength(0);
  BASSMOD_MusicGetLength(1);
  if (orders > 1) BASSMOD_MusicSetPosition(PLAYER_POSITION(orders - 1, 0));
  BASSMOD_MusicPlayEx(PLAYER_POSITION(0, 0), -1, 1);
  BASSMOD_MusicGetPosition();
  BASSMOD_MusicPause();
  BASSMOD_MusicStop();
  BASSMOD_MusicFree();
  if (BASSMOD_MusicGetPosition() != 0xFFFFFFFFu) std::abort();  // freed music has no position
}

void Rendered(const std::uint8_t* data, std::size_t size, std::uint32_t flags) {
  auto renderer = ModuleRenderer::load(std::as_bytes(std::span(data, size)), flags, kRate);
  if (!renderer) return;
  std::vector<std::int16_t> buffer(2 * 4 * ModuleRenderer::kChunkFrames);
  for (int pass = 0; pass < 8 && !renderer->ended(); ++pass) {
    const std::size_t frames = renderer->render(buffer);
    if (frames > buffer.size() / 2) std::abort();
  }
  const int orders = renderer->orderCount();
  if (orders > 1) renderer->setPosition({orders - 1, 0}, true);
  renderer->render(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // No sound hardware: SDL's silent driver still runs the sound thread.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (!BASSMOD_Init(-1, kRate, 0)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the music flags (ramping, looping, position reset).
  const std::uint32_t flags = (data[0] & 0x7u) | ((data[0] & 0x8u) ? PLAYER_MUSIC_POSRESET : 0u);
  ThroughEntryPoints(data + 1, size - 1, flags);
  Rendered(data + 1, size - 1, flags);
  return 0;
}
