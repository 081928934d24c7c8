// The common base of the 2D device's wrappers, its exception, and the cache
// of libraries that the device is reached through.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Classes.h"
#include "framework/SysUtils.h"
#include "platform/Kernel32.h"
#include "platform/WinDef.h"

namespace corvane {

CORVANE_EXCEPTION(EDirectXError, Exception);

// Every wrapper records the result code of the platform call it made last.
class TDirectX : public TPersistent {
 public:
  const char* ClassName() const override { return "TDirectX"; }
  platform::HRESULT LastResult() const { return lastResult_; }
  void SetLastResult(platform::HRESULT result) {
    lastResult_ = result;
    if (result != 0) Check();
  }

 protected:
  // Called for every result that is not 0; nothing in this system reacts.
  virtual void Check() {}

 private:
  platform::HRESULT lastResult_ = 0;
};

// The entry point `entry` of `library`, loading the library once per name
// (case does not matter); raises Exception "%s not loaded" with the library
// name when the library or the entry point is missing.
platform::FARPROC LoadLibraryCache(const std::string& library, const std::string& entry);
// Unloads every library loaded through the cache (at program end).
void FreeLibraryCache();

}  // namespace corvane
