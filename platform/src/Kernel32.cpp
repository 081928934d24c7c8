#include "platform/Kernel32.h"

#include <fcntl.h>
#if !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#endif
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/AbruptEnd.h"
#include "platform/DDraw.h"

namespace corvane::platform {

namespace {

// Drops trailing separators, keeping a lone "/".
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string WithTrailingSeparator(const std::string& directory) {
  return directory == "/" ? directory : directory + "/";
}

// A real directory (not a link) that belongs to this user and that nobody
// else can list, enter or change.
bool IsPrivateDirectory(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Libraries written there can be loaded: the file system allows mapping
// program code from it.
bool AllowsProgramCode(const std::string& path) {
  struct statvfs fs {};
  return ::statvfs(path.c_str(), &fs) == 0 && (fs.f_flag & ST_NOEXEC) == 0;
}

// An absolute directory named by the environment variable, or nothing.
std::optional<std::string> DirectoryFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return WithoutTrailingSeparators(value);
}

// The session's runtime directory, when it is private, writable and allows
// libraries to be loaded from it.
std::optional<std::string> RuntimeDirectory() {
  std::optional<std::string> dir = DirectoryFromEnvironment("XDG_RUNTIME_DIR");
  if (!dir || !IsPrivateDirectory(*dir) || ::access(dir->c_str(), W_OK | X_OK) != 0 ||
      !AllowsProgramCode(*dir))
    return std::nullopt;
  return dir;
}

std::string TemporaryBase() { return DirectoryFromEnvironment("TMPDIR").value_or("/tmp"); }

std::string OwnDirectoryName() { return "corvane-" + std::to_string(::geteuid()); }

// ${TMPDIR:-/tmp}/corvane-<uid>, made private when missing. One that is there
// already is only taken when it is private: another user may have made it (to
// plant files in it) or opened it up. Libraries must be loadable from it.
std::optional<std::string> OwnTemporaryDirectory(const std::string& base) {
  std::string dir = WithTrailingSeparator(base) + OwnDirectoryName();
  if (::mkdir(dir.c_str(), S_IRWXU) != 0 && errno != EEXIST) return std::nullopt;
  if (!IsPrivateDirectory(dir) || !AllowsProgramCode(dir)) return std::nullopt;
  return dir;
}

// The directory this process made in place of its own temporary directory,
// with what it was, so that only that directory is ever removed again.
struct MadeDirectory {
  std::mutex lock;
  std::string base, path;
  FileIdentity identity;
};
MadeDirectory& madeDirectory() {
  static MadeDirectory made;
  return made;
}

void ForgetMadeDirectory(MadeDirectory& made, bool remove) {
  if (!made.path.empty()) ForgetOwned(made.path);
  if (remove && !made.path.empty() && IdentityOf(made.path) == made.identity) ::rmdir(made.path.c_str());
  made.base.clear();
  made.path.clear();
  made.identity = FileIdentity{};
}

// ${TMPDIR:-/tmp}/corvane-<uid>.XXXXXX, a name nobody could take in advance,
// made private (0700) once and used for the rest of the run, for when the
// usual directory cannot be had.
std::optional<std::string> FreshTemporaryDirectory(const std::string& base) {
  MadeDirectory& made = madeDirectory();
  std::lock_guard guard(made.lock);
  if (!made.path.empty() && made.base == base && IsPrivateDirectory(made.path) &&
      IdentityOf(made.path) == made.identity)
    return made.path;
  ForgetMadeDirectory(made, true);
  std::string pattern = WithTrailingSeparator(base) + OwnDirectoryName() + ".XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
  std::optional<FileIdentity> identity = IdentityOf(pattern);
  if (!identity || !IsPrivateDirectory(pattern) || !AllowsProgramCode(pattern)) {
    ::rmdir(pattern.c_str());
    return std::nullopt;
  }
  made.base = base;
  made.path = pattern;
  made.identity = *identity;
  // Removed again at exit, even when the process cannot end in order.
  NoteOwnedDirectory(pattern);
  return pattern;
}

// A name nobody can guess in advance, for a file made beside `path`.
std::string FreshNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::uint64_t random = 0;
#if defined(__EMSCRIPTEN__)
  // The page's randomness (crypto.getRandomValues); it has no getrandom.
  if (::getentropy(&random, sizeof random) != 0)
#else
  if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random))
