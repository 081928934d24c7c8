#include "graphics/DXDraw.h"

#include <algorithm>
#include <exception>

namespace corvane {

using namespace platform;

namespace {

constexpr TDXDrawOptions DefaultOptions{doAllowReboot,  doWaitVBlank, doCenter,
                                        doDirectX7Mode, doHardware,   doSelectDriver};

// Options that take effect at once, even while the device lives (bit 15 has
// no member but is carried along).
constexpr std::uint16_t ImmediateOptions =
    TDXDrawOptions{doWaitVBlank, doStretch, doCenter}.Bits() | 0x8000;

// Runs the steps of a tear-down in order, each even when an earlier one
// raised; the first exception continues afterwards.
class Steps {
 public:
  template <class F>
  void Run(F&& step) {
    try {
      step();
    } catch (...) {
      if (!error_) error_ = std::current_exception();
    }
  }
  void Finish() {
    if (error_) std::rethrow_exception(error_);
  }

 private:
  std::exception_ptr error_;
};

TColorTable SystemColorTable() {
  PALETTEENTRY entries[256]{};
  GetSystemPaletteEntries(0, 0, 256, entries);
  TColorTable table{};
  for (int i = 0; i < 256; ++i)
    table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  return table;
}

}  // namespace

TCustomDXDraw::TCustomDXDraw(TComponent* owner)
    : TWinControl(owner), display_(std::make_unique<TDXDrawDisplay>(this)) {
  ColorTable = SystemColorTable();
  DefColorTable = ColorTable;
  SetOptions(DefaultOptions);
}

TCustomDXDraw::~TCustomDXDraw() {
  try {
    Finalize();
  } catch (...) {
    // A handler that raises while the component goes cannot stop it going.
  }
  NotifyEventList(DisplayNotification::Destroying);
  display_.reset();
  RemoveFormHook();
  listeners_.clear();
}

// --- Options.

void TCustomDXDraw::SetOptions(TDXDrawOptions value) {
  options_ = value;
  if (initialized_) {
    effective_ = TDXDrawOptions::FromBits(
        static_cast<std::uint16_t>((effective_.Bits() & ~ImmediateOptions) |
                                   (value.Bits() & ImmediateOptions)));
    if (!effective_.Contains(do3D))
      for (TDXDrawOption m : {doRetainedMode, doHardware, doSelectDriver, doZBuffer})
        effective_.Exclude(m);
    return;
  }
  DeriveEffectiveOptions();
}

void TCustomDXDraw::DeriveEffectiveOptions() {
  TDXDrawOptions e = options_;
  if (!e.Contains(doFullScreen))
    for (TDXDrawOption m : {doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip})
      e.Exclude(m);
  if (!e.Contains(do3D))
    for (TDXDrawOption m : {doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer})
      e.Exclude(m);
  if (e.Contains(doSystemMemory)) e.Exclude(doFlip);
  if (e.Contains(doDirectX7Mode)) e.Exclude(doRetainedMode);
  e.Exclude(doHardware);
  effective_ = e;
}

// --- Life of the device.

void TCustomDXDraw::Initialize() {
  initializeCalled_ = true;
  Finalize();
  if (!parentForm_) throw EDXDrawError("Form not found");
  try {
    InitializeSteps();
  } catch (...) {
    Finalize();
    throw;
  }
  try {
    NotifyEventList(DisplayNotification::SetSurfaceSize);
    NotifyEventList(DisplayNotification::Initialize);
    initializeRaised_ = true;
    DoInitialize();
    NotifyEventList(DisplayNotification::InitializeSurface);
    initializeSurfaceRaised_ = true;
    DoInitializeSurface();
  } catch (...) {
    --restoreSuppressCount_;
    throw;
  }
  --restoreSuppressCount_;
  // Restoring surfaces that are not lost succeeds, so every initialisation
  // ends with the listeners making their surfaces.
  Restore();
}

// From OnInitializing to a ready device; the caller finalises when this raises.
void TCustomDXDraw::InitializeSteps() {
  DoInitializing();
  updating_ = true;
  try {
    initializeStarted_ = true;
    NotifyEventList(DisplayNotification::Initializing);
    if (effective_.Contains(doFlip))
      driver_ = std::make_unique<TDXDrawDriverFlip>(*this);
    else
      driver_ = std::make_unique<TDXDrawDriverBlt>(*this);
    SetCooperativeLevel();
    if (effective_.Contains(doFullScreen) &&
        !display_->SetFittingMode(display_->Width(), display_->Height(), display_->BitCount()))
      throw EDXDrawError(Format("Display mode cannot be changed (%dx%d %dbit)", display_->Width(),
                                display_->Height(), display_->BitCount()));
    if (autoSize_) {
      surfaceWidth_ = Width();
      surfaceHeight_ = Height();
    }
    driver_->Initialize();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
  initialized_ = true;
  ++restoreSuppressCount_;
}

void TCustomDXDraw::Finalize() {
  if (!initializeStarted_) return;
  surfaceWidth_ = SurfaceWidth();
  surfaceHeight_ = SurfaceHeight();
  display_->ClearModes();
  updating_ = true;
  Steps steps;
  steps.Run([this] {
    if (initializeSurfaceRaised_) {
      initializeSurfaceRaised_ = false;
      DoFinalizeSurface();
    }
  });
  steps.Run([this] { NotifyEventList(DisplayNotification::FinalizeSurface); });
  steps.Run([this] {
    if (initializeRaised_) {
      initializeRaised_ = false;
      DoFinalize();
    }
  });
  steps.Run([this] { NotifyEventList(DisplayNotification::Finalize); });
  initializeStarted_ = false;
  initialized_ = false;
  DeriveEffectiveOptions();
  // The driver takes the surfaces, the palette, the clipper and the device.
  driver_.reset();
  updating_ = false;
  steps.Finish();
}

void TCustomDXDraw::SetCooperativeLevel() {
  std::uint32_t flags = DDSCL_NORMAL;
  if (effective_.Contains(doFullScreen)) {
    flags = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
    if (effective_.Contains(doNoWindowChange)) flags |= DDSCL_NOWINDOWCHANGES;
    if (effective_.Contains(doAllowReboot)) flags |= DDSCL_ALLOWREBOOT;
  }
  device_->SetLastResult(device_->IDDraw().SetCooperativeLevel(WindowHandle(), flags));
}

HWND TCustomDXDraw::WindowHandle() const { return parentForm_ ? parentForm_->Handle() : 0; }

// --- Every frame.

namespace {
// A surface with no platform surface counts as usable.
HRESULT LostState(const TDirectDrawSurface* surface) {
  return surface && surface->ISurface() ? surface->ISurface()->IsLost() : DD_OK;
}
}  // namespace

bool TCustomDXDraw::CanPaint() {
  if (!initialized_ || updating_ || !primary_ || !primary_->ISurface()) return false;
  if (LostState(primary_.get()) != DDERR_SURFACELOST &&
      LostState(surface_.get()) != DDERR_SURFACELOST)
    return true;
  Restore();
  return LostState(primary_.get()) == DD_OK && LostState(surface_.get()) == DD_OK;
}

bool TCustomDXDraw::CanDraw() {
  return initialized_ && !updating_ && surface_ && surface_->ISurface() && CanPaint();
}

void TCustomDXDraw::Flip() {
  if (initialized_ && !updating_ && CanPaint()) driver_->Flip();
}

void TCustomDXDraw::Restore() {
  if (!initialized_ || updating_) return;
  updating_ = true;
  try {
    if (driver_->Restore()) {
      primary_->SetPalette(palette_.get());
      surface_->SetPalette(palette_.get());
      ApplyColorTable(DefColorTable);
      NotifyEventList(DisplayNotification::Restore);
      DoRestoreSurface();
      ApplyColorTable(ColorTable);
    }
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

// --- Colour tables.

TPaletteEntries TCustomDXDraw::BuildPaletteEntries(const TColorTable& table, bool allowAll256) {
  TPaletteEntries entries{};
  for (int i = 0; i < 256; ++i)
    entries[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  if (!allowAll256) {
    GetSystemPaletteEntries(0, 0, 10, entries.data());
    GetSystemPaletteEntries(0, 246, 10, entries.data() + 246);
  }
  for (PALETTEENTRY& entry : entries) entry.peFlags = 0x40;
  return entries;
}

void TCustomDXDraw::ApplyColorTable(const TColorTable& table) {
  if (!initialized_ || !palette_) return;
  TPaletteEntries entries = BuildPaletteEntries(table, effective_.Contains(doAllowPalette256));
  palette_->SetEntries(0, 256, entries.data());
}

void TCustomDXDraw::UpdatePalette() {
  if (initialized_ && effective_.Contains(doWaitVBlank) &&
      (device_->DriverCaps().dwPalCaps & DDPCAPS_VSYNC) == 0)
    device_->SetLastResult(device_->IDDraw().WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN));
  ApplyColorTable(ColorTable);
}

// --- Listeners.

void TCustomDXDraw::NotifyEventList(DisplayNotification notification) {
  // Last registered first, so that a listener may unregister itself.
  for (std::size_t i = listeners_.size(); i-- > 0;) {
    if (i >= listeners_.size()) continue;
    Listener listener = listeners_[i];
    listener.callback(listener.context, this, notification);
  }
}

void TCustomDXDraw::RegisterNotification(TDXDrawNotifyEvent callback, void* context) {
  UnregisterNotification(callback, context);
  listeners_.push_back({callback, context});
  callback(context, this, DisplayNotification::SetSurfaceSize);
  if (!initialized_) return;
  callback(context, this, DisplayNotification::Initialize);
  if (initializeSurfaceRaised_) callback(context, this, DisplayNotification::InitializeSurface);
  if (restoreSuppressCount_ == 0) callback(context, this, DisplayNotification::Restore);
}

void TCustomDXDraw::UnregisterNotification(TDXDrawNotifyEvent callback, void* context) {
  auto it = std::find_if(listeners_.begin(), listeners_.end(), [&](const Listener& l) {
    return l.callback == callback && l.context == context;
  });
  if (it == listeners_.end()) return;
  listeners_.erase(it);
  if (initializeSurfaceRaised_) callback(context, this, DisplayNotification::FinalizeSurface);
  if (initialized_) callback(context, this, DisplayNotification::Finalize);
}

// --- Events.

void TCustomDXDraw::DoFinalize() {
  if (OnFinalize) OnFinalize(this);
}
void TCustomDXDraw::DoFinalizeSurface() {
  if (OnFinalizeSurface) OnFinalizeSurface(this);
}
void TCustomDXDraw::DoInitialize() {
  if (OnInitialize) OnInitialize(this);
}
void TCustomDXDraw::DoInitializeSurface() {
  if (OnInitializeSurface) OnInitializeSurface(this);
}
void TCustomDXDraw::DoInitializing() {
  if (OnInitializing) OnInitializing(this);
}
void TCustomDXDraw::DoRestoreSurface() {
  if (OnRestoreSurface) OnRestoreSurface(this);
}

}  // namespace corvane
