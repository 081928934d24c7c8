// Binding of the player library: all 23 entry points or none, the path the
// library is loaded from, and one load for as long as it stays loaded.
#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <type_traits>

#include "BASSMOD_Dynamic.h"
#include "MusicTestSupport.h"
#include "PlayerApi.h"
#include "Tallberg_Functions.h"
#include "platform/Kernel32.h"

namespace corvane::test {
namespace {

// The slots have the types of the player's own entry points.
#define SAME_TYPE(name) static_assert(std::is_same_v<decltype(corvane::name), decltype(&::name)>, #name)
SAME_TYPE(BASSMOD_GetVersion);
SAME_TYPE(BASSMOD_GetDeviceDescription);
SAME_TYPE(BASSMOD_ErrorGetCode);
SAME_TYPE(BASSMOD_Init);
SAME_TYPE(BASSMOD_Free);
SAME_TYPE(BASSMOD_GetCPU);
SAME_TYPE(BASSMOD_GetVolume);
SAME_TYPE(BASSMOD_SetVolume);
SAME_TYPE(BASSMOD_MusicLoad);
SAME_TYPE(BASSMOD_MusicFree);
SAME_TYPE(BASSMOD_MusicPlay);
SAME_TYPE(BASSMOD_MusicPlayEx);
SAME_TYPE(BASSMOD_MusicSetAmplify);
SAME_TYPE(BASSMOD_MusicSetPanSep);
SAME_TYPE(BASSMOD_MusicSetPositionScaler);
SAME_TYPE(BASSMOD_MusicIsActive);
SAME_TYPE(BASSMOD_MusicStop);
SAME_TYPE(BASSMOD_MusicPause);
SAME_TYPE(BASSMOD_MusicGetLength);
SAME_TYPE(BASSMOD_MusicSetPosition);
SAME_TYPE(BASSMOD_MusicGetPosition);
SAME_TYPE(BASSMOD_MusicSetSync);
SAME_TYPE(BASSMOD_MusicRemoveSync);
#undef SAME_TYPE

// How many of the 23 slots hold an address.
int SlotsSet() {
  const bool set[] = {
      BASSMOD_GetVersion != nullptr,         BASSMOD_GetDeviceDescription != nullptr,
      BASSMOD_ErrorGetCode != nullptr,       BASSMOD_Init != nullptr,
      BASSMOD_Free != nullptr,               BASSMOD_GetCPU != nullptr,
      BASSMOD_GetVolume != nullptr,          BASSMOD_SetVolume != nullptr,
      BASSMOD_MusicLoad != nullptr,          BASSMOD_MusicFree != nullptr,
      BASSMOD_MusicPlay != nullptr,          BASSMOD_MusicPlayEx != nullptr,
      BASSMOD_MusicSetAmplify != nullptr,    BASSMOD_MusicSetPanSep != nullptr,
      BASSMOD_MusicSetPositionScaler != nullptr, BASSMOD_MusicIsActive != nullptr,
      BASSMOD_MusicStop != nullptr,          BASSMOD_MusicPause != nullptr,
      BASSMOD_MusicGetLength != nullptr,     BASSMOD_MusicSetPosition != nullptr,
      BASSMOD_MusicGetPosition != nullptr,   BASSMOD_MusicSetSync != nullptr,
      BASSMOD_MusicRemoveSync != nullptr};
  int count = 0;
  for (bool s : set) count += s;
  return count;
}

class Binding : public ::testing::Test {
 protected:
  void TearDown() override { ResetMusic(); }
  // Puts a fake player at lib/BassMod.DLL (by a rename, as a running
  // process's library must never be written into).
  void place(const std::string& lacking = {}) {
    fs::copy_file(FakePlayer(lacking), lib / "incoming", fs::copy_options::overwrite_existing);
    fs::rename(lib / "incoming", library);
  }

