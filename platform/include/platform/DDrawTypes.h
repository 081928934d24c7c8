// The 2D device's constants, result codes and records, with the values and
// field names the platform publishes for them. Only what this system's
// device understands is here; the records keep the fields it fills or reads.
#pragma once

#include <cstdint>

#include "platform/Gdi32.h"
#include "platform/WinDef.h"

namespace corvane::platform {

// --- Result codes.
constexpr HRESULT MakeDDHResult(std::uint32_t code) {
  return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DD_FALSE = S_FALSE;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_INVALIDCAPS = MakeDDHResult(100);
constexpr HRESULT DDERR_INVALIDMODE = MakeDDHResult(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDHResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDHResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDHResult(150);
constexpr HRESULT DDERR_NOCLIPLIST = MakeDDHResult(205);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDHResult(212);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDHResult(215);
constexpr HRESULT DDERR_NODIRECTDRAWSUPPORT = MakeDDHResult(222);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDHResult(225);
constexpr HRESULT DDERR_NOFLIPHW = MakeDDHResult(230);
constexpr HRESULT DDERR_NORASTEROPHW = MakeDDHResult(280);
constexpr HRESULT DDERR_NOROTATIONHW = MakeDDHResult(290);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDHResult(380);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDHResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDHResult(450);
constexpr HRESULT DDERR_TOOBIGSIZE = MakeDDHResult(480);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDDHResult(540);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeDDHResult(561);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDHResult(564);
constexpr HRESULT DDERR_CLIPPERISUSINGHWND = MakeDDHResult(567);
constexpr HRESULT DDERR_NOCLIPPERATTACHED = MakeDDHResult(568);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDHResult(572);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = MakeDDHResult(574);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDDHResult(581);
constexpr HRESULT DDERR_CANTDUPLICATE = MakeDDHResult(583);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDHResult(584);
constexpr HRESULT DDERR_WRONGMODE = MakeDDHResult(587);
constexpr HRESULT DDERR_NOTPALETTIZED = MakeDDHResult(589);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeDDHResult(590);
static_assert(static_cast<std::uint32_t>(DDERR_BLTFASTCANTCLIP) == 0x8876023Eu);

// Enumeration callbacks answer one of these.
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

// --- Cooperative levels.
constexpr std::uint32_t DDSCL_FULLSCREEN = 0x1, DDSCL_ALLOWREBOOT = 0x2,
                        DDSCL_NOWINDOWCHANGES = 0x4, DDSCL_NORMAL = 0x8, DDSCL_EXCLUSIVE = 0x10,
                        DDSCL_ALLOWMODEX = 0x40, DDSCL_SETFOCUSWINDOW = 0x80,
                        DDSCL_SETDEVICEWINDOW = 0x100, DDSCL_CREATEDEVICEWINDOW = 0x200,
                        DDSCL_MULTITHREADED = 0x400, DDSCL_FPUSETUP = 0x800,
                        DDSCL_FPUPRESERVE = 0x1000;

// --- Blits.
constexpr std::uint32_t DDBLT_ASYNC = 0x200, DDBLT_COLORFILL = 0x400, DDBLT_DDFX = 0x800,
                        DDBLT_DDROPS = 0x1000, DDBLT_KEYDEST = 0x2000,
                        DDBLT_KEYDESTOVERRIDE = 0x4000, DDBLT_KEYSRC = 0x8000,
                        DDBLT_KEYSRCOVERRIDE = 0x10000, DDBLT_ROP = 0x20000,
                        DDBLT_ROTATIONANGLE = 0x40000, DDBLT_ZBUFFER = 0x80000,
                        DDBLT_WAIT = 0x1000000, DDBLT_DEPTHFILL = 0x2000000,
                        DDBLT_DONOTWAIT = 0x8000000;
constexpr std::uint32_t DDBLTFAST_NOCOLORKEY = 0x0, DDBLTFAST_SRCCOLORKEY = 0x1,
                        DDBLTFAST_DESTCOLORKEY = 0x2, DDBLTFAST_WAIT = 0x10,
                        DDBLTFAST_DONOTWAIT = 0x20;
constexpr std::uint32_t DDBLTFX_ARITHSTRETCHY = 0x1, DDBLTFX_MIRRORLEFTRIGHT = 0x2,
                        DDBLTFX_MIRRORUPDOWN = 0x4, DDBLTFX_NOTEARING = 0x8,
                        DDBLTFX_ROTATE180 = 0x10, DDBLTFX_ROTATE270 = 0x20,
                        DDBLTFX_ROTATE90 = 0x40;

// --- Colour keys.
constexpr std::uint32_t DDCKEY_COLORSPACE = 0x1, DDCKEY_DESTBLT = 0x2, DDCKEY_DESTOVERLAY = 0x4,
                        DDCKEY_SRCBLT = 0x8, DDCKEY_SRCOVERLAY = 0x10;

// --- Locks and the vertical blank.
constexpr std::uint32_t DDLOCK_SURFACEMEMORYPTR = 0x0, DDLOCK_WAIT = 0x1, DDLOCK_EVENT = 0x2,
                        DDLOCK_READONLY = 0x10, DDLOCK_WRITEONLY = 0x20,
                        DDLOCK_NOSYSLOCK = 0x800, DDLOCK_DONOTWAIT = 0x4000;
constexpr std::uint32_t DDWAITVB_BLOCKBEGIN = 0x1, DDWAITVB_BLOCKBEGINEVENT = 0x2,
                        DDWAITVB_BLOCKEND = 0x4;

// --- Surface descriptions.
constexpr std::uint32_t DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8,
                        DDSD_BACKBUFFERCOUNT = 0x20, DDSD_LPSURFACE = 0x800,
                        DDSD_PIXELFORMAT = 0x1000, DDSD_CKDESTBLT = 0x4000,
                        DDSD_CKSRCBLT = 0x10000, DDSD_REFRESHRATE = 0x40000;
constexpr std::uint32_t DDSCAPS_ALPHA = 0x2, DDSCAPS_BACKBUFFER = 0x4, DDSCAPS_COMPLEX = 0x8,
                        DDSCAPS_FLIP = 0x10, DDSCAPS_FRONTBUFFER = 0x20,
                        DDSCAPS_OFFSCREENPLAIN = 0x40, DDSCAPS_OVERLAY = 0x80,
                        DDSCAPS_PALETTE = 0x100, DDSCAPS_PRIMARYSURFACE = 0x200,
                        DDSCAPS_SYSTEMMEMORY = 0x800, DDSCAPS_TEXTURE = 0x1000,
                        DDSCAPS_3DDEVICE = 0x2000, DDSCAPS_VIDEOMEMORY = 0x4000,
                        DDSCAPS_VISIBLE = 0x8000, DDSCAPS_WRITEONLY = 0x10000,
                        DDSCAPS_ZBUFFER = 0x20000, DDSCAPS_OWNDC = 0x40000,
                        DDSCAPS_MIPMAP = 0x400000, DDSCAPS_LOCALVIDMEM = 0x10000000;
constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_PALETTEINDEXED4 = 0x8,
                        DDPF_PALETTEINDEXEDTO8 = 0x10, DDPF_PALETTEINDEXED8 = 0x20,
                        DDPF_RGB = 0x40, DDPF_PALETTEINDEXED1 = 0x800,
                        DDPF_PALETTEINDEXED2 = 0x1000;

// --- Display modes.
constexpr std::uint32_t DDEDM_REFRESHRATES = 0x1, DDEDM_STANDARDVGAMODES = 0x2;

// --- Palettes.
constexpr std::uint32_t DDPCAPS_4BIT = 0x1, DDPCAPS_8BITENTRIES = 0x2, DDPCAPS_8BIT = 0x4,
                        DDPCAPS_INITIALIZE = 0x8, DDPCAPS_PRIMARYSURFACE = 0x10,
                        DDPCAPS_PRIMARYSURFACELEFT = 0x20, DDPCAPS_ALLOW256 = 0x40,
                        DDPCAPS_VSYNC = 0x80, DDPCAPS_1BIT = 0x100, DDPCAPS_2BIT = 0x200,
                        DDPCAPS_ALPHA = 0x400;

// --- Device capabilities.
constexpr std::uint32_t DDCAPS_BLT = 0x40, DDCAPS_BLTSTRETCH = 0x200, DDCAPS_PALETTE = 0x8000,
                        DDCAPS_COLORKEY = 0x400000, DDCAPS_NOHARDWARE = 0x2000000,
                        DDCAPS_BLTCOLORFILL = 0x4000000, DDCAPS_CANCLIP = 0x20000000,
                        DDCAPS_CANCLIPSTRETCHED = 0x40000000, DDCAPS_CANBLTSYSMEM = 0x80000000;
constexpr std::uint32_t DDCAPS2_WIDESURFACES = 0x1000, DDCAPS2_PRIMARYGAMMA = 0x20000,
                        DDCAPS2_CANRENDERWINDOWED = 0x80000;
constexpr std::uint32_t DDCKEYCAPS_SRCBLT = 0x200, DDCKEYCAPS_SRCBLTCLRSPACE = 0x400;
constexpr std::uint32_t DDFXCAPS_BLTMIRRORLEFTRIGHT = 0x40, DDFXCAPS_BLTMIRRORUPDOWN = 0x80,
                        DDFXCAPS_BLTSHRINKX = 0x400, DDFXCAPS_BLTSHRINKY = 0x1000,
                        DDFXCAPS_BLTSTRETCHX = 0x4000, DDFXCAPS_BLTSTRETCHY = 0x10000;

// The copy raster operation, the one blits accept with DDBLT_ROP.
constexpr std::uint32_t DD_SRCCOPY = SRCCOPY;

// --- Records.
struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
};

struct DDCOLORKEY {
  std::uint32_t dwColorSpaceLowValue = 0;
  std::uint32_t dwColorSpaceHighValue = 0;
  friend bool operator==(const DDCOLORKEY&, const DDCOLORKEY&) = default;
};

struct DDPIXELFORMAT {
  std::uint32_t dwSize = sizeof(DDPIXELFORMAT);
  std::uint32_t dwFlags = 0;
  std::uint32_t dwFourCC = 0;
  std::uint32_t dwRGBBitCount = 0;
  std::uint32_t dwRBitMask = 0;
  std::uint32_t dwGBitMask = 0;
  std::uint32_t dwBBitMask = 0;
  std::uint32_t dwRGBAlphaBitMask = 0;
};

struct DDSCAPS2 {
  std::uint32_t dwCaps = 0;
  std::uint32_t dwCaps2 = 0;
  std::uint32_t dwCaps3 = 0;
  std::uint32_t dwCaps4 = 0;
};

// The size field comes filled in; calls that take a description check it.
struct DDSURFACEDESC2 {
  std::uint32_t dwSize = sizeof(DDSURFACEDESC2);
  std::uint32_t dwFlags = 0;
  std::uint32_t dwHeight = 0;
  std::uint32_t dwWidth = 0;
  std::int32_t lPitch = 0;
  std::uint32_t dwBackBufferCount = 0;
  std::uint32_t dwRefreshRate = 0;
  void* lpSurface = nullptr;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
};

struct DDBLTFX {
  std::uint32_t dwSize = sizeof(DDBLTFX);
  std::uint32_t dwDDFX = 0;
  std::uint32_t dwROP = 0;
  std::uint32_t dwFillColor = 0;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};

// The capability record in its version-7 layout (380 bytes), field for field.
struct DDCAPS {
  std::uint32_t dwSize = sizeof(DDCAPS);
  std::uint32_t dwCaps = 0, dwCaps2 = 0, dwCKeyCaps = 0, dwFXCaps = 0, dwFXAlphaCaps = 0;
  std::uint32_t dwPalCaps = 0, dwSVCaps = 0;
  std::uint32_t dwAlphaBltConstBitDepths = 0, dwAlphaBltPixelBitDepths = 0,
                dwAlphaBltSurfaceBitDepths = 0, dwAlphaOverlayConstBitDepths = 0,
                dwAlphaOverlayPixelBitDepths = 0, dwAlphaOverlaySurfaceBitDepths = 0,
                dwZBufferBitDepths = 0;
  std::uint32_t dwVidMemTotal = 0, dwVidMemFree = 0;
  std::uint32_t dwMaxVisibleOverlays = 0, dwCurrVisibleOverlays = 0, dwNumFourCCCodes = 0;
  std::uint32_t dwAlignBoundarySrc = 0, dwAlignSizeSrc = 0, dwAlignBoundaryDest = 0,
                dwAlignSizeDest = 0, dwAlignStrideAlign = 0;
  std::uint32_t dwRops[8] = {};
  std::uint32_t ddsOldCaps = 0;
  std::uint32_t dwMinOverlayStretch = 0, dwMaxOverlayStretch = 0, dwMinLiveVideoStretch = 0,
                dwMaxLiveVideoStretch = 0, dwMinHwCodecStretch = 0, dwMaxHwCodecStretch = 0;
  std::uint32_t dwReserved1 = 0, dwReserved2 = 0, dwReserved3 = 0;
  std::uint32_t dwSVBCaps = 0, dwSVBCKeyCaps = 0, dwSVBFXCaps = 0, dwSVBRops[8] = {};
  std::uint32_t dwVSBCaps = 0, dwVSBCKeyCaps = 0, dwVSBFXCaps = 0, dwVSBRops[8] = {};
  std::uint32_t dwSSBCaps = 0, dwSSBCKeyCaps = 0, dwSSBFXCaps = 0, dwSSBRops[8] = {};
  std::uint32_t dwMaxVideoPorts = 0, dwCurrVideoPorts = 0, dwSVBCaps2 = 0;
  std::uint32_t dwNLVBCaps = 0, dwNLVBCaps2 = 0, dwNLVBCKeyCaps = 0, dwNLVBFXCaps = 0,
                dwNLVBRops[8] = {};
  DDSCAPS2 ddsCaps;
};
static_assert(sizeof(DDCAPS) == 380);

// Interface identities for the version queries.
enum InterfaceId {
  IID_IDirectDraw,
  IID_IDirectDraw2,
  IID_IDirectDraw4,
  IID_IDirectDraw7,
  IID_IDirectDrawSurface,
  IID_IDirectDrawSurface4,
  IID_IDirectDrawSurface7,
  IID_IDirectDrawGammaControl,
};

}  // namespace corvane::platform
