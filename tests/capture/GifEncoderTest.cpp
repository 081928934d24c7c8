// The GIF encoder, read back by a strict reader written from the format: the
// pictures a viewer shows, their times, the rectangles written, and the code
// widths at every point where a reader could get out of step.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "GifEncoder.h"

namespace corvane::capture {
namespace {

struct Shown {
  std::vector<std::uint32_t> canvas;  // the whole screen after this picture
  int delay = 0;
  int left = 0, top = 0, width = 0, height = 0;  // the rectangle written
  bool transparent = false;
};

struct Animation {
  int width = 0, height = 0;
  bool loops = false;
  std::vector<Shown> pictures;
};

// Reads a GIF as this encoder writes it, failing on anything out of place.
class Reader {
 public:
  explicit Reader(const std::vector<std::byte>& bytes) : bytes(bytes) {}

  Animation read() {
    Animation gif;
    if (text(6) != "GIF89a") fail("no GIF89a header");
    gif.width = u16();
    gif.height = u16();
    if (u8() & 0x80) fail("a global colour table");
    u8(), u8();
    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(gif.width) * gif.height, 0);
    int delay = -1, transparentIndex = -1;
    for (;;) {
      const int kind = u8();
      if (kind == 0x3B) break;
      if (kind == 0x21) {
        const int label = u8();
        if (label == 0xF9) {
          if (u8() != 4) fail("graphic control size");
          const int packed = u8();
          if (((packed >> 2) & 7) != 1) fail("disposal other than leaving in place");
          delay = u16();
          const int index = u8();
          transparentIndex = (packed & 1) ? index : -1;
          if (u8() != 0) fail("graphic control terminator");
        } else if (label == 0xFF) {
          if (u8() != 11 || text(11) != "NETSCAPE2.0") fail("application extension");
          if (u8() != 3 || u8() != 1 || u16() != 0 || u8() != 0) fail("loop block");
          gif.loops = true;
        } else {
          fail("unknown extension");
        }
        continue;
      }
      if (kind != 0x2C) fail("unknown block " + std::to_string(kind));
      if (delay < 0) fail("a picture without graphic control");
      Shown shown;
      shown.delay = delay;
      shown.transparent = transparentIndex >= 0;
      shown.left = u16(), shown.top = u16(), shown.width = u16(), shown.height = u16();
      if (shown.left + shown.width > gif.width || shown.top + shown.height > gif.height) fail("outside the screen");
      const int packed = u8();
      if (!(packed & 0x80) || (packed & 0x40)) fail("no local table, or interlaced");
      std::vector<std::uint32_t> table(std::size_t{1} << ((packed & 7) + 1));
      for (auto& colour : table) {
        const std::uint32_t r = u8(), g = u8(), b = u8();
        colour = r << 16 | g << 8 | b;
      }
      const std::vector<std::uint8_t> indices = decode();
      if (indices.size() != static_cast<std::size_t>(shown.width) * shown.height) fail("pixel count");
      for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
          const int index = indices[static_cast<std::size_t>(y) * shown.width + x];
          if (index == transparentIndex) continue;
          canvas[static_cast<std::size_t>(shown.top + y) * gif.width + shown.left + x] = table.at(index);
        }
      shown.canvas = canvas;
      gif.pictures.push_back(std::move(shown));
      delay = -1;
    }
    if (at != bytes.size()) fail("bytes after the trailer");
    return gif;
  }

 private:
  [[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what + " at byte " + std::to_string(at)); }
  int u8() {
    if (at >= bytes.size()) fail("ends early");
    return static_cast<int>(bytes[at++]);
  }
  int u16() {
    const int low = u8();
    return low | u8() << 8;
  }
  std::string text(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(u8());
    return s;
  }

