// The kernel side of the platform: the user's temporary directory, files that
// replace others whole, and libraries loaded from a file at run time.
//
// The temporary directory is the user's own: nobody else may create, swap or
// link files in it, since the intro loads program code from there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace corvane::platform {

// A loaded library; 0 is "none".
using HMODULE = std::uintptr_t;
// An entry point of a loaded library, to be cast to its real type.
using FARPROC = void (*)();

// Error-mode flags: no box for critical errors, no box for a file that cannot
// be opened. Nothing here ever shows such a box; the mode is kept for callers
// that set it around a load.
inline constexpr std::uint32_t SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr std::uint32_t SEM_NOOPENFILEERRORBOX = 0x8000;

// The user's private temporary directory, ending in "/":
// $XDG_RUNTIME_DIR when it is a usable private directory, otherwise
// ${TMPDIR:-/tmp}/corvane-<uid>/, made with mode 0700 when missing. A
// directory is only taken when it is a real directory (not a link), owned by
// the user, with no access for the group or others, and libraries can be
// loaded from it (not mounted noexec). When the second one cannot be had
// (another user's, not private, cannot be made, noexec), a fresh one is made
// beside it with mkdtemp (${TMPDIR:-/tmp}/corvane-<uid>.XXXXXX/, 0700) and
// given for the rest of the run.
// Writes the path and a terminating zero into `buffer` and gives its length;
// when the buffer is too small, gives the size needed (terminator included)
// and leaves the buffer alone; gives 0 when there is no such directory.
std::uint32_t GetTempPathA(std::uint32_t bufferLength, char* buffer);

// Removes the fresh directory GetTempPathA made, if it did, when it is empty
// and still that directory; a directory this process did not make is never
// removed. A later GetTempPathA makes a new one if it needs one.
void RemoveFreshTemporaryDirectory();

// The current directory as an absolute path ending in "/", when it is a real
// directory of this user that nobody else can write and libraries can be
// loaded from; nothing otherwise.
std::optional<std::string> UnsharedCurrentDirectory();

// What tells one file from another that later took its name.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint32_t type = 0;  // regular file, directory, pipe, ...
  std::int64_t made = 0;   // birth time in ns where the file system keeps it
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// A new content for a file name: written under a fresh name in the same
// directory (made exclusively, never through a link) and renamed over the
// final name on Commit. Whatever was at the name before (a stale file, a
// link, a library another process has loaded) is replaced, never written
// into. Without a successful Commit the fresh file is removed again.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string path);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // The errno of the first failure, 0 while there was none.
  int Error() const { return error_; }
  // Writes all of `data` and gives how many bytes went out; fewer on failure.
  std::size_t Write(const void* data, std::size_t size);
  // Closes the fresh file and puts it in place; false when that failed.
  bool Commit();
  // The file that was put in place (valid after a successful Commit).
  const FileIdentity& Identity() const { return identity_; }

 private:
  void Discard();

  std::string path_;
  std::string freshPath_;
  int fd_ = -1;
  int error_ = 0;
  FileIdentity identity_;
};

// Whether something other than a directory is at `path`; a link counts as
// itself and is not followed.
bool FileExists(const std::string& path);
// The identity of what is at `path` (a link is not followed); nothing when
// there is nothing.
std::optional<FileIdentity> IdentityOf(const std::string& path);
// The same, safe in a signal handler.
std::optional<FileIdentity> IdentityOf(const char* path) noexcept;
// Removes the name `path` (a link, not what it points to).
bool DeleteFileA(const std::string& path);

// Sets the process error mode and gives the previous one.
std::uint32_t SetErrorMode(std::uint32_t mode);

// Loads a library file (a path with a "/" is taken as it is) and resolves all
// its references at once; 0 on failure. A name without "/" that names a
// built-in library (case does not matter) gives that one and no file is
// looked for. Each successful call must be matched by one FreeLibrary.
// In a web page, which cannot load program code from a file, a library file
// is a stand-in, the one line "corvane built-in library: <name>", and gives
// the built-in library it names.
HMODULE LoadLibraryA(const std::string& path);
// The entry point `name` of a loaded library; nullptr when it has none or the
// handle is not one of a loaded library.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Releases one load of the library; false for a handle that is not loaded.
bool FreeLibrary(HMODULE module);

// Libraries the platform provides itself rather than as files: each one is
// its entry points by name. The platform's own set is "DDraw.dll" with the
// 2D device's entry points "DirectDrawCreateEx" and "DirectDrawCreate".
// Tests replace or remove one to stand for a system that lacks it or whose
// copy fails; handles given out before keep the library they were given.
using LibraryExports = std::map<std::string, FARPROC>;
// Adds or replaces the built-in library `name` (no "/"; case does not matter).
void RegisterBuiltinLibrary(const std::string& name, LibraryExports exports);
// Loading `name` then looks for a file like any other name.
void RemoveBuiltinLibrary(const std::string& name);
// Back to the platform's own set.
void ResetBuiltinLibraries();

}  // namespace corvane::platform