#endif
    random = static_cast<std::uint64_t>(::getpid()) << 32;
  random ^= counter.fetch_add(1);
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random));
  return dir + "." + base + "." + suffix;
}

// The identity of an open file (path "") or of a name, not following a
// link. An inode number freed by a deletion can be given to the next file
// made there, so the kind of file and, where the file system keeps it, the
// time of its making count too.
#if defined(__EMSCRIPTEN__)
// The page's file system has no statx and keeps no birth times.
std::optional<FileIdentity> IdentityAt(int dirFd, const char* path, int flags) noexcept {
  struct stat info {};
  const int result = path[0] == '\0' && (flags & AT_EMPTY_PATH) != 0
                         ? ::fstat(dirFd, &info)
                         : ::fstatat(dirFd, path, &info, AT_SYMLINK_NOFOLLOW);
  if (result != 0) return std::nullopt;
  FileIdentity identity;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  identity.type = info.st_mode & S_IFMT;
  return identity;
}
#else
std::optional<FileIdentity> IdentityAt(int dirFd, const char* path, int flags) noexcept {
  struct statx info {};
  if (::statx(dirFd, path, flags | AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO | STATX_BTIME, &info) != 0)
    return std::nullopt;
  FileIdentity identity;
  identity.device = (std::uint64_t{info.stx_dev_major} << 32) | info.stx_dev_minor;
  identity.inode = info.stx_ino;
  identity.type = info.stx_mode & S_IFMT;
  if (info.stx_mask & STATX_BTIME)
    identity.made = std::int64_t{info.stx_btime.tv_sec} * 1000000000 + info.stx_btime.tv_nsec;
  return identity;
}
#endif

std::atomic<std::uint32_t> errorMode{0};

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A library the platform provides itself; its address is its handle.
struct BuiltinLibrary {
  LibraryExports exports;
};

// The platform's own built-in libraries, by lower-cased name.
std::map<std::string, std::shared_ptr<BuiltinLibrary>> DefaultBuiltins() {
  auto ddraw = std::make_shared<BuiltinLibrary>();
  ddraw->exports["DirectDrawCreateEx"] = reinterpret_cast<FARPROC>(&DirectDrawCreateEx);
  ddraw->exports["DirectDrawCreate"] = reinterpret_cast<FARPROC>(&DirectDrawCreate);
  return {{"ddraw.dll", ddraw}};
}

// Handles given out by LoadLibraryA with their count of loads, so that a
// stale or made-up handle is refused instead of reaching the loader. A
// loaded built-in library is kept alive by its entry here even when it is
// replaced or removed in the meantime.
struct LoadedLibraries {
  std::mutex lock;
  std::map<void*, int> loads;
  std::map<std::string, std::shared_ptr<BuiltinLibrary>> builtins = DefaultBuiltins();
  std::map<void*, std::pair<std::shared_ptr<BuiltinLibrary>, int>> builtinLoads;
};
LoadedLibraries& loadedLibraries() {
  static LoadedLibraries libraries;
  return libraries;
}

// The built-in library of that name, if there is one.
std::shared_ptr<BuiltinLibrary> FindBuiltin(LoadedLibraries& libraries, const std::string& name) {
  if (name.find('/') != std::string::npos) return nullptr;
  auto it = libraries.builtins.find(LowerCase(name));
  return it == libraries.builtins.end() ? nullptr : it->second;
}

}  // namespace

std::uint32_t GetTempPathA(std::uint32_t bufferLength, char* buffer) {
  std::optional<std::string> dir = RuntimeDirectory();
  const std::string base = TemporaryBase();
  if (!dir) dir = OwnTemporaryDirectory(base);
  if (!dir) dir = FreshTemporaryDirectory(base);
  if (!dir) return 0;
  std::string path = WithTrailingSeparator(*dir);
  if (path.size() >= UINT32_MAX) return 0;
  auto length = static_cast<std::uint32_t>(path.size());
  if (buffer == nullptr || length + 1 > bufferLength) return length + 1;
  std::memcpy(buffer, path.c_str(), length + 1);
  return length;
}

void RemoveFreshTemporaryDirectory() {
  MadeDirectory& made = madeDirectory();
  std::lock_guard guard(made.lock);
  ForgetMadeDirectory(made, true);
}

