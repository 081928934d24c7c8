// The state a device shares with the objects it made. It outlives the
// device object itself, so that a surface still held after its device was
// released can see that it is over instead of following a dangling pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DDraw.h"
#include "platform/Display.h"

namespace corvane::platform::ddraw {

// Pixel memory; duplicated surfaces share it. It is held as whole 32-bit
// words (every pitch is a multiple of 4), so that a 32-bit surface can be
// handed on as 32-bit pixels without copying.
struct Storage {
  std::vector<std::uint32_t> words;
  std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(words.data()); }
};

struct DeviceCore {
  Display* display = nullptr;
  std::shared_ptr<const bool> displayAlive;
  bool alive = true;  // false once the device is released
  HWND window = 0;
  std::uint32_t level = 0;  // the DDSCL_ flags in force; 0 before any were set
  bool modeSet = false;     // this device set a full-screen mode
  std::uint64_t videoMemoryTotal = 0;
  std::uint64_t videoMemoryUsed = 0;
  DirectDrawSurface* primary = nullptr;
  std::vector<DirectDrawSurface*> surfaces;  // every live surface of the device
  std::vector<std::uint32_t> frame;          // presentation scratch, kept between frames
  std::vector<std::uint32_t> colours;        // the primary's palette as colours

  bool usable() const { return alive && displayAlive && *displayAlive; }
  bool exclusive() const { return (level & DDSCL_EXCLUSIVE) != 0; }

  // Shows the primary surface in the cooperative window (or the window of
  // the primary's clipper): the whole picture in full screen, the window's
  // client area of the screen otherwise.
  void presentPrimary();
  // A palette's entries changed: what the primary shows changes with them.
  void paletteChanged(const DirectDrawPalette* palette);
  // Ends every surface of the device; the device is being released.
  void detachAll();
  HWND presentationWindow() const;

 private:
  FrameView frameOf(const DirectDrawSurface& primary, const RECT& region);
};

// The window's client area in screen coordinates; empty when it is gone.
RECT WindowClientRect(HWND window);

}  // namespace corvane::platform::ddraw
