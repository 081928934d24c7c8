#include "platform/AbruptEnd.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>

namespace corvane::platform {

namespace {

enum class Kind : int { Free, Busy, File, Directory };

// One noted path. The main thread fills an entry while it is Busy; a signal
// handler on any thread reads only entries that are File or Directory.
struct Owned {
  std::atomic<Kind> kind{Kind::Free};
  std::uint64_t order = 0;
  FileIdentity identity;
  char path[PATH_MAX] = {};
};

// A run makes a handful of such files (the payload and its directory).
std::array<Owned, 8> owned;
std::atomic<std::uint64_t> noted{0};

// Names are kept without trailing separators, so that "dir/" and "dir" are one.
std::string Normalised(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

void Note(const std::string& given, Kind kind, const FileIdentity& identity) {
  std::string path = Normalised(given);
  if (path.empty() || path.size() >= PATH_MAX) return;
  ForgetOwned(path);
  for (Owned& entry : owned) {
    Kind expected = Kind::Free;
    if (!entry.kind.compare_exchange_strong(expected, Kind::Busy, std::memory_order_acq_rel)) continue;
    std::memcpy(entry.path, path.c_str(), path.size() + 1);
    entry.identity = identity;
    entry.order = ++noted;
    entry.kind.store(kind, std::memory_order_release);
    return;
  }
}

// Takes the entry of `kind` noted last that is still there; nullptr when none.
Owned* TakeLast(Kind kind) noexcept {
  Owned* last = nullptr;
  for (Owned& entry : owned)
    if (entry.kind.load(std::memory_order_acquire) == kind && (!last || entry.order > last->order))
      last = &entry;
  if (!last) return nullptr;
  Kind expected = kind;
  return last->kind.compare_exchange_strong(expected, Kind::Busy, std::memory_order_acq_rel) ? last
                                                                                             : nullptr;
}

void WriteAll(const char* text, std::size_t size) noexcept {
  while (size > 0) {
    ssize_t written = ::write(STDERR_FILENO, text, size);
    if (written <= 0) return;
    text += written;
    size -= static_cast<std::size_t>(written);
  }
}

}  // namespace

void NoteOwnedFile(const std::string& path, const FileIdentity& identity) {
  Note(path, Kind::File, identity);
}

void NoteOwnedDirectory(const std::string& path) { Note(path, Kind::Directory, {}); }

void ForgetOwned(const std::string& given) {
  std::string path = Normalised(given);
  for (Owned& entry : owned) {
    Kind kind = entry.kind.load(std::memory_order_acquire);
    if ((kind == Kind::File || kind == Kind::Directory) && path == entry.path)
      entry.kind.compare_exchange_strong(kind, Kind::Free, std::memory_order_acq_rel);
  }
}

void ForgetAllOwned() {
  for (Owned& entry : owned) entry.kind.store(Kind::Free, std::memory_order_release);
}

int RemoveOwned() noexcept {
  int removed = 0;
  // Files first (last made first), so that the directories are empty after.
  while (Owned* entry = TakeLast(Kind::File)) {
    std::optional<FileIdentity> now = IdentityOf(entry->path);
    if (now && *now == entry->identity && ::unlink(entry->path) == 0) ++removed;
    entry->kind.store(Kind::Free, std::memory_order_release);
  }
  while (Owned* entry = TakeLast(Kind::Directory)) {
    if (::rmdir(entry->path) == 0) ++removed;
    entry->kind.store(Kind::Free, std::memory_order_release);
  }
  return removed;
}

void EndAbruptly(const char* line, int code) noexcept {
  // Only one thread gets to end the process; any other that comes here too
  // (a signal and a lost display at once) waits for it.
  static std::atomic_flag ending = ATOMIC_FLAG_INIT;
  if (ending.test_and_set()) {
    for (;;) ::pause();
  }
  RemoveOwned();
  WriteAll(line, std::strlen(line));
  WriteAll("\n", 1);
  ::_exit(code);
}

}  // namespace corvane::platform
