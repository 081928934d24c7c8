// Assets packed behind the intro's executable: what a packed file gives back,
// and what a packed file that was cut short, added to or changed gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PackedAssets.h"

namespace corvane::pack {
namespace {

using Bytes = std::vector<unsigned char>;
using State = PackContents::State;

Bytes Of(const std::string& text) { return {text.begin(), text.end()}; }

// A stand-in for the executable, and the file with the assets behind it.
const Bytes kProgram = Of("\x7f" "ELF and the intro's code");
const std::vector<PackedAsset> kAssets = {
    {AssetKind::Music, Of("M.K. a module")},
    {AssetKind::Text, Of("CVNTYPER\r\n1\r\n")},
    {AssetKind::Font, {}},  // empty assets are kept as they are
    {AssetKind::Logo, Of("BM a logo")},
};

Bytes Packed(const Bytes& program, const std::vector<PackedAsset>& assets) {
  Bytes file = program;
  const Bytes pack = BuildPack(assets);
  file.insert(file.end(), pack.begin(), pack.end());
  return file;
}

TEST(PackedAssets, GiveBackWhatWasPackedAndWhereTheProgramEnds) {
  const std::vector<std::vector<PackedAsset>> cases = {
      kAssets,
      {kAssets[1]},
      {},  // a pack without assets: the intro's own
  };
  for (const auto& assets : cases) {
    const PackContents contents = ReadPack(Packed(kProgram, assets));
    EXPECT_EQ(contents.state, State::Assets) << contents.problem;
    EXPECT_EQ(contents.assets, assets);
    EXPECT_EQ(contents.programSize, kProgram.size());
  }
  const PackContents plain = ReadPack(kProgram);
  EXPECT_EQ(plain.state, State::None);
  EXPECT_EQ(plain.programSize, kProgram.size());
}

TEST(PackedAssets, Crc32IsTheZipChecksum) {
  EXPECT_EQ(Crc32(Of("123456789")), 0xCBF43926u);
  EXPECT_EQ(Crc32(Of("6789"), Crc32(Of("12345"))), 0xCBF43926u) << "continued over two parts";
  EXPECT_EQ(Crc32({}), 0u);
}

// Every change to a packed file either leaves its assets as packed or gives
// none: a file cut short or grown loses its footer and is the intro alone;
// any changed bit of the pack is found.
TEST(PackedAssets, ChangedFilesGiveTheirAssetsOrNone) {
  const Bytes file = Packed(kProgram, kAssets);
  const std::size_t packStart = kProgram.size();
  struct Change {
    const char* what;
    Bytes file;
    State state;
  };
  std::vector<Change> changes = {
      {"cut by one byte", Bytes(file.begin(), file.end() - 1), State::None},
      {"cut into the directory", Bytes(file.begin(), file.end() - kFooterSize - 3), State::None},
      {"cut to the program", kProgram, State::None},
      {"shorter than a footer", Bytes(file.begin(), file.begin() + kFooterSize - 1), State::None},
      {"grown by a byte", file, State::None},
      {"grown by a footer's size", file, State::None},
      {"the program changed", file, State::Assets},
      {"the pack alone", Bytes(file.begin() + static_cast<std::ptrdiff_t>(packStart), file.end()), State::Assets},
  };
  changes[4].file.push_back(0);
  changes[5].file.insert(changes[5].file.end(), kFooterSize, 0);
  changes[6].file[1] ^= 0x20;
  for (const Change& change : changes) {
    const PackContents contents = ReadPack(change.file);
    EXPECT_EQ(contents.state, change.state) << change.what << ": " << contents.problem;
    if (contents.state == State::Assets) {
      EXPECT_EQ(contents.assets, kAssets) << change.what;
    }
  }
  for (std::size_t at = packStart; at < file.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes flipped = file;
      flipped[at] ^= static_cast<unsigned char>(1 << bit);
      const PackContents contents = ReadPack(flipped);
      ASSERT_NE(contents.state, State::Assets) << "bit " << bit << " of byte " << at - packStart;
      EXPECT_EQ(contents.programSize, file.size());
      if (contents.state == State::Damaged) {
        EXPECT_FALSE(contents.problem.empty());
      }
    }
  }
}

// Packs that carry a good checksum but are wrong inside, as a careless
// writer could make them.
TEST(PackedAssets, WellSummedButWrongPacksAreDamaged) {
  auto rewrite = [](Bytes pack, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) pack[at + i] = static_cast<unsigned char>(value >> (8 * i));
    const std::size_t footer = pack.size() - kFooterSize;
    const std::uint32_t crc = Crc32(std::span(pack).first(footer + 16));
    for (int i = 0; i < 4; ++i) pack[footer + 16 + i] = static_cast<unsigned char>(crc >> (8 * i));
    return pack;
  };
  const std::vector<PackedAsset> two = {kAssets[0], kAssets[1]};
  const Bytes pack = BuildPack(two);
  const std::size_t dir = pack.size() - kFooterSize - 2 * kEntrySize, footer = pack.size() - kFooterSize;
  struct Case {
    const char* what;
    Bytes pack;
    const char* problem;
  };
  const Case cases[] = {
      {"another version", rewrite(pack, footer, 2, 4), "made by another version (2)"},
      {"five assets", rewrite(pack, footer + 4, 5, 4), "5 assets"},
      {"a pack larger than the file", rewrite(pack, footer + 8, kProgram.size() + pack.size() + 1, 8),
       "sizes that do not fit the file"},
      {"a pack size below its directory", rewrite(pack, footer + 8, kFooterSize + 2 * kEntrySize - 1, 8),
       "sizes that do not fit the file"},
      {"a kind of 0", rewrite(pack, dir, 0, 4), "an asset of unknown or repeated kind"},
      {"a kind of 5", rewrite(pack, dir, 5, 4), "an asset of unknown or repeated kind"},
      {"the same kind twice", rewrite(pack, dir + kEntrySize, 2, 4), "an asset of unknown or repeated kind"},
      {"an entry's reserved word", rewrite(pack, dir + 4, 1, 4), "a directory entry with stray bits"},
      {"an asset past the directory", rewrite(pack, dir + 16, 1000, 8), "assets out of place"},
      {"an asset over a whole asset's limit", rewrite(pack, dir + 16, MaxAssetBytes + 1, 8), "assets out of place"},
      {"the second asset overlapping the first", rewrite(pack, dir + kEntrySize + 8, 1, 8), "assets out of place"},
      {"a gap before the directory", rewrite(pack, dir + kEntrySize + 16, 1, 8),
       "bytes between the assets and the directory"},
  };
  for (const Case& c : cases) {
    Bytes file = kProgram;
    file.insert(file.end(), c.pack.begin(), c.pack.end());
    const PackContents contents = ReadPack(file);
    EXPECT_EQ(contents.state, State::Damaged) << c.what;
    EXPECT_EQ(contents.problem, c.problem) << c.what;
    EXPECT_TRUE(contents.assets.empty()) << c.what;
  }
}

}  // namespace
}  // namespace corvane::pack
