#include "GifEncoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

namespace corvane::capture {

namespace {

constexpr int kMaxDelay = 0xFFFF;  // hundredths of a second, 16 bits

void Put8(std::vector<std::byte>& out, unsigned value) { out.push_back(static_cast<std::byte>(value & 0xFF)); }

void Put16(std::vector<std::byte>& out, unsigned value) {
  Put8(out, value);
  Put8(out, value >> 8);
}

void PutText(std::vector<std::byte>& out, std::string_view text) {
  for (const char c : text) Put8(out, static_cast<unsigned char>(c));
}

// The image data of one picture: variable-width LZW codes, least significant
// bit first, cut into blocks of at most 255 bytes. Codes grow to 12 bits; when
// the table is full it is cleared and starts again.
class LzwWriter {
 public:
  LzwWriter(std::vector<std::byte>& out, int minCodeSize)
      : out(out), minCodeSize(minCodeSize), clearCode(1 << minCodeSize), endCode(clearCode + 1) {
    Put8(out, static_cast<unsigned>(minCodeSize));
    restart();
    emit(clearCode);
  }

  void put(std::uint8_t index) {
    if (prefix < 0) {
      prefix = index;
      return;
    }
    const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | index;
    std::size_t slot = Hash(key);
    while (keys[slot] != 0 && keys[slot] != key + 1) slot = (slot + 1) & (kSlots - 1);
    if (keys[slot] == key + 1) {
      prefix = codes[slot];
      return;
    }
    emit(prefix);
    if (next < kLastCode) {
      keys[slot] = key + 1;
      codes[slot] = static_cast<std::uint16_t>(next);
      // The code just made may be the next one sent: it must fit.
      if (next == (1 << codeSize)) ++codeSize;
      ++next;
    } else {
      emit(clearCode);
      restart();
    }
    prefix = index;
  }

  void finish() {
    if (prefix >= 0) emit(prefix);
    // A reader makes one more table entry before it reads the end code, and
    // widens its codes if that entry needs it.
    if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    emit(endCode);
    if (bitCount > 0) pushByte(static_cast<std::uint8_t>(bits));
    flushBlock();
    Put8(out, 0);
  }

 private:
  static constexpr std::size_t kSlots = 8192;  // twice the codes, a power of two
  static constexpr int kLastCode = 4095;

  static std::size_t Hash(std::uint32_t key) { return (key * 2654435761u >> 19) & (kSlots - 1); }

  void restart() {
    keys.fill(0);
    codeSize = minCodeSize + 1;
    next = endCode + 1;
  }

