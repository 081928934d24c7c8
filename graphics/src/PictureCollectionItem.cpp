// One picture of a picture list: its graphic, and the surfaces and patterns
// cut from it while the display is initialised.
#include <algorithm>
#include <array>
#include <string_view>

#include "framework/FormReader.h"
#include "graphics/PictureCollection.h"

namespace corvane {

using platform::RECT;

namespace {

// The colour names a stored colour may use: the sixteen plain colours and
// the system colours (top bit set, index in the low byte).
struct NamedColour {
  std::string_view name;
  std::uint32_t value;
};
constexpr std::array<NamedColour, 43> ColourNames = {{
    {"clBlack", 0x000000},   {"clMaroon", 0x000080}, {"clGreen", 0x008000},
    {"clOlive", 0x008080},   {"clNavy", 0x800000},   {"clPurple", 0x800080},
    {"clTeal", 0x808000},    {"clGray", 0x808080},   {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},     {"clLime", 0x00FF00},   {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},    {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},   {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
    {"clScrollBar", 0x80000000},        {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},             {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},      {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},       {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},     {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},     {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},        {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},          {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},     {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},          {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
}};

std::uint32_t StoredColour(const TPropertyValue& value, TReader& reader) {
  if (value.kind == TPropertyValue::Kind::Integer)
    return static_cast<std::uint32_t>(reader.Integer(value));
  const std::string& ident = reader.Ident(value);
  for (const NamedColour& colour : ColourNames)
    if (colour.name == ident) return colour.value;
  throw EReadError(msg::SInvalidPropertyValue);
}

}  // namespace

// The effective pattern size and the steps between patterns. Everything is
// worked out in 64 bits: stored sizes and skips may be anything a 32-bit
// value holds, and their sums must not overflow.
struct PatternGrid {
  std::int64_t W, H;    // the picture
  std::int64_t pw, ph;  // one pattern
  std::int64_t sx, sy;  // pattern plus skip
  std::int64_t columns, rows;

  PatternGrid(const TPictureCollectionItem& item, int width, int height)
      : W(width), H(height),
        pw(item.PatternWidth > 0 ? item.PatternWidth : width),
        ph(item.PatternHeight > 0 ? item.PatternHeight : height),
        sx(pw + item.SkipWidth), sy(ph + item.SkipHeight),
        columns(Steps(W + item.SkipWidth, sx)), rows(Steps(H + item.SkipHeight, sy)) {}

  // How many steps fit; a step that does not move on (a skip that eats the
  // whole pattern) fits none.
  static std::int64_t Steps(std::int64_t length, std::int64_t step) {
    return (step <= 0 || length <= 0) ? 0 : length / step;
  }
  RECT PatternAt(std::int64_t x, std::int64_t y) const {
    return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
            static_cast<std::int32_t>(x + pw), static_cast<std::int32_t>(y + ph)};
  }
};

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection& collection)
    : THashCollectionItem(collection), picture_(std::make_unique<TPicture>()) {}

TPictureCollectionItem::~TPictureCollectionItem() { Finalize(); }

TPictureCollection& TPictureCollectionItem::PictureCollection() const {
  return static_cast<TPictureCollection&>(Collection());
}

// --- Drawing.

void TPictureCollectionItem::Draw(TDirectDrawSurface* dest, std::int32_t x, std::int32_t y,
                                  std::int32_t patternIndex) {
  if (!dest || !ValidPattern(patternIndex)) return;
  const TPictureCollectionItemPattern& pattern = Pattern(patternIndex);
  dest->Draw(x, y, pattern.Rect, pattern.Surface, Transparent);
}

void TPictureCollectionItem::DrawAlpha(TDirectDrawSurface* dest, const RECT& destRect,
                                       std::int32_t patternIndex, std::int32_t alpha) {
  if (!dest || !ValidPattern(patternIndex)) return;
  const TPictureCollectionItemPattern& pattern = Pattern(patternIndex);
  dest->DrawAlpha(destRect, pattern.Rect, pattern.Surface, Transparent, alpha);
}

// --- Binding to the display.

void TPictureCollectionItem::Initialize() {
  Finalize();
  initialized_ = PictureCollection().Initialized();
}

void TPictureCollectionItem::Finalize() {
  if (!initialized_) return;
  initialized_ = false;
  ClearSurfaces();
}

void TPictureCollectionItem::ClearSurfaces() {
  // Patterns point into the surfaces: they go first.
  patterns_.clear();
  surfaces_.clear();
}

void TPictureCollectionItem::Restore() {
  TGraphic* graphic = picture_->Graphic();
  if (!graphic) return;
  if (!initialized_) {
    if (PictureCollection().Initialized()) Initialize();
    if (!initialized_) return;
  }
  ClearSurfaces();
  // An item left bound to a display that has gone has no device to make
  // surfaces on; it waits, unbound, for the next initialisation.
  if (!PictureCollection().Initialized()) {
    initialized_ = false;
    return;
  }
  // An emptied picture has nothing to cut: the old surfaces are gone, and
  // the item draws nothing until it gets an image again.
  if (graphic->Empty()) return;
  PatternGrid grid(*this, graphic->Width(), graphic->Height());
  if (grid.pw == grid.W && grid.ph == grid.H) {
    RECT whole{0, 0, graphic->Width(), graphic->Height()};
    patterns_.push_back({whole, MakeSurface(whole)});
  } else if (SystemMemory) {
    CutSystemMemory(grid);
  } else {
    CutVideoMemory(grid);
  }
}

// One surface for the whole picture; the patterns row by row on it.
void TPictureCollectionItem::CutSystemMemory(const PatternGrid& grid) {
  TDirectDrawSurface* surface = MakeSurface(
      {0, 0, static_cast<std::int32_t>(grid.W), static_cast<std::int32_t>(grid.H)});
  for (std::int64_t r = 0; r < grid.rows; ++r)
    for (std::int64_t c = 0; c < grid.columns; ++c)
      patterns_.push_back({grid.PatternAt(c * grid.sx, r * grid.sy), surface});
}

// Blocks of whole pattern steps, no larger than needed: the largest multiple
// of the step up to 511 + step, and no more steps than the picture holds.
void TPictureCollectionItem::CutVideoMemory(const PatternGrid& grid) {
  if (grid.columns == 0 || grid.rows == 0) return;
  std::int64_t bw = std::min(grid.sx * ((grid.sx + 511) / grid.sx), grid.sx * grid.columns);
  std::int64_t bh = std::min(grid.sy * ((grid.sy + 511) / grid.sy), grid.sy * grid.rows);
  std::int64_t nx = (grid.W + bw - 1) / bw;
  std::int64_t ny = (grid.H + bh - 1) / bh;
  for (std::int64_t j = 0; j < ny; ++j) {
    for (std::int64_t i = 0; i < nx; ++i) {
      std::int64_t width = std::min(bw, std::max<std::int64_t>(grid.W - i * bw, 0));
      std::int64_t height = std::min(bh, std::max<std::int64_t>(grid.H - j * bh, 0));
      if (width == 0) width = bw;
      if (height == 0) height = bh;
      MakeSurface({static_cast<std::int32_t>(i * bw), static_cast<std::int32_t>(j * bh),
                   static_cast<std::int32_t>(i * bw + width),
                   static_cast<std::int32_t>(j * bh + height)});
    }
  }
  for (std::int64_t r = 0; r < grid.rows; ++r) {
    for (std::int64_t c = 0; c < grid.columns; ++c) {
      std::int64_t x = c * grid.sx, y = r * grid.sy;
      auto block = static_cast<std::size_t>(x / bw + nx * (y / bh));
      patterns_.push_back({grid.PatternAt(x % bw, y % bh), surfaces_.at(block).get()});
    }
  }
}

TDirectDrawSurface* TPictureCollectionItem::MakeSurface(const RECT& rect) {
  TDirectDraw* device = PictureCollection().DXDraw()->Device();
  surfaces_.push_back(std::make_unique<TDirectDrawSurface>(*device));
  TDirectDrawSurface* surface = surfaces_.back().get();
  surface->SetSystemMemory(SystemMemory);
  surface->LoadFromGraphicRect(*picture_->Graphic(), 0, 0, rect);
  surface->SetTransparentColor(surface->ColorMatch(transparentColor_));
  return surface;
}

void TPictureCollectionItem::SetTransparentColor(std::uint32_t value) {
  if (value == transparentColor_) return;
  transparentColor_ = value;
  for (const auto& surface : surfaces_) {
    try {
      surface->SetTransparentColor(surface->ColorMatch(value));
    } catch (const Exception&) {
      // One surface that cannot take the key does not keep it from the others.
    }
  }
}

// --- Copying and the stored settings.

void TPictureCollectionItem::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TPictureCollectionItem*>(source);
  if (!other) return THashCollectionItem::Assign(source);
  if (other == this) return;
  bool wasInitialized = initialized_;
  Finalize();
  PatternHeight = other->PatternHeight;
  PatternWidth = other->PatternWidth;
  SkipHeight = other->SkipHeight;
  SkipWidth = other->SkipWidth;
  SystemMemory = other->SystemMemory;
  Transparent = other->Transparent;
  transparentColor_ = other->transparentColor_;
  picture_->Assign(other->picture_.get());
  if (wasInitialized) Restore();
}

void TPictureCollectionItem::ReadPictureData(const std::vector<std::uint8_t>& bytes) {
  TCustomMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  picture_->ReadData(stream);
}

bool TPictureCollectionItem::ReadProperty(const std::string& name, const TPropertyValue& value,
                                          TReader& reader) {
  auto integer = [&] { return static_cast<std::int32_t>(reader.Integer(value)); };
  if (name == "PatternHeight") PatternHeight = integer();
  else if (name == "PatternWidth") PatternWidth = integer();
  else if (name == "SkipHeight") SkipHeight = integer();
  else if (name == "SkipWidth") SkipWidth = integer();
  else if (name == "SystemMemory") SystemMemory = reader.Boolean(value);
  else if (name == "Transparent") Transparent = reader.Boolean(value);
  else if (name == "TransparentColor") SetTransparentColor(StoredColour(value, reader));
  else if (name == "Picture.Data") ReadPictureData(reader.Binary(value));
  else return THashCollectionItem::ReadProperty(name, value, reader);
  return true;
}

}  // namespace corvane
