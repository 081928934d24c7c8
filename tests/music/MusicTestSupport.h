// What the music tests share: a scratch tree of their own with a private
// runtime directory, environment settings undone at the end of a test, the
// fake player's call log and the files it is built as.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

namespace fs = std::filesystem;

inline std::vector<unsigned char> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline bool IsLink(const fs::path& path) { return fs::is_symlink(fs::symlink_status(path)); }

inline unsigned ModeOf(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Sets (or, with nullptr, removes) an environment variable until the end of
// the scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnvironment() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Set(const char* value) {
    if (value)
      ::setenv(name_.c_str(), value, 1);
    else
      ::unsetenv(name_.c_str());
  }
  std::string name_;
  std::optional<std::string> old_;
};

// A tree of its own under /tmp for one test, removed at the end, whatever
// owners and modes the test gave its parts.
class ScratchTree {
 public:
  ScratchTree() {
    std::string pattern = (fs::temp_directory_path() / "corvane-music-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch directory");
    root_ = pattern;
  }
  ~ScratchTree() {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(root_, ignored))
      if (!IsLink(entry.path())) ::chmod(entry.path().c_str(), 0700);
    fs::remove_all(root_, ignored);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  const fs::path& root() const { return root_; }
  // Makes a directory in the tree with the given mode.
  fs::path directory(const std::string& name, unsigned mode = 0700) const {
    fs::path path = root_ / name;
    fs::create_directories(path);
    ::chmod(path.c_str(), mode);
    return path;
  }

 private:
  fs::path root_;
};

// The fake player's calls, as written to its log.
class FakePlayerLog {
 public:
  explicit FakePlayerLog(fs::path path) : path_(std::move(path)), env_("FAKE_PLAYER_LOG", path_.c_str()) {}
  std::vector<std::string> lines() const {
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void clear() const { fs::remove(path_); }

 private:
  fs::path path_;
  ScopedEnvironment env_;
};

// The fake player built with all 23 entry points, or lacking one.
inline fs::path FakePlayer(const std::string& lacking = {}) {
  return fs::path(CORVANE_FAKE_PLAYERS) / (lacking.empty() ? "complete.so" : "without_" + lacking + ".so");
}

inline std::string FakePlayerBytes(const std::string& lacking = {}) {
  std::vector<unsigned char> bytes = ReadBytes(FakePlayer(lacking));
  return {bytes.begin(), bytes.end()};
}

}  // namespace corvane::test
