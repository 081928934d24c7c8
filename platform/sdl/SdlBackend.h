// The real desktop, reached through SDL2.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace corvane::platform {

// Opens the video side of SDL; gives nullptr and says why in `error` when no
// display can be opened.
std::unique_ptr<Backend> OpenSdlBackend(std::string& error);

// SDL on the named video driver, without asking for a desktop session: for
// benchmarks on SDL's "dummy" or "offscreen" driver. Not for the intro.
std::unique_ptr<Backend> OpenSdlBackendOnDriver(const char* driver, std::string& error);

}  // namespace corvane::platform
