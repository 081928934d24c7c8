#include "PngPicture.h"

#if !defined(__EMSCRIPTEN__)
#include <png.h>
#endif

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/DIB.h"

namespace corvane {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::string Size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

[[noreturn]] void RefuseSize(std::int64_t width, std::int64_t height, std::int32_t maxSide) {
  throw PictureRefused("a picture may be at most " + std::to_string(maxSide) + " pixels on a side, this one is " +
                       Size(width, height));
}

std::int64_t LittleEndian(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

#if !defined(__EMSCRIPTEN__)
// The reading state of libpng's simple interface, freed however the read ends.
struct PngRead {
  png_image image{};
  PngRead() { image.version = PNG_IMAGE_VERSION; }
  ~PngRead() { png_image_free(&image); }
  PngRead(const PngRead&) = delete;
  PngRead& operator=(const PngRead&) = delete;

  [[noreturn]] void refuse() const {
    throw PictureRefused(std::string("the PNG cannot be read (") + image.message + ")");
  }
};
#endif

}  // namespace

bool IsPng(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= sizeof kPngSignature && std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0;
}

void ReadPngPicture(std::span<const std::uint8_t> bytes, PictureBackground background, std::int32_t maxSide,
                    TDIB& dib) {
#if defined(__EMSCRIPTEN__)
  // The page is built without libpng: corvane-pack --web gives it the
  // user's pictures as bitmap files.
  (void)bytes, (void)background, (void)maxSide, (void)dib;
  throw PictureRefused("PNG pictures are not read in the web page");
#else
  PngRead read;
  if (!png_image_begin_read_from_memory(&read.image, bytes.data(), bytes.size())) read.refuse();
  const std::int64_t width = read.image.width, height = read.image.height;
  if (width > maxSide || height > maxSide) RefuseSize(width, height, maxSide);
  const std::uint8_t level = background == PictureBackground::White ? 255 : 0;
  const png_color over{level, level, level};

  // Read into a DIB of our own first, so that `dib` keeps what it had when
  // the pixels turn out to be broken.
  TDIB picture;
  const bool mapped = (read.image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  if (mapped) {
    // The palette, laid over the background, is the colour table: blue,
    // green, red as a DIB keeps its colours.
    read.image.format = PNG_FORMAT_BGR_COLORMAP;
    std::uint8_t colours[256 * 3] = {};
    picture.ColorTable.fill({});
    picture.ResizeImage(static_cast<int>(width), static_cast<int>(height), 8);
    std::uint8_t* bits = picture.PixelData();
    if (!png_image_finish_read(&read.image, &over, bits, -picture.WidthBytes(), colours)) read.refuse();
    for (png_uint_32 i = 0; i < read.image.colormap_entries && i < 256; ++i)
      picture.ColorTable[i] = {colours[3 * i], colours[3 * i + 1], colours[3 * i + 2], 0};
    picture.ApplyColorTable();
  } else {
    read.image.format = PNG_FORMAT_BGR;
    picture.ResizeImage(static_cast<int>(width), static_cast<int>(height), 24);
    std::uint8_t* bits = picture.PixelData();
    if (!png_image_finish_read(&read.image, &over, bits, -picture.WidthBytes(), nullptr)) read.refuse();
  }
  dib.CopyFrom(&picture);
#endif
}

void CheckBitmapFileSize(std::span<const std::uint8_t> bytes, std::int32_t maxSide) {
  // File header (14 bytes), then the header size and the two sides: 16 bits
  // each after a core header, 32 bits (the height signed) after the others.
  if (bytes.size() < 18) return;
  const std::int64_t headerSize = LittleEndian(bytes, 14, 4);
  std::int64_t width = 0, height = 0;
  if (headerSize == 12 && bytes.size() >= 22) {
    width = LittleEndian(bytes, 18, 2);
    height = LittleEndian(bytes, 20, 2);
  } else if (headerSize >= 40 && bytes.size() >= 26) {
    width = static_cast<std::int32_t>(LittleEndian(bytes, 18, 4));
    height = static_cast<std::int32_t>(LittleEndian(bytes, 22, 4));
  }
  if (width > maxSide || height > maxSide || height < -std::int64_t{maxSide}) RefuseSize(width, std::abs(height), maxSide);
}

}  // namespace corvane
