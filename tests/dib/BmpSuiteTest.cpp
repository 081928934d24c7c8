// The public BMP test suite through ReadBitmapFile: files the reader takes
// must give the pixels of their reference picture, every other file must be
// refused with the documented error, and none may crash or read out of bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/Png.h"
#include "IntroAssets.h"
#include "graphics/DIB.h"

namespace corvane::test {
namespace {

const std::filesystem::path kSuite = BMPSUITE_DIR;

enum class Outcome {
  Matches,  // reads, and equals the reference picture
  Reads,    // reads (what it shows is not defined by the file)
  Refused,  // raises the error below
};

struct SuiteFile {
  const char* file;
  Outcome outcome;
  const char* reference;  // picture in html/ (Matches), or why (Reads)
  const char* errorClass = "";
  const char* message = "";
  // Why the file is refused as a logo when not for the reason above.
  const char* asLogo = nullptr;
};

void PrintTo(const SuiteFile& f, std::ostream* os) { *os << f.file; }

constexpr const char* kInvalid = "DIB is invalid";
constexpr const char* kLayout = "PixelFormat in invalid";

std::vector<std::uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The DIB drawn into a 24-bit bitmap, as the drawing functions show it.
TBitmap Rendered(TDIB& dib) {
  TBitmap bitmap;
  bitmap.SetSize(dib.Width(), dib.Height());
  dib.StretchToCanvas(bitmap.Canvas(), {0, 0, dib.Width(), dib.Height()});
  return bitmap;
}

class BmpSuite : public ::testing::TestWithParam<SuiteFile> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kSuite)) GTEST_SKIP() << "no test suite at " << kSuite;
    InitializeDIBUnit();
  }
};

TEST_P(BmpSuite, ReadsOrRefusesAsDocumented) {
  const SuiteFile& c = GetParam();
  std::vector<std::uint8_t> bytes = Bytes(kSuite / c.file);
  ASSERT_FALSE(bytes.empty());
  TCustomMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  TDIB dib;
  try {
    dib.ReadBitmapFile(stream);
  } catch (const Exception& e) {
    ASSERT_EQ(c.outcome, Outcome::Refused) << e.ClassName() << ": " << e.Message();
    EXPECT_STREQ(e.ClassName(), c.errorClass);
    EXPECT_EQ(e.Message(), c.message);
    EXPECT_TRUE(dib.Empty()) << "a failed read keeps the old (empty) image";
    return;
  }
  ASSERT_NE(c.outcome, Outcome::Refused) << "read, but should be refused";
  ASSERT_FALSE(dib.Empty());
  TBitmap shown = Rendered(dib);  // also walks every pixel of the decoded image
  if (c.outcome != Outcome::Matches) return;
  RgbaImage reference;
  ASSERT_TRUE(ReadPng((kSuite / "html" / c.reference).string(), reference)) << c.reference;
  ASSERT_EQ(dib.Width(), reference.width);
  ASSERT_EQ(dib.Height(), reference.height);
  int wrong = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x)
      if (shown.Pixel(x, y) != reference.rgb(x, y) && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << shown.Pixel(x, y)
                      << " not " << reference.rgb(x, y);
  EXPECT_EQ(wrong, 0);
}

// The same files named as the intro's logo and glyph sheet: every file the
// reader takes is a logo that shows the same pixels, and a glyph sheet only
// when it has room for the tiles (none of these has); every other file is
// refused with the reader's message.
TEST_P(BmpSuite, AsLogoOrGlyphSheet) {
  const SuiteFile& c = GetParam();
  const std::vector<std::uint8_t> bytes = Bytes(kSuite / c.file);
  const std::string logo = CheckAsset(AssetKind::Logo, c.file, bytes);
  const std::string font = CheckAsset(AssetKind::Font, c.file, bytes);
  if (c.outcome == Outcome::Refused) {
    const std::string why = c.asLogo ? c.asLogo : std::string("the picture cannot be read (") + c.message + ")";
    EXPECT_EQ(logo, std::string(c.file) + ": " + why);
    EXPECT_EQ(font, logo);
    return;
  }
  EXPECT_EQ(logo, "");
  TDIB read, asLogo;
  TCustomMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  read.ReadBitmapFile(stream);
  ReadPicture(AssetKind::Logo, bytes, asLogo);
  ASSERT_EQ(asLogo.Width(), read.Width());
  ASSERT_EQ(asLogo.Height(), read.Height());
  const TBitmap want = Rendered(read), got = Rendered(asLogo);
  int wrong = 0;
  for (int y = 0; y < read.Height(); ++y)
    for (int x = 0; x < read.Width(); ++x) wrong += got.Pixel(x, y) != want.Pixel(x, y);
  EXPECT_EQ(wrong, 0);
  ASSERT_TRUE(read.Width() < MinFontWidth || read.Height() < MinFontHeight);
  EXPECT_EQ(font, std::string(c.file) + ": a glyph sheet needs at least 255 x 51 pixels (15 x 3 tiles of 17 x 17 "
                                       "from the top-left corner), this one is " +
                      std::to_string(read.Width()) + " x " + std::to_string(read.Height()));
}

