// The platform in use: one backend per process, installed at start.
//
// The free functions carry the platform's own names so that the layers above
// read like the code they stand in for.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/User32.h"

namespace corvane::platform {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::string_view name() const = 0;
  virtual WindowSystem& windows() = 0;
  virtual Clock& clock() = 0;
  // The screen the 2D device draws on.
  virtual Display& display() = 0;
};

// Installs the backend; the previous one (if any) is destroyed.
void Install(std::unique_ptr<Backend> backend);
void Uninstall();
bool IsInstalled();
Backend& Current();

std::uint32_t timeGetTime();

// Shows a modal message box and writes "caption: text" to stderr as well,
// so that a run from a terminal or a log shows what the user was told.
int MessageBoxA(HWND owner, const std::string& text, const std::string& caption,
                std::uint32_t style);
void SetMessageEcho(bool echo);

}  // namespace corvane::platform
