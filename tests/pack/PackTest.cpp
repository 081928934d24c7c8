// A packed intro, written by corvane-pack's writer and read the way the
// intro reads itself at start: which assets it takes, and what the writer
// refuses to do; and the web site it writes, the pack beside the page.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PackWriter.h"
#include "PackedAssets.h"
#include "PackedIntro.h"

namespace corvane::pack {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

Bytes Of(const std::string& text) { return {text.begin(), text.end()}; }

// A 24-bit bitmap file, all white: the smallest sheet a font may be.
Bytes WhiteBitmap(std::int32_t width, std::int32_t height) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t size = 54 + stride * static_cast<std::uint32_t>(height);
  Bytes file(size, 0xFF);
  auto put = [&](std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  file[0] = 'B', file[1] = 'M';
  put(2, size, 4), put(6, 0, 4), put(10, 54, 4), put(14, 40, 4), put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4), put(26, 1, 2), put(28, 24, 2), put(30, 0, 4);
  put(34, stride * static_cast<std::uint32_t>(height), 4), put(38, 2835, 4), put(42, 2835, 4), put(46, 0, 8);
  return file;
}

const Bytes kProgram = Of("\x7f" "ELF stands in for the intro's code");
const Bytes kText = Of("CVNTYPER\r\n1\r\n\"  packed text    \"\r\n");
const Bytes kOptionText = Of("CVNTYPER\r\n2\r\n");
const Bytes kFont = WhiteBitmap(MinFontWidth, MinFontHeight);

class PackedIntro : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("corvane-pack-test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string file(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  static Bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::string packed(const std::string& name, const std::vector<PackedAsset>& assets) {
    Bytes bytes = kProgram;
    const Bytes pack = BuildPack(assets);
    bytes.insert(bytes.end(), pack.begin(), pack.end());
    return file(name, bytes);
  }
  // A stand-in for the page scripts/build-web.sh builds.
  std::string site() {
    fs::create_directories(dir_ / "site");
    for (const char* name : {"index.html", "corvane.js", "corvane.wasm"}) file("site/" + std::string(name), Of(name));
    return (dir_ / "site").string();
  }
  std::vector<std::string> names(const fs::path& in = {}) const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_ / in)) found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }

  fs::path dir_;
};

// The assets a program takes from its own pack: options win kind by kind; a
// pack is used whole or, damaged or with an asset its reader refuses, not
// at all and with a message.
TEST_F(PackedIntro, TakesItsPackUnderTheOptions) {
  Bytes damaged = read(packed("flipped", {{AssetKind::Text, kText}}));
  damaged[kProgram.size() + 3] ^= 0x10;
  struct Case {
    const char* what;
    std::string program;
    bool textOption;
    Bytes text, font;  // what is taken; empty: none
    std::string message;
  };
  const Case cases[] = {
      {"no pack", file("plain", kProgram), false, {}, {}, ""},
      {"text and font", packed("both", {{AssetKind::Text, kText}, {AssetKind::Font, kFont}}), false, kText, kFont, ""},
      {"--text over the packed text", packed("both2", {{AssetKind::Text, kText}, {AssetKind::Font, kFont}}), true,
       kOptionText, kFont, ""},
      {"a flipped bit", file("flipped", damaged), false, {}, {}, "the packed assets are damaged (a checksum"},
      {"a music that is none", packed("nomusic", {{AssetKind::Text, kText}, {AssetKind::Music, Of("no module")}}),
       false, {}, {}, " (packed music): not a music module"},
  };
  for (const Case& c : cases) {
    IntroAssets assets;
    if (c.textOption) assets.text = IntroAsset{kOptionText, "option.txt"};
    const std::string message = AddPackedAssets(assets, c.program);
    if (c.message.empty()) {
      EXPECT_EQ(message, "") << c.what;
    } else {
      EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
      EXPECT_NE(message.find("; the intro's own assets are used"), std::string::npos) << c.what << ": " << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << c.what;
    }
    EXPECT_EQ(assets.text ? assets.text->bytes : Bytes(), c.text) << c.what;
    EXPECT_EQ(assets.font ? assets.font->bytes : Bytes(), c.font) << c.what;
    EXPECT_FALSE(assets.music || assets.logo) << c.what;
  }
}

