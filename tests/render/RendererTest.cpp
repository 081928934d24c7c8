// The renderer on pictures in memory: channel descriptions, the exact blend
// results, stepping and clipping, colour keys, and the specialised loops
// against the generic routine on random pictures.
#include <gtest/gtest.h>

#include <climits>

#include "RenderTestSupport.h"

namespace corvane::test {
namespace {

using platform::RECT;

TEST(ChannelInfo, ShiftsFromMasks) {
  struct Row {
    std::uint32_t mask;
    int width, low, shift;
    std::uint32_t pixel, decoded;
  } rows[] = {
      {0xF800, 5, 11, 8, 0xFFFF, 0xF8},      // 5-6-5 red
      {0x07E0, 6, 5, 3, 0xFFFF, 0xFC},       // 5-6-5 green
      {0x001F, 5, 0, -3, 0xFFFF, 0xF8},      // 5-bit blue: shifted left
      {0x7C00, 5, 10, 7, 0x7C00, 0xF8},      // 5-5-5 red
      {0xFF0000, 8, 16, 16, 0xAB123456, 0x12},
      {0x0000FF, 8, 0, 0, 0x12345678, 0x78},
      {0x0000000F, 4, 0, -4, 0x3, 0x30},     // a 4-bit index
      {0, 0, 0, 0, 0xFFFF, 0},               // absent
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mask);
    ChannelInfo c = ChannelInfo::FromMask(row.mask);
    EXPECT_EQ(c.width, row.width);
    EXPECT_EQ(c.low, row.low);
    EXPECT_EQ(c.shift, row.shift);
    EXPECT_EQ(c.Decode(row.pixel), row.decoded);
    EXPECT_EQ(c.Encode(c.Decode(row.pixel)), row.pixel & row.mask);  // round trip
  }
}

// One blend of a 3 x 2 source over a 3 x 2 destination of single values,
// through the specialised loops (where there are any) and the generic routine.
TEST(CopyRectBlend, BlendResults) {
  struct Row {
    const char* what;
    int bits;
    Masks masks;
    std::uint32_t source, dest;
    int alpha;
    std::uint32_t expected;
  } rows[] = {
      {"black over mid grey", 16, k565, 0x0000, 0x8410, 128, 0x39E8},
      {"white over black", 16, k565, 0xFFFF, 0x0000, 128, 0x7BEF},
      {"5-5-5 white over black", 16, k555, 0x7FFF, 0x0000, 128, 0x3DEF},
      {"8-8-8 black over grey 128", 32, k888, 0x000000, 0x808080, 128, 0x3F3F40},
      {"lone blue floors, paired red rounds down", 32, k888, 0x000000, 0xFFFFFF, 254, 0x000001},
      {"top byte is no channel", 32, k888, 0xFFFFFFFF, 0xFF000000, 128, 0x7F7F7F},
      {"24-bit", 24, k888, 0xFFFFFF, 0x000000, 64, 0x3F3F3F},
      {"alpha 255 copies", 16, k565, 0x1234, 0xFFFF, 255, 0x1234},
      {"alpha 256 copies", 32, k888, 0xFF123456, 0, 256, 0xFF123456},
      {"alpha 1000 copies", 16, k565, 0x1234, 0xFFFF, 1000, 0x1234},
      {"alpha 0 draws nothing", 16, k565, 0x1234, 0xFFFF, 0, 0xFFFF},
      {"alpha -11 draws nothing", 32, k888, 0x123456, 0xABCDEF, -11, 0xABCDEF},
  };
  for (auto paths : {PixelPipeline::Paths::Best, PixelPipeline::Paths::GenericOnly}) {
    DXRenderer renderer(paths);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      Picture source(3, 2, row.bits, row.masks), dest(3, 2, row.bits, row.masks);
      source.fill(row.source);
      dest.fill(row.dest);
      renderer.CopyRectBlend(dest.view(), source.view(), {0, 0, 3, 2}, {0, 0, 3, 2},
                             BlendKind::SourceAlpha, row.alpha, false, 0);
      for (std::uint32_t value : dest.values()) EXPECT_EQ(value, row.expected);
    }
  }
}

