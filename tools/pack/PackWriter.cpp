#include "PackWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "PackedAssets.h"
#include "PackedIntro.h"

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

// The whole program file at `path`; only a regular file is opened for reading.
Bytes ReadProgram(const std::string& path) {
  Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  struct stat info {};
  if (file.fd < 0 || ::fstat(file.fd, &info) != 0) throw SystemError(path, "cannot read the intro", errno);
  if (!S_ISREG(info.st_mode)) throw PackError(path + ": the intro is not a regular file");
  Bytes bytes;
  unsigned char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw SystemError(path, "cannot read the intro", errno);
    if (got == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
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
// fresh hidden name beside it and renamed over it.
class ProgramFile {
 public:
  explicit ProgramFile(std::string path) : path_(std::move(path)) {
    const std::filesystem::path final(path_);
    const std::filesystem::path dir = final.has_parent_path() ? final.parent_path() : ".";
    scratch_ = (dir / ("." + final.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkostemp(scratch_.data(), O_CLOEXEC);
    if (fd_ < 0) {
      scratch_.clear();
      throw SystemError(path_, "cannot write in " + dir.string(), errno);
    }
  }
  ~ProgramFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!scratch_.empty()) ::unlink(scratch_.c_str());
  }
  ProgramFile(const ProgramFile&) = delete;
  ProgramFile& operator=(const ProgramFile&) = delete;

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
    if (::fchmod(fd_, 0755) != 0 || ::fsync(fd_) != 0) throw SystemError(path_, "cannot write", errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) throw SystemError(path_, "cannot write", errno);
    if (::rename(scratch_.c_str(), path_.c_str()) != 0) throw SystemError(path_, "cannot write", errno);
    scratch_.clear();
  }

 private:
  std::string path_;
  std::string scratch_;
  int fd_ = -1;
};

}  // namespace

void WritePackedIntro(const std::string& intro, const IntroAssets& assets, const std::string& out) {
  CheckOutputName(out, intro, assets);
  Bytes program = ReadProgram(intro);
  StripPack(intro, program);
  std::vector<PackedAsset> packed;
  for (AssetKind kind : AllAssetKinds)
    if (assets[kind]) packed.push_back({kind, assets[kind]->bytes});
  ProgramFile file(out);
  file.write(program);
  file.write(BuildPack(packed));
  file.commit();
}

}  // namespace corvane::pack
