#include "framework/TextFile.h"

#include <cerrno>

#include "framework/SysUtils.h"

namespace corvane {

namespace {
constexpr int kEndOfText = 26;
constexpr int kCR = '\r';
constexpr int kLF = '\n';
}  // namespace

void TTextFile::Reset() {
  file_.reset(std::fopen(path_.c_str(), "rb"));
  if (!file_) throw InOutError(errno);
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
