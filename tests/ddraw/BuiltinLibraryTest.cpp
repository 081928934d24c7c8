// The built-in "DDraw.dll" behind LoadLibraryA, its replacement by tests,
// and interface versions the display refuses.
#include "DDrawFixture.h"
#include "platform/Kernel32.h"

namespace corvane::test {
namespace {

HRESULT FailingCreate(const GUID*, ComPtr<DirectDraw>& out) {
  out.reset();
  return DDERR_GENERIC;
}

class BuiltinLibraryTest : public DDrawFixture {
 protected:
  void TearDown() override {
    ResetBuiltinLibraries();
    DDrawFixture::TearDown();
  }
};

TEST_F(BuiltinLibraryTest, DDrawIsFoundByNameInAnyCaseAndAnswersBothEntryPoints) {
  for (const char* name : {"DDraw.dll", "ddraw.dll", "DDRAW.DLL"}) {
    HMODULE module = LoadLibraryA(name);
    ASSERT_NE(module, 0u) << name;
    EXPECT_EQ(GetProcAddress(module, "DirectDrawCreateEx"),
              reinterpret_cast<FARPROC>(&DirectDrawCreateEx))
        << name;
    auto create =
        reinterpret_cast<DirectDrawCreateProc>(GetProcAddress(module, "DirectDrawCreate"));
    ASSERT_NE(create, nullptr) << name;
    ComPtr<DirectDraw> made;
    EXPECT_EQ(create(nullptr, made), DD_OK) << name;
    EXPECT_EQ(GetProcAddress(module, "directdrawcreate"), nullptr) << "entry names keep their case";
    EXPECT_TRUE(FreeLibrary(module)) << name;
    EXPECT_FALSE(FreeLibrary(module)) << "one load, one release";
  }
  // A path is a file, never the built-in library.
  EXPECT_EQ(LoadLibraryA("./DDraw.dll"), 0u);
}

TEST_F(BuiltinLibraryTest, ReplacedAndRemovedLibrariesKeepHandlesGivenOutBefore) {
  HMODULE original = LoadLibraryA("DDraw.dll");
  RegisterBuiltinLibrary("DDRAW.dll",
                         {{"DirectDrawCreate", reinterpret_cast<FARPROC>(&FailingCreate)}});
  HMODULE fake = LoadLibraryA("ddraw.dll");
  ASSERT_NE(fake, 0u);
  EXPECT_NE(fake, original);
  EXPECT_EQ(GetProcAddress(fake, "DirectDrawCreateEx"), nullptr);
  EXPECT_EQ(GetProcAddress(fake, "DirectDrawCreate"), reinterpret_cast<FARPROC>(&FailingCreate));
  EXPECT_EQ(GetProcAddress(original, "DirectDrawCreateEx"),
            reinterpret_cast<FARPROC>(&DirectDrawCreateEx));

  RemoveBuiltinLibrary("DDraw.dll");
  EXPECT_EQ(LoadLibraryA("DDraw.dll"), 0u) << "no file of that name either";
  EXPECT_NE(GetProcAddress(fake, "DirectDrawCreate"), nullptr);
  EXPECT_TRUE(FreeLibrary(fake));
  EXPECT_EQ(GetProcAddress(fake, "DirectDrawCreate"), nullptr) << "released handle";
  EXPECT_TRUE(FreeLibrary(original));

  ResetBuiltinLibraries();
  HMODULE again = LoadLibraryA("DDraw.dll");
  EXPECT_NE(GetProcAddress(again, "DirectDrawCreateEx"), nullptr);
  EXPECT_TRUE(FreeLibrary(again));
}

TEST_F(BuiltinLibraryTest, RefusedInterfacesFailTheirQueriesOnly) {
  ComPtr<DirectDrawSurface> surface = makeSurface(2, 2, PixelFormat::rgb565());
  struct Row {
    InterfaceId refused;
    InterfaceId asked;
    bool device;
    HRESULT expected;
  } rows[] = {
      {IID_IDirectDraw4, IID_IDirectDraw4, true, E_NOINTERFACE},
      {IID_IDirectDraw4, IID_IDirectDraw, true, DD_OK},
      {IID_IDirectDraw, IID_IDirectDraw, true, E_NOINTERFACE},
      {IID_IDirectDrawSurface7, IID_IDirectDrawSurface7, false, E_NOINTERFACE},
      {IID_IDirectDrawSurface7, IID_IDirectDrawSurface4, false, DD_OK},
  };
  for (const Row& row : rows) {
    display().setRefusedInterfaces(1u << row.refused);
    HRESULT result;
    bool got;
    if (row.device) {
      ComPtr<DirectDraw> view;
      result = device_->QueryInterface(row.asked, view);
      got = view != nullptr;
    } else {
      ComPtr<DirectDrawSurface> view;
      result = surface->QueryInterface(row.asked, view);
      got = view != nullptr;
    }
    EXPECT_EQ(result, row.expected) << row.refused << " " << row.asked;
    EXPECT_EQ(got, row.expected == DD_OK) << row.refused << " " << row.asked;
  }
  display().setRefusedInterfaces(0);
}

}  // namespace
}  // namespace corvane::test
