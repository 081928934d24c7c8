// Inputs the fuzzers found, kept so that what they broke stays fixed.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/DIB.h"

namespace corvane::test {
namespace {

// fuzz_picture_data: picture data for a 4 x 2 run-length image (8 bits) whose
// header gives 0 encoded bytes. It read as an image that was empty (size 0)
// yet 4 x 2, and wrote back as nothing, so reading the written data gave 0 x 0.
const std::vector<std::uint8_t> kEmptyRunLengthPicture = {
    0x04, 0x54, 0x44, 0x49, 0x42, 0x28, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01,
    0x00, 0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x0b, 0x00, 0x00, 0x13, 0x0b, 0x00,
    0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x55, 0x00, 0xaa, 0xaa, 0xaa, 0x00, 0xff,
    0xff, 0xbf, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00,
    0x01};

// A 4 x 2 run-length image with a grey ramp and `encoded` as its data.
std::vector<std::uint8_t> RunLengthImage(std::uint16_t bits, std::vector<std::uint8_t> encoded) {
  std::vector<std::uint8_t> b;
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  const std::uint32_t colours = 1u << bits;
  u32(40), u32(4), u32(2), b.push_back(1), b.push_back(0), b.push_back(static_cast<std::uint8_t>(bits)), b.push_back(0);
  u32(bits == 8 ? 1 : 2), u32(static_cast<std::uint32_t>(encoded.size())), u32(0), u32(0), u32(colours), u32(0);
  for (std::uint32_t i = 0; i < colours; ++i) u32(i * 0x010101u);
  b.insert(b.end(), encoded.begin(), encoded.end());
  return b;
}

TEST(FuzzFindings, PictureWithEmptyRunLengthDataIsRefused) {
  InitializeDIBUnit();
  TCustomMemoryStream in(kEmptyRunLengthPicture.data(), static_cast<std::int64_t>(kEmptyRunLengthPicture.size()));
  TPicture picture;
  EXPECT_THROW(picture.ReadData(in), EInvalidGraphic);
}

struct RunLengthCase {
  const char* name;
  std::uint16_t bits;
  std::vector<std::uint8_t> encoded;
  bool valid;
};

TEST(FuzzFindings, RunLengthImagesKeepTheirSizeThroughWriteAndRead) {
  const RunLengthCase cases[] = {
      {"RLE8 without data", 8, {}, false},
      {"RLE4 without data", 4, {}, false},
      {"RLE8 end mark only", 8, {0x00, 0x01}, true},
      {"RLE4 end mark only", 4, {0x00, 0x01}, true},
      {"RLE8 one run", 8, {0x04, 0x07, 0x00, 0x01}, true},
  };
  for (const RunLengthCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto bytes = RunLengthImage(c.bits, c.encoded);
    TCustomMemoryStream in(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    TDIB dib;
    if (!c.valid) {
      EXPECT_THROW(dib.ReadImageData(in), EInvalidGraphic);
      EXPECT_TRUE(dib.Empty());
      continue;
    }
    dib.ReadImageData(in);
    ASSERT_FALSE(dib.Empty());
    TMemoryStream out;
    dib.WriteImageData(out);
    TCustomMemoryStream back(out.Bytes().data(), static_cast<std::int64_t>(out.Bytes().size()));
    TDIB again;
    again.ReadImageData(back);
    EXPECT_EQ(again.Width(), 4);
    EXPECT_EQ(again.Height(), 2);
    EXPECT_EQ(again.Size(), static_cast<std::int32_t>(c.encoded.size()));
  }
}

}  // namespace
}  // namespace corvane::test
