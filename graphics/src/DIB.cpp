// TDIB: one image as its users see it, switching between shared images.
#include <cstring>
#include <utility>

#include "graphics/DIB.h"

namespace corvane {

using namespace platform;

namespace {

TDIBSharedImage* emptyImage = nullptr;

// The process-wide empty image; the unit holds a reference of its own.
TDIBSharedImage* EmptyImage() {
  if (!emptyImage) {
    emptyImage = new TDIBSharedImage();
    emptyImage->Reference();
  }
  return emptyImage;
}

}  // namespace

void ReleaseEmptyImage() {
  if (emptyImage) std::exchange(emptyImage, nullptr)->Release();
}

TDIB::TDIB() {
  PixelFormat = MakeChannelLayout(8, 8, 8);
  SwitchImage(EmptyImage());
}

TDIB::~TDIB() {
  SwitchImage(EmptyImage());
  image_->Release();
  image_ = nullptr;
}

void TDIB::SwitchImage(TDIBSharedImage* image) {
  if (image == image_) return;
  if (canvas_) canvas_->SetHandle(0);
  image->Reference();
  if (image_) image_->Release();
  image_ = image;
  if (canvas_) canvas_->SetHandle(image->DC);
  ColorTable = image->ColorTable;
  layout_ = image->PixelFormat;
  PixelFormat = image->PixelFormat;
  bitCount_ = image->BitCount;
  height_ = image->Height;
  nextLine_ = image->NextLine;
  pBits_ = image->PBits;
  size_ = image->Size;
  topPBits_ = image->TopPBits;
  width_ = image->Width;
  widthBytes_ = image->WidthBytes;
}

void TDIB::SwitchToNew(const std::function<void(TDIBSharedImage&)>& build) {
  auto* fresh = new TDIBSharedImage();
  fresh->Reference();
  try {
    build(*fresh);
  } catch (...) {
    fresh->Release();
    throw;
  }
  SwitchImage(fresh);
  fresh->Release();
}

void TDIB::MakeWritable(bool allowMemoryImage) {
  TDIBSharedImage& current = *image_;
  if (current.RefCount() <= 1 && !current.Compressed && (allowMemoryImage || !current.MemoryImage))
    return;
  bool memory = current.MemoryImage && allowMemoryImage;
  SwitchToNew([&](TDIBSharedImage& fresh) {
    if (current.Compressed) {
      fresh.Decompress(current, memory);
    } else {
      fresh.Duplicate(current, memory);
    }
  });
}

void TDIB::EnsureSection() {
  TDIBSharedImage& current = *image_;
  if (!current.MemoryImage) return;
  SwitchToNew([&](TDIBSharedImage& fresh) {
    if (current.Compressed) {
      fresh.Decompress(current, false);
    } else {
      fresh.Duplicate(current, false);
    }
  });
}

TCanvas& TDIB::ImageCanvas() {
  if (canvas_ && canvas_->HandleAllocated()) return *canvas_;
  EnsureSection();
  if (!canvas_) canvas_ = std::make_unique<TCanvas>();
  canvas_->SetHandle(image_->DC);
  canvas_->OnChanging = [this](TObject*) { MakeWritable(false); };
  return *canvas_;
}

std::uint8_t* TDIB::PixelData() {
  MakeWritable(true);
  if (!image_->MemoryImage) GdiFlush();
  return pBits_;
}

void TDIB::SetPixelValue(int x, int y, std::uint32_t value) {
  MakeWritable(true);
  if (x < 0 || x >= width_ || y < 0 || y >= height_) return;
  std::uint8_t* row = topPBits_ + nextLine_ * y;
  switch (bitCount_) {
    case 1: {
      auto bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
      row[x / 8] = static_cast<std::uint8_t>((value & 1) ? (row[x / 8] | bit) : (row[x / 8] & ~bit));
      break;
    }
    case 4:
      row[x / 2] = static_cast<std::uint8_t>(x % 2 == 0 ? (row[x / 2] & 0x0F) | ((value & 0xF) << 4)
                                                        : (row[x / 2] & 0xF0) | (value & 0xF));
      break;
    case 8: row[x] = static_cast<std::uint8_t>(value); break;
    case 16: {
      auto v = static_cast<std::uint16_t>(value);
      std::memcpy(row + 2 * x, &v, 2);
      break;
    }
    case 24:
      row[3 * x] = static_cast<std::uint8_t>(value >> 16);
      row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(value);
      break;
    case 32: std::memcpy(row + 4 * x, &value, 4); break;
    default: break;
  }
}

void TDIB::ResizeImage(int width, int height, int bitCount) {
  if (width == width_ && height == height_ && bitCount == bitCount_ && PixelFormat.SameMasks(layout_))
    return;
  if (width <= 0 || height <= 0) {
    MakeEmpty();
    return;
  }
  bool memory = image_->MemoryImage;
  TRGBQuads colours = ColorTable;
  ChannelLayout layout = PixelFormat;
  SwitchToNew([&](TDIBSharedImage& fresh) {
    fresh.NewImage(width, height, false, memory, colours, layout, bitCount);
  });
}

void TDIB::SetWidth(int value) {
  if (value <= 0) return MakeEmpty();
  if (Empty()) return ResizeImage(value, std::max(height_, 1), 8);
  ResizeImage(value, height_, bitCount_);
}

void TDIB::SetHeight(int value) {
  if (value <= 0) return MakeEmpty();
  if (Empty()) return ResizeImage(std::max(width_, 1), value, 8);
  ResizeImage(width_, value, bitCount_);
}

void TDIB::ApplyColorTable() {
  if (std::memcmp(ColorTable.data(), image_->ColorTable.data(), sizeof(TRGBQuads)) == 0) return;
  TRGBQuads kept = ColorTable;
  MakeWritable(true);
  ColorTable = kept;
  image_->SetColorTable(kept);
}

void TDIB::SetPalette(HPALETTE palette) {
  PALETTEENTRY entries[256] = {};
  GetPaletteEntries(palette, 0, 256, entries);
  DeleteObject(palette);
  for (int i = 0; i < 256; ++i)
    ColorTable[static_cast<std::size_t>(i)] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  ApplyColorTable();
}

void TDIB::MakeEmpty() { SwitchImage(EmptyImage()); }

void TDIB::StretchToCanvas(TCanvas& canvas, const TRect& rect) {
  if (size_ < 1) return;
  HDC dc = canvas.Handle();
  HPALETTE previous = 0;
  if (image_->PaletteCount > 0) {
    previous = SelectPalette(dc, PaletteHandle(), false);
    RealizePalette(dc);
  }
  int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  GdiFlush();
  if (image_->MemoryImage) {
    StretchDIBits(dc, rect.left, rect.top, rect.Width(), rect.Height(), 0, 0, width_, height_,
                  pBits_, image_->BitmapInfo.data(), DIB_RGB_COLORS, canvas.CopyMode);
  } else {
    StretchBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(), image_->DC, 0, 0, width_,
               height_, canvas.CopyMode);
  }
  if (oldMode) SetStretchBltMode(dc, oldMode);
  if (previous) SelectPalette(dc, previous, false);
}

void TDIB::Assign(const TPersistent* source) { CopyFrom(source); }

void TDIB::CopyFrom(const TPersistent* source) {
  if (auto* dib = dynamic_cast<const TDIB*>(source)) {
    SwitchImage(dib->image_);
  } else if (!source) {
    MakeEmpty();
  } else if (auto* picture = dynamic_cast<const TPicture*>(source)) {
    CopyFrom(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
    // Any other image is drawn into a 24-bit DIB of its size.
    PixelFormat = MakeChannelLayout(8, 8, 8);
    ResizeImage(graphic->Width(), graphic->Height(), 24);
    if (Empty()) return;
    std::memset(PixelData(), 0, static_cast<std::size_t>(size_));
    ImageCanvas().Draw(0, 0, const_cast<TGraphic&>(*graphic));
  } else {
    // The source may know how to copy itself into a DIB (a surface does).
    TGraphic::Assign(source);
  }
}

}  // namespace corvane