TEST(CopyRectBlend, PicksSpecialisedLoopsForTheirFormatsOnly) {
  struct Row {
    int sourceBits;
    Masks sourceMasks;
    int destBits;
    Masks destMasks;
    bool specialised;
  } rows[] = {
      {16, k565, 16, k565, true}, {32, k888, 32, k888, true},   {16, k555, 16, k555, false},
      {24, k888, 24, k888, false}, {16, k565, 32, k888, false}, {32, k888, 16, k565, false},
  };
  DXRenderer renderer;
  for (const Row& row : rows) {
    Picture source(4, 4, row.sourceBits, row.sourceMasks), dest(4, 4, row.destBits, row.destMasks);
    for (BlendKind kind : {BlendKind::Copy, BlendKind::SourceAlpha}) {
      ASSERT_TRUE(renderer.CopyRectBlend(dest.view(), source.view(), {0, 0, 4, 4}, {0, 0, 4, 4},
                                         kind, 100, true, 0));
      EXPECT_EQ(renderer.Pipeline().Specialised(), row.specialised);
    }
  }
  // A picture drawn onto itself goes pixel by pixel, in order.
  Picture both(4, 4, 16, k565);
  ASSERT_TRUE(renderer.CopyRectBlend(both.view(), both.view(), {1, 0, 4, 4}, {0, 0, 3, 4},
                                     BlendKind::Copy, 255, false, 0));
  EXPECT_FALSE(renderer.Pipeline().Specialised());
}

// Between formats, copying decodes and encodes: the channel's bits go to
// the top of 8 bits and low bits are dropped on the way down.
TEST(CopyRectBlend, ConvertsBetweenFormats) {
  struct Row {
    int sourceBits;
    Masks sourceMasks;
    std::uint32_t source;
    int destBits;
    Masks destMasks;
    std::uint32_t expected;
  } rows[] = {
      {16, k565, 0xFFFF, 32, k888, 0xF8FCF8},
      {16, k565, 0x8410, 32, k888, 0x808080},
      {32, k888, 0xFF7F3F1F, 16, k565, 0x79E3},
      {16, k555, 0x7FFF, 16, k565, 0xFFDF},
      {24, k888, 0x123456, 32, k888, 0x123456},
  };
  for (const Row& row : rows) {
    Picture source(2, 2, row.sourceBits, row.sourceMasks), dest(2, 2, row.destBits, row.destMasks);
    source.fill(row.source);
    dest.fill(0);
    DXRenderer().CopyRectBlend(dest.view(), source.view(), {0, 0, 2, 2}, {0, 0, 2, 2},
                               BlendKind::Copy, 255, false, 0);
    EXPECT_EQ(dest.at(1, 1), row.expected) << std::hex << row.source;
  }
}

TEST(CopyRectBlend, IndexedDestinationCopiesWhateverTheAlpha) {
  Picture source = Picture::Indexed(5, 5, 8), dest = Picture::Indexed(5, 5, 8);
  std::mt19937 random(7);
  source.randomise(random);
  dest.fill(3);
  ASSERT_TRUE(DXRenderer().CopyRectBlend(dest.view(), source.view(), {0, 0, 5, 5}, {0, 0, 5, 5},
                                         BlendKind::SourceAlpha, 1, false, 0));
  EXPECT_EQ(dest.values(), source.values());
}