  ScratchTree tree;
  fs::path lib = tree.directory("lib");
  fs::path library = lib / PlayerLibraryName;
  FakePlayerLog log{tree.root() / "calls.log"};
};

TEST_F(Binding, BindsAllEntryPointsAndRestoresTheErrorMode) {
  place();
  platform::SetErrorMode(0x1234);
  EXPECT_TRUE(LoadPlayerLibrary(lib.string() + "/", PlayerLibraryName));
  EXPECT_EQ(platform::SetErrorMode(0), 0x1234u) << "the mode before the load is back";
  EXPECT_NE(PlayerLibraryHandle, 0u);
  EXPECT_EQ(SlotsSet(), 23);
  EXPECT_EQ(BASSMOD_GetVersion(), PLAYER_VERSION);
}

class LackingOne : public Binding, public ::testing::WithParamInterface<const char*> {};

TEST_P(LackingOne, IsReleasedAndRefused) {
  ASSERT_TRUE(fs::exists(FakePlayer(GetParam()))) << "no fake player is built without " << GetParam();
  place(GetParam());
  EXPECT_FALSE(LoadPlayerLibrary(lib, PlayerLibraryName));
  EXPECT_EQ(PlayerLibraryHandle, 0u);
  EXPECT_EQ(SlotsSet(), 0) << "no slot is left pointing into the released library";
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"load " + library.string(), "unload, own file present"}));
}

INSTANTIATE_TEST_SUITE_P(Binding, LackingOne, ::testing::ValuesIn(PlayerEntryPointNames),
                         [](const auto& info) { return std::string(info.param); });

struct DirectoryCase {
  const char* name;
  std::string (*directory)(const fs::path& lib);
  std::string (*loadedFrom)(const fs::path& lib);
};
void PrintTo(const DirectoryCase& c, std::ostream* os) { *os << c.name; }

class DirectoryForms : public Binding, public ::testing::WithParamInterface<DirectoryCase> {};

TEST_P(DirectoryForms, GiveOnePath) {
  place();
  const fs::path old = fs::current_path();
  fs::current_path(lib);
  EXPECT_TRUE(LoadPlayerLibrary(GetParam().directory(lib), PlayerLibraryName));
  fs::current_path(old);
  EXPECT_EQ(log.lines(), std::vector<std::string>{"load " + GetParam().loadedFrom(lib)});
}

