// The display component: owns the 2D device, puts the window into windowed
// or full-screen exclusive mode, keeps the primary surface and the back
// buffer the program draws each frame into, presents it, restores lost
// surfaces and tells its listeners (the picture lists) when the device comes
// and goes so that they can rebuild their own surfaces.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Forms.h"
#include "graphics/DXDrawDisplay.h"
#include "graphics/DirectDrawSurface.h"

namespace corvane {

CORVANE_EXCEPTION(EDXDrawError, Exception);

enum TDXDrawOption : int {
  doFullScreen,
  doNoWindowChange,
  doAllowReboot,
  doWaitVBlank,
  doAllowPalette256,
  doSystemMemory,
  doStretch,
  doCenter,
  doFlip,
  do3D,
  doDirectX7Mode,
  doRetainedMode,
  doHardware,
  doSelectDriver,
  doZBuffer,
};

// A set of options, one bit per member (bit n for member n).
class TDXDrawOptions {
 public:
  constexpr TDXDrawOptions() = default;
  constexpr TDXDrawOptions(std::initializer_list<TDXDrawOption> members) {
    for (TDXDrawOption m : members) bits_ = static_cast<std::uint16_t>(bits_ | Bit(m));
  }
  static constexpr TDXDrawOptions FromBits(std::uint16_t bits) {
    TDXDrawOptions set;
    set.bits_ = bits;
    return set;
  }
  constexpr std::uint16_t Bits() const { return bits_; }
  constexpr bool Contains(TDXDrawOption m) const { return (bits_ & Bit(m)) != 0; }
  constexpr void Include(TDXDrawOption m) { bits_ = static_cast<std::uint16_t>(bits_ | Bit(m)); }
  constexpr void Exclude(TDXDrawOption m) { bits_ = static_cast<std::uint16_t>(bits_ & ~Bit(m)); }
  friend constexpr bool operator==(TDXDrawOptions, TDXDrawOptions) = default;

 private:
  static constexpr std::uint16_t Bit(TDXDrawOption m) { return static_cast<std::uint16_t>(1u << m); }
  std::uint16_t bits_ = 0;
};

enum class DisplayNotification {
  Destroying,
  Initializing,
  Initialize,
  InitializeSurface,
  Finalize,
  FinalizeSurface,
  Restore,
  SetSurfaceSize,
};

class TCustomDXDraw;
using TDXDrawNotifyEvent = void (*)(void* context, TCustomDXDraw* sender,
                                    DisplayNotification notification);

// One colour table entry: blue, green, red, reserved.
using TColorTable = std::array<platform::RGBQUAD, 256>;
using TPaletteEntries = std::array<platform::PALETTEENTRY, 256>;

class TDXDrawDriver;

class TCustomDXDraw : public TWinControl {
 public:
  explicit TCustomDXDraw(TComponent* owner);
  ~TCustomDXDraw() override;
  const char* ClassName() const override { return "TCustomDXDraw"; }

  void Initialize();
  void Finalize();
  void Flip();
  // Whether a frame can be drawn now; restores lost surfaces on the way.
  bool CanDraw();
  bool CanPaint();
  void Restore();
  void UpdatePalette();

  TDXDrawOptions Options() const { return options_; }
  void SetOptions(TDXDrawOptions value);
  TDXDrawOptions NowOptions() const { return effective_; }
  TDXDrawDisplay& Display() { return *display_; }
  void SetDisplay(const TDXDrawDisplay& value) { display_->Assign(&value); }

  bool AutoInitialize = true;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);

  std::int32_t SurfaceWidth() const;
  std::int32_t SurfaceHeight() const;
  void SetSurfaceWidth(std::int32_t value);
  void SetSurfaceHeight(std::int32_t value);

  bool Initialized() const { return initialized_; }
  TDirectDraw* Device() const { return device_.get(); }
  const platform::GUID* DeviceGUID() const { return deviceGUID_; }
  TDirectDrawSurface* Primary() const { return primary_.get(); }
  TDirectDrawSurface* Surface() const { return surface_.get(); }
  TDirectDrawPalette* Palette() const { return palette_.get(); }
  TDirectDrawClipper* Clipper() const { return clipper_.get(); }

