// Device-independent bitmaps: images of 1 to 32 bits per pixel kept in the
// bitmap layout the drawing functions take as it is, sharing their pixels
// by reference count and copying them only on write.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/Graphics.h"
#include "framework/FormReader.h"
#include "platform/Gdi32.h"

namespace corvane {

using TRGBQuads = std::array<platform::RGBQUAD, 256>;

// How red, green and blue sit in a 16- or 32-bit pixel.
struct ChannelLayout {
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0;
  std::uint32_t RedBits = 0, GreenBits = 0, BlueBits = 0;
  std::uint32_t RedShift = 0, GreenShift = 0, BlueShift = 0;
  std::uint32_t RedFill = 0, GreenFill = 0, BlueFill = 0;
  // Two layouts are the same when their masks are.
  bool SameMasks(const ChannelLayout& other) const {
    return RedMask == other.RedMask && GreenMask == other.GreenMask && BlueMask == other.BlueMask;
  }
};

ChannelLayout MakeChannelLayout(int redBits, int greenBits, int blueBits);
// Counts the run of set bits from each mask's lowest set bit; the result
// always packs red above green above blue.
ChannelLayout ChannelLayoutFromMasks(std::uint32_t red, std::uint32_t green, std::uint32_t blue);

// Raises EInvalidGraphicOperation when an image of that bit count cannot
// have that layout ("PixelFormat in invalid") or the bit count is not one of
// 1, 4, 8, 16, 24, 32 ("Bitcount in invalid (%d)").
void CheckPixelFormat(int bitCount, const ChannelLayout& layout);

// Whether stride x height bytes fit an image's 32-bit size field.
bool FitsImageSize(std::int64_t stride, std::int64_t height);
// Raises the error for pixel storage that cannot be had: EOutOfMemory for
// plain memory, EOutOfResources "DIB cannot be made" for a DIB section.
[[noreturn]] void NoPixelStorage(bool memoryImage);

// The pixel storage of one or more DIBs.
class TDIBSharedImage : public TSharedImage {
 public:
  TDIBSharedImage();
  ~TDIBSharedImage() override;

  // Makes a new image (any old content goes); raises on a bit count or
  // layout that does not fit, or when the storage cannot be had.
  void NewImage(int width, int height, bool compressed, bool memoryImage, const TRGBQuads& colours,
                const ChannelLayout& layout, int bitCount);
  // A copy of an uncompressed image, or the decoded form of a compressed one.
  void Duplicate(const TDIBSharedImage& source, bool memoryImage);
  void Decompress(const TDIBSharedImage& source, bool memoryImage);
  // The image-data format; a stream that ends at once gives the empty state.
  void ReadData(TStream& stream, bool memoryImage);
  void SetColorTable(const TRGBQuads& colours);
  // The palette object for the image's colours, from the palette cache.
  platform::HPALETTE PaletteHandle();

  int BitCount = 0;
  std::vector<std::uint8_t> BitmapInfo;  // header, masks, colour entries
  bool PaletteChanged = false;
  TRGBQuads ColorTable{};
  std::uint8_t ColorTablePos = 40;
  bool Compressed = false;
  platform::HDC DC = 0;
  platform::HBITMAP Section = 0;
  int Height = 0;
  bool MemoryImage = true;
  std::ptrdiff_t NextLine = 0;
  platform::HBITMAP PrevBitmap = 0;
  platform::HPALETTE Palette = 0;
  int PaletteCount = 0;
  std::uint8_t* PBits = nullptr;
  ChannelLayout PixelFormat;
  std::int32_t Size = 0;
  std::uint8_t* TopPBits = nullptr;
  int Width = 0;
  std::int32_t WidthBytes = 0;

 private:
  void Reset();
  void FreeStorage();
  void AllocateMemory(std::size_t bytes);
  void AllocateSection();
  void ReadHeader(TStream& stream, struct DIBHeader& header);
  void ReadPixels(TStream& stream, const struct DIBHeader& header);

  std::vector<std::uint8_t> memory_;  // plain pixel block (memory images)
};

// The process-wide palette cache: palettes shared by content.
struct TPaletteItem {
  std::uint32_t Checksum = 0;
  TRGBQuads Entries{};
  int Count = 0;
  platform::HPALETTE Palette = 0;
  int RefCount = 0;
};

class TPaletteManager {
 public:
  ~TPaletteManager();
  platform::HPALETTE AcquirePalette(const platform::RGBQUAD* entries, int count);
  void ReleasePalette(platform::HPALETTE& palette);
  const std::vector<TPaletteItem>& Items() const { return items_; }

