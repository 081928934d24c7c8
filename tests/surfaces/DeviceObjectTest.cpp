// The device object: how it is made through "DDraw.dll", every error its
// wrappers raise, the library cache, and which objects it destroys.
#include <string>
#include <vector>

#include "SurfaceFixture.h"

namespace corvane::test {
namespace {

HRESULT RefusingCreateEx(const GUID*, ComPtr<DirectDraw>& out, InterfaceId) {
  out.reset();
  return DDERR_NODIRECTDRAWSUPPORT;
}

HRESULT RefusingCreate(const GUID*, ComPtr<DirectDraw>& out) {
  out.reset();
  return DDERR_GENERIC;
}

FARPROC Proc(DirectDrawCreateExProc p) { return reinterpret_cast<FARPROC>(p); }
FARPROC Proc(DirectDrawCreateProc p) { return reinterpret_cast<FARPROC>(p); }

using DeviceObjectTest = SurfaceFixture;

TEST_F(DeviceObjectTest, EveryFailureRaisesItsClassAndMessage) {
  const GUID otherDevice{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  auto newDevice = [](bool dx7, const GUID* guid = nullptr) {
    return [=] { TDirectDraw made(guid, dx7); };
  };
  auto fakeLibrary = [](LibraryExports exports) {
    FreeLibraryCache();
    RegisterBuiltinLibrary("ddraw.dll", std::move(exports));
  };
  auto refuse = [this](std::uint32_t bits) { display().setRefusedInterfaces(bits); };
  auto restore = [this] {
    FreeLibraryCache();
    ResetBuiltinLibraries();
    display().setRefusedInterfaces(0);
  };
  struct Row {
    const char* what;
    std::function<void()> arrange;
    std::function<void()> act;
    Raised expected;
  } rows[] = {
      {"version 7 entry point fails",
       [&] {
         fakeLibrary({{"DirectDrawCreateEx", Proc(&RefusingCreateEx)}});
       },
       newDevice(true),
       {"EDirectDrawError", "DirectDraw cannot be initialized"}},
      {"older entry point fails",
       [&] {
         fakeLibrary({{"DirectDrawCreate", Proc(&RefusingCreate)}});
       },
       newDevice(false),
       {"EDirectDrawError", "DirectDraw cannot be initialized"}},
      {"unknown device identity",
       [] {},
       newDevice(true, &otherDevice),
       {"EDirectDrawError", "DirectDraw cannot be initialized"}},
      {"version 7 without the version-1 view",
       [&] { refuse(1u << IID_IDirectDraw); },
       newDevice(true),
       {"EDirectDrawError", "Necessary since DirectX 7"}},
      {"version 7 without the version-4 view",
       [&] { refuse(1u << IID_IDirectDraw4); },
       newDevice(true),
       {"EDirectDrawError", "Necessary since DirectX 7"}},
      {"older device without the version-4 view",
       [&] { refuse(1u << IID_IDirectDraw4); },
       newDevice(false),
       {"EDirectDrawError", "Necessary since DirectX 6"}},
      {"no library",
       [] { FreeLibraryCache(), RemoveBuiltinLibrary("DDraw.dll"); },
       newDevice(true),
       {"Exception", "DDraw.dll not loaded"}},
      {"library without the version 7 entry point",
       [&] {
         fakeLibrary({{"DirectDrawCreate", Proc(&DirectDrawCreate)}});
       },
       newDevice(true),
       {"Exception", "DDraw.dll not loaded"}},
      {"library without the older entry point",
       [&] {
         fakeLibrary({{"DirectDrawCreateEx", Proc(&DirectDrawCreateEx)}});
       },
       newDevice(false),
       {"Exception", "DDraw.dll not loaded"}},
      {"older device has no version 7 view",
       [] {},
       [] { TDirectDraw(nullptr, false).IDDraw7(); },
       {"EDirectDrawError", "IDirectDraw7 not made"}},
      {"palette before it was made",
       [] {},
       [this] { TDirectDrawPalette(device()).IDDPalette(); },
       {"EDirectDrawPaletteError", "IDirectDrawPalette not made"}},
      {"empty surface, version 1",
       [] {},
       [this] { TDirectDrawSurface(device()).IDDSurface(); },
       {"EDirectDrawSurfaceError", "IDirectDrawSurface not made"}},
      {"empty surface, version 4",
       [] {},
       [this] { TDirectDrawSurface(device()).IDDSurface4(); },
       {"EDirectDrawSurfaceError", "IDirectDrawSurface4 not made"}},
      {"empty surface, version 7",
       [] {},
       [this] { TDirectDrawSurface(device()).IDDSurface7(); },
       {"EDirectDrawSurfaceError", "IDirectDrawSurface7 not made"}},
      {"surface of an older device has no version 7 view",
       [] {},
       [] {
         TDirectDraw older(nullptr, false);
         TDirectDrawSurface surface(older);
         surface.SetSize(2, 2);
         surface.IDDSurface7();
       },
       {"EDirectDrawSurfaceError", "IDirectDrawSurface7 not made"}},
      {"canvas of an empty surface",
       [] {},
       [this] { TDirectDrawSurface(device()).Canvas().Handle(); },
       {"EDirectDrawSurfaceError", "IDirectDrawSurface not made"}},
      {"surface too large for any memory",
       [] {},
       [this] { TDirectDrawSurface(device()).SetSize(100000, 1); },
       {"EDirectDrawSurfaceError", "Surface cannot be made"}},
  };
  for (const Row& row : rows) {
    row.arrange();
    EXPECT_EQ(RaisedBy(row.act), row.expected) << row.what;
    restore();
  }
  EXPECT_EQ(device().SurfaceCount(), 0) << "stack objects unregistered themselves";
  EXPECT_EQ(device().PaletteCount(), 0);
}

TEST_F(DeviceObjectTest, ErrorClassesDescendFromTheDeviceError) {
  try {
    TDirectDrawSurface(device()).IDDSurface();
    FAIL() << "nothing raised";
  } catch (const EDirectDrawError& e) {
    EXPECT_NE(dynamic_cast<const EDirectDrawSurfaceError*>(&e), nullptr);
    EXPECT_NE(dynamic_cast<const EDirectXError*>(&e), nullptr);
  }
}

TEST_F(DeviceObjectTest, AClipperTheDeviceCannotMakeRaisesAndLeavesNoEntry) {
  // A device whose display has gone can make nothing more.
  device_.reset();
  auto older = std::make_unique<TDirectDraw>(nullptr, false);
  Uninstall();
  EXPECT_EQ(RaisedBy([&] { TDirectDrawClipper clipper(*older); }),
            (Raised{"EDirectDrawClipperError", "Clipper cannot be made"}));
  EXPECT_EQ(older->ClipperCount(), 0);
  EXPECT_NE(older->LastResult(), DD_OK);
}

TEST_F(DeviceObjectTest, BothPathsGiveTheirViewsAndCapabilities) {
  TDirectDraw older(nullptr, false);
  EXPECT_NE(device().IDraw(), nullptr);
  EXPECT_NE(device().IDraw7(), nullptr);
  EXPECT_NE(older.IDraw(), nullptr);
  EXPECT_EQ(older.IDraw7(), nullptr);
  for (const TDirectDraw* d : {&device(), &older}) {
    EXPECT_EQ(d->DriverCaps().dwSize, 380u);
    EXPECT_NE(d->DriverCaps().dwCaps & DDCAPS_BLT, 0u);
    EXPECT_NE(d->HELCaps().dwCaps & DDCAPS_BLT, 0u);
  }
}

TEST_F(DeviceObjectTest, TheLibraryCacheLoadsEachLibraryOnceWhateverTheCase) {
  FARPROC first = LoadLibraryCache("DDraw.dll", "DirectDrawCreate");
  EXPECT_EQ(first, Proc(&DirectDrawCreate));
  // A different library under the name now: the cache still has the first.
  RegisterBuiltinLibrary("ddraw.dll", {{"DirectDrawCreate", Proc(&RefusingCreate)}});
  EXPECT_EQ(LoadLibraryCache("DDRAW.DLL", "DirectDrawCreate"), first);
  FreeLibraryCache();
  EXPECT_EQ(LoadLibraryCache("ddraw.dll", "DirectDrawCreate"), Proc(&RefusingCreate));
  EXPECT_EQ(RaisedBy([] { LoadLibraryCache("DDraw.dll", "Missing"); }),
            (Raised{"Exception", "DDraw.dll not loaded"}));
  EXPECT_EQ(RaisedBy([] { LoadLibraryCache("nowhere.so", "DirectDrawCreate"); }),
            (Raised{"Exception", "nowhere.so not loaded"}));
}

// Wrappers that note when they go.
template <class Base>
struct Noted : Base {
  Noted(TDirectDraw& device, std::vector<std::string>& log, std::string name)
      : Base(device), log_(log), name_(std::move(name)) {}
  ~Noted() override { log_.push_back(name_); }
  std::vector<std::string>& log_;
  std::string name_;
};

TEST_F(DeviceObjectTest, TheDeviceDestroysSurfacesThenPalettesThenClippersLastFirst) {
  std::vector<std::string> log;
  auto* first = new Noted<TDirectDrawSurface>(device(), log, "surface 1");
  new Noted<TDirectDrawClipper>(device(), log, "clipper 1");
  new Noted<TDirectDrawPalette>(device(), log, "palette 1");
  new Noted<TDirectDrawSurface>(device(), log, "surface 2");
  new Noted<TDirectDrawPalette>(device(), log, "palette 2");
  new Noted<TDirectDrawClipper>(device(), log, "clipper 2");
  first->SetSize(4, 4);
  ComPtr<DirectDrawSurface> platformSurface(first->ISurface());
  device_.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"surface 2", "surface 1", "palette 2", "palette 1",
                                           "clipper 2", "clipper 1"}));
  // The device let go of its platform device: what was made on it is over.
  DDSURFACEDESC2 desc;
  EXPECT_EQ(platformSurface->Lock(nullptr, &desc, DDLOCK_WAIT), DDERR_INVALIDOBJECT);
}

