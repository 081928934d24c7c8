// The cache of libraries the device wrappers reach the platform through.
#include "graphics/DirectX.h"

#include <cstdlib>
#include <vector>

namespace corvane {

namespace {

struct CachedLibrary {
  std::string name;  // lower-cased
  platform::HMODULE handle = 0;
};

std::vector<CachedLibrary>& Cache() {
  static std::vector<CachedLibrary> libraries;
  return libraries;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The handle of `library`, loaded on the first request for it.
platform::HMODULE CachedHandle(const std::string& library) {
  std::string key = LowerCase(library);
  for (const CachedLibrary& cached : Cache())
    if (cached.name == key) return cached.handle;
  platform::HMODULE handle = platform::LoadLibraryA(library);
  if (handle == 0) return 0;
  // Registered after the first load, so that at exit the cache is emptied
  // before the platform's own record of loaded libraries goes.
  static bool unloadAtExit = (std::atexit(FreeLibraryCache), true);
  (void)unloadAtExit;
  Cache().push_back({std::move(key), handle});
  return handle;
}

}  // namespace

platform::FARPROC LoadLibraryCache(const std::string& library, const std::string& entry) {
  platform::HMODULE handle = CachedHandle(library);
  platform::FARPROC proc = handle ? platform::GetProcAddress(handle, entry.c_str()) : nullptr;
  if (proc == nullptr) throw Exception(Format("%s not loaded", library));
  return proc;
}

void FreeLibraryCache() {
  std::vector<CachedLibrary>& libraries = Cache();
  for (const CachedLibrary& cached : libraries) platform::FreeLibrary(cached.handle);
  libraries.clear();
}

}  // namespace corvane