// Destination pixel (x, y) of each case must show source pixel
// (sx(x), sy(y)); pixels outside the drawn area keep the fill.
TEST(CopyRectBlend, StepsAndClipping) {
  struct Row {
    const char* what;
    int destWidth, destHeight;
    RECT destRect, srcRect;
    int (*sx)(int);
    int (*sy)(int);
  } rows[] = {
      {"1:1", 20, 20, {0, 0, 17, 17}, {0, 0, 17, 17}, [](int x) { return x; }, [](int y) { return y; }},
      {"17 to 34 steps 32768", 40, 40, {0, 0, 34, 34}, {0, 0, 17, 17},
       [](int x) { return x / 2; }, [](int y) { return y / 2; }},
      {"34 to 17 skips", 20, 20, {0, 0, 17, 17}, {0, 0, 34, 34},
       [](int x) { return 2 * x; }, [](int y) { return 2 * y; }},
      {"starting at x = -5", 20, 20, {-5, 2, 12, 19}, {0, 0, 17, 17},
       [](int x) { return x + 5; }, [](int y) { return y - 2; }},
      {"scaled, starting at x = -5 and y = -3", 40, 40, {-5, -3, 29, 31}, {0, 0, 17, 17},
       [](int x) { return (x + 5) / 2; }, [](int y) { return (y + 3) / 2; }},
      {"cut at the right and bottom", 10, 8, {3, 2, 20, 19}, {0, 0, 17, 17},
       [](int x) { return x - 3; }, [](int y) { return y - 2; }},
      {"offset source rectangle", 20, 20, {1, 1, 6, 4}, {20, 30, 25, 33},
       [](int x) { return x + 19; }, [](int y) { return y + 29; }},
  };
  for (auto paths : {PixelPipeline::Paths::Best, PixelPipeline::Paths::GenericOnly}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.what);
      Picture source(40, 40, 16, k565), dest(row.destWidth, row.destHeight, 16, k565);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) source.set(x, y, static_cast<std::uint32_t>(y * 40 + x + 1));
      dest.fill(0);
      ASSERT_TRUE(DXRenderer(paths).CopyRectBlend(dest.view(), source.view(), row.destRect,
                                                  row.srcRect, BlendKind::Copy, 255, false, 0));
      for (int y = 0; y < dest.height(); ++y)
        for (int x = 0; x < dest.width(); ++x) {
          bool inside = x >= row.destRect.left && x < row.destRect.right && y >= row.destRect.top &&
                        y < row.destRect.bottom;
          std::uint32_t expected =
              inside ? static_cast<std::uint32_t>(row.sy(y) * 40 + row.sx(x) + 1) : 0;
          ASSERT_EQ(dest.at(x, y), expected) << "at " << x << ", " << y;
        }
    }
  }
}

TEST(CopyRectBlend, InvalidInputDrawsNothing) {
  struct Row {
    const char* what;
    RECT destRect, srcRect;
  } rows[] = {
      {"source one pixel too wide", {0, 0, 17, 17}, {0, 0, 18, 17}},
      {"source one pixel too tall", {0, 0, 17, 17}, {0, 0, 17, 18}},
      {"source left below 0", {0, 0, 17, 17}, {-1, 0, 16, 17}},
      {"empty source", {0, 0, 17, 17}, {5, 5, 5, 9}},
      {"inverted source", {0, 0, 17, 17}, {9, 0, 5, 9}},
      {"empty destination", {4, 4, 4, 10}, {0, 0, 17, 17}},
      {"destination left of the surface", {-17, 0, 0, 17}, {0, 0, 17, 17}},
      {"destination below the surface", {0, 20, 17, 37}, {0, 0, 17, 17}},
      {"extreme offset", {INT_MIN, 0, INT_MIN + 20, 17}, {0, 0, 17, 17}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Picture source(17, 17, 32, k888), dest(20, 20, 32, k888);
    std::mt19937 random(1);
    source.randomise(random);
    dest.fill(0x55);
    EXPECT_FALSE(DXRenderer().CopyRectBlend(dest.view(), source.view(), row.destRect, row.srcRect,
                                            BlendKind::SourceAlpha, 100, false, 0));
    for (std::uint32_t value : dest.values()) ASSERT_EQ(value, 0x55u);
  }
}

TEST(CopyRectBlend, ColourKeyOnStoredValues) {
  struct Row {
    const char* what;
    int bits;
    Masks masks;
    std::uint32_t keyPixel, key;
    bool transparent, skipped;
  } rows[] = {
      {"keyed white", 16, k565, 0xFFFF, 0xFFFF, true, true},
      {"key ignored without transparency", 16, k565, 0xFFFF, 0xFFFF, false, false},
      {"32-bit: only the low 24 bits count", 32, k888, 0xAAFFFFFF, 0xFFFFFF, true, true},
      {"32-bit: a key with a top byte never matches", 32, k888, 0xAAFFFFFF, 0xAAFFFFFF, true, false},
      {"generic format", 16, k555, 0x7FFF, 0x7FFF, true, true},
  };
  for (auto paths : {PixelPipeline::Paths::Best, PixelPipeline::Paths::GenericOnly}) {
    for (BlendKind kind : {BlendKind::Copy, BlendKind::SourceAlpha}) {
      for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Picture source(4, 1, row.bits, row.masks), dest(4, 1, row.bits, row.masks);
        source.fill(0);
        source.set(1, 0, row.keyPixel);
        source.set(3, 0, row.keyPixel);
        dest.fill(0x1234);
        DXRenderer(paths).CopyRectBlend(dest.view(), source.view(), {0, 0, 4, 1}, {0, 0, 4, 1},
                                        kind, 255, row.transparent, row.key);
        EXPECT_EQ(dest.at(0, 0), 0u);
        EXPECT_EQ(dest.at(1, 0) == 0x1234, row.skipped);
        EXPECT_EQ(dest.at(3, 0) == 0x1234, row.skipped);
      }
    }
  }
}

