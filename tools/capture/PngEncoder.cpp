#include "PngEncoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

namespace corvane::capture {

namespace {

// Colour → palette index + 1 (0: not seen yet), with a slot for each of the
// 2^24 colours: a pixel costs one load and one store, however often the
// colour changes along a row (the logo's dither changes it every few
// pixels). One table a thread (32 MiB of address space, of which only the
// pages of the colours seen are ever touched), emptied after each picture.
class ColourTable {
 public:
  ColourTable() : slots(static_cast<std::uint16_t*>(std::calloc(kSlots, sizeof(std::uint16_t)))) {
    if (!slots) throw std::bad_alloc();
  }

  // The colours in the order they first appear and every pixel's index;
  // false (and the table empty again) at a 257th colour.
  bool index(const ScreenPicture& picture, std::vector<std::uint32_t>& colours, std::uint8_t* out) {
    const std::size_t count = picture.pixels.size();
    // Nothing the loop writes is read through another name: the compiler
    // may keep every pointer in a register.
    const std::uint32_t* __restrict in = picture.pixels.data();
    std::uint8_t* __restrict index = out;
    std::uint16_t* __restrict slot = slots.get();
    bool fits = true;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t colour = in[i] & 0xFFFFFF;
      std::uint16_t entry = slot[colour];
      if (entry == 0) [[unlikely]] {
        if (colours.size() == 256) {
          fits = false;
          break;
        }
        colours.push_back(colour);
        entry = slot[colour] = static_cast<std::uint16_t>(colours.size());
      }
      index[i] = static_cast<std::uint8_t>(entry - 1);
    }
    for (const std::uint32_t colour : colours) slots[colour] = 0;
    return fits;
  }

 private:
  static constexpr std::size_t kSlots = std::size_t{1} << 24;
  struct Free {
    void operator()(std::uint16_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint16_t[], Free> slots;
};

// A picture of few colours as a palette and one index a pixel.
struct Palette {
  std::vector<std::uint32_t> colours;
  std::unique_ptr<std::uint8_t[]> indices;
};

std::optional<Palette> MakePalette(const ScreenPicture& picture) {
  thread_local ColourTable table;
  Palette palette;
  palette.indices = std::make_unique_for_overwrite<std::uint8_t[]>(picture.pixels.size());
  if (!table.index(picture, palette.colours, palette.indices.get())) return std::nullopt;
  return palette;
}

void PutBigEndian(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

// The image data as PNG rows: a filter byte, then the row's pixels, each
// repeated `scale` times across and each row `scale` times down. A handful
// of colours (the intro's usual case) fit four bits an index: half the
// bytes to compress. Palette rows go unfiltered (a filter would only blur
// the indices; the compression finds a repeated row by itself); colour rows
// take "up", which makes a repeated row all zeros.
std::vector<std::uint8_t> ImageRows(const ScreenPicture& picture, int scale, const Palette* palette, int depth) {
  const std::size_t width = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(scale);
  const std::size_t rowBytes = palette ? (width * static_cast<std::size_t>(depth) + 7) / 8 : width * 3;
  std::vector<std::uint8_t> rows((rowBytes + 1) * static_cast<std::size_t>(picture.height) *
                                 static_cast<std::size_t>(scale));
  std::vector<std::uint8_t> above(rowBytes), row(rowBytes);
  std::uint8_t* at = rows.data();
  for (int y = 0; y < picture.height; ++y) {
    const std::size_t first = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    std::uint8_t* px = row.data();
    if (palette && depth == 4) {
      const std::uint8_t* in = palette->indices.get() + first;
      int x = 0;
      for (; x + 1 < picture.width; x += 2) *px++ = static_cast<std::uint8_t>(in[x] << 4 | in[x + 1]);
      if (x < picture.width) *px = static_cast<std::uint8_t>(in[x] << 4);
    } else if (palette) {
      const std::uint8_t* in = palette->indices.get() + first;
      for (int x = 0; x < picture.width; ++x) px = std::fill_n(px, scale, in[x]);
    } else {
      const std::uint32_t* in = picture.pixels.data() + first;
      for (int x = 0; x < picture.width; ++x)
        for (int i = 0; i < scale; ++i) {
          *px++ = static_cast<std::uint8_t>(in[x] >> 16);
          *px++ = static_cast<std::uint8_t>(in[x] >> 8);
          *px++ = static_cast<std::uint8_t>(in[x]);
        }
    }
    for (int i = 0; i < scale; ++i) {
      if (palette) {
        *at++ = 0;  // none
        at = std::copy(row.begin(), row.end(), at);
      } else {
        *at++ = 2;  // up
        for (std::size_t b = 0; b < rowBytes; ++b) *at++ = static_cast<std::uint8_t>(row[b] - above[b]);
        above.swap(row);
        if (i + 1 < scale) row = above;
      }
    }
  }
  return rows;
}

// The fastest level: the screen is mostly flat areas and repeated rows, so
// it compresses well enough, several times quicker than the default.
struct CompressorFree {
  void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& rows) {
  thread_local std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(libdeflate_alloc_compressor(1));
  if (!compressor) throw std::bad_alloc();
  std::vector<std::uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), rows.size()));
  out.resize(libdeflate_zlib_compress(compressor.get(), rows.data(), rows.size(), out.data(), out.size()));
  if (out.empty()) throw std::runtime_error("cannot compress a picture");
  return out;
}

// One chunk: length, type, data, and the checksum over type and data.
void AppendChunk(std::vector<std::byte>& file, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
  const std::size_t start = file.size();
  file.resize(start + 12 + size);
  auto* at = reinterpret_cast<std::uint8_t*>(file.data()) + start;
  PutBigEndian(at, static_cast<std::uint32_t>(size));
  std::memcpy(at + 4, type, 4);
  if (size) std::memcpy(at + 8, data, size);
  PutBigEndian(at + 8 + size, libdeflate_crc32(0, at + 4, 4 + size));
}

}  // namespace

