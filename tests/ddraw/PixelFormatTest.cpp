#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/PixelFormat.h"

namespace corvane::platform {
namespace {

struct NamedFormat {
  const char* name;
  PixelFormat format;
};

// The formats the device, the DIBs and the drawing contexts meet.
const NamedFormat kDirectFormats[] = {
    {"rgb555", PixelFormat::rgb555()},
    {"rgb565", PixelFormat::rgb565()},
    {"bgr565", PixelFormat::fromMasks(16, 0x001F, 0x07E0, 0xF800)},
    {"argb4444", PixelFormat::fromMasks(16, 0x0F00, 0x00F0, 0x000F, 0xF000)},
    {"rgb332", PixelFormat::fromMasks(8, 0xE0, 0x1C, 0x03)},
    {"rgb888", PixelFormat::rgb888()},
    {"xrgb8888", PixelFormat::xrgb8888()},
    {"xbgr8888", PixelFormat::fromMasks(32, 0x0000FF, 0x00FF00, 0xFF0000)},
    {"rgb101010", PixelFormat::fromMasks(32, 0x3FF00000, 0x000FFC00, 0x000003FF)},
};

TEST(Channel, LayoutComesFromTheMask) {
  struct Row {
    std::uint32_t mask;
    int shift, width;
  } rows[] = {
      {0xF800, 11, 5},     {0x07E0, 5, 6},       {0x001F, 0, 5},  {0x7C00, 10, 5},
      {0xFF0000, 16, 8},   {0xFF000000, 24, 8},  {0x3FF00000, 20, 10},
      {0xFFFFFFFF, 0, 32}, {0, 0, 0},
  };
  for (const Row& row : rows) {
    Channel c = Channel::fromMask(row.mask);
    EXPECT_EQ(c.shift, row.shift) << std::hex << row.mask;
    EXPECT_EQ(c.width, row.width) << std::hex << row.mask;
  }
}

TEST(PixelFormat, ValidityOfFormats) {
  struct Row {
    const char* what;
    PixelFormat format;
    bool valid;
  } rows[] = {
      {"indexed 1", PixelFormat::indexed(1), true},
      {"indexed 4", PixelFormat::indexed(4), true},
      {"indexed 8", PixelFormat::indexed8(), true},
      {"indexed 3", PixelFormat::indexed(3), false},
      {"indexed 16", PixelFormat::indexed(16), false},
      {"5-6-5", PixelFormat::rgb565(), true},
      {"8-8-8 in 32", PixelFormat::xrgb8888(), true},
      {"overlapping masks", PixelFormat::fromMasks(16, 0xF800, 0x0FE0, 0x001F), false},
      {"split mask", PixelFormat::fromMasks(16, 0xF00F, 0x07E0, 0x0010), false},
      {"mask beyond the pixel", PixelFormat::fromMasks(16, 0x1F000, 0x07E0, 0x001F), false},
      {"no blue", PixelFormat::fromMasks(16, 0xF800, 0x07E0, 0), false},
      {"12 bits", PixelFormat::fromMasks(12, 0xF00, 0x0F0, 0x00F), false},
      {"alpha over red", PixelFormat::fromMasks(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), true},
      {"alpha on green", PixelFormat::fromMasks(32, 0xFF0000, 0xFF00, 0xFF, 0x0000FF00), false},
  };
  for (const Row& row : rows) EXPECT_EQ(row.format.isValid(), row.valid) << row.what;
}

TEST(PixelFormat, SizesOfCommonFormats) {
  struct Row {
    PixelFormat format;
    int bits, bytes;
    std::uint32_t rawMask;
    std::size_t rowBytesOf5;
  } rows[] = {
      {PixelFormat::indexed(1), 1, 1, 0x1, 1},     {PixelFormat::indexed(4), 4, 1, 0xF, 3},
      {PixelFormat::indexed8(), 8, 1, 0xFF, 5},    {PixelFormat::rgb555(), 16, 2, 0xFFFF, 10},
      {PixelFormat::rgb888(), 24, 3, 0xFFFFFF, 15}, {PixelFormat::xrgb8888(), 32, 4, 0xFFFFFFFF, 20},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.format.bitCount(), row.bits);
    EXPECT_EQ(row.format.bytesPerPixel(), row.bytes);
    EXPECT_EQ(row.format.rawMask(), row.rawMask);
    EXPECT_EQ(row.format.rowBytes(5), row.rowBytesOf5);
  }
}

// Known values: narrow channels keep an intensity's top bits and give them
// back with the pattern repeated, so black and white stay exact.
TEST(PixelFormat, KnownConversions) {
  struct Row {
    PixelFormat format;
    Rgb colour;
    std::uint32_t raw;
    Rgb back;
  } rows[] = {
      {PixelFormat::rgb565(), {255, 255, 255}, 0xFFFF, {255, 255, 255}},
      {PixelFormat::rgb565(), {0, 0, 0}, 0x0000, {0, 0, 0}},
      {PixelFormat::rgb565(), {128, 128, 128}, 0x8410, {132, 130, 132}},
      {PixelFormat::rgb565(), {255, 0, 0}, 0xF800, {255, 0, 0}},
      {PixelFormat::rgb565(), {8, 4, 8}, 0x0821, {8, 4, 8}},
      {PixelFormat::rgb565(), {7, 3, 7}, 0x0000, {0, 0, 0}},
      {PixelFormat::rgb555(), {255, 255, 255}, 0x7FFF, {255, 255, 255}},
      {PixelFormat::rgb555(), {0, 255, 0}, 0x03E0, {0, 255, 0}},
      {PixelFormat::rgb888(), {0x12, 0x34, 0x56}, 0x123456, {0x12, 0x34, 0x56}},
      {PixelFormat::fromMasks(32, 0x3FF00000, 0x000FFC00, 0x000003FF), {255, 0, 1}, 0x3FF00004,
       {255, 0, 1}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.format.encode(row.colour), row.raw);
    EXPECT_EQ(row.format.decode(row.raw), row.back);
  }
}

// A raw value holding only colour bits comes back unchanged through colour
// (where no channel is wider than the 8 bits a colour has).
TEST(PixelFormat, RawValuesRoundTripThroughColour) {
  std::mt19937 random(5);
  for (const NamedFormat& f : kDirectFormats) {
    if (f.format.red().width > 8 || f.format.green().width > 8 || f.format.blue().width > 8)
      continue;
    std::uint32_t colourBits = f.format.red().mask | f.format.green().mask | f.format.blue().mask;
    auto check = [&](std::uint32_t raw) {
      raw &= colourBits;
      ASSERT_EQ(f.format.encode(f.format.decode(raw)), raw) << f.name << " raw " << raw;
    };
    if (f.format.bitCount() <= 16) {
      for (std::uint32_t raw = 0; raw <= f.format.rawMask(); ++raw) check(raw);
    } else {
      for (int i = 0; i < 100000; ++i) check(random());
    }
  }
}

// A colour through a channel of w bits comes back within 2^(8-w) below it.
TEST(PixelFormat, ColoursComeBackWithinTheChannelsPrecision) {
  for (const NamedFormat& f : kDirectFormats) {
    const Channel* channels[] = {&f.format.red(), &f.format.green(), &f.format.blue()};
    for (int v = 0; v < 256; ++v) {
      auto value = static_cast<std::uint8_t>(v);
      Rgb back = f.format.decode(f.format.encode({value, value, value}));
      const std::uint8_t got[] = {back.r, back.g, back.b};
      for (int c = 0; c < 3; ++c) {
        int tolerance = channels[c]->width >= 8 ? 1 : 1 << (8 - channels[c]->width);
        ASSERT_LE(std::abs(got[c] - v), tolerance - 1) << f.name << " channel " << c << " " << v;
      }
    }
  }
}

TEST(PixelFormat, IndexedFormatsHaveNoDirectColour) {
  EXPECT_EQ(PixelFormat::indexed8().encode({255, 255, 255}), 0u);
  EXPECT_EQ(PixelFormat::indexed8().decode(7), (Rgb{0, 0, 0}));
}

// Each row: one store into a row of 0x5A bytes, and the bytes expected after.
TEST(PixelAccess, StoresPackAsTheFormatSays) {
  struct Row {
    int bits, x;
    std::uint32_t value;
    std::vector<std::uint8_t> expected;
  } rows[] = {
      {1, 0, 1, {0xDA, 0x5A, 0x5A, 0x5A}},   // most significant bit first
      {1, 7, 1, {0x5B, 0x5A, 0x5A, 0x5A}},
      {1, 9, 0, {0x5A, 0x1A, 0x5A, 0x5A}},
      {2, 1, 3, {0x7A, 0x5A, 0x5A, 0x5A}},
      {4, 0, 0xC, {0xCA, 0x5A, 0x5A, 0x5A}},  // even pixel: high nibble
      {4, 3, 0x1, {0x5A, 0x51, 0x5A, 0x5A}},  // odd pixel: low nibble
      {8, 2, 0x17, {0x5A, 0x5A, 0x17, 0x5A}},
      {16, 1, 0x1234, {0x5A, 0x5A, 0x34, 0x12}},
      {24, 0, 0x123456, {0x56, 0x34, 0x12, 0x5A}},
      {32, 0, 0x89ABCDEF, {0xEF, 0xCD, 0xAB, 0x89}},
      {8, 0, 0x1FF, {0xFF, 0x5A, 0x5A, 0x5A}},  // bits above the pixel are dropped
  };
  for (const Row& row : rows) {
    std::vector<std::uint8_t> bytes(4, 0x5A);
    StorePixel(bytes.data(), row.x, row.bits, row.value);
    EXPECT_EQ(bytes, row.expected) << row.bits << " bits at " << row.x;
    std::uint32_t pixelMask = row.bits == 32 ? 0xFFFFFFFFu : (1u << row.bits) - 1;
    EXPECT_EQ(LoadPixel(bytes.data(), row.x, row.bits), row.value & pixelMask);
  }
}

struct RowCase {
  const char* name;
  PixelFormat format;
};

class RowConversion : public ::testing::TestWithParam<RowCase> {};

// The fast paths give exactly what the per-pixel route gives, from any start.
TEST_P(RowConversion, FastPathMatchesReference) {
  const PixelFormat& format = GetParam().format;
  std::mt19937 random(11);
  std::vector<std::uint8_t> row(64 * 4 + 8);
  for (auto& b : row) b = static_cast<std::uint8_t>(random());
  std::vector<std::uint32_t> palette(200);  // shorter than 256: indices past it are black
  for (auto& c : palette) c = random() | 0xFF000000u;
  for (int firstX : {0, 1, 3, 17}) {
    std::vector<std::uint32_t> fast(40), slow(40);
    RowToXrgb(row.data(), firstX, 40, format, palette, fast.data());
    RowToXrgbReference(row.data(), firstX, 40, format, palette, slow.data());
    EXPECT_EQ(fast, slow) << GetParam().name << " from " << firstX;
    for (std::uint32_t c : fast) EXPECT_EQ(c & 0xFF000000u, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RowConversion,
    ::testing::Values(RowCase{"indexed8", PixelFormat::indexed8()},
                      RowCase{"indexed4", PixelFormat::indexed(4)},
                      RowCase{"rgb555", PixelFormat::rgb555()},
                      RowCase{"rgb565", PixelFormat::rgb565()},
                      RowCase{"bgr565", PixelFormat::fromMasks(16, 0x001F, 0x07E0, 0xF800)},
                      RowCase{"rgb888", PixelFormat::rgb888()},
                      RowCase{"xrgb8888", PixelFormat::xrgb8888()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PixelAccess, ReferenceRowGivesPaletteColoursAndDecodedColours) {
  const std::uint8_t indices[] = {0x12, 0xF0};  // 4 bits: 1, 2, 15, 0
  const std::uint32_t palette[] = {0x000000, 0x112233, 0x445566};
  std::uint32_t out[4];
  RowToXrgbReference(indices, 0, 4, PixelFormat::indexed(4), palette, out);
  EXPECT_EQ(out[0], 0x112233u);
  EXPECT_EQ(out[1], 0x445566u);
  EXPECT_EQ(out[2], 0u);  // past the palette
  EXPECT_EQ(out[3], 0x000000u);
  const std::uint8_t rgb565[] = {0x00, 0xF8, 0xE0, 0x07};  // red, green
  RowToXrgbReference(rgb565, 0, 2, PixelFormat::rgb565(), {}, out);
  EXPECT_EQ(out[0], 0xFF0000u);
  EXPECT_EQ(out[1], 0x00FF00u);
}

}  // namespace
}  // namespace corvane::platform
