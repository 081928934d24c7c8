// The pictures of a picture list as one collection: binding them to the
// display, and the colour table built from their colours.
#include <algorithm>
#include <cstring>

#include "graphics/DIB.h"
#include "graphics/PictureCollection.h"

namespace corvane {

using platform::RGBQUAD;

namespace {

// The fixed system colours and where they go: the first eight at the bottom
// of the table, the other eight at the top.
struct FixedColour {
  int entry;
  RGBQUAD colour;  // blue, green, red, reserved
};
constexpr FixedColour SystemColours[16] = {
    {0, {0, 0, 0, 0}},         {1, {0, 0, 128, 0}},     {2, {0, 128, 0, 0}},
    {3, {0, 128, 128, 0}},     {4, {128, 0, 0, 0}},     {5, {128, 0, 128, 0}},
    {6, {128, 128, 0, 0}},     {7, {192, 192, 192, 0}}, {248, {128, 128, 128, 0}},
    {249, {0, 0, 255, 0}},     {250, {0, 255, 0, 0}},   {251, {0, 255, 255, 0}},
    {252, {255, 0, 0, 0}},     {253, {255, 0, 255, 0}}, {254, {255, 255, 0, 0}},
    {255, {255, 255, 255, 0}},
};

// Fills the table with each offered colour once, in the lowest free entry.
class ColourTableBuilder {
 public:
  explicit ColourTableBuilder(TPictureColorTable& table) : table_(table) {
    table_ = {};
    for (const FixedColour& fixed : SystemColours) Put(fixed.entry, fixed.colour);
  }
  bool Full() const { return count_ >= 256; }
  void Offer(const RGBQUAD& colour) {
    for (int i = 0; i < 256; ++i)
      if (used_[static_cast<std::size_t>(i)] && table_[static_cast<std::size_t>(i)] == colour) return;
    auto free = std::find(used_.begin(), used_.end(), false);
    if (free != used_.end()) Put(static_cast<int>(free - used_.begin()), colour);
  }

 private:
  void Put(int entry, const RGBQUAD& colour) {
    table_[static_cast<std::size_t>(entry)] = colour;
    used_[static_cast<std::size_t>(entry)] = true;
    ++count_;
  }
  TPictureColorTable& table_;
  std::array<bool, 256> used_{};
  int count_ = 0;
};

// The colours one graphic offers: a DIB of up to 8 bits its whole colour
// table, another graphic the entries of its palette.
void OfferColours(TGraphic& graphic, ColourTableBuilder& builder) {
  if (auto* dib = dynamic_cast<TDIB*>(&graphic)) {
    if (dib->BitCount() > 8) return;
    for (const RGBQUAD& colour : dib->ColorTable) builder.Offer(colour);
    return;
  }
  platform::HPALETTE palette = graphic.Palette();
  if (!palette) return;
  std::array<platform::PALETTEENTRY, 256> entries{};
  std::uint32_t count = platform::GetPaletteEntries(palette, 0, 256, entries.data());
  for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count, 256); ++i)
    builder.Offer({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
}

}  // namespace

TPictureCollection::TPictureCollection(TPersistent* owner) : owner_(owner) {}

TPictureCollection::~TPictureCollection() {
  try {
    Finalize();
  } catch (...) {
    // Going away cannot be stopped by an item that fails to let go.
  }
  // The items go while the collection is still whole.
  Clear();
}

std::unique_ptr<THashCollectionItem> TPictureCollection::CreateItem() {
  return std::make_unique<TPictureCollectionItem>(*this);
}

TPictureCollectionItem* TPictureCollection::Items(int index) const {
  return static_cast<TPictureCollectionItem*>(Item(index));
}

TPictureCollectionItem* TPictureCollection::Add() {
  return static_cast<TPictureCollectionItem*>(THashCollection::Add());
}

bool TPictureCollection::Initialized() const { return dxDraw_ && dxDraw_->Initialized(); }

void TPictureCollection::Initialize(TCustomDXDraw* dxDraw) {
  Finalize();
  dxDraw_ = dxDraw;
  if (!Initialized())
    throw EPictureCollectionError(Format("%s cannot be initialized", ClassName()));
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TPictureCollection::Finalize() {
  try {
    for (int i = 0; i < Count(); ++i) Items(i)->Finalize();
  } catch (...) {
    dxDraw_ = nullptr;
    throw;
  }
  dxDraw_ = nullptr;
}

void TPictureCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

void TPictureCollection::MakeColorTable() {
  ColourTableBuilder builder(ColorTable);
  for (int i = 0; i < Count(); ++i) {
    if (TGraphic* graphic = Items(i)->Picture().Graphic()) OfferColours(*graphic, builder);
    if (builder.Full()) break;
  }
}

static_assert(sizeof(TPictureColorTable) == 1024, "the stored table is 256 entries of 4 bytes");

void TPictureCollection::ReadData(TStream& stream) {
  // A stream too short raises and leaves the table as it was.
  TPictureColorTable table;
  stream.ReadBuffer(table.data(), sizeof(table));
  ColorTable = table;
}

void TPictureCollection::WriteData(TStream& stream) const {
  stream.WriteBuffer(ColorTable.data(), sizeof(ColorTable));
}

}  // namespace corvane