std::vector<std::byte> EncodePng(const ScreenPicture& picture, int scale) {
  if (picture.width <= 0 || picture.height <= 0 || scale < 1 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    throw std::invalid_argument("no picture to encode");
  const std::uint64_t width = static_cast<std::uint64_t>(picture.width) * static_cast<std::uint64_t>(scale);
  const std::uint64_t height = static_cast<std::uint64_t>(picture.height) * static_cast<std::uint64_t>(scale);
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) throw std::invalid_argument("the picture is too large for a PNG");
  // Pictures of up to 256 colours (the intro's have a handful) are written
  // with a palette: the same pixels in a third of the bytes or less, which
  // is what the compression's time goes by.
  const std::optional<Palette> palette = MakePalette(picture);
  const int depth = palette && scale == 1 && palette->colours.size() <= 16 ? 4 : 8;
  const std::vector<std::uint8_t> data = Compress(ImageRows(picture, scale, palette ? &*palette : nullptr, depth));

  constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::byte> file(sizeof kSignature);
  std::memcpy(file.data(), kSignature, sizeof kSignature);
  file.reserve(data.size() + 900);
  std::uint8_t header[13] = {};
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header + 4, static_cast<std::uint32_t>(height));
  header[8] = static_cast<std::uint8_t>(depth);
  header[9] = palette ? 3 : 2;  // indexed colour, or RGB; the rest: deflate, adaptive filters, no interlace
  AppendChunk(file, "IHDR", header, sizeof header);
  if (palette) {
    std::vector<std::uint8_t> entries;
    for (const std::uint32_t colour : palette->colours)
      entries.insert(entries.end(), {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                                     static_cast<std::uint8_t>(colour)});
    AppendChunk(file, "PLTE", entries.data(), entries.size());
  }
  constexpr std::size_t kMostInAChunk = std::size_t{1} << 30;  // a chunk's length has 31 bits
  for (std::size_t at = 0; at < data.size(); at += kMostInAChunk)
    AppendChunk(file, "IDAT", data.data() + at, std::min(kMostInAChunk, data.size() - at));
  AppendChunk(file, "IEND", nullptr, 0);
  return file;
}

}  // namespace corvane::capture