std::optional<std::string> UnsharedCurrentDirectory() {
  std::string path(256, '\0');
  while (::getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE) return std::nullopt;
    path.resize(path.size() * 2);
  }
  path.resize(std::strlen(path.c_str()));
  // The name must still lead to the directory the process is in.
  struct stat here {}, named {};
  if (::stat(".", &here) != 0 || ::stat(path.c_str(), &named) != 0 || here.st_dev != named.st_dev ||
      here.st_ino != named.st_ino)
    return std::nullopt;
  if (!S_ISDIR(here.st_mode) || here.st_uid != ::geteuid() || (here.st_mode & (S_IWGRP | S_IWOTH)) != 0 ||
      ::access(".", W_OK | X_OK) != 0 || !AllowsProgramCode("."))
    return std::nullopt;
  return WithTrailingSeparator(path);
}

ReplacementFile::ReplacementFile(std::string path) : path_(std::move(path)) {
  // A fresh name that is taken already (by chance or planted) is never
  // opened: another one is tried.
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    freshPath_ = FreshNameBeside(path_);
    fd_ = ::open(freshPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                 S_IRUSR | S_IWUSR);
    error_ = fd_ < 0 ? errno : 0;
    if (fd_ < 0 && error_ != EEXIST) break;
  }
  if (fd_ < 0) freshPath_.clear();
}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!freshPath_.empty()) ::unlink(freshPath_.c_str());
  freshPath_.clear();
}

