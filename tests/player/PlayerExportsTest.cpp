// The library shows exactly the 23 entry points and nothing of its insides.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "PlayerLibrary.h"

namespace corvane::test {
namespace {

const char* const kEntryPoints[] = {
    "BASSMOD_GetVersion",        "BASSMOD_GetDeviceDescription", "BASSMOD_ErrorGetCode",
    "BASSMOD_Init",              "BASSMOD_Free",                 "BASSMOD_GetCPU",
    "BASSMOD_GetVolume",         "BASSMOD_SetVolume",            "BASSMOD_MusicLoad",
    "BASSMOD_MusicFree",         "BASSMOD_MusicPlay",            "BASSMOD_MusicPlayEx",
    "BASSMOD_MusicSetAmplify",   "BASSMOD_MusicSetPanSep",       "BASSMOD_MusicSetPositionScaler",
    "BASSMOD_MusicIsActive",     "BASSMOD_MusicStop",            "BASSMOD_MusicPause",
    "BASSMOD_MusicGetLength",    "BASSMOD_MusicSetPosition",     "BASSMOD_MusicGetPosition",
    "BASSMOD_MusicSetSync",      "BASSMOD_MusicRemoveSync"};

// Names in the dynamic symbol table that the library defines.
std::set<std::string> definedDynamicSymbols() {
  const std::string command = std::string(CORVANE_NM) + " -D --defined-only " + CORVANE_PLAYER_LIBRARY;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::set<std::string> names;
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::istringstream fields(line);
    std::string field;
    std::string last;
    while (fields >> field) last = field;
    if (!last.empty()) names.insert(last);
  }
  return names;
}

TEST(PlayerExports, DynamicSymbolsAreExactlyTheEntryPoints) {
  const std::set<std::string> expected(std::begin(kEntryPoints), std::end(kEntryPoints));
  ASSERT_EQ(expected.size(), 23u);
  EXPECT_EQ(definedDynamicSymbols(), expected);
}

// Binding all 23 by name is PlayerLibrary's own job; it throws on a missing one.
TEST(PlayerExports, InternalsAreNotReachable) {
  void* handle = PlayerLibrary::get().handle;
  for (const char* name : {"_ZN7corvane6player6Player8instanceEv", "_ZN7corvane6player12setLastErrorEi",
                           "_ZN7corvane6player14ModuleRendererD1Ev"})
    EXPECT_EQ(dlsym(handle, name), nullptr) << name;
}

TEST(PlayerExports, ReportsVersionSeven) { EXPECT_EQ(PlayerLibrary::get().getVersion(), 0x00070000u); }

}  // namespace
}  // namespace corvane::test
