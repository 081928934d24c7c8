#include "PackWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "PackedAssets.h"
#include "PackedIntro.h"
#include "PngPicture.h"
#include "framework/Streams.h"
#include "graphics/DIB.h"

namespace corvane::pack {

namespace {

using Bytes = std::vector<unsigned char>;

PackError SystemError(const std::string& path, const std::string& what, int error) {
  return PackError(path + ": " + what + " (" + std::strerror(error) + ")");
}

struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The whole file at `path`, `what` it is for messages ("the intro"); only a
// regular file is opened for reading.
Bytes ReadRegularFile(const std::string& path, const std::string& what) {
  Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  struct stat info {};
  if (file.fd < 0 || ::fstat(file.fd, &info) != 0) throw SystemError(path, "cannot read " + what, errno);
  if (!S_ISREG(info.st_mode)) throw PackError(path + ": " + what + " is not a regular file");
  Bytes bytes;
  unsigned char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw SystemError(path, "cannot read " + what, errno);
    if (got == 0) return bytes;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
}

// The whole program file at `path`.
Bytes ReadProgram(const std::string& path) {
  Bytes bytes = ReadRegularFile(path, "the intro");
  static constexpr unsigned char kElf[] = {0x7F, 'E', 'L', 'F'};
  if (bytes.size() < sizeof kElf || !std::equal(std::begin(kElf), std::end(kElf), bytes.begin()))
    throw PackError(path + ": not an intro program");
  return bytes;
}

// The program without the pack a packed intro carries, so that packing
// again replaces the assets instead of adding more behind them.
void StripPack(const std::string& path, Bytes& program) {
  const PackContents contents = ReadPack(program);
  if (contents.state == PackContents::State::Damaged)
    throw PackError(path + ": its packed assets are damaged (" + contents.problem + "); pack from the intro itself");
  program.resize(contents.programSize);
}

bool SameFile(const struct stat& a, const std::string& path) {
  struct stat b {};
  return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Refuses an output that would replace one of the inputs or the running
// program: they are still being read, or are what is run.
void CheckOutputName(const std::string& out, const std::string& intro, const IntroAssets& assets) {
  struct stat target {};
  if (::stat(out.c_str(), &target) != 0) return;
  if (S_ISDIR(target.st_mode)) throw PackError(out + ": is a directory; --out names the program to write");
  std::vector<std::pair<std::string, std::string>> inputs = {{intro, "the intro it is made from"},
                                                              {RunningProgramPath, "corvane-pack itself"}};
  for (AssetKind kind : AllAssetKinds)
    if (assets[kind]) inputs.push_back({assets[kind]->name, "the " + std::string(AssetKindName(kind)) + " file"});
  for (const auto& [input, role] : inputs)
    if (SameFile(target, input)) throw PackError(out + ": is " + role + "; --out must name another file");
}

// A file that appears under its final name only when complete: written to a
// fresh hidden name beside it and renamed over it, with `mode`.
class OutputFile {
 public:
  OutputFile(std::string path, mode_t mode) : path_(std::move(path)), mode_(mode) {
    const std::filesystem::path final(path_);
    const std::filesystem::path dir = final.has_parent_path() ? final.parent_path() : ".";
    scratch_ = (dir / ("." + final.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkostemp(scratch_.data(), O_CLOEXEC);
    if (fd_ < 0) {
      scratch_.clear();
      throw SystemError(path_, "cannot write in " + dir.string(), errno);
    }
  }
  ~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!scratch_.empty()) ::unlink(scratch_.c_str());
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw SystemError(path_, "cannot write", n < 0 ? errno : ENOSPC);
      done += static_cast<std::size_t>(n);
    }
  }
  void commit() {
    if (::fchmod(fd_, mode_) != 0 || ::fsync(fd_) != 0) throw SystemError(path_, "cannot write", errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) throw SystemError(path_, "cannot write", errno);
    if (::rename(scratch_.c_str(), path_.c_str()) != 0) throw SystemError(path_, "cannot write", errno);
    scratch_.clear();
  }

 private:
  std::string path_;
  mode_t mode_;
  std::string scratch_;
  int fd_ = -1;
};

// --- The web site: the page's files and the assets in one pack beside them.

namespace fs = std::filesystem;

struct SiteFile {
  std::string name;
  Bytes bytes;
};

// The files without which a folder is no site of the intro's page.
constexpr const char* kSiteFiles[] = {"index.html", "corvane.js", "corvane.wasm"};

std::string NoSite(const std::string& site, const std::string& why) {
  return site + ": no web site of the intro there (" + why +
         "); build it with scripts/build-web.sh, or name one with --site DIR";
}

// The page's files: every regular file in `site` (links followed) but the
// pack it may carry and hidden files (the scratch files of a write).
std::vector<SiteFile> ReadSite(const std::string& site) {
  std::error_code error;
  if (!fs::is_directory(site, error)) throw PackError(NoSite(site, "not a directory"));
  for (const char* needed : kSiteFiles)
    if (!fs::is_regular_file(fs::path(site) / needed, error))
      throw PackError(NoSite(site, std::string(needed) + " is missing"));
  std::vector<SiteFile> files;
  try {
    for (const fs::directory_entry& entry : fs::directory_iterator(site)) {
      const std::string name = entry.path().filename().string();
      if (name == kWebPackName || name.starts_with('.') || !entry.is_regular_file()) continue;
      files.push_back({name, ReadRegularFile(entry.path().string(), "the site's file")});
    }
  } catch (const fs::filesystem_error& failure) {
    throw PackError(site + ": cannot read the site (" + failure.code().message() + ")");
  }
  std::sort(files.begin(), files.end(), [](const SiteFile& a, const SiteFile& b) { return a.name < b.name; });
  return files;
}

// The assets as the page reads them. The page has no PNG reader: a PNG logo
// or glyph sheet goes in as the bitmap file of the DIB libpng made of it,
// which the page's DIB reader reads back into the same DIB.
std::vector<PackedAsset> PageAssets(const IntroAssets& assets) {
  std::vector<PackedAsset> packed;
  for (AssetKind kind : AllAssetKinds) {
    if (!assets[kind]) continue;
    Bytes bytes = assets[kind]->bytes;
    if ((kind == AssetKind::Logo || kind == AssetKind::Font) && IsPng(bytes)) {
      TDIB dib;
      ReadPicture(kind, bytes, dib);
      TMemoryStream bitmap;
      dib.WriteBitmapFile(bitmap);
      bytes = bitmap.Bytes();
      if (std::string refused = CheckAsset(kind, assets[kind]->name, bytes); !refused.empty())
        throw PackError(refused + " (made a bitmap file for the page)");
    }
    packed.push_back({kind, std::move(bytes)});
  }
  return packed;
}

// Makes `dir` ready for the site and gives true when it made it. An existing
// one must be a directory, and empty or a site that corvane-pack wrote (its
// pack says so), so that no file of the user's is replaced.
bool PrepareSiteDirectory(const std::string& dir) {
  struct stat info {};
  if (::stat(dir.c_str(), &info) != 0) {
    if (errno != ENOENT) throw SystemError(dir, "cannot use the directory", errno);
    if (::mkdir(dir.c_str(), 0755) != 0) throw SystemError(dir, "cannot make the directory", errno);
    return true;
  }
  if (!S_ISDIR(info.st_mode)) throw PackError(dir + ": is not a directory; --web names the directory to write into");
  std::error_code error;
  const bool empty = fs::is_empty(dir, error);
  if (error) throw PackError(dir + ": cannot read the directory (" + error.message() + ")");
  if (!empty && ReadPackFile((fs::path(dir) / kWebPackName).string()).state == PackContents::State::None)
    throw PackError(dir + ": is not empty and holds no site written by corvane-pack; --web must name a new or "
                          "empty directory, or a site it wrote before");
  return false;
}

}  // namespace

void WritePackedIntro(const std::string& intro, const IntroAssets& assets, const std::string& out) {
  CheckOutputName(out, intro, assets);
  Bytes program = ReadProgram(intro);
  StripPack(intro, program);
  std::vector<PackedAsset> packed;
  for (AssetKind kind : AllAssetKinds)
    if (assets[kind]) packed.push_back({kind, assets[kind]->bytes});
  OutputFile file(out, 0755);
  file.write(program);
  file.write(BuildPack(packed));
  file.commit();
}

void WriteWebSite(const std::string& site, const IntroAssets& assets, const std::string& dir) {
  const std::vector<SiteFile> files = ReadSite(site);
  const Bytes pack = BuildPack(PageAssets(assets));
  const bool made = PrepareSiteDirectory(dir);
  try {
    // Every file is written in full before the first takes its name.
    std::vector<std::unique_ptr<OutputFile>> outputs;
    for (const SiteFile& file : files) {
      outputs.push_back(std::make_unique<OutputFile>((fs::path(dir) / file.name).string(), 0644));
      outputs.back()->write(file.bytes);
    }
    outputs.push_back(std::make_unique<OutputFile>((fs::path(dir) / kWebPackName).string(), 0644));
    outputs.back()->write(pack);
    for (const auto& output : outputs) output->commit();
  } catch (const PackError&) {
    if (made) ::rmdir(dir.c_str());
    throw;
  }
}

}  // namespace corvane::pack
