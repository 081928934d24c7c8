// The user's own assets: a page text, a music module, a logo and a glyph
// sheet that the intro shows and plays in place of its own.
//
//   ReadAsset(kind, path)        reads a named file and checks it: the asset,
//                                or one line saying which file and why not.
//   CheckAsset(kind, name, ...)  the same check for bytes already in memory
//                                (assets carried inside a packed intro).
//   InstallAssets(assets)        hands checked assets to the intro; called
//                                before its main window is created, so that
//                                its start uses them instead of its own.
//   InstalledAssets()            what is installed now.
//   MusicModuleData(),           what the intro's start takes from them: the
//   UseInstalledPictures(...)    module payload, the logo and glyph sheet.
//
// Every asset goes through the reader the intro uses for its own: the text
// through the page text loader, the music through the player's module
// renderer, logo and glyph sheet through the DIB reader (BMP) or libpng
// (PNG). A kind that is not given keeps the intro's own: corvane.dll from
// the working directory, the built-in logo, glyph sheet and module.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TDIB;
class TPicture;

enum class AssetKind { Text, Music, Logo, Font };
inline constexpr std::array<AssetKind, 4> AllAssetKinds{AssetKind::Text, AssetKind::Music, AssetKind::Logo,
                                                       AssetKind::Font};

// "text", "music", "logo", "font": the option is "--" and this name.
std::string_view AssetKindName(AssetKind kind);

// No asset file may be larger than this.
inline constexpr std::uint64_t MaxAssetBytes = std::uint64_t{64} << 20;
// A logo may be at most this many pixels wide and high.
inline constexpr std::int32_t MaxLogoSide = 4096;
// The glyph sheet needs room for 15 x 3 tiles of 17 x 17 pixels.
inline constexpr std::int32_t MinFontWidth = 15 * 17;
inline constexpr std::int32_t MinFontHeight = 3 * 17;

struct IntroAsset {
  std::vector<std::uint8_t> bytes;  // the file, whole
  std::string name;                 // where it came from, for messages
};

struct IntroAssets {
  std::optional<IntroAsset> text, music, logo, font;

  std::optional<IntroAsset>& operator[](AssetKind kind);
  const std::optional<IntroAsset>& operator[](AssetKind kind) const;
};

// An asset that passed its check, or the line that says why it did not
// ("NAME: reason"), ready for stderr after the program's name.
struct AssetResult {
  std::optional<IntroAsset> asset;
  std::string message;
  explicit operator bool() const { return asset.has_value(); }
};

// Reads the file at `path` and checks it as `kind`. Refused: a name that is
// no regular file (a FIFO or device is never opened for reading), a file
// that cannot be read, an empty one, one over MaxAssetBytes, and one its
// reader does not take.
AssetResult ReadAsset(AssetKind kind, const std::string& path);

// Checks bytes already in memory as `kind`; `name` is used in the message.
// Empty when they are fine, else the message.
std::string CheckAsset(AssetKind kind, const std::string& name, std::span<const std::uint8_t> bytes);

// Hands the assets to the intro for its next start (replacing any installed
// before); they must have passed their checks.
void InstallAssets(IntroAssets assets);
const IntroAssets& InstalledAssets();

// The module the intro writes as its music payload: the installed one, or
// its own.
std::span<const unsigned char> MusicModuleData();

// The start-up's step for the pictures: the installed logo becomes the
// logo picture's graphic, the installed glyph sheet the sheet that is cut
// into letters; a kind not installed keeps the intro's own.
void UseInstalledPictures(TPicture& logo, TDIB& glyphSheet);

// A logo or glyph sheet as a DIB, read by the same reader the check uses.
// Raises the reader's error for bytes that did not pass CheckAsset.
void ReadPicture(AssetKind kind, std::span<const std::uint8_t> bytes, TDIB& dib);

}  // namespace corvane