 private:
  std::vector<TPaletteItem> items_;
};

TPaletteManager& PaletteManager();

class TDIB : public TGraphic {
 public:
  TDIB();
  ~TDIB() override;
  const char* ClassName() const override { return "TDIB"; }

  void Assign(const TPersistent* source) override;
  bool Empty() const override { return size_ == 0; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int value) override;
  void SetHeight(int value) override;
  void Draw(TCanvas& canvas, const TRect& rect) override { StretchToCanvas(canvas, rect); }
  void LoadFromStream(TStream& stream) override { ReadBitmapFile(stream); }
  void SaveToStream(TStream& stream) override { WriteBitmapFile(stream); }
  void ReadData(TStream& stream) override { ReadImageData(stream); }
  void WriteData(TStream& stream) override { WriteImageData(stream); }
  void LoadFromClipboardFormat(std::uint16_t format, platform::HGLOBAL data,
                               platform::HPALETTE palette) override;
  void SaveToClipboardFormat(std::uint16_t& format, platform::HGLOBAL& data,
                             platform::HPALETTE& palette) override;
  platform::HPALETTE Palette() override { return PaletteHandle(); }
  void SetPalette(platform::HPALETTE palette) override;

  int BitCount() const { return bitCount_; }
  std::int32_t Size() const { return size_; }
  std::int32_t WidthBytes() const { return widthBytes_; }
  std::ptrdiff_t NextLine() const { return nextLine_; }
  int NumColors() const { return image_->PaletteCount; }
  const ChannelLayout& CurrentLayout() const { return layout_; }
  TDIBSharedImage& Image() const { return *image_; }

  // The DIB's own colour table; takes effect through ApplyColorTable.
  TRGBQuads ColorTable{};
  // The layout ResizeImage gives a new image.
  ChannelLayout PixelFormat;

  TCanvas& ImageCanvas();
  std::uint8_t* PixelData();
  // The address of row y (0 is the top row) of the current image.
  std::uint8_t* ScanLine(int y) const { return topPBits_ + nextLine_ * y; }
  void SetPixelValue(int x, int y, std::uint32_t value);
  void ResizeImage(int width, int height, int bitCount);
  void ApplyColorTable();
  platform::HPALETTE PaletteHandle() { return image_->PaletteHandle(); }
  void MakeEmpty();
  void StretchToCanvas(TCanvas& canvas, const TRect& rect);
  void CopyFrom(const TPersistent* source);

  void ReadImageData(TStream& stream);
  void WriteImageData(TStream& stream);
  void ReadBitmapFile(TStream& stream);
  void WriteBitmapFile(TStream& stream);

 private:
  void SwitchImage(TDIBSharedImage* image);
  void MakeWritable(bool allowMemoryImage);
  void EnsureSection();
  // Builds a fresh image with `build` and switches to it; the old image stays
  // when building raises.
  void SwitchToNew(const std::function<void(TDIBSharedImage&)>& build);

  std::unique_ptr<TCanvas> canvas_;
  TDIBSharedImage* image_ = nullptr;
  int bitCount_ = 0;
  int height_ = 0;
  std::ptrdiff_t nextLine_ = 0;
  ChannelLayout layout_;
  std::uint8_t* pBits_ = nullptr;
  std::int32_t size_ = 0;
  std::uint8_t* topPBits_ = nullptr;
  int width_ = 0;
  std::int32_t widthBytes_ = 0;
};

// A stream over a global memory block, locked while the stream lives.
class TGlobalMemoryStream : public TCustomMemoryStream {
 public:
  explicit TGlobalMemoryStream(platform::HGLOBAL block);
  ~TGlobalMemoryStream() override;
  const char* ClassName() const override { return "TGlobalMemoryStream"; }

 private:
  platform::HGLOBAL block_;
};

// A component that owns one DIB.
class TCustomDXDIB : public TComponent {
 public:
  explicit TCustomDXDIB(TComponent* owner);
  ~TCustomDXDIB() override;
  const char* ClassName() const override { return "TCustomDXDIB"; }
  TDIB& DIB() { return *dib_; }
  void SetDIB(const TDIB& value) { dib_->CopyFrom(&value); }
  bool ReadProperty(const std::string& name, const TPropertyValue& value, TReader& reader) override;

 private:
  std::unique_ptr<TDIB> dib_;
};

class TDXDIB : public TCustomDXDIB {
 public:
  using TCustomDXDIB::TCustomDXDIB;
  const char* ClassName() const override { return "TDXDIB"; }
};

// Registers TDIB with the picture holder (clipboard format 8, extension
// "dib") and TDXDIB with the form reader; the unit's end takes it back and
// frees the empty image and the palette cache.
void InitializeDIBUnit();
void FinalizeDIBUnit();

}  // namespace corvane
