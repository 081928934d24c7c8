#include "IntroAssets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "MainUnit.h"
#include "ModuleRenderer.h"
#include "PageText.h"
#include "PngPicture.h"
#include "Tallberg_Functions.h"
#include "framework/Streams.h"
#include "graphics/DIB.h"

namespace corvane {

namespace {

IntroAssets installed;

std::string Size(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// Closes a descriptor when the read is over, however it ends.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The whole of a regular file of at most MaxAssetBytes, or why not. The
// name is looked at before it is opened, so that a FIFO or a device is
// never opened; what is opened is looked at again, in case the name was
// changed in between.
std::string ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (file.fd < 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
  if (::fstat(file.fd, &info) != 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  if (static_cast<std::uint64_t>(info.st_size) > MaxAssetBytes) return "larger than 64 MiB";
  bytes.clear();
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::string("cannot be read (") + std::strerror(errno) + ")";
    if (got == 0) return {};
    // The file may grow while it is read: the limit holds for what is read.
    if (bytes.size() + static_cast<std::size_t>(got) > MaxAssetBytes) return "larger than 64 MiB";
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
}

std::string CheckMusic(std::span<const std::uint8_t> bytes) {
  auto renderer = player::ModuleRenderer::load(std::as_bytes(bytes), PlayerMusicFlags,
                                               static_cast<int>(PlayerOutputRate));
  return renderer ? std::string() : "not a music module the player can play";
}

std::string CheckPicture(AssetKind kind, std::span<const std::uint8_t> bytes) {
  TDIB dib;
  try {
    ReadPicture(kind, bytes, dib);
  } catch (const PictureRefused& refused) {
    return refused.what();
  } catch (const Exception& error) {
    return std::string("the picture cannot be read (") + error.Message() + ")";
  }
  if (kind == AssetKind::Font && (dib.Width() < MinFontWidth || dib.Height() < MinFontHeight))
    return "a glyph sheet needs at least " + Size(MinFontWidth, MinFontHeight) +
           " pixels (15 x 3 tiles of 17 x 17 from the top-left corner), this one is " +
           Size(dib.Width(), dib.Height());
  return {};
}

}  // namespace

std::string_view AssetKindName(AssetKind kind) {
  switch (kind) {
    case AssetKind::Text: return "text";
    case AssetKind::Music: return "music";
    case AssetKind::Logo: return "logo";
    case AssetKind::Font: return "font";
  }
  return "asset";
}

std::optional<IntroAsset>& IntroAssets::operator[](AssetKind kind) {
  switch (kind) {
    case AssetKind::Text: return text;
    case AssetKind::Music: return music;
    case AssetKind::Logo: return logo;
    case AssetKind::Font: break;
  }
  return font;
}

const std::optional<IntroAsset>& IntroAssets::operator[](AssetKind kind) const {
  return const_cast<IntroAssets&>(*this)[kind];
}

AssetResult ReadAsset(AssetKind kind, const std::string& path) {
  IntroAsset asset{{}, path};
  if (std::string why = ReadWholeFile(path, asset.bytes); !why.empty()) return {std::nullopt, path + ": " + why};
  if (std::string message = CheckAsset(kind, path, asset.bytes); !message.empty())
    return {std::nullopt, std::move(message)};
  return {std::move(asset), {}};
}

std::string CheckAsset(AssetKind kind, const std::string& name, std::span<const std::uint8_t> bytes) {
  std::string why;
  if (bytes.empty()) why = "the file is empty";
  else if (bytes.size() > MaxAssetBytes) why = "larger than 64 MiB";
  else if (kind == AssetKind::Text) why = CheckPageText(bytes);
  else if (kind == AssetKind::Music) why = CheckMusic(bytes);
  else why = CheckPicture(kind, bytes);
  return why.empty() ? why : name + ": " + why;
}

void InstallAssets(IntroAssets assets) { installed = std::move(assets); }

const IntroAssets& InstalledAssets() { return installed; }

std::span<const unsigned char> MusicModuleData() {
  if (installed.music) return installed.music->bytes;
  return ModuleData;
}

void UseInstalledPictures(TPicture& logo, TDIB& glyphSheet) {
  if (installed.logo) {
    auto dib = std::make_unique<TDIB>();
    ReadPicture(AssetKind::Logo, installed.logo->bytes, *dib);
    logo.SetGraphic(std::move(dib));
  }
  if (installed.font) ReadPicture(AssetKind::Font, installed.font->bytes, glyphSheet);
}

void ReadPicture(AssetKind kind, std::span<const std::uint8_t> bytes, TDIB& dib) {
  // The logo is drawn over the black screen, the glyphs are see-through
  // where they are white: what a PNG leaves see-through becomes that.
  const PictureBackground background = kind == AssetKind::Font ? PictureBackground::White : PictureBackground::Black;
  const std::int32_t maxSide = MaxLogoSide;
  if (IsPng(bytes)) {
    ReadPngPicture(bytes, background, maxSide, dib);
    return;
  }
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') throw PictureRefused("not a BMP or PNG picture");
  CheckBitmapFileSize(bytes, maxSide);
  TCustomMemoryStream stream(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  dib.ReadBitmapFile(stream);
}

}  // namespace corvane
