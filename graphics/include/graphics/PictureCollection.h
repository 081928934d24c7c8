// The pictures of a picture list. Each picture keeps its graphic and, while
// the display it is bound to is initialised, the off-screen surfaces made
// from it, cut into equally sized patterns that are drawn by number.
// Surfaces are made only by Restore and dropped by Finalize, so they never
// outlive the device they were made on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Graphics.h"
#include "graphics/DXDraw.h"
#include "graphics/DirectDrawSurface.h"
#include "graphics/HashCollection.h"

namespace corvane {

CORVANE_EXCEPTION(EPictureCollectionError, Exception);

class TPictureCollection;

// One pattern: where it lies on which of its item's surfaces.
struct TPictureCollectionItemPattern {
  platform::RECT Rect{};
  TDirectDrawSurface* Surface = nullptr;  // owned by the item
};

class TPictureCollectionItem : public THashCollectionItem {
 public:
  explicit TPictureCollectionItem(TPictureCollection& collection);
  ~TPictureCollectionItem() override;
  const char* ClassName() const override { return "TPictureCollectionItem"; }

  TPictureCollection& PictureCollection() const;

  // Opaque or colour-keyed copy of one pattern to (x, y) of `dest`; nothing
  // unless the item is restored and the pattern number is valid.
  void Draw(TDirectDrawSurface* dest, std::int32_t x, std::int32_t y, std::int32_t patternIndex);
  // One pattern blended into `destRect` of `dest` with the given alpha.
  void DrawAlpha(TDirectDrawSurface* dest, const platform::RECT& destRect,
                 std::int32_t patternIndex, std::int32_t alpha);

  // Binds the item to the collection's display (when it is initialised).
  void Initialize();
  // Unbinds it and frees its surfaces and patterns.
  void Finalize();
  // Makes the surfaces and patterns from the picture again.
  void Restore();

  // From another picture item: the settings and the picture, not the name;
  // an item that was bound is restored with them.
  void Assign(const TPersistent* source) override;
  bool ReadProperty(const std::string& name, const TPropertyValue& value,
                    TReader& reader) override;

  TPicture& Picture() { return *picture_; }
  const TPicture& Picture() const { return *picture_; }
  // Copies the given picture into the item's own holder.
  void SetPicture(const TPicture* picture) { picture_->Assign(picture); }

  bool Initialized() const { return initialized_; }
  std::int32_t PatternCount() const { return static_cast<std::int32_t>(patterns_.size()); }
  const TPictureCollectionItemPattern& Pattern(int index) const {
    return patterns_.at(static_cast<std::size_t>(index));
  }
  int SurfaceCount() const { return static_cast<int>(surfaces_.size()); }
  TDirectDrawSurface* Surface(int index) const {
    return surfaces_.at(static_cast<std::size_t>(index)).get();
  }

  // Changing these takes effect at the next Restore.
  std::int32_t PatternHeight = 0;
  std::int32_t PatternWidth = 0;
  std::int32_t SkipHeight = 0;
  std::int32_t SkipWidth = 0;
  bool SystemMemory = false;
  bool Transparent = true;

  std::uint32_t TransparentColor() const { return transparentColor_; }
  // A new colour becomes the colour key of every surface at once.
  void SetTransparentColor(std::uint32_t value);

 private:
  bool ValidPattern(std::int32_t index) const {
    return initialized_ && index >= 0 && index < PatternCount();
  }
  void ClearSurfaces();
  TDirectDrawSurface* MakeSurface(const platform::RECT& rect);
  void CutSystemMemory(const struct PatternGrid& grid);
  void CutVideoMemory(const struct PatternGrid& grid);
  void ReadPictureData(const std::vector<std::uint8_t>& bytes);

  std::unique_ptr<TPicture> picture_;
  bool initialized_ = false;
  std::vector<TPictureCollectionItemPattern> patterns_;
  std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces_;
  std::uint32_t transparentColor_ = 0;
};

// The colour table a collection builds for the display's palette.
using TPictureColorTable = TColorTable;

class TPictureCollection : public THashCollection {
 public:
  // `owner` is the picture list the collection serves (not owned).
  explicit TPictureCollection(TPersistent* owner = nullptr);
  ~TPictureCollection() override;
  const char* ClassName() const override { return "TPictureCollection"; }

  TPersistent* Owner() const { return owner_; }
  TPictureCollectionItem* Items(int index) const;
  TPictureCollectionItem* operator[](int index) const { return Items(index); }
  TPictureCollectionItem* Add();

  TCustomDXDraw* DXDraw() const { return dxDraw_; }
  // A display is set and it is initialised.
  bool Initialized() const;
  // Binds every item to `dxDraw`; raises EPictureCollectionError
  // ("%s cannot be initialized") when it is none or not initialised.
  void Initialize(TCustomDXDraw* dxDraw);
  void Finalize();
  void Restore();

  // The 16 system colours, then every colour the pictures' colour tables
  // offer, each once, while there is room.
  void MakeColorTable();
  TPictureColorTable ColorTable{};

  // The stored "ColorTable" of a collection written on its own: 1024 bytes.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

 protected:
  std::unique_ptr<THashCollectionItem> CreateItem() override;

 private:
  TPersistent* owner_;
  TCustomDXDraw* dxDraw_ = nullptr;
};

}  // namespace corvane
