// The intro's routines: switching between full screen and the window, and
// the values the frame loop works with.
#pragma once

#include <cstdint>

#include "framework/Forms.h"
#include "graphics/DXClass.h"

namespace corvane {

// The frame at which the music starts; drawing begins with the frame after it.
inline constexpr std::int32_t MusicStartFrame = 100;

// The raw pixel value the back buffer is filled with each frame (black).
extern std::uint32_t FillColour;

// Whether the form shows the intro full screen.
bool IsFullScreen(const TForm& form);

// Switches between full screen and the window: the timer is off while the
// picture is rebuilt, and restarts its clock afterwards, so no burst of
// catch-up frames follows. Full screen has no frame and no mouse pointer; the
// window it returns to has the dialog frame. `display` is the control that
// shows the picture.
void ToggleFullScreen(TControl& display, TCustomDXTimer& timer, TForm& form);

}  // namespace corvane
