#include "Tallberg_Functions.h"

namespace corvane {

std::uint32_t FillColour = 0;

void ToggleFullScreen(TCustomDXDraw& display, TCustomDXTimer& timer, TForm& form) {
  timer.SetEnabled(false);
  display.Finalize();
  TDXDrawOptions options = display.Options();
  if (options.Contains(doFullScreen)) {
    display.SetCursor(crDefault);
    form.SetBorderStyle(TBorderStyle::bsDialog);
    options.Exclude(doFullScreen);
  } else {
    display.SetCursor(crNone);
    form.SetBorderStyle(TBorderStyle::bsNone);
    options.Include(doFullScreen);
  }
  display.SetOptions(options);
  display.Initialize();
  timer.SetEnabled(true);
}

}  // namespace corvane
