// corvane-artblocks GLYPHS OUTDIR
// Writes the two stored image blocks of the form resource through TDIB:
//   OUTDIR/dxFont.DIB.Data        the glyph sheet's image data (7784 bytes)
//   OUTDIR/cvnLogo.Picture.Data   the logo's picture data, "TDIB" first (39469 bytes)
// Each file is written under a temporary name and renamed, so a failed run
// leaves no half-written block behind.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "ArtBlocks.h"
#include "SourceFile.h"

namespace {

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: corvane-artblocks GLYPHS OUTDIR\n";
    return 2;
  }
  try {
    std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out);
    WriteFile(out / "dxFont.DIB.Data", corvane::art::GlyphSheetBlock(corvane::art::ReadSourceFile(argv[1])));
    WriteFile(out / "cvnLogo.Picture.Data", corvane::art::LogoPictureBlock());
  } catch (const std::exception& e) {
    std::cerr << "corvane-artblocks: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