TEST_F(DeviceObjectTest, DestroyedObjectsLeaveTheirListsInOrder) {
  TDirectDrawSurface* surfaces[3];
  TDirectDrawPalette* palettes[3];
  TDirectDrawClipper* clippers[3];
  for (int i = 0; i < 3; ++i) {
    surfaces[i] = new TDirectDrawSurface(device());
    palettes[i] = new TDirectDrawPalette(device());
    clippers[i] = new TDirectDrawClipper(device());
  }
  delete surfaces[1];
  delete palettes[0];
  delete clippers[2];
  ASSERT_EQ(device().SurfaceCount(), 2);
  EXPECT_EQ(device().Surface(0), surfaces[0]);
  EXPECT_EQ(device().Surface(1), surfaces[2]);
  ASSERT_EQ(device().PaletteCount(), 2);
  EXPECT_EQ(device().Palette(0), palettes[1]);
  EXPECT_EQ(device().Palette(1), palettes[2]);
  ASSERT_EQ(device().ClipperCount(), 2);
  EXPECT_EQ(device().Clipper(0), clippers[0]);
  EXPECT_EQ(device().Clipper(1), clippers[1]);
}

TEST_F(DeviceObjectTest, PalettesAreMadeAndChangedThroughTheDevice) {
  TDirectDrawPalette palette(device());
  PALETTEENTRY entries[256] = {};
  entries[3] = {10, 20, 30, 0};
  EXPECT_FALSE(palette.SetEntries(0, 1, entries)) << "no platform palette yet";
  EXPECT_FALSE(palette.CreatePalette(0, entries)) << "no size given";
  EXPECT_EQ(palette.LastResult(), DDERR_INVALIDPARAMS);
  EXPECT_EQ(device().LastResult(), DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette.IPalette(), nullptr);
  ASSERT_TRUE(palette.CreatePalette(DDPCAPS_8BIT, entries));
  PALETTEENTRY changed[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  EXPECT_TRUE(palette.SetEntries(254, 2, changed));
  EXPECT_FALSE(palette.SetEntries(255, 2, changed)) << "past the last entry";
  PALETTEENTRY read[256];
  ASSERT_EQ(palette.IDDPalette().GetEntries(0, 0, 256, read), DD_OK);
  EXPECT_EQ(read[3], entries[3]);
  EXPECT_EQ(read[255], changed[1]);
}

}  // namespace
}  // namespace corvane::test
