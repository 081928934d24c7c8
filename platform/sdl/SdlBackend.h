// The real desktop, reached through SDL2.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace corvane::platform {

// Opens the video side of SDL; gives nullptr and says why in `error` when no
// display can be opened.
std::unique_ptr<Backend> OpenSdlBackend(std::string& error);

}  // namespace corvane::platform
