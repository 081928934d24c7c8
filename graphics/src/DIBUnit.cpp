// The DIB's stored forms (image data, bitmap file, clipboard), the palette
// cache, the DIB component and the unit's registration.
#include <algorithm>
#include <cstring>
#include <utility>

#include "graphics/DIB.h"

namespace corvane {

using namespace platform;

void ReleaseEmptyImage();

namespace {
TPaletteManager* paletteManager = nullptr;
bool unitInitialized = false;
}

TPaletteManager& PaletteManager() {
  if (!paletteManager) paletteManager = new TPaletteManager();
  return *paletteManager;
}

TPaletteManager::~TPaletteManager() {
  for (TPaletteItem& item : items_) DeleteObject(item.Palette);
}

HPALETTE TPaletteManager::AcquirePalette(const RGBQUAD* entries, int count) {
  count = std::clamp(count, 0, 256);
  std::uint32_t checksum = static_cast<std::uint32_t>(count);
  for (int i = 0; i < count; ++i) checksum += entries[i].rgbBlue + entries[i].rgbGreen + entries[i].rgbRed;
  auto bytes = 4 * static_cast<std::size_t>(count);
  for (TPaletteItem& item : items_) {
    if (item.Checksum == checksum && item.Count == count &&
        std::memcmp(item.Entries.data(), entries, bytes) == 0) {
      ++item.RefCount;
      return item.Palette;
    }
  }
  TPaletteItem item;
  item.Checksum = checksum;
  item.Count = count;
  std::memcpy(item.Entries.data(), entries, bytes);
  LOGPALETTE logical{};
  logical.palVersion = 0x300;
  logical.palNumEntries = static_cast<std::uint16_t>(count);
  for (int i = 0; i < count; ++i)
    logical.palPalEntry[i] = {entries[i].rgbRed, entries[i].rgbGreen, entries[i].rgbBlue, 0};
  item.Palette = CreatePalette(&logical);
  item.RefCount = 1;
  items_.push_back(item);
  return item.Palette;
}

void TPaletteManager::ReleasePalette(HPALETTE& palette) {
  if (!palette) return;
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->Palette != palette) continue;
    if (--it->RefCount <= 0) {
      DeleteObject(it->Palette);
      items_.erase(it);
    }
    break;
  }
  palette = 0;
}

void TDIB::ReadImageData(TStream& stream) {
  bool memory = image_->MemoryImage;
  SwitchToNew([&](TDIBSharedImage& fresh) { fresh.ReadData(stream, memory); });
}

void TDIB::WriteImageData(TStream& stream) {
  if (Empty()) return;
  if (!image_->MemoryImage) GdiFlush();
  stream.WriteBuffer(image_->BitmapInfo.data(), static_cast<std::int64_t>(image_->BitmapInfo.size()));
  std::uint32_t imageSize;
  std::memcpy(&imageSize, image_->BitmapInfo.data() + 20, 4);
  stream.WriteBuffer(pBits_, imageSize);
}

void TDIB::ReadBitmapFile(TStream& stream) {
  std::uint8_t header[14];
  std::int64_t got = stream.Read(header, 14);
  if (got == 0) return;
  if (got < 14 || header[0] != 'B' || header[1] != 'M') throw EInvalidGraphic("DIB is invalid");
  ReadImageData(stream);
}

void TDIB::WriteBitmapFile(TStream& stream) {
  if (Empty()) return;
  auto infoSize = static_cast<std::uint32_t>(image_->BitmapInfo.size());
  std::uint32_t imageSize;
  std::memcpy(&imageSize, image_->BitmapInfo.data() + 20, 4);
  LittleEndianWriter out(stream);
  out.U16(19778);
  out.U32(14 + infoSize + imageSize);
  out.U16(0);
  out.U16(0);
  out.U32(14 + infoSize);
  WriteImageData(stream);
}

void TDIB::LoadFromClipboardFormat(std::uint16_t, HGLOBAL data, HPALETTE) {
  TGlobalMemoryStream stream(data);
  ReadImageData(stream);
}

void TDIB::SaveToClipboardFormat(std::uint16_t& format, HGLOBAL& data, HPALETTE& palette) {
  TMemoryStream image;
  WriteImageData(image);
  format = CF_DIB;
  palette = 0;
  data = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, image.Bytes().size());
  if (void* p = GlobalLock(data)) {
    std::memcpy(p, image.Bytes().data(), image.Bytes().size());
    GlobalUnlock(data);
  }
}

TGlobalMemoryStream::TGlobalMemoryStream(HGLOBAL block) : block_(block) {
  SetPointer(GlobalLock(block), static_cast<std::int64_t>(GlobalSize(block)));
}

TGlobalMemoryStream::~TGlobalMemoryStream() { GlobalUnlock(block_); }

TCustomDXDIB::TCustomDXDIB(TComponent* owner) : TComponent(owner), dib_(std::make_unique<TDIB>()) {}

TCustomDXDIB::~TCustomDXDIB() = default;

bool TCustomDXDIB::ReadProperty(const std::string& name, const TPropertyValue& value, TReader& reader) {
  if (name == "DIB.Data") {
    std::vector<std::uint8_t> bytes = reader.Binary(value);
    TCustomMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    dib_->ReadImageData(stream);
    return true;
  }
  if (name == "DIB.DIB") {
    std::vector<std::uint8_t> bytes = reader.Binary(value);
    TCustomMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    dib_->ReadBitmapFile(stream);
    return true;
  }
  return TComponent::ReadProperty(name, value, reader);
}

void InitializeDIBUnit() {
  if (unitInitialized) return;
  unitInitialized = true;
  auto make = [] { return std::make_unique<TDIB>(); };
  TPicture::RegisterClipboardFormat(CF_DIB, "TDIB", make);
  TPicture::RegisterFileFormat("dib", "Device Independent Bitmap", "TDIB", make);
  RegisterComponentClass<TDXDIB>("TDXDIB");
}

void FinalizeDIBUnit() {
  unitInitialized = false;
  TPicture::UnregisterGraphicClass("TDIB");
  ReleaseEmptyImage();
  delete std::exchange(paletteManager, nullptr);
}

}  // namespace corvane
