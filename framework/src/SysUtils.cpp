#include "framework/SysUtils.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace corvane {

namespace {

// Replaces the directives of `format` in order; each argument is used once.
std::string Substitute(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      char d = format[i + 1];
      if (d == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((d == 's' || d == 'd') && next != args.end()) {
        out += *next++;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string Format(std::string_view format, std::string_view text) {
  return Substitute(format, {text});
}

std::string Format(std::string_view format, long long number) {
  std::string digits = std::to_string(number);
  return Substitute(format, {digits});
}

std::string Format(std::string_view format, std::string_view first, std::string_view second) {
  return Substitute(format, {first, second});
}

std::string Format(std::string_view format, long long first, long long second, long long third) {
  std::string a = std::to_string(first), b = std::to_string(second), c = std::to_string(third);
  return Substitute(format, {a, b, c});
}

EInOutError InOutError(int errnoValue) {
  if (errnoValue == ENOENT) return EInOutError(errnoValue, msg::SFileNotFound);
  return EInOutError(errnoValue, Format(msg::SInOutError, errnoValue));
}

std::int32_t StrToInt(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  // Only digits may follow; from_chars alone would also take a second sign.
  bool digitsOnly = !rest.empty();
  for (char c : rest) digitsOnly = digitsOnly && c >= '0' && c <= '9';
  // The value counts, not the spelling: leading zeros are dropped before the
  // length check that keeps the conversion inside 64 bits.
  if (digitsOnly)
    while (rest.size() > 1 && rest.front() == '0') rest.remove_prefix(1);
  std::int64_t value = 0;
  if (digitsOnly && rest.size() <= 11) {
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec == std::errc() && end == rest.data() + rest.size()) {
      if (negative) value = -value;
      if (value >= INT32_MIN && value <= INT32_MAX) return static_cast<std::int32_t>(value);
    }
  }
  throw EConvertError(Format(msg::SInvalidInteger, text));
}

bool FileExists(const std::string& path) {
  // Only a regular file (or a link to one) is there to be read. A FIFO would
  // block its reader for ever, a device or a socket holds no text: any of
  // them at the name is a file that is not there, as a directory is.
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace corvane
