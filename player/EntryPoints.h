// The player's entry points by name, for a program that has the player linked
// in and offers it as a library of its own (the web page, which cannot load
// program code from a file).
#pragma once

#include <span>

namespace corvane::player {

struct EntryPoint {
  const char* name;
  void (*address)();
};

// All 23, as the shared library exports them.
std::span<const EntryPoint> EntryPoints();

}  // namespace corvane::player
