// The main window of the intro.
#pragma once

#include <cstdint>
#include <span>

#include "GlyphCells.h"
#include "framework/Forms.h"
#include "graphics/DIB.h"
#include "graphics/DXClass.h"
#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"

namespace corvane {

// Frames counted since start; only frames in which the display can draw count.
extern std::int32_t FrameCounter;

// The logo's cell: the whole logo picture at the top-left corner, opaque.
extern GlyphCell LogoCell;

// The payload the intro carries, byte for byte: the module-player library
// file and the music module.
extern const std::span<const unsigned char>& PlayerLibraryData;
extern const std::span<const unsigned char>& ModuleData;

class TfrmMain : public TForm {
 public:
  explicit TfrmMain(TComponent* owner);
  const char* ClassName() const override { return "TfrmMain"; }

  TDXDraw* dxDraw = nullptr;
  TDXTimer* dxTimer = nullptr;
  TDXImageList* ImageList = nullptr;
  TDXDIB* dxFont = nullptr;

  void FormCreate(TObject* sender);
  void FormDestroy(TObject* sender);
  void FormKeyDown(TObject* sender, std::uint16_t& key, TShiftState shift);
  void dxTimerTimer(TObject* sender, std::int32_t lagCount);
  // One frame of the text page over the logo on the back buffer.
  void AnimatePage();

  void Loaded() override;

 protected:
  std::string_view FormResource() const override;
  TBinaryResolver BinaryResolver() const override;
};

extern TfrmMain* frmMain;

// Makes the intro's component classes known to the form resource reader.
void RegisterIntroClasses();
// The units' own ending at program end, once the forms are gone: the DIB
// unit drops its registration, its empty image and its palette cache.
void FinalizeIntroUnits();

// The program entry, once a platform backend is installed: gives the exit code.
int RunIntro();

}  // namespace corvane
