#include "MainUnit.h"

#include <limits>
#include <span>

#include "IntroAssets.h"
#include "PageText.h"
#include "ScalingChoice.h"
#include "Tallberg_Functions.h"

namespace corvane {

namespace embedded {
extern const std::span<const unsigned char> MainUnitForm;
extern const std::span<const unsigned char> PlayerLibraryFile;
extern const std::span<const unsigned char> ModuleFile;
extern const std::span<const unsigned char> FontDIBData;
extern const std::span<const unsigned char> LogoPictureData;
}

const std::span<const unsigned char>& PlayerLibraryData = embedded::PlayerLibraryFile;
const std::span<const unsigned char>& ModuleData = embedded::ModuleFile;

std::int32_t FrameCounter = 0;
GlyphCell LogoCell;
TfrmMain* frmMain = nullptr;

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
  Publish<TNotifyEvent>("FormCreate", [this](TObject* s) { FormCreate(s); });
  Publish<TNotifyEvent>("FormDestroy", [this](TObject* s) { FormDestroy(s); });
  Publish<TKeyEvent>("FormKeyDown", [this](TObject* s, std::uint16_t& key, TShiftState shift) {
    FormKeyDown(s, key, shift);
  });
  Publish<TDXTimerEvent>("dxTimerTimer", [this](TObject* s, std::int32_t lag) { dxTimerTimer(s, lag); });
}

std::string_view TfrmMain::FormResource() const {
  const auto& form = embedded::MainUnitForm;
  return {reinterpret_cast<const char*>(form.data()), form.size()};
}

// The binary settings of the form resource, kept beside it.
TBinaryResolver TfrmMain::BinaryResolver() const {
  return [](const std::string& name) -> std::vector<std::uint8_t> {
    std::span<const unsigned char> data;
    if (name == "dxFont.DIB.Data") data = embedded::FontDIBData;
    else if (name == "cvnLogo.Picture.Data") data = embedded::LogoPictureData;
    else throw EResNotFound(Format(msg::SResNotFound, name));
    return {data.begin(), data.end()};
  };
}

namespace {
template <class T>
T* StoredComponent(const TComponent& form, const char* name, const char* className) {
  auto* component = dynamic_cast<T*>(form.FindComponent(name));
  if (!component) throw EReadError(Format(msg::SClassNotFound, className));
  return component;
}
}  // namespace

void TfrmMain::Loaded() {
  TForm::Loaded();
  dxDraw = StoredComponent<TDXDraw>(*this, "dxDraw", "TDXDraw");
  dxTimer = StoredComponent<TDXTimer>(*this, "dxTimer", "TDXTimer");
  ImageList = StoredComponent<TDXImageList>(*this, "ImageList", "TDXImageList");
  dxFont = StoredComponent<TDXDIB>(*this, "dxFont", "TDXDIB");
}

void TfrmMain::FormCreate(TObject*) {
  const IntroAssets& assets = InstalledAssets();
  const bool textLoaded = assets.text ? LoadPageTextFrom(std::string(assets.text->bytes.begin(), assets.text->bytes.end()))
                                      : LoadPageText(PageTextFileName);
  if (!textLoaded) {
    MessageDlg(NoTextFileMessage, TMsgDlgType::mtWarning, 0);
    PageCount = 3;
  }
  // With no safe place for the payload the intro runs without music and says
  // nothing, as for any other music failure; the waiting messages are handled
  // all the same.
  if (const std::string directory = GetTempDirectory(); !directory.empty()) {
    SaveDataToFile(directory + PlayerLibraryName, PlayerLibraryData);
    SaveDataToFile(directory + ModuleFileName, MusicModuleData());
  } else {
    Application->ProcessMessages();
  }
  dxTimer->SetEnabled(false);
  DoubleBuffered = true;
  // The user's logo and glyph sheet stand where ours stood, before their
  // colours are taken into the palette and the sheet is cut.
  UseInstalledPictures(ImageList->Items()[0]->Picture(), dxFont->DIB());
  ImageList->Items().MakeColorTable();
  dxDraw->DoubleBuffered = true;
  // The display's palette is the pictures' colours.
  dxDraw->ColorTable = ImageList->Items().ColorTable;
  dxDraw->DefColorTable = ImageList->Items().ColorTable;
  dxDraw->UpdatePalette();
  FillColour = 0;
  InitCell(LogoCell, 0, 0, 2, 320, 246, 255, 255, 255, 0, 0);
  LogoCell.alpha = 255;
  // The letters become pictures 1 to 45, after the logo; white is see-through.
  SliceGlyphSheet(*dxFont, *ImageList, GlyphWidth, GlyphHeight, 3, 15, 1, 0xFFFFFF, true);
  LayoutPage(0);
  ToggleFullScreen(*dxDraw, *dxTimer, *this);
  Application->ProcessMessages();
  dxTimer->SetEnabled(true);
}

void TfrmMain::FormDestroy(TObject*) {
  StopMusic();
  dxTimer->SetEnabled(false);
}

void TfrmMain::FormKeyDown(TObject*, std::uint16_t& key, TShiftState) {
  switch (key) {
    case platform::VK_ESCAPE: Close(); break;
    case platform::VK_F1: ToggleFullScreen(*dxDraw, *dxTimer, *this); break;
    case platform::VK_F2: SwitchScaling(); break;
    default: break;
  }
}

void TfrmMain::dxTimerTimer(TObject*, std::int32_t) {
  // A frame the display cannot draw (not built yet, surfaces being restored)
  // does not count.
  if (!dxDraw->CanDraw()) return;
  // A run of years must not overflow the count: it stays at its top.
  if (FrameCounter < std::numeric_limits<std::int32_t>::max()) ++FrameCounter;
  // Without music the intro runs on silently.
  if (FrameCounter == MusicStartFrame)
    StartMusic(GetTempDirectory(), PlayerLibraryName, GetTempDirectory() + ModuleFileName);
  if (FrameCounter > MusicStartFrame) {
    dxDraw->Surface()->Fill(FillColour);
    DrawLogoCell(LogoCell, *dxDraw, *ImageList);
    AnimatePage();
    dxDraw->Flip();
  }
}

void TfrmMain::AnimatePage() { AnimateCells(ImageList->Items(), dxDraw->Surface()); }

void RegisterIntroClasses() {
  RegisterGraphicsClasses();
  InitializeDIBUnit();
}

void FinalizeIntroUnits() { FinalizeDIBUnit(); }

int RunIntro() {
  RegisterIntroClasses();
  InitApplication();
  Application->Initialize();
  Application->Title = "Corvane";
  Application->CreateForm(frmMain);
  Application->Run();
  DoneApplication();
  frmMain = nullptr;
  FinalizeIntroUnits();
  return 0;
}

}  // namespace corvane
