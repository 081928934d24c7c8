#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/SysUtils.h"

namespace corvane {

using namespace platform;

void TGraphic::LoadFromClipboardFormat(std::uint16_t, HGLOBAL, HPALETTE) {
  throw EConvertError(Format(msg::SAssignError, "Clipboard", ClassName()));
}

void TGraphic::SaveToClipboardFormat(std::uint16_t&, HGLOBAL&, HPALETTE&) {
  throw EConvertError(Format(msg::SAssignError, ClassName(), "Clipboard"));
}

bool TGraphic::Equals(TGraphic& other) {
  if (std::strcmp(ClassName(), other.ClassName()) != 0) return false;
  if (Empty() || other.Empty()) return Empty() == other.Empty();
  TMemoryStream mine, theirs;
  WriteData(mine);
  other.WriteData(theirs);
  return mine.Bytes() == theirs.Bytes();
}

void TGraphic::LoadFromFile(const std::string& path) {
  TFileStream stream(path, TFileStream::fmOpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path) {
  TFileStream stream(path, TFileStream::fmCreate);
  SaveToStream(stream);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source) {
  Changing();
  StretchBlt(Handle(), dest.left, dest.top, dest.Width(), dest.Height(), canvas.Handle(),
             source.left, source.top, source.Width(), source.Height(), CopyMode);
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
  if (graphic.Empty()) return;
  StretchDraw({x, y, x + graphic.Width(), y + graphic.Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
  if (graphic.Empty()) return;
  Changing();
  graphic.Draw(*this, rect);
  Changed();
}

TBitmap::TBitmap() { dc_ = CreateCompatibleDC(0); canvas_.SetHandle(dc_); }

TBitmap::~TBitmap() {
  if (section_) {
    SelectObject(dc_, previous_);
    DeleteObject(section_);
  }
  DeleteDC(dc_);
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  if (section_) {
    SelectObject(dc_, previous_);
    DeleteObject(section_);
    section_ = 0;
    bits_ = nullptr;
  }
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (width_ > 0 && height_ > 0) {
    BITMAPINFOHEADER header{40, width_, height_, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    section_ = CreateDIBSection(dc_, &header, DIB_RGB_COLORS, &bits);
    if (!section_) {
      width_ = height_ = 0;
      throw EOutOfMemory(msg::SOutOfMemory);
    }
    bits_ = static_cast<std::uint8_t*>(bits);
    previous_ = SelectObject(dc_, section_);
  }
  Changed();
}

void TBitmap::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TBitmap*>(source);
  if (!other) return TGraphic::Assign(source);
  if (other == this) return;
  SetSize(other->width_, other->height_);
  if (bits_) {
    std::size_t stride = ((static_cast<std::size_t>(width_) * 24 + 31) / 32) * 4;
    std::memcpy(bits_, other->bits_, stride * static_cast<std::size_t>(height_));
  }
  Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
  if (Empty()) return;
  StretchBlt(canvas.Handle(), rect.left, rect.top, rect.Width(), rect.Height(), dc_, 0, 0, width_,
             height_, canvas.CopyMode);
}

std::uint32_t TBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  BitmapView view = GetBitmapView(dc_);
  const std::uint8_t* p = view.topRow + view.step * y + 3 * x;
  return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

// The file form: a bitmap file of 24 bits per pixel, bottom-up.
void TBitmap::SaveToStream(TStream& stream) {
  if (Empty()) return;
  std::size_t stride = ((static_cast<std::size_t>(width_) * 24 + 31) / 32) * 4;
  auto imageSize = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height_));
  LittleEndianWriter out(stream);
  out.U16(19778);
  out.U32(14 + 40 + imageSize);
  out.U16(0), out.U16(0);
  out.U32(14 + 40);
  BITMAPINFOHEADER header{40, width_, height_, 1, 24, BI_RGB, imageSize, 0, 0, 0, 0};
  stream.WriteBuffer(&header, sizeof header);
  stream.WriteBuffer(bits_, imageSize);
}

void TBitmap::LoadFromStream(TStream& stream) {
  LittleEndianReader in(stream);
  std::uint8_t fileHeader[14];
  in.Bytes(fileHeader, 14);
  BITMAPINFOHEADER header;
  in.Bytes(&header, sizeof header);
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M' || header.biSize != 40 || header.biBitCount != 24 ||
      header.biCompression != BI_RGB || header.biWidth <= 0 || header.biHeight <= 0 ||
      header.biWidth > 65535 || header.biHeight > 65535)
    throw EInvalidGraphic("Bitmap image is not valid");
  SetSize(header.biWidth, header.biHeight);
  std::size_t stride = ((static_cast<std::size_t>(width_) * 24 + 31) / 32) * 4;
  in.Bytes(bits_, static_cast<std::int64_t>(stride * static_cast<std::size_t>(height_)));
  Changed();
}

namespace {

struct GraphicClass {
  std::string name;
  TGraphicFactory factory;
};
struct FileFormat {
  std::string extension, description, className;
};
struct ClipboardFormat {
  std::uint16_t format;
  std::string className;
};

std::vector<GraphicClass>& GraphicClasses() {
  // The plain bitmap is the framework's own and always known.
  static std::vector<GraphicClass> classes{{"TBitmap", [] { return std::make_unique<TBitmap>(); }}};
  return classes;
}
std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats;
  return formats;
}
std::vector<ClipboardFormat>& ClipboardFormats() {
  static std::vector<ClipboardFormat> formats;
  return formats;
}

}  // namespace