INSTANTIATE_TEST_SUITE_P(
    Binding, DirectoryForms,
    ::testing::Values(
        DirectoryCase{"with_separator", [](const fs::path& l) { return l.string() + "/"; },
                      [](const fs::path& l) { return l.string() + "/BassMod.DLL"; }},
        DirectoryCase{"without_separator", [](const fs::path& l) { return l.string(); },
                      [](const fs::path& l) { return l.string() + "/BassMod.DLL"; }},
        // No temporary directory: the payload went to the current directory.
        DirectoryCase{"empty_is_the_current_directory", [](const fs::path&) { return std::string(); },
                      [](const fs::path&) { return std::string("./BassMod.DLL"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, ASecondLoadLoadsNothing) {
  place();
  ASSERT_TRUE(LoadPlayerLibrary(lib, PlayerLibraryName));
  const platform::HMODULE first = PlayerLibraryHandle;
  // Whatever is at the path now is not looked at again.
  place("BASSMOD_GetVersion");
  EXPECT_TRUE(LoadPlayerLibrary(lib, PlayerLibraryName));
  EXPECT_EQ(PlayerLibraryHandle, first);
  // One load, so one release unloads it.
  UnloadPlayerLibrary();
  EXPECT_EQ(PlayerLibraryHandle, 0u);
  EXPECT_EQ(SlotsSet(), 0);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"load " + library.string(), "MusicFree",
                                                   "unload, own file present"}));
}

TEST_F(Binding, NothingLoadableGivesFalse) {
  for (const char* content : {static_cast<const char*>(nullptr), "not a library", ""}) {
    fs::remove(library);
    if (content) WriteBytes(library, content);
    EXPECT_FALSE(LoadPlayerLibrary(lib, PlayerLibraryName)) << (content ? content : "missing");
    EXPECT_EQ(PlayerLibraryHandle, 0u);
  }
  UnloadPlayerLibrary();
  EXPECT_EQ(PlayerLibraryHandle, 0u);
  EXPECT_TRUE(log.lines().empty());
}

TEST(LibraryHandles, OnlyLoadedOnesAreAccepted) {
  const platform::HMODULE made_up = 0x1000;
  EXPECT_FALSE(platform::FreeLibrary(0));
  EXPECT_FALSE(platform::FreeLibrary(made_up));
  EXPECT_EQ(platform::GetProcAddress(made_up, "BASSMOD_Init"), nullptr);
  platform::HMODULE handle = platform::LoadLibraryA(FakePlayer().string());
  ASSERT_NE(handle, 0u);
  EXPECT_NE(platform::GetProcAddress(handle, "BASSMOD_Init"), nullptr);
  EXPECT_EQ(platform::GetProcAddress(handle, "NoSuchEntryPoint"), nullptr);
  EXPECT_TRUE(platform::FreeLibrary(handle));
  EXPECT_FALSE(platform::FreeLibrary(handle)) << "a released handle is stale";
  EXPECT_EQ(platform::GetProcAddress(handle, "BASSMOD_Init"), nullptr);
}

// A library file reaches the loader only when it is a whole, regular file:
// the loader maps a file cut short past its end (and the process dies at the
// first touch there) and waits for ever on a pipe.
// Where the last segment the loader maps ends in a shared object's bytes.
std::size_t EndOfLoadedPart(const std::string& bytes) {
  ElfW(Ehdr) header;
  std::memcpy(&header, bytes.data(), sizeof header);
  std::size_t end = 0;
  for (std::size_t i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment;
    std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    if (segment.p_type == PT_LOAD) end = std::max<std::size_t>(end, segment.p_offset + segment.p_filesz);
  }
  return end;
}

struct LibraryFileCase {
  const char* name;
  std::function<void(const fs::path& at, const std::string& whole)> make;
  bool loads;
};
void PrintTo(const LibraryFileCase& c, std::ostream* os) { *os << c.name; }

class LibraryFiles : public ::testing::TestWithParam<LibraryFileCase> {};

TEST_P(LibraryFiles, OnlyWholeRegularSharedObjectsAreLoaded) {
  ScratchTree tree;
  const fs::path at = tree.root() / "library.so";
  GetParam().make(at, FakePlayerBytes());
  platform::HMODULE handle = platform::LoadLibraryA(at.string());
  EXPECT_EQ(handle != 0, GetParam().loads);
  if (handle != 0) {
    EXPECT_NE(platform::GetProcAddress(handle, "BASSMOD_Init"), nullptr);
    EXPECT_TRUE(platform::FreeLibrary(handle));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Binding, LibraryFiles,
    ::testing::Values(
        LibraryFileCase{"whole", [](const fs::path& at, const std::string& whole) { WriteBytes(at, whole); }, true},
        LibraryFileCase{"through_a_link",
                        [](const fs::path& at, const std::string& whole) {
                          WriteBytes(at.parent_path() / "real.so", whole);
                          fs::create_symlink("real.so", at);
                        },
                        true},
        LibraryFileCase{"cut_after_its_loaded_part",
                        [](const fs::path& at, const std::string& whole) {
                          WriteBytes(at, whole.substr(0, EndOfLoadedPart(whole)));
                        },
                        true},
        LibraryFileCase{"cut_one_byte_short_of_its_loaded_part",
                        [](const fs::path& at, const std::string& whole) {
                          WriteBytes(at, whole.substr(0, EndOfLoadedPart(whole) - 1));
                        },
                        false},
        LibraryFileCase{"cut_after_the_file_header",
                        [](const fs::path& at, const std::string& whole) { WriteBytes(at, whole.substr(0, 64)); },
                        false},
        LibraryFileCase{"cut_inside_the_file_header",
                        [](const fs::path& at, const std::string& whole) { WriteBytes(at, whole.substr(0, 20)); },
                        false},
        LibraryFileCase{"a_pipe", [](const fs::path& at, const std::string&) { ::mkfifo(at.c_str(), 0600); },
                        false},
        LibraryFileCase{"a_directory", [](const fs::path& at, const std::string&) { fs::create_directory(at); },
                        false},
        LibraryFileCase{"a_device",
                        [](const fs::path& at, const std::string&) { fs::create_symlink("/dev/zero", at); },
                        false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
