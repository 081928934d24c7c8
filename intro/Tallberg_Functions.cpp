#include "Tallberg_Functions.h"

namespace corvane {

std::uint32_t FillColour = 0;

bool IsFullScreen(const TForm& form) { return form.BorderStyle() == TBorderStyle::bsNone; }

void ToggleFullScreen(TControl& display, TCustomDXTimer& timer, TForm& form) {
  timer.SetEnabled(false);
  if (IsFullScreen(form)) {
    display.SetCursor(crDefault);
    form.SetBorderStyle(TBorderStyle::bsDialog);
  } else {
    display.SetCursor(crNone);
    form.SetBorderStyle(TBorderStyle::bsNone);
  }
  timer.SetEnabled(true);
}

}  // namespace corvane
