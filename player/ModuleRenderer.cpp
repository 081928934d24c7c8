#include "ModuleRenderer.h"

#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_ext.hpp>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace corvane::player {

struct ModuleRenderer::Engine {
  // The module keeps a reference to its log for as long as it lives; loader
  // remarks about odd modules are of no use to a player, so they go nowhere.
  std::ostream silentLog{nullptr};
  std::unique_ptr<openmpt::module_ext> module;
  openmpt::ext::interactive* interactive = nullptr;
};

namespace {

int rampStrength(std::uint32_t flags) {
  if (flags & kMusicRampSoft) return 10;  // the longest ramps the mixer offers
  if (flags & kMusicRamp) return -1;      // the mixer's own recommended ramps
  return 0;                               // none: every volume step is heard
}

int amplifyToMillibel(int amplify) {
  // 50 is unity gain; the scale is linear in amplitude up to double at 100.
  if (amplify <= 0) return -100000;
  return static_cast<int>(std::lround(2000.0 * std::log10(amplify / 50.0)));
}

bool isBefore(SongPosition a, SongPosition b) { return a.order < b.order; }

}  // namespace

std::unique_ptr<ModuleRenderer> ModuleRenderer::load(std::span<const std::byte> data, std::uint32_t flags, int sampleRate) {
  if (data.empty() || sampleRate <= 0) return nullptr;
  auto engine = std::make_unique<Engine>();
  try {
    engine->module = std::make_unique<openmpt::module_ext>(data.data(), data.size(), engine->silentLog);
    if (engine->module->get_num_orders() <= 0) return nullptr;
    engine->interactive = static_cast<openmpt::ext::interactive*>(engine->module->get_interface(openmpt::ext::interactive_id));
    // Fixed choices, so that the same module always renders to the same bytes.
    engine->module->ctl_set_integer("dither", 0);
    engine->module->ctl_set_boolean("render.resampler.emulate_amiga", false);
    engine->module->set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 0);
  } catch (const std::exception&) {
    return nullptr;
  }
  std::unique_ptr<ModuleRenderer> renderer(new ModuleRenderer(std::move(engine), sampleRate));
  renderer->setFlags(flags);
  renderer->setAmplify(kDefaultAmplify);
  renderer->setPanSeparation(kDefaultPanSeparation);
  return renderer;
}

ModuleRenderer::ModuleRenderer(std::unique_ptr<Engine> engine, int sampleRate) : engine(std::move(engine)), rate(sampleRate) {
  lastEvents.reserve(64);
  current = {this->engine->module->get_current_order(), this->engine->module->get_current_row()};
}

ModuleRenderer::~ModuleRenderer() = default;

std::size_t ModuleRenderer::render(std::span<std::int16_t> interleaved) {
  lastEvents.clear();
  const std::size_t frames = interleaved.size() / 2;
  std::size_t done = 0;
  while (done < frames && !finished) {
    const std::size_t want = std::min(kChunkFrames, frames - done);
    const std::size_t got = engine->module->read_interleaved_stereo(rate, want, interleaved.data() + 2 * done);
    if (got == 0) {
      finished = true;
      lastEvents.push_back({PlaybackEvent::Kind::End, current, done});
      break;
    }
    observePosition(done);
    done += got;
    framesIntoRow += got;
  }
  std::fill(interleaved.begin() + static_cast<std::ptrdiff_t>(2 * done), interleaved.end(), std::int16_t{0});
  return done;
}

void ModuleRenderer::observePosition(std::size_t frame) {
  const SongPosition now{engine->module->get_current_order(), engine->module->get_current_row()};
  if (now == current && rowAnnounced) return;
  const bool loopedBack = (musicFlags & kMusicLoop) && isBefore(now, current);
  if (now != current) framesIntoRow = 0;
  current = now;
  rowAnnounced = true;
  if (loopedBack) {
    if (musicFlags & kMusicStopOnMove) stopNotesMissingAt(now);
    lastEvents.push_back({PlaybackEvent::Kind::LoopBack, now, frame});
  }
  lastEvents.push_back({PlaybackEvent::Kind::Row, now, frame});
}

// After a jump back, a channel that starts a note on the landing row has
// already dropped its old note; the others would ring on from before the jump.
void ModuleRenderer::stopNotesMissingAt(SongPosition position) {
  if (engine->interactive == nullptr) return;
  const auto& module = *engine->module;
  const std::int32_t pattern = module.get_order_pattern(position.order);
  for (std::int32_t channel = 0; channel < module.get_num_channels(); ++channel)
    if (module.get_pattern_row_channel_command(pattern, position.row, channel, openmpt::module::command_note) == 0)
      engine->interactive->stop_note(channel);
}

void ModuleRenderer::stopAllNotes() {
  if (engine->interactive == nullptr) return;
  for (std::int32_t channel = 0; channel < engine->module->get_num_channels(); ++channel) engine->interactive->stop_note(channel);
}

void ModuleRenderer::setFlags(std::uint32_t flags) {
  musicFlags = flags;
  engine->module->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, rampStrength(flags));
  engine->module->set_repeat_count((flags & kMusicLoop) ? -1 : 0);
}

void ModuleRenderer::setAmplify(int amplify) {
  engine->module->set_render_param(openmpt::module::RENDER_MASTERGAIN_MILLIBEL, amplifyToMillibel(std::clamp(amplify, 0, 100)));
}

void ModuleRenderer::setPanSeparation(int separation) {
  engine->module->set_render_param(openmpt::module::RENDER_STEREOSEPARATION_PERCENT, std::clamp(separation, 0, 100));
}

bool ModuleRenderer::setPosition(SongPosition position, bool stopNotes) {
  auto& module = *engine->module;
  if (position.order < 0 || position.order >= module.get_num_orders() || position.row < 0) return false;
  const std::int32_t pattern = module.get_order_pattern(position.order);
  if (pattern < 0 || pattern >= module.get_num_patterns() || position.row >= module.get_pattern_num_rows(pattern)) return false;
  // A plain seek silences the channels; with sample sync the mixer rebuilds
  // the notes that would be sounding at the new place.
  module.ctl_set_boolean("seek.sync_samples", !stopNotes);
  module.set_position_order_row(position.order, position.row);
  if (stopNotes) stopAllNotes();
  current = position;
  rowAnnounced = false;
  framesIntoRow = 0;
  finished = false;
  return true;
}

double ModuleRenderer::rowProgress() const {
  const auto& module = *engine->module;
  const double tempo = module.get_current_tempo();
  const double speed = module.get_current_speed();
  if (tempo <= 0.0 || speed <= 0.0) return 0.0;
  // A tick lasts 2.5 / tempo seconds; a row lasts "speed" ticks.
  const double rowFrames = speed * 2.5 / tempo * rate;
  return std::min(static_cast<double>(framesIntoRow) / rowFrames, 0.999);
}

int ModuleRenderer::orderCount() const { return engine->module->get_num_orders(); }

double ModuleRenderer::lengthSeconds() const { return engine->module->get_duration_seconds(); }

}  // namespace corvane::player