std::size_t ReplacementFile::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t written = 0;
  while (fd_ >= 0 && written < size) {
    ssize_t n = ::write(fd_, bytes + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  return written;
}

bool ReplacementFile::Commit() {
  if (fd_ < 0 || error_ != 0) return false;
  std::optional<FileIdentity> identity = IdentityAt(fd_, "", AT_EMPTY_PATH);
  if (!identity) error_ = errno;
  identity_ = identity.value_or(FileIdentity{});
  // A failed close can mean the data never reached the disk.
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  if (error_ == 0 && ::rename(freshPath_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_ != 0) {
    Discard();
    return false;
  }
  freshPath_.clear();
  return true;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) { return IdentityOf(path.c_str()); }

std::optional<FileIdentity> IdentityOf(const char* path) noexcept {
  return IdentityAt(AT_FDCWD, path, 0);
}

bool DeleteFileA(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::uint32_t SetErrorMode(std::uint32_t mode) { return errorMode.exchange(mode); }

namespace {

// No library this program loads comes near this.
constexpr off_t kLargestLibrary = 64 << 20;

#if !defined(__EMSCRIPTEN__)
// Whether the bytes are a shared object of this machine whose program
// headers and loaded segments lie inside them. (The loader maps segments
// without comparing them with the file's size; a file cut short is mapped
// past its end, and the first touch of the missing part kills the process.)
bool IsCompleteSharedObject(const std::vector<unsigned char>& bytes) {
  using Header = ElfW(Ehdr);
  using ProgramHeader = ElfW(Phdr);
  if (bytes.size() < sizeof(Header)) return false;
  Header header;
  std::memcpy(&header, bytes.data(), sizeof header);
  constexpr unsigned char kNativeClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != kNativeClass ||
      header.e_type != ET_DYN || header.e_phentsize != sizeof(ProgramHeader) || header.e_phnum == 0)
    return false;
  const std::uint64_t size = bytes.size();
  if (header.e_phoff > size || std::uint64_t{header.e_phnum} * sizeof(ProgramHeader) > size - header.e_phoff)
    return false;
  for (std::size_t i = 0; i < header.e_phnum; ++i) {
    ProgramHeader segment;
    std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    if (segment.p_type != PT_LOAD && segment.p_type != PT_DYNAMIC) continue;
    if (segment.p_offset > size || segment.p_filesz > size - segment.p_offset) return false;
  }
  return true;
}
#endif

// Reads a whole regular file (a pipe or a device would block or never end).
std::optional<std::vector<unsigned char>> ReadLibraryFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::vector<unsigned char>> bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestLibrary) {
    bytes.emplace(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes->size()) {
      const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    if (done != bytes->size()) bytes.reset();
  }
  ::close(fd);
  return bytes;
}

// Counts one load of a built-in library and gives its handle.
HMODULE LoadBuiltin(LoadedLibraries& libraries, const std::shared_ptr<BuiltinLibrary>& builtin) {
  auto& load = libraries.builtinLoads[builtin.get()];
  load.first = builtin;
  ++load.second;
  return reinterpret_cast<HMODULE>(builtin.get());
}

#if defined(__EMSCRIPTEN__)
// The page cannot load program code from a file. A library file there is a
// stand-in, one line that names the built-in library it stands for; loading
// the file loads that library, so a program that writes its library out and
// loads it from there takes the same steps as on the desktop (and fails the
// same way when the file is missing, cut short or something else).
HMODULE LoadBuiltinStandIn(const std::string& path) {
  if (path.find('/') == std::string::npos) return 0;
  std::optional<std::vector<unsigned char>> bytes = ReadLibraryFile(path);
  constexpr std::string_view kStandIn = "corvane built-in library: ";
  if (!bytes) return 0;
  const std::string text(bytes->begin(), bytes->end());
  if (!text.starts_with(kStandIn) || !text.ends_with("\n")) return 0;
  const std::string name = text.substr(kStandIn.size(), text.size() - kStandIn.size() - 1);
  LoadedLibraries& libraries = loadedLibraries();
  std::lock_guard guard(libraries.lock);
  std::shared_ptr<BuiltinLibrary> builtin = FindBuiltin(libraries, name);
  return builtin ? LoadBuiltin(libraries, builtin) : 0;
}
#endif

}  // namespace

HMODULE LoadLibraryA(const std::string& path) {
  LoadedLibraries& libraries = loadedLibraries();
  {
    std::lock_guard guard(libraries.lock);
    if (std::shared_ptr<BuiltinLibrary> builtin = FindBuiltin(libraries, path))
      return LoadBuiltin(libraries, builtin);
  }
#if defined(__EMSCRIPTEN__)
  return LoadBuiltinStandIn(path);
#else
  // A file is looked at first: the loader would block on a pipe, and it
  // maps a file cut short past its end. (A bare name is looked for where the
  // system keeps its libraries.)
  if (path.find('/') != std::string::npos) {
    std::optional<std::vector<unsigned char>> bytes = ReadLibraryFile(path);
    if (!bytes || !IsCompleteSharedObject(*bytes)) return 0;
  }
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return 0;
  std::lock_guard guard(libraries.lock);
  ++libraries.loads[handle];
  return reinterpret_cast<HMODULE>(handle);
#endif
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  auto* handle = reinterpret_cast<void*>(module);
  LoadedLibraries& libraries = loadedLibraries();
  std::lock_guard guard(libraries.lock);
  if (module == 0 || name == nullptr) return nullptr;
  if (auto builtin = libraries.builtinLoads.find(handle); builtin != libraries.builtinLoads.end()) {
    const LibraryExports& exports = builtin->second.first->exports;
    auto entry = exports.find(name);
    return entry == exports.end() ? nullptr : entry->second;
  }
#if defined(__EMSCRIPTEN__)
  return nullptr;
#else
  if (!libraries.loads.contains(handle)) return nullptr;
  return reinterpret_cast<FARPROC>(::dlsym(handle, name));
#endif
}

bool FreeLibrary(HMODULE module) {
  auto* handle = reinterpret_cast<void*>(module);
  LoadedLibraries& libraries = loadedLibraries();
  std::lock_guard guard(libraries.lock);
  if (auto builtin = libraries.builtinLoads.find(handle); builtin != libraries.builtinLoads.end()) {
    if (--builtin->second.second == 0) libraries.builtinLoads.erase(builtin);
    return true;
  }
#if defined(__EMSCRIPTEN__)
  return false;
#else
  auto it = libraries.loads.find(handle);
  if (it == libraries.loads.end()) return false;
  if (--it->second == 0) libraries.loads.erase(it);
  return ::dlclose(handle) == 0;
#endif
}

void RegisterBuiltinLibrary(const std::string& name, LibraryExports exports) {
  if (name.find('/') != std::string::npos) return;
  auto library = std::make_shared<BuiltinLibrary>();
  library->exports = std::move(exports);
  LoadedLibraries& libraries = loadedLibraries();
  std::lock_guard guard(libraries.lock);
  libraries.builtins[LowerCase(name)] = std::move(library);
}

void RemoveBuiltinLibrary(const std::string& name) {
  LoadedLibraries& libraries = loadedLibraries();
  std::lock_guard guard(libraries.lock);
  libraries.builtins.erase(LowerCase(name));
}

void ResetBuiltinLibraries() {
  LoadedLibraries& libraries = loadedLibraries();
  std::lock_guard guard(libraries.lock);
  libraries.builtins = DefaultBuiltins();
}

}  // namespace corvane::platform
