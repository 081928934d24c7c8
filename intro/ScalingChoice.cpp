#include "ScalingChoice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>

#include "platform/Platform.h"

namespace corvane {

namespace {

constexpr std::string_view kScalingKey = "scaling";
// More than any settings file of ours; a larger file is not one of ours.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

std::string remembered;

std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? value : "";
}

// The whole of a regular file; empty when there is none or it cannot be
// read. A FIFO or a device is never opened for reading, so none can hold the
// start.
std::optional<std::string> ReadSmallRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> text;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::size_t>(info.st_size) <= kMaxSettingsBytes) {
    text.emplace();
    char buffer[4096];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) text.reset();
      if (got <= 0 || (text && text->size() > kMaxSettingsBytes)) break;
      text->append(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  return text;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The name of a "name = value" line; empty for blank lines and comments.
std::string_view NameOf(std::string_view line) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos || Trim(line).starts_with('#')) return {};
  return Trim(line.substr(0, equals));
}

// Makes `directory` and its missing parents, each for the user alone.
bool MakeDirectories(const std::string& directory) {
  struct stat info {};
  if (::stat(directory.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const auto slash = directory.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirectories(directory.substr(0, slash))) return false;
  return ::mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteWholeFd(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return ::fsync(fd) == 0;
}

const char* ValueName(platform::Scaling scaling) {
  return scaling == platform::Scaling::Fill ? "fill" : "whole";
}

}  // namespace

std::string SettingsFilePath() {
  std::string base = AbsoluteVariable("XDG_CONFIG_HOME");
  if (base.empty()) {
    const std::string home = AbsoluteVariable("HOME");
    if (home.empty()) return {};
    base = home + "/.config";
  }
  return base + "/corvane/settings";
}

std::optional<platform::Scaling> ReadScalingSetting(const std::string& path) {
  const std::optional<std::string> text = path.empty() ? std::nullopt : ReadSmallRegularFile(path);
  if (!text) return std::nullopt;
  std::optional<platform::Scaling> scaling;
  std::istringstream lines(*text);
  for (std::string line; std::getline(lines, line);) {
    if (NameOf(line) != kScalingKey) continue;
    const std::string_view value = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (value == "fill") scaling = platform::Scaling::Fill;
    else if (value == "whole") scaling = platform::Scaling::Whole;
    else scaling.reset();  // the last line counts, and one not understood means the default
  }
  return scaling;
}

bool WriteScalingSetting(const std::string& path, platform::Scaling scaling) {
  const auto slash = path.find_last_of('/');
  if (path.empty() || slash == std::string::npos || slash + 1 == path.size()) return false;
  if (slash > 0 && !MakeDirectories(path.substr(0, slash))) return false;
  std::string text;
  if (const std::optional<std::string> old = ReadSmallRegularFile(path)) {
    std::istringstream lines(*old);
    for (std::string line; std::getline(lines, line);)
      if (NameOf(line) != kScalingKey) text += line + "\n";
  }
  text += std::string(kScalingKey) + "=" + ValueName(scaling) + "\n";
  std::string scratch = path + ".XXXXXX";
  const int fd = ::mkstemp(scratch.data());
  if (fd < 0) return false;
  const bool written = WriteWholeFd(fd, text);
  const bool closed = ::close(fd) == 0;
  if (written && closed && ::rename(scratch.c_str(), path.c_str()) == 0) return true;
  ::unlink(scratch.c_str());
  return false;
}

void ChooseScaling(std::optional<platform::Scaling> chosen, const std::string& path) {
  if (!chosen) chosen = ReadScalingSetting(path);
  platform::Current().display().setScaling(chosen.value_or(platform::Scaling::Whole));
  RememberScalingIn(path);
}

void RememberScalingIn(std::string path) { remembered = std::move(path); }

void SwitchScaling() {
  platform::Display& display = platform::Current().display();
  const platform::Scaling next =
      display.scaling() == platform::Scaling::Fill ? platform::Scaling::Whole : platform::Scaling::Fill;
  display.setScaling(next);
  if (!remembered.empty() && !WriteScalingSetting(remembered, next))
    std::fprintf(stderr, "corvane: cannot remember the scaling in %s\n", remembered.c_str());
}

}  // namespace corvane
