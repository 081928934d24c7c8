// The display component as a control of its form: stored settings, the size
// of the back buffer, the hook on the form's window, painting.
#include <algorithm>

#include "framework/FormReader.h"
#include "graphics/DXDraw.h"

namespace corvane {

using namespace platform;

namespace {

constexpr std::pair<const char*, TDXDrawOption> kOptionNames[] = {
    {"doFullScreen", doFullScreen},     {"doNoWindowChange", doNoWindowChange},
    {"doAllowReboot", doAllowReboot},   {"doWaitVBlank", doWaitVBlank},
    {"doAllowPalette256", doAllowPalette256}, {"doSystemMemory", doSystemMemory},
    {"doStretch", doStretch},           {"doCenter", doCenter},
    {"doFlip", doFlip},                 {"do3D", do3D},
    {"doDirectX7Mode", doDirectX7Mode}, {"doRetainedMode", doRetainedMode},
    {"doHardware", doHardware},         {"doSelectDriver", doSelectDriver},
    {"doZBuffer", doZBuffer}};

TDXDrawOptions OptionsFromNames(const std::vector<std::string>& names) {
  TDXDrawOptions set;
  for (const std::string& name : names) {
    auto it = std::find_if(std::begin(kOptionNames), std::end(kOptionNames),
                           [&](const auto& entry) { return name == entry.first; });
    if (it == std::end(kOptionNames)) throw EReadError(msg::SInvalidPropertyValue);
    set.Include(it->second);
  }
  return set;
}

}  // namespace

// --- The back buffer's size.

std::int32_t TCustomDXDraw::SurfaceWidth() const {
  return surface_ && surface_->ISurface() ? surface_->Width() : surfaceWidth_;
}

std::int32_t TCustomDXDraw::SurfaceHeight() const {
  return surface_ && surface_->ISurface() ? surface_->Height() : surfaceHeight_;
}

void TCustomDXDraw::SetSurfaceWidth(std::int32_t value) {
  if (IsLoading()) {
    surfaceWidth_ = value;
    return;
  }
  RequestSurfaceSize(value, SurfaceHeight());
}

void TCustomDXDraw::SetSurfaceHeight(std::int32_t value) {
  if (IsLoading()) {
    surfaceHeight_ = value;
    return;
  }
  RequestSurfaceSize(SurfaceWidth(), value);
}

void TCustomDXDraw::RequestSurfaceSize(std::int32_t width, std::int32_t height) {
  if ((width == SurfaceWidth() && height == SurfaceHeight()) || updating_) return;
  if (initialized_) {
    bool changed = false;
    try {
      changed = driver_->SetSize(width, height);
    } catch (...) {
      Finalize();
      throw;
    }
    if (!changed) return;
  } else {
    surfaceWidth_ = width;
    surfaceHeight_ = height;
  }
  NotifyEventList(DisplayNotification::SetSurfaceSize);
}

void TCustomDXDraw::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  if (autoSize_) RequestSurfaceSize(Width(), Height());
}

void TCustomDXDraw::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(left, top, width, height);
  if (autoSize_ && !updating_ && !IsLoading()) RequestSurfaceSize(width, height);
}

// --- Loading and the form.

void TCustomDXDraw::Loaded() {
  TWinControl::Loaded();
  if (autoSize_) {
    surfaceWidth_ = Width();
    surfaceHeight_ = Height();
  }
  NotifyEventList(DisplayNotification::SetSurfaceSize);
  if (AutoInitialize && !IsDesigning() && formHook_ == 0) Initialize();
}

void TCustomDXDraw::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  RemoveFormHook();
  if (IsDesigning()) return;
  if (TForm* form = ParentForm()) {
    parentForm_ = form;
    formHook_ = form->HookWindow(
        [this](TMessage& message, const std::function<void()>& inherited) {
          FormWindowMessage(message, inherited);
        });
  }
}

void TCustomDXDraw::RemoveFormHook() {
  if (parentForm_ && formHook_) parentForm_->UnhookWindow(formHook_);
  parentForm_ = nullptr;
  formHook_ = 0;
}

void TCustomDXDraw::FormWindowMessage(TMessage& message, const std::function<void()>& inherited) {
  switch (message.Msg) {
    case WM_DESTROY:
      Finalize();
      inherited();
      break;
    case WM_ACTIVATE:
      if (message.WParam == WA_INACTIVE) FlipToGDISurface();
      inherited();
      break;
    case WM_WINDOWPOSCHANGED:
      inherited();
      if ((message.LParam & SWP_SHOWWINDOW) && AutoInitialize && !initializeCalled_) Initialize();
      break;
    case WM_INITMENU:
      FlipToGDISurface();
      inherited();
      break;
    default: inherited(); break;
  }
}

// Lets the desktop show through while a page-flipping full screen is left.
void TCustomDXDraw::FlipToGDISurface() {
  if (initialized_ && effective_.Contains(doFullScreen) && effective_.Contains(doFlip))
    device_->SetLastResult(device_->IDDraw().FlipToGDISurface());
}

void TCustomDXDraw::WindowCreated() {
  if (!initialized_ || updating_) return;
  if (clipper_) clipper_->SetHandle(WindowHandle());
  SetCooperativeLevel();
}

void TCustomDXDraw::PaletteChanged() {
  if (Application && Application->Active()) Restore();
}

// A repaint shows the last frame again at once, without waiting for the
// vertical blank.
void TCustomDXDraw::Paint() {
  bool waits = effective_.Contains(doWaitVBlank);
  effective_.Exclude(doWaitVBlank);
  try {
    Flip();
  } catch (...) {
    if (waits) effective_.Include(doWaitVBlank);
    throw;
  }
  if (waits) effective_.Include(doWaitVBlank);
}

bool TCustomDXDraw::ReadProperty(const std::string& name, const TPropertyValue& value,
                                 TReader& reader) {
  auto integer = [&] { return static_cast<std::int32_t>(reader.Integer(value)); };
  if (name == "AutoInitialize") AutoInitialize = reader.Boolean(value);
  else if (name == "AutoSize") SetAutoSize(reader.Boolean(value));
  else if (name == "Color") reader.Ident(value);  // the control never shows its colour
  else if (name == "Display.BitCount") display_->SetBitCount(integer());
  else if (name == "Display.Width") display_->SetWidth(integer());
  else if (name == "Display.Height") display_->SetHeight(integer());
  else if (name == "Display.FixedBitCount") display_->FixedBitCount = reader.Boolean(value);
  else if (name == "Display.FixedRatio") display_->FixedRatio = reader.Boolean(value);
  else if (name == "Display.FixedSize") display_->FixedSize = reader.Boolean(value);
  else if (name == "Options") SetOptions(OptionsFromNames(reader.Set(value)));
  else if (name == "SurfaceWidth") SetSurfaceWidth(integer());
  else if (name == "SurfaceHeight") SetSurfaceHeight(integer());
  else if (name == "OnFinalize") OnFinalize = reader.Event<TNotifyEvent>(value);
  else if (name == "OnFinalizeSurface") OnFinalizeSurface = reader.Event<TNotifyEvent>(value);
  else if (name == "OnInitialize") OnInitialize = reader.Event<TNotifyEvent>(value);
  else if (name == "OnInitializeSurface") OnInitializeSurface = reader.Event<TNotifyEvent>(value);
  else if (name == "OnInitializing") OnInitializing = reader.Event<TNotifyEvent>(value);
  else if (name == "OnRestoreSurface") OnRestoreSurface = reader.Event<TNotifyEvent>(value);
  else return TWinControl::ReadProperty(name, value, reader);
  return true;
}

}  // namespace corvane