void TPicture::RegisterGraphicClass(const std::string& className, TGraphicFactory factory) {
  GraphicClasses().push_back({className, std::move(factory)});
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  const std::string& className, TGraphicFactory factory) {
  RegisterGraphicClass(className, std::move(factory));
  FileFormats().push_back({extension, description, className});
}

void TPicture::RegisterClipboardFormat(std::uint16_t format, const std::string& className,
                                       TGraphicFactory factory) {
  RegisterGraphicClass(className, std::move(factory));
  ClipboardFormats().push_back({format, className});
}

void TPicture::UnregisterGraphicClass(const std::string& className) {
  std::erase_if(GraphicClasses(), [&](const GraphicClass& c) { return c.name == className; });
  std::erase_if(FileFormats(), [&](const FileFormat& f) { return f.className == className; });
  std::erase_if(ClipboardFormats(), [&](const ClipboardFormat& f) { return f.className == className; });
}

std::unique_ptr<TGraphic> TPicture::MakeGraphic(const std::string& className) {
  auto& classes = GraphicClasses();
  for (auto it = classes.rbegin(); it != classes.rend(); ++it)
    if (it->name == className) return it->factory();
  return nullptr;
}

std::string TPicture::FileFormatClass(const std::string& extension) {
  for (auto it = FileFormats().rbegin(); it != FileFormats().rend(); ++it)
    if (it->extension == extension) return it->className;
  return {};
}

std::string TPicture::FileFormatDescription(const std::string& extension) {
  for (auto it = FileFormats().rbegin(); it != FileFormats().rend(); ++it)
    if (it->extension == extension) return it->description;
  return {};
}

std::string TPicture::ClipboardFormatClass(std::uint16_t format) {
  for (auto it = ClipboardFormats().rbegin(); it != ClipboardFormats().rend(); ++it)
    if (it->format == format) return it->className;
  return {};
}

void TPicture::Assign(const TPersistent* source) {
  if (!source) {
    graphic_.reset();
    return;
  }
  const TGraphic* graphic = dynamic_cast<const TGraphic*>(source);
  if (auto* picture = dynamic_cast<const TPicture*>(source)) graphic = picture->Graphic();
  else if (!graphic) return TPersistent::Assign(source);
  if (!graphic) {
    graphic_.reset();
    return;
  }
  std::unique_ptr<TGraphic> copy = MakeGraphic(graphic->ClassName());
  if (!copy) throw EConvertError(Format(msg::SAssignError, graphic->ClassName(), ClassName()));
  copy->Assign(graphic);
  graphic_ = std::move(copy);
}

void TPicture::ReadData(TStream& stream) {
  LittleEndianReader in(stream);
  std::uint8_t length = in.U8();
  std::string name(length, '\0');
  in.Bytes(name.data(), length);
  std::unique_ptr<TGraphic> graphic = length <= 63 ? MakeGraphic(name) : nullptr;
  // A class nobody registered leaves the picture without image.
  if (graphic) graphic->ReadData(stream);
  graphic_ = std::move(graphic);
}

void TPicture::WriteData(TStream& stream) {
  LittleEndianWriter out(stream);
  if (!graphic_) {
    out.U8(0);
    return;
  }
  std::string name = graphic_->ClassName();
  out.U8(static_cast<std::uint8_t>(name.size()));
  stream.WriteBuffer(name.data(), static_cast<std::int64_t>(name.size()));
  graphic_->WriteData(stream);
}

}  // namespace corvane