  void emit(int code) {
    bits |= static_cast<std::uint32_t>(code) << bitCount;
    bitCount += codeSize;
    while (bitCount >= 8) {
      pushByte(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      bitCount -= 8;
    }
  }

  void pushByte(std::uint8_t byte) {
    block[blockSize++] = byte;
    if (blockSize == 255) flushBlock();
  }

  void flushBlock() {
    if (blockSize == 0) return;
    Put8(out, static_cast<unsigned>(blockSize));
    for (std::size_t i = 0; i < blockSize; ++i) Put8(out, block[i]);
    blockSize = 0;
  }

  std::vector<std::byte>& out;
  const int minCodeSize;
  const int clearCode;
  const int endCode;
  int codeSize = 0;
  int next = 0;
  int prefix = -1;
  std::uint32_t bits = 0;
  int bitCount = 0;
  std::array<std::uint8_t, 255> block{};
  std::size_t blockSize = 0;
  std::array<std::uint32_t, kSlots> keys{};  // key + 1; 0 is a free slot
  std::array<std::uint16_t, kSlots> codes{};
};

// 3 bits of red, 3 of green and 2 of blue, each spread back over 8 bits.
std::uint32_t Reduce(std::uint32_t colour) {
  const std::uint32_t r = (colour >> 16) & 0xE0, g = (colour >> 8) & 0xE0, b = colour & 0xC0;
  return ((r | r >> 3 | r >> 6) << 16) | ((g | g >> 3 | g >> 6) << 8) | (b | b >> 2 | b >> 4 | b >> 6);
}

struct Region {
  int left = 0, top = 0, width = 0, height = 0;
};

}  // namespace

GifEncoder::GifEncoder(int scale) : scale(scale) {
  if (scale < 1) throw std::invalid_argument("a GIF's scale must be 1 or more");
}

std::vector<std::byte> GifEncoder::add(const ScreenPicture& picture, int delay) {
  if (finished) throw std::logic_error("the GIF is already finished");
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
    throw std::invalid_argument("a GIF picture needs its pixels");
  if (picture.width * scale > 0xFFFF || picture.height * scale > 0xFFFF)
    throw std::invalid_argument("a GIF picture is at most 65535 pixels wide and high");
  delay = std::clamp(delay, 0, kMaxDelay);
  std::vector<std::byte> out;
  if (pending) {
    if (picture.width != pending->width || picture.height != pending->height)
      throw std::invalid_argument("every picture of a GIF has the size of the first");
    if (picture.pixels == pending->pixels && pendingDelay + delay <= kMaxDelay) {
      pendingDelay += delay;
      return out;
    }
    writePending(out);
  }
  pending = picture;
  pendingDelay = delay;
  return out;
}

std::vector<std::byte> GifEncoder::finish() {
  if (finished) throw std::logic_error("the GIF is already finished");
  if (!pending) throw std::logic_error("a GIF needs a picture");
  std::vector<std::byte> out;
  writePending(out);
  Put8(out, 0x3B);
  finished = true;
  return out;
}

void GifEncoder::writePending(std::vector<std::byte>& out) {
  ScreenPicture& picture = *pending;
  const int width = picture.width;
  if (!headerWritten) {
    PutText(out, "GIF89a");
    Put16(out, static_cast<unsigned>(width * scale));
    Put16(out, static_cast<unsigned>(picture.height * scale));
    Put8(out, 0x70);  // no global colour table; 8 bits a primary in the source
    Put8(out, 0);     // background
    Put8(out, 0);     // square pixels
    // Loop for ever.
    Put8(out, 0x21), Put8(out, 0xFF), Put8(out, 11), PutText(out, "NETSCAPE2.0");
    Put8(out, 3), Put8(out, 1), Put16(out, 0), Put8(out, 0);
    headerWritten = true;
  }

  // Which pixels change, and the rectangle around them; the first picture
  // changes all of them.
  const bool first = shown.pixels.empty();
  std::vector<bool> changed(picture.pixels.size(), true);
  Region region{0, 0, width, picture.height};
  if (!first) {
    int left = width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::size_t at = static_cast<std::size_t>(y) * width + x;
        changed[at] = picture.pixels[at] != shown.pixels[at];
        if (!changed[at]) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    if (right < 0) {
      // Equal to what is shown (its neighbour was longer than one delay can
      // say): one pixel, drawn again, carries the time.
      left = right = top = bottom = 0;
      changed[0] = true;
    }
    region = Region{left, top, right - left + 1, bottom - top + 1};
  }

  // The colours of the changed pixels; one more entry stands for "unchanged"
  // when the rectangle has such pixels.
  const auto pixelAt = [&](int x, int y) { return static_cast<std::size_t>(region.top + y) * width + region.left + x; };
  std::vector<std::uint32_t> colours;
  bool transparent = false;
  for (int y = 0; y < region.height; ++y)
    for (int x = 0; x < region.width; ++x) {
      const std::size_t at = pixelAt(x, y);
      if (changed[at]) colours.push_back(picture.pixels[at]);
      else transparent = true;
    }
  std::sort(colours.begin(), colours.end());
  colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  if (colours.size() + (transparent ? 1 : 0) > 256) {
    // More colours than one table holds: draw the whole rectangle in fewer.
    transparent = false;
    colours.clear();
    for (int y = 0; y < region.height; ++y)
      for (int x = 0; x < region.width; ++x) {
        const std::size_t at = pixelAt(x, y);
        picture.pixels[at] = Reduce(picture.pixels[at]);
        changed[at] = true;
        colours.push_back(picture.pixels[at]);
      }
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  }
  const std::size_t entries = colours.size() + (transparent ? 1 : 0);
  int tableBits = 1;
  while ((std::size_t{1} << tableBits) < entries) ++tableBits;
  const auto transparentIndex = static_cast<std::uint8_t>(colours.size());

  // Graphic control: leave the picture in place, its time, its transparency.
  Put8(out, 0x21), Put8(out, 0xF9), Put8(out, 4);
  Put8(out, (1u << 2) | (transparent ? 1u : 0u));
  Put16(out, static_cast<unsigned>(pendingDelay));
  Put8(out, transparent ? transparentIndex : 0);
  Put8(out, 0);
  // The rectangle, scaled, with its own colour table.
  Put8(out, 0x2C);
  Put16(out, static_cast<unsigned>(region.left * scale));
  Put16(out, static_cast<unsigned>(region.top * scale));
  Put16(out, static_cast<unsigned>(region.width * scale));
  Put16(out, static_cast<unsigned>(region.height * scale));
  Put8(out, 0x80u | static_cast<unsigned>(tableBits - 1));
  for (std::size_t i = 0; i < (std::size_t{1} << tableBits); ++i) {
    const std::uint32_t colour = i < colours.size() ? colours[i] : 0;
    Put8(out, colour >> 16), Put8(out, colour >> 8), Put8(out, colour);
  }

  LzwWriter lzw(out, std::max(2, tableBits));
  std::vector<std::uint8_t> row(static_cast<std::size_t>(region.width));
  for (int y = 0; y < region.height; ++y) {
    for (int x = 0; x < region.width; ++x) {
      const std::size_t at = pixelAt(x, y);
      row[static_cast<std::size_t>(x)] =
          changed[at] ? static_cast<std::uint8_t>(std::lower_bound(colours.begin(), colours.end(), picture.pixels[at]) -
                                                  colours.begin())
                      : transparentIndex;
    }
    for (int repeat = 0; repeat < scale; ++repeat)
      for (const std::uint8_t index : row)
        for (int i = 0; i < scale; ++i) lzw.put(index);
  }
  lzw.finish();

  if (first) shown = picture;
  else
    for (std::size_t at = 0; at < changed.size(); ++at)
      if (changed[at]) shown.pixels[at] = picture.pixels[at];
  pending.reset();
}

}  // namespace corvane::capture