  TColorTable ColorTable{};
  TColorTable DefColorTable{};

  void RegisterNotification(TDXDrawNotifyEvent callback, void* context);
  void UnregisterNotification(TDXDrawNotifyEvent callback, void* context);

  TNotifyEvent OnFinalize;
  TNotifyEvent OnFinalizeSurface;
  TNotifyEvent OnInitialize;
  TNotifyEvent OnInitializeSurface;
  TNotifyEvent OnInitializing;
  TNotifyEvent OnRestoreSurface;

  // --- The control's life in its form.
  void Loaded() override;
  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  void Paint() override;
  // The control's own window was made again while the device lives.
  void WindowCreated();
  // The window toolkit reports that the palette changed.
  void PaletteChanged();
  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;
  // The window the device works with: the form's, as the control fills it.
  platform::HWND WindowHandle() const;

  // The hardware entries for a colour table: the table's colours, with the
  // system's entries 0-9 and 246-255 unless all 256 may be used, flags 0x40.
  static TPaletteEntries BuildPaletteEntries(const TColorTable& table, bool allowAll256);

 protected:
  virtual void DoFinalize();
  virtual void DoFinalizeSurface();
  virtual void DoInitialize();
  virtual void DoInitializeSurface();
  virtual void DoInitializing();
  virtual void DoRestoreSurface();

 private:
  friend class TDXDrawDriver;
  friend class TDXDrawDriverBlt;
  friend class TDXDrawDriverFlip;

  void NotifyEventList(DisplayNotification notification);
  void ApplyColorTable(const TColorTable& table);
  void DeriveEffectiveOptions();
  void SetCooperativeLevel();
  void FormWindowMessage(TMessage& message, const std::function<void()>& inherited);
  void FlipToGDISurface();
  void RemoveFormHook();
  void RequestSurfaceSize(std::int32_t width, std::int32_t height);
  void InitializeSteps();

  bool autoSize_ = true;
  bool initializeRaised_ = false;
  bool initializeSurfaceRaised_ = false;
  TForm* parentForm_ = nullptr;
  struct Listener {
    TDXDrawNotifyEvent callback;
    void* context;
  };
  std::vector<Listener> listeners_;
  bool initialized_ = false;
  bool initializeCalled_ = false;
  bool initializeStarted_ = false;
  bool updating_ = false;
  int formHook_ = 0;
  TDXDrawOptions effective_;
  TDXDrawOptions options_;
  std::int32_t restoreSuppressCount_ = 0;
  std::unique_ptr<TDXDrawDriver> driver_;
  const platform::GUID* deviceGUID_ = nullptr;
  std::unique_ptr<TDirectDraw> device_;
  std::unique_ptr<TDXDrawDisplay> display_;
  std::unique_ptr<TDirectDrawClipper> clipper_;
  std::unique_ptr<TDirectDrawPalette> palette_;
  std::unique_ptr<TDirectDrawSurface> primary_;
  std::unique_ptr<TDirectDrawSurface> surface_;
  std::int32_t surfaceWidth_ = 640;
  std::int32_t surfaceHeight_ = 480;
};

class TDXDraw : public TCustomDXDraw {
 public:
  using TCustomDXDraw::TCustomDXDraw;
  const char* ClassName() const override { return "TDXDraw"; }
};

// The presentation drivers: how the back buffer reaches the screen.
class TDXDrawDriver {
 public:
  // Makes the device for the display.
  explicit TDXDrawDriver(TCustomDXDraw& display);
  virtual ~TDXDrawDriver();
  virtual void Finalize();
  virtual void Flip() = 0;
  virtual void Initialize() = 0;
  virtual bool SetSize(std::int32_t width, std::int32_t height);
  bool Restore();

 protected:
  TCustomDXDraw& display_;
};

class TDXDrawDriverBlt : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;
  void Flip() override;
  void Initialize() override;
  bool SetSize(std::int32_t width, std::int32_t height) override;

 private:
  void InitializeSurface();
};

class TDXDrawDriverFlip : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;
  void Flip() override;
  void Initialize() override;
};

}  // namespace corvane
