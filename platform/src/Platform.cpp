#include "platform/Platform.h"

#include <cstdio>
#include <stdexcept>

namespace corvane::platform {

namespace {
std::unique_ptr<Backend>& installed() {
  static std::unique_ptr<Backend> backend;
  return backend;
}
bool messageEcho = true;
}  // namespace

void Install(std::unique_ptr<Backend> backend) {
  installed().reset();
  installed() = std::move(backend);
}

void Uninstall() { installed().reset(); }

bool IsInstalled() { return installed() != nullptr; }

Backend& Current() {
  if (!installed()) throw std::logic_error("no platform backend installed");
  return *installed();
}

std::uint32_t timeGetTime() { return Current().clock().now(); }

void SetMessageEcho(bool echo) { messageEcho = echo; }

int MessageBoxA(HWND owner, const std::string& text, const std::string& caption,
                std::uint32_t style) {
  if (messageEcho) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
  }
  return Current().windows().messageBox(owner, text, caption, style);
}

}  // namespace corvane::platform