INSTANTIATE_TEST_SUITE_P(
    Suite, BmpSuite,
    ::testing::Values(
        // Good files.
        SuiteFile{"g/pal1.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"g/pal1bg.bmp", Outcome::Matches, "pal1bg.png"},
        SuiteFile{"g/pal1wb.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"g/pal4.bmp", Outcome::Matches, "pal4.png"},
        SuiteFile{"g/pal4gs.bmp", Outcome::Matches, "pal4gs.png"},
        SuiteFile{"g/pal4rle.bmp", Outcome::Matches, "pal4.png"},
        SuiteFile{"g/pal8-0.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"g/pal8.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"g/pal8gs.bmp", Outcome::Matches, "pal8gs.png"},
        SuiteFile{"g/pal8nonsquare.bmp", Outcome::Matches, "pal8nonsquare-e.png"},
        SuiteFile{"g/pal8os2.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"g/pal8rle.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"g/pal8topdown.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"g/pal8w124.bmp", Outcome::Matches, "pal8w124.png"},
        SuiteFile{"g/pal8w125.bmp", Outcome::Matches, "pal8w125.png"},
        SuiteFile{"g/pal8w126.bmp", Outcome::Matches, "pal8w126.png"},
        SuiteFile{"g/rgb16-565.bmp", Outcome::Matches, "rgb16-565.png"},
        SuiteFile{"g/rgb16-565pal.bmp", Outcome::Matches, "rgb16-565.png"},
        SuiteFile{"g/rgb16.bmp", Outcome::Matches, "rgb16.png"},
        SuiteFile{"g/rgb16bfdef.bmp", Outcome::Matches, "rgb16.png"},
        SuiteFile{"g/rgb24.bmp", Outcome::Matches, "rgb24.png"},
        SuiteFile{"g/rgb24pal.bmp", Outcome::Matches, "rgb24.png"},
        SuiteFile{"g/rgb32.bmp", Outcome::Matches, "rgb24.png"},
        // Masks are taken by their widths only: red, green and blue sit packed
        // from the top down, so these masks read as 8-8-8 in other places.
        SuiteFile{"g/rgb32bf.bmp", Outcome::Reads, "masks at other places"},
        SuiteFile{"g/rgb32bfdef.bmp", Outcome::Matches, "rgb24.png"},
        // Larger headers than the two this reader knows.
        SuiteFile{"g/pal8v4.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"g/pal8v5.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        // Questionable files.
        SuiteFile{"q/pal1huffmsb.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/pal1p1.bmp", Outcome::Matches, "pal1p1.png"},
        SuiteFile{"q/pal2.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", "Bitcount in invalid (2)"},
        SuiteFile{"q/pal2color.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", "Bitcount in invalid (2)"},
        // Pixels the run-length data skips stay at index 0.
        SuiteFile{"q/pal4rlecut.bmp", Outcome::Matches, "pal4rlecut-0.png"},
        SuiteFile{"q/pal4rletrns.bmp", Outcome::Matches, "pal4rletrns-0.png"},
        SuiteFile{"q/pal8rlecut.bmp", Outcome::Matches, "pal8rlecut-0.png"},
        SuiteFile{"q/pal8rletrns.bmp", Outcome::Matches, "pal8rletrns-0.png"},
        // The pixel offset of the file header is not used: pixels follow the colours.
        SuiteFile{"q/pal8offs.bmp", Outcome::Reads, "pixel offset ignored"},
        SuiteFile{"q/pal8os2-hs.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"q/pal8os2-sz.bmp", Outcome::Matches, "pal8.png"},
        // A core header always has 2^n colours: a shorter table runs into the pixels.
        SuiteFile{"q/pal8os2sp.bmp", Outcome::Refused, "", "EReadError", "Stream-Read-Fehler"},
        SuiteFile{"q/pal8os2v2-16.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/pal8os2v2-40sz.bmp", Outcome::Matches, "pal8.png"},
        SuiteFile{"q/pal8os2v2-sz.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/pal8os2v2.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        // Colours beyond 256 are not read: the rest of the table is taken as pixels.
        SuiteFile{"q/pal8oversizepal.bmp", Outcome::Reads, "300 colours, 256 taken"},
        SuiteFile{"q/rgb16-231.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", kLayout},
        SuiteFile{"q/rgb16-3103.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", kLayout},
        // The spare top bit is no transparency for this reader.
        SuiteFile{"q/rgb16faketrns.bmp", Outcome::Reads, "top bit not alpha"},
        SuiteFile{"q/rgb24jpeg.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgb24largepal.bmp", Outcome::Reads, "300 colours, 256 taken"},
        SuiteFile{"q/rgb24png.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgb24rle24.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgb32-111110.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", kLayout},
        SuiteFile{"q/rgb32-7187.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", kLayout},
        SuiteFile{"q/rgb32-xbgr.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgb32fakealpha.bmp", Outcome::Matches, "rgb24.png"},
        SuiteFile{"q/rgb32h52.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba16-1924.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba16-4444.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba16-5551.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32-1.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32-1010102.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32-2.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32-61754.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32-81284.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32abf.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba32h56.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"q/rgba64.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", "Bitcount in invalid (64)"},
        // Bad files.
        SuiteFile{"b/badbitcount.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", "Bitcount in invalid (30000)"},
        // Fields the reader does not use.
        SuiteFile{"b/badbitssize.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"b/baddens1.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"b/baddens2.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"b/badfilesize.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"b/badplanes.bmp", Outcome::Matches, "pal1.png"},
        SuiteFile{"b/badheadersize.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"b/badpalettesize.bmp", Outcome::Refused, "", "EReadError", "Stream-Read-Fehler"},
        // Run-length data that leaves the image is clipped.
        SuiteFile{"b/badrle.bmp", Outcome::Reads, "runs clipped"},
        SuiteFile{"b/badrle4.bmp", Outcome::Reads, "runs clipped"},
        SuiteFile{"b/badrle4bis.bmp", Outcome::Reads, "runs clipped"},
        SuiteFile{"b/badrle4ter.bmp", Outcome::Reads, "runs clipped"},
        SuiteFile{"b/badrlebis.bmp", Outcome::Reads, "runs clipped"},
        SuiteFile{"b/badrleter.bmp", Outcome::Reads, "runs clipped"},
        // A width of 0 or less describes no image.
        SuiteFile{"b/badwidth.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        // Indexes past the colours used show the table's zero entries.
        SuiteFile{"b/pal8badindex.bmp", Outcome::Reads, "indexes past the colours"},
        // As a logo, its size is refused before anything is allocated.
        SuiteFile{"b/reallybig.bmp", Outcome::Refused, "", "EOutOfMemory", "Zu wenig Arbeitsspeicher",
                  "a picture may be at most 4096 pixels on a side, this one is 3000000 x 2000000"},
        SuiteFile{"b/rgb16-880.bmp", Outcome::Refused, "", "EInvalidGraphicOperation", kLayout},
        // Run-length data is only defined bottom-up.
        SuiteFile{"b/rletopdown.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid},
        SuiteFile{"b/shortfile.bmp", Outcome::Refused, "", "EReadError", "Stream-Read-Fehler"},
        // Not a bitmap file at all.
        SuiteFile{"x/ba-bm.bmp", Outcome::Refused, "", "EInvalidGraphic", kInvalid, "not a BMP or PNG picture"}),
    [](const auto& info) {
      std::string name = info.param.file;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
}  // namespace corvane::test
