#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace corvane::capture {

namespace {

std::runtime_error SystemError(const std::string& what, int error) {
  return std::runtime_error(what + ": " + std::strerror(error));
}

std::string BaseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

OutputFile::OutputFile(std::string finalPath) : path(std::move(finalPath)) {
  // A dot name keeps half-written files out of globs such as frame-*.png.
  const std::string directory = DirectoryOf(path);
  std::string pattern = directory + "/." + BaseNameOf(path) + ".XXXXXX";
  fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) throw SystemError("cannot write in " + directory, errno);
  // mkstemp makes the file private; the finished file gets the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  scratch = std::move(pattern);
}

OutputFile::~OutputFile() {
  if (!committed) discard();
}

void OutputFile::discard() noexcept {
  if (fd >= 0) ::close(fd);
  fd = -1;
  if (!scratch.empty()) ::unlink(scratch.c_str());
}

void OutputFile::write(std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t done = ::write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) throw SystemError("cannot write " + path, done < 0 ? errno : ENOSPC);
    bytes = bytes.subspan(static_cast<std::size_t>(done));
  }
}

void OutputFile::commit() {
  const int closing = fd;
  fd = -1;
  if (::close(closing) != 0) throw SystemError("cannot write " + path, errno);
  if (::rename(scratch.c_str(), path.c_str()) != 0) throw SystemError("cannot write " + path, errno);
  committed = true;
}

void WriteWholeFile(const std::string& path, std::span<const std::byte> bytes) {
  OutputFile file(path);
  file.write(bytes);
  file.commit();
}

}  // namespace corvane::capture
