// The page text file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "PageText.h"
#include "framework/SysUtils.h"
#include "headless/HeadlessBackend.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::string path = [] {
    platform::Install(std::make_unique<platform::HeadlessBackend>());
    platform::SetMessageEcho(false);
    return "/tmp/corvane-fuzz-" + std::to_string(getpid()) + ".dll";
  }();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  ResetPageText();
  try {
    LoadPageText(path);
  } catch (const Exception&) {
  }
  for (int line = 1; line <= PageTextLines; ++line)
    if (PageLineText(line).size() != PageLineLength) __builtin_trap();
  if (PageCount < 1 || PageCount > MaxPages) __builtin_trap();
  return 0;
}
