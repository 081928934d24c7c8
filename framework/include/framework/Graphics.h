// Graphics objects: images (graphics), the canvas that draws on a device
// context, a 24-bit bitmap, shared images and the picture holder with its
// registry of image classes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Streams.h"
#include "platform/Gdi32.h"

namespace corvane {

class TCanvas;

// A reference-counted image holder: one reference per user; the last release
// frees it.
class TSharedImage {
 public:
  virtual ~TSharedImage() = default;
  void Reference() { ++refCount_; }
  void Release() {
    if (--refCount_ <= 0) delete this;
  }
  int RefCount() const { return refCount_; }

 private:
  int refCount_ = 0;
};

// The abstract image.
class TGraphic : public TPersistent {
 public:
  const char* ClassName() const override { return "TGraphic"; }
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int value) = 0;
  virtual void SetHeight(int value) = 0;
  // Draws the whole image stretched into `rect` of the canvas.
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
  // The file form of the image.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  // The form stored in the form resource ("Data"); by default the file form.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) { SaveToStream(stream); }
  virtual void LoadFromClipboardFormat(std::uint16_t format, platform::HGLOBAL data,
                                       platform::HPALETTE palette);
  virtual void SaveToClipboardFormat(std::uint16_t& format, platform::HGLOBAL& data,
                                     platform::HPALETTE& palette);
  virtual platform::HPALETTE Palette() { return 0; }
  virtual void SetPalette(platform::HPALETTE) {}
  // Two images are equal when their stored forms are.
  virtual bool Equals(TGraphic& other);

  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path);

  bool Transparent = false;
  TNotifyEvent OnChange;

 protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
};

// Draws on the device context it is bound to.
class TCanvas : public TPersistent {
 public:
  const char* ClassName() const override { return "TCanvas"; }
  // The device context; a canvas that makes its own on demand does so here.
  platform::HDC Handle() {
    if (!handle_) CreateHandle();
    return handle_;
  }
  void SetHandle(platform::HDC handle) { handle_ = handle; }
  bool HandleAllocated() const { return handle_ != 0; }

  std::uint32_t CopyMode = platform::SRCCOPY;
  // Raised before every drawing operation changes the canvas.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

  // Copies `source` of the other canvas into `dest` of this one (stretched).
  void CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source);
  void Draw(int x, int y, TGraphic& graphic);
  void StretchDraw(const TRect& rect, TGraphic& graphic);

 protected:
  // Gives the canvas a device context when it has none (SetHandle).
  virtual void CreateHandle() {}
  void Changing() {
    if (OnChanging) OnChanging(this);
  }
  void Changed() {
    if (OnChange) OnChange(this);
  }

 private:
  platform::HDC handle_ = 0;
};

// A bitmap of 24 bits per pixel in a section of its own, with a canvas.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  const char* ClassName() const override { return "TBitmap"; }
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int value) override { SetSize(value, height_); }
  void SetHeight(int value) override { SetSize(width_, value); }
  void SetSize(int width, int height);
  // From another bitmap: its size and its pixels.
  void Assign(const TPersistent* source) override;
  void Draw(TCanvas& canvas, const TRect& rect) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  TCanvas& Canvas() { return canvas_; }
  // Colour (0x00RRGGBB) of a pixel, for checks.
  std::uint32_t Pixel(int x, int y) const;

 private:
  int width_ = 0, height_ = 0;
  platform::HDC dc_ = 0;
  platform::HBITMAP section_ = 0, previous_ = 0;
  std::uint8_t* bits_ = nullptr;
  TCanvas canvas_;
};

class TPicture;
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// Holds one image of any registered class.
class TPicture : public TPersistent {
 public:
  const char* ClassName() const override { return "TPicture"; }
  TGraphic* Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic) { graphic_ = std::move(graphic); }
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  void Assign(const TPersistent* source) override;

  // The stored form: one byte n, n bytes of the class name, the image's data.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  // Image classes by name (newest registration first), by file extension and
  // by clipboard format.
  static void RegisterGraphicClass(const std::string& className, TGraphicFactory factory);
  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 const std::string& className, TGraphicFactory factory);
  static void RegisterClipboardFormat(std::uint16_t format, const std::string& className,
                                      TGraphicFactory factory);
  static void UnregisterGraphicClass(const std::string& className);
  static std::unique_ptr<TGraphic> MakeGraphic(const std::string& className);
  static std::string FileFormatClass(const std::string& extension);
  static std::string FileFormatDescription(const std::string& extension);
  static std::string ClipboardFormatClass(std::uint16_t format);

 private:
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace corvane
