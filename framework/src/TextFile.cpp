#include "framework/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "framework/SysUtils.h"

namespace corvane {

namespace {
constexpr int kEndOfText = 26;
constexpr int kCR = '\r';
constexpr int kLF = '\n';
}  // namespace

void TTextFile::Reset() {
  file_.reset();
  if (fromText_) {
    // A stream over no bytes cannot be made: an empty text is the end-of-text
    // mark alone, which reads the same.
    if (text_.empty()) text_.assign(1, static_cast<char>(kEndOfText));
    file_.reset(::fmemopen(text_.data(), text_.size(), "rb"));
    if (!file_) throw InOutError(errno);
    return;
  }
  // Opened without waiting, so that a FIFO put at the name (even after the
  // caller looked) cannot block the start waiting for a writer; only a
  // regular file is read. Anything else is a file that is not there, a
  // directory the error reading one gives.
  const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw InOutError(errno);
  struct stat info {};
  int error = 0;
  if (::fstat(fd, &info) != 0)
    error = errno;
  else if (!S_ISREG(info.st_mode))
    error = S_ISDIR(info.st_mode) ? EISDIR : ENOENT;
  else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    error = errno;
  if (error == 0) file_.reset(::fdopen(fd, "rb"));
  if (!file_) {
    if (error == 0) error = errno;
    ::close(fd);
    throw InOutError(error);
  }
}

int TTextFile::take() {
  if (!file_) throw EInOutError(103, msg::SFileNotOpen);
  int c = std::fgetc(file_.get());
  if (c == EOF && std::ferror(file_.get())) throw InOutError(errno ? errno : EIO);
  return c;
}

int TTextFile::peek() {
  int c = take();
  if (c != EOF) std::ungetc(c, file_.get());
  return c;
}

bool TTextFile::Eof() {
  int c = peek();
  return c == EOF || c == kEndOfText;
}

std::string TTextFile::ReadLn() {
  std::string line;
  for (;;) {
    int c = take();
    if (c == EOF) break;
    if (c == kEndOfText) {
      // The end-of-text mark stays where it is, so the text keeps ending here.
      std::ungetc(c, file_.get());
      break;
    }
    if (c == kCR) {
      int next = take();
      if (next != kLF && next != EOF) std::ungetc(next, file_.get());
      break;
    }
    line += static_cast<char>(c);
  }
  return line;
}

}  // namespace corvane