  // The LZW data: the first code must clear, the codes widen as a reader
  // expects, the end code is read at the right width, and only zero bits
  // follow it in its block.
  std::vector<std::uint8_t> decode() {
    const int minCodeSize = u8();
    if (minCodeSize < 2 || minCodeSize > 8) fail("minimum code size");
    std::vector<std::uint8_t> data;
    for (int size = u8(); size != 0; size = u8())
      for (int i = 0; i < size; ++i) data.push_back(static_cast<std::uint8_t>(u8()));
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::size_t bit = 0;
    int codeSize = minCodeSize + 1;
    const auto read = [&] {
      if (bit + codeSize > data.size() * 8) fail("codes run past the data");
      int code = 0;
      for (int i = 0; i < codeSize; ++i, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
      return code;
    };
    std::vector<std::vector<std::uint8_t>> strings;
    const auto reset = [&] {
      strings.assign(static_cast<std::size_t>(end) + 1, {});
      for (int i = 0; i < clear; ++i) strings[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
      codeSize = minCodeSize + 1;
    };
    if (read() != clear) fail("data not starting with a clear code");
    reset();
    std::vector<std::uint8_t> out;
    int previous = -1;
    for (;;) {
      const int code = read();
      if (code == end) break;
      if (code == clear) {
        reset();
        previous = -1;
        continue;
      }
      std::vector<std::uint8_t> string;
      if (code < static_cast<int>(strings.size()) && (code < clear || code > end)) string = strings[code];
      else if (code == static_cast<int>(strings.size()) && previous >= 0) {
        string = strings[previous];
        string.push_back(string.front());
      } else {
        fail("code " + std::to_string(code) + " not in the table");
      }
      if (previous >= 0 && strings.size() < 4096) {
        std::vector<std::uint8_t> made = strings[previous];
        made.push_back(string.front());
        strings.push_back(std::move(made));
        if (strings.size() == (std::size_t{1} << codeSize) && codeSize < 12) ++codeSize;
      }
      out.insert(out.end(), string.begin(), string.end());
      previous = code;
    }
    if ((bit + 7) / 8 != data.size()) fail("bytes after the end code");
    for (; bit < data.size() * 8; ++bit)
      if ((data[bit / 8] >> (bit % 8)) & 1) fail("bits after the end code");
    return out;
  }

  const std::vector<std::byte>& bytes;
  std::size_t at = 0;
};

ScreenPicture Filled(int width, int height, std::uint32_t colour) {
  return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

ScreenPicture Noise(int width, int height, int colours, unsigned seed) {
  std::mt19937 random(seed);
  ScreenPicture picture = Filled(width, height, 0);
  for (auto& pixel : picture.pixels) pixel = static_cast<std::uint32_t>(random() % colours) * 0x010101u;
  return picture;
}

ScreenPicture With(ScreenPicture picture, int x, int y, std::uint32_t colour) {
  picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = colour;
  return picture;
}

std::vector<std::uint32_t> Enlarged(const ScreenPicture& picture, int scale) {
  std::vector<std::uint32_t> out;
  for (int y = 0; y < picture.height * scale; ++y)
    for (int x = 0; x < picture.width * scale; ++x)
      out.push_back(picture.pixels[static_cast<std::size_t>(y / scale) * picture.width + x / scale]);
  return out;
}

Animation Encode(const std::vector<ScreenPicture>& pictures, const std::vector<int>& delays, int scale) {
  GifEncoder encoder(scale);
  std::vector<std::byte> bytes;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const std::vector<std::byte> part = encoder.add(pictures[i], delays[i]);
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  const std::vector<std::byte> rest = encoder.finish();
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return Reader(bytes).read();
}

// --- What a viewer sees ------------------------------------------------------

struct ShowCase {
  const char* name;
  int scale;
  std::vector<ScreenPicture> pictures;
  std::vector<int> delays;
  std::vector<int> expectedPictures;  // which inputs are shown, in order
  std::vector<int> expectedDelays;
};
void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }

class GifShows : public ::testing::TestWithParam<ShowCase> {};

TEST_P(GifShows, EachPictureWithItsTime) {
  const ShowCase& c = GetParam();
  const Animation gif = Encode(c.pictures, c.delays, c.scale);
  EXPECT_TRUE(gif.loops);
  EXPECT_EQ(gif.width, c.pictures[0].width * c.scale);
  EXPECT_EQ(gif.height, c.pictures[0].height * c.scale);
  ASSERT_EQ(gif.pictures.size(), c.expectedPictures.size());
  for (std::size_t i = 0; i < gif.pictures.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(gif.pictures[i].canvas == Enlarged(c.pictures[static_cast<std::size_t>(c.expectedPictures[i])], c.scale));
    EXPECT_EQ(gif.pictures[i].delay, c.expectedDelays[i]);
  }
}

const ScreenPicture kGrey = Noise(40, 30, 26, 1);

INSTANTIATE_TEST_SUITE_P(
    Cases, GifShows,
    ::testing::Values(
        ShowCase{"one_colour", 1, {Filled(3, 2, 0x404040)}, {7}, {0}, {7}},
        ShowCase{"two_colours_smallest_table", 1, {With(Filled(5, 5, 0), 2, 2, 0xFFFFFF)}, {3}, {0}, {3}},
        ShowCase{"greys_scaled", 3, {kGrey, With(kGrey, 39, 29, 0xFFFFFF), With(kGrey, 0, 0, 0x123456)},
                 {3, 3, 4}, {0, 1, 2}, {3, 3, 4}},
        ShowCase{"equal_neighbours_share_one_picture", 2, {kGrey, kGrey, kGrey, With(kGrey, 5, 5, 1)},
                 {3, 3, 4, 3}, {0, 3}, {10, 3}},
        ShowCase{"back_to_an_earlier_picture", 1, {kGrey, Noise(40, 30, 26, 2), kGrey}, {3, 3, 3}, {0, 1, 2}, {3, 3, 3}},
        ShowCase{"a_longer_time_than_one_picture_holds", 1, {kGrey, kGrey}, {60000, 60000}, {0, 1}, {60000, 60000}},
        ShowCase{"full_table_of_256_colours", 1, {Noise(64, 64, 256, 3)}, {1}, {0}, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

// The rectangles written: only what changed, unchanged pixels inside it
// transparent.
TEST(GifEncoder, WritesOnlyTheChangedRectangle) {
  const ScreenPicture second = With(With(kGrey, 10, 4, 0xFFFFFF), 12, 7, 0xFFFFFF);
  const Animation gif = Encode({kGrey, second}, {3, 3}, 2);
  ASSERT_EQ(gif.pictures.size(), 2u);
  const Shown& first = gif.pictures[0];
  EXPECT_EQ(std::vector<int>({first.left, first.top, first.width, first.height}), std::vector<int>({0, 0, 80, 60}));
  EXPECT_FALSE(first.transparent);
  const Shown& change = gif.pictures[1];
  EXPECT_EQ(std::vector<int>({change.left, change.top, change.width, change.height}), std::vector<int>({20, 8, 6, 8}));
  EXPECT_TRUE(change.transparent);
}

// More colours than a table holds are reduced, not refused.
TEST(GifEncoder, ReducesAPictureOfTooManyColours) {
  ScreenPicture many = Filled(32, 16, 0);
  for (std::size_t i = 0; i < many.pixels.size(); ++i) many.pixels[i] = static_cast<std::uint32_t>(i * 0x010203u);
  const ScreenPicture next = With(many, 3, 3, 0xFFFFFF);
  const Animation gif = Encode({many, next}, {3, 3}, 1);
  ASSERT_EQ(gif.pictures.size(), 2u);
  for (std::size_t i = 0; i < many.pixels.size(); ++i) {
    const std::uint32_t want = many.pixels[i], got = gif.pictures[0].canvas[i];
    EXPECT_EQ(got & 0xE0E0C0, want & 0xE0E0C0) << i;
  }
  EXPECT_EQ(gif.pictures[1].canvas[3 * 32 + 3], 0xFFFFFFu);
}

// Enough different pixels to fill the code table several times, at sizes
// that leave the end code at each possible place; the strict reader checks
// every code width on the way.
TEST(GifEncoder, LongDataWidensAndClearsItsCodesInStep) {
  for (const int colours : {2, 5, 17, 200})
    for (int width = 61; width < 70; ++width) {
      SCOPED_TRACE(std::to_string(colours) + " colours, width " + std::to_string(width));
      const ScreenPicture picture = Noise(width, 97, colours, static_cast<unsigned>(width));
      const Animation gif = Encode({picture}, {1}, 1);
      ASSERT_EQ(gif.pictures.size(), 1u);
      EXPECT_TRUE(gif.pictures[0].canvas == picture.pixels);
    }
  // Every length up to a few code-width steps, to meet the end code just
  // after the table grows.
  for (int length = 1; length < 700; ++length) {
    SCOPED_TRACE(length);
    const ScreenPicture picture = Noise(length, 1, 4, 7);
    ASSERT_TRUE(Encode({picture}, {1}, 1).pictures.at(0).canvas == picture.pixels);
  }
}

TEST(GifEncoder, TheSamePicturesGiveTheSameBytes) {
  const auto bytes = [] {
    GifEncoder encoder(2);
    std::vector<std::byte> out = encoder.add(kGrey, 3);
    const auto more = encoder.add(With(kGrey, 1, 1, 0xABCDEF), 4);
    out.insert(out.end(), more.begin(), more.end());
    const auto rest = encoder.finish();
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
  };
  EXPECT_EQ(bytes(), bytes());
}

TEST(GifEncoder, RefusesWhatItCannotWrite) {
  GifEncoder encoder(1);
  EXPECT_THROW(encoder.finish(), std::logic_error);
  EXPECT_THROW(encoder.add(ScreenPicture{2, 2, {1, 2, 3}}, 1), std::invalid_argument);
  encoder.add(Filled(4, 4, 1), 1);
  EXPECT_THROW(encoder.add(Filled(5, 4, 1), 1), std::invalid_argument);
  EXPECT_THROW(GifEncoder(0), std::invalid_argument);
  EXPECT_THROW(GifEncoder(20000).add(Filled(4, 4, 1), 1), std::invalid_argument);
  encoder.finish();
  EXPECT_THROW(encoder.add(Filled(4, 4, 1), 1), std::logic_error);
}

}  // namespace
}  // namespace corvane::capture