TEST_F(PackedIntro, IsWrittenWholeAndPackingAgainReplacesItsAssets) {
  const std::string intro = file("corvane", kProgram);
  IntroAssets both;
  both.text = IntroAsset{kText, file("text.txt", kText)};
  both.font = IntroAsset{kFont, file("font.bmp", kFont)};
  const std::string first = (dir_ / "first").string();
  WritePackedIntro(intro, both, first);
  struct stat info {};
  ASSERT_EQ(::stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
  PackContents contents = ReadPackFile(first);
  EXPECT_EQ(contents.state, PackContents::State::Assets);
  EXPECT_EQ(contents.programSize, kProgram.size());
  EXPECT_EQ(contents.assets, (std::vector<PackedAsset>{{AssetKind::Text, kText}, {AssetKind::Font, kFont}}));

  // From the packed intro, with the font alone, over an older file.
  IntroAssets font;
  font.font = both.font;
  const std::string second = file("second", Of("an older file"));
  WritePackedIntro(first, font, second);
  contents = ReadPackFile(second);
  EXPECT_EQ(contents.programSize, kProgram.size()) << "the old pack is stacked";
  EXPECT_EQ(contents.assets, (std::vector<PackedAsset>{{AssetKind::Font, kFont}}));

  // The web site: the page's files and the pack beside them; written again,
  // the pack is replaced and a file the user put there is left alone.
  const std::string page = site();
  const fs::path web = dir_ / "web";
  WriteWebSite(page, both, web.string());
  EXPECT_EQ(ReadPackFile((web / kWebPackName).string()).assets,
            (std::vector<PackedAsset>{{AssetKind::Text, kText}, {AssetKind::Font, kFont}}));
  ASSERT_EQ(::stat((web / "index.html").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  file("web/notes.txt", kText);
  WriteWebSite(page, font, web.string());
  contents = ReadPackFile((web / kWebPackName).string());
  EXPECT_EQ(contents.programSize, 0u);
  EXPECT_EQ(contents.assets, (std::vector<PackedAsset>{{AssetKind::Font, kFont}}));
  EXPECT_EQ(read((web / "corvane.wasm").string()), Of("corvane.wasm"));
  EXPECT_EQ(names("web"),
            (std::vector<std::string>{"corvane.js", "corvane.pack", "corvane.wasm", "index.html", "notes.txt"}));
  EXPECT_EQ(names(), (std::vector<std::string>{"corvane", "first", "font.bmp", "second", "site", "text.txt", "web"}));
}

TEST_F(PackedIntro, WriterRefusesWhatWouldHarmItsInputs) {
  const std::string intro = file("corvane", kProgram);
  Bytes flipped = read(packed("damaged", {{AssetKind::Text, kText}}));
  flipped[kProgram.size()] ^= 1;
  file("damaged", flipped);
  const std::string notProgram = file("script", Of("#!/bin/sh\n"));
  IntroAssets assets;
  assets.text = IntroAsset{kText, file("text.txt", kText)};
  fs::create_directory(dir_ / "folder");
  const std::string page = site();
  file("site/notes.txt", kText);
  struct Case {
    const char* what;
    std::string intro, out, message;  // --web: the site and the directory
    bool web = false;
  };
  const Case cases[] = {
      {"over the intro", intro, intro, intro + ": is the intro it is made from; --out must name another file"},
      {"over the intro by another name", intro, (dir_ / "." / "corvane").string(), ": is the intro it is made from"},
      {"over an asset", intro, assets.text->name, ": is the text file"},
      {"over a directory", intro, (dir_ / "folder").string(), ": is a directory"},
      {"from no program", notProgram, (dir_ / "out").string(), "script: not an intro program"},
      {"from a damaged pack", (dir_ / "damaged").string(), (dir_ / "out").string(),
       "damaged: its packed assets are damaged (a checksum that does not match)"},
      {"from nothing", (dir_ / "missing").string(), (dir_ / "out").string(), "missing: cannot read the intro"},
      {"into no directory", intro, (dir_ / "missing" / "out").string(), ": cannot write in "},
      {"a site into a file", page, intro, intro + ": is not a directory", true},
      {"a site into a directory of the user's", page, page,
       page + ": is not empty and holds no site written by corvane-pack", true},
      {"a site from a folder without the page", (dir_ / "folder").string(), (dir_ / "out").string(),
       "folder: no web site of the intro there (index.html is missing); build it with scripts/build-web.sh", true},
      {"a site from nothing", (dir_ / "missing").string(), (dir_ / "out").string(), "missing: no web site", true},
      {"a site into no directory", page, (dir_ / "missing" / "out").string(), ": cannot make the directory", true},
  };
  const std::vector<std::string> before = names();
  for (const Case& c : cases) {
    try {
      if (c.web) WriteWebSite(c.intro, assets, c.out);
      else WritePackedIntro(c.intro, assets, c.out);
      ADD_FAILURE() << c.what << ": written";
    } catch (const PackError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.what << ": " << error.what();
    }
    EXPECT_EQ(names(), before) << c.what << ": a file was left or removed";
    EXPECT_EQ(names("site"), (std::vector<std::string>{"corvane.js", "corvane.wasm", "index.html", "notes.txt"}))
        << c.what;
  }
  EXPECT_EQ(read(intro), kProgram);
  EXPECT_EQ(read(assets.text->name), kText);
}

}  // namespace
}  // namespace corvane::pack