// Every specialised loop against the generic routine on random pictures:
// both formats, both kinds, with and without the key, 1:1 and scaled, clipped
// on every side, several alphas.
TEST(CopyRectBlend, SpecialisedLoopsMatchTheGenericRoutine) {
  struct Format {
    int bits;
    Masks masks;
    std::uint32_t key;
  } formats[] = {{16, k565, 0xFFFF}, {32, k888, 0xFFFFFF}};
  const RECT destRects[] = {{0, 0, 17, 17},   {-5, 3, 12, 20},   {20, 15, 54, 49},
                            {-9, -7, 40, 25}, {30, 20, 31, 21},  {2, 1, 70, 12}};
  const RECT srcRects[] = {{0, 0, 17, 17}, {3, 2, 20, 9}, {0, 0, 33, 21}, {10, 10, 11, 11}};
  std::mt19937 random(2024);
  DXRenderer fast, plain(PixelPipeline::Paths::GenericOnly);
  for (const Format& format : formats) {
    for (BlendKind kind : {BlendKind::Copy, BlendKind::SourceAlpha}) {
      for (bool keyed : {false, true}) {
        for (const RECT& destRect : destRects) {
          for (const RECT& srcRect : srcRects) {
            Picture source(33, 21, format.bits, format.masks);
            source.randomise(random, format.key, 4);
            Picture a(37, 29, format.bits, format.masks), b(37, 29, format.bits, format.masks);
            a.randomise(random);
            for (int y = 0; y < 29; ++y)
              for (int x = 0; x < 37; ++x) b.set(x, y, a.at(x, y));
            int alpha = 1 + static_cast<int>(random() % 254);
            bool drewA = fast.CopyRectBlend(a.view(), source.view(), destRect, srcRect, kind, alpha,
                                            keyed, format.key);
            bool drewB = plain.CopyRectBlend(b.view(), source.view(), destRect, srcRect, kind,
                                             alpha, keyed, format.key);
            ASSERT_TRUE(drewA && drewB);
            ASSERT_TRUE(fast.Pipeline().Specialised());
            ASSERT_FALSE(plain.Pipeline().Specialised());
            ASSERT_EQ(a.values(), b.values())
                << format.bits << " bits, kind " << static_cast<int>(kind) << ", keyed " << keyed
                << ", alpha " << alpha << ", dest " << destRect.left << "," << destRect.top
                << ", src " << srcRect.left << "," << srcRect.top;
          }
        }
      }
    }
  }
}

// The blend rules over every pair of 5-6-5 channel values at a few weights:
// the loops' raw-field arithmetic must equal the 8-bit rules exactly.
TEST(CopyRectBlend, Every565ChannelPairAgrees) {
  Picture source(64, 64, 16, k565), a(64, 64, 16, k565), b(64, 64, 16, k565);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // Red and blue take x and y modulo 32, green x and y whole.
      source.set(x, y, static_cast<std::uint32_t>(((x & 31) << 11) | (x << 5) | (x & 31)));
      a.set(x, y, static_cast<std::uint32_t>(((y & 31) << 11) | (y << 5) | (y & 31)));
      b.set(x, y, a.at(x, y));
    }
  DXRenderer fast, plain(PixelPipeline::Paths::GenericOnly);
  for (int alpha : {1, 2, 77, 128, 200, 253, 254}) {
    fast.CopyRectBlend(a.view(), source.view(), {0, 0, 64, 64}, {0, 0, 64, 64},
                       BlendKind::SourceAlpha, alpha, false, 0);
    plain.CopyRectBlend(b.view(), source.view(), {0, 0, 64, 64}, {0, 0, 64, 64},
                        BlendKind::SourceAlpha, alpha, false, 0);
    ASSERT_EQ(a.values(), b.values()) << "alpha " << alpha;
  }
}

}  // namespace
}  // namespace corvane::test
