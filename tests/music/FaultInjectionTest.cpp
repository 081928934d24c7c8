// Faults injected into the running intro: its payload files damaged, removed
// or replaced before or while the music plays, the library unreadable, and
// its temporary directory missing, a link, or full. Each run goes on as the
// intro does without music where the music cannot be had, says nothing it
// would not say anyway (or the one error box that is due), never hangs, and
// leaves nothing of its own behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "IntroMusicFixture.h"
#include "PlayerApi.h"

namespace corvane::test {
namespace {

using Names = std::vector<std::string>;

// Everything in a directory, hidden names included, sorted.
Names EntriesOf(const fs::path& dir) {
  Names names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void TruncateInPlace(const fs::path& path, std::uintmax_t size) { ASSERT_EQ(::truncate(path.c_str(), size), 0); }

// The same file (the intro's own) given other content.
void OverwriteInPlace(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Another file put at the name, the way a program writing a whole file does.
void ReplaceWith(const fs::path& path, const std::string& bytes) {
  fs::path fresh = path;
  fresh += ".new";
  WriteBytes(fresh, bytes);
  fs::rename(fresh, path);
}

void ReplaceWithFifo(const fs::path& path) {
  fs::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
}

void ReplaceWithDirectory(const fs::path& path) {
  fs::remove(path);
  fs::create_directory(path);
}

enum class Stage { BeforeTheMusic, WithTheMusic };

struct PayloadFault {
  const char* name;
  Stage stage;
  // Damages the payload in the directory; gives the names there that are
  // no longer the intro's own and so must stay.
  std::function<Names(const fs::path& library, const fs::path& module)> inject;
  bool musicPlays;
};
void PrintTo(const PayloadFault& c, std::ostream* os) { *os << c.name; }

class PayloadFaults : public IntroMusic, public ::testing::WithParamInterface<PayloadFault> {};

TEST_P(PayloadFaults, LeaveTheIntroRunningAndNothingOfItsOwnBehind) {
  const PayloadFault& c = GetParam();
  const fs::path library = runtime / PlayerLibraryName, module = runtime / ModuleFileName;
  create();
  start();
  Names theirs;
  if (c.stage == Stage::BeforeTheMusic) theirs = c.inject(library, module);
  runUntilFrame(MusicStartFrame + 10);
  if (c.stage == Stage::WithTheMusic) {
    ASSERT_TRUE(MusicLoaded);
    theirs = c.inject(library, module);
  }
  runUntilFrame(MusicStartFrame + 30);
  EXPECT_EQ(FrameCounter, MusicStartFrame + 30) << "the frames go on";
  EXPECT_EQ(MusicLoaded, c.musicPlays);
  if (c.musicPlays) {
    EXPECT_EQ(BASSMOD_MusicIsActive(), PLAYER_ACTIVE_PLAYING);
  }
  EXPECT_EQ(boxTexts(), Names{kNoTextFile}) << "no message about the music";
  post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
  end();
  std::sort(theirs.begin(), theirs.end());
  EXPECT_EQ(EntriesOf(runtime), theirs);
}

const std::string kText = "not a library, not a module\n";

INSTANTIATE_TEST_SUITE_P(
    IntroMusic, PayloadFaults,
    ::testing::Values(
        PayloadFault{"library_truncated", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       TruncateInPlace(library, fs::file_size(library) / 2);
                       return Names{};
                     },
                     false},
        PayloadFault{"library_emptied", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       TruncateInPlace(library, 0);
                       return Names{};
                     },
                     false},
        PayloadFault{"library_not_a_library", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       OverwriteInPlace(library, kText);
                       return Names{};
                     },
                     false},
        PayloadFault{"library_removed", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       fs::remove(library);
                       return Names{};
                     },
                     false},
        PayloadFault{"library_replaced_by_the_module", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path& module) {
                       std::vector<unsigned char> bytes = ReadBytes(module);
                       ReplaceWith(library, {bytes.begin(), bytes.end()});
                       return Names{PlayerLibraryName};
                     },
                     false},
        PayloadFault{"library_replaced_by_a_fifo", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       ReplaceWithFifo(library);
                       return Names{PlayerLibraryName};
                     },
                     false},
        PayloadFault{"library_replaced_by_a_directory", Stage::BeforeTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       ReplaceWithDirectory(library);
                       return Names{PlayerLibraryName};
                     },
                     false},
        PayloadFault{"module_removed", Stage::BeforeTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       fs::remove(module);
                       return Names{};
                     },
                     false},
        PayloadFault{"module_cut_after_its_title", Stage::BeforeTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       TruncateInPlace(module, 20);
                       return Names{};
                     },
                     false},
        PayloadFault{"module_not_a_module", Stage::BeforeTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       OverwriteInPlace(module, kText);
                       return Names{};
                     },
                     false},
        PayloadFault{"module_replaced_by_a_fifo", Stage::BeforeTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       ReplaceWithFifo(module);
                       return Names{ModuleFileName};
                     },
                     false},
        PayloadFault{"module_replaced_by_a_directory", Stage::BeforeTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       ReplaceWithDirectory(module);
                       return Names{ModuleFileName};
                     },
                     false},
        PayloadFault{"module_removed_while_it_plays", Stage::WithTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       fs::remove(module);
                       return Names{};
                     },
                     true},
        PayloadFault{"module_replaced_while_it_plays", Stage::WithTheMusic,
                     [](const fs::path&, const fs::path& module) {
                       ReplaceWith(module, kText);
                       return Names{ModuleFileName};
                     },
                     true},
        PayloadFault{"library_removed_while_it_plays", Stage::WithTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       fs::remove(library);
                       return Names{};
                     },
                     true},
        PayloadFault{"library_replaced_while_it_plays", Stage::WithTheMusic,
                     [](const fs::path& library, const fs::path&) {
                       ReplaceWith(library, kText);
                       return Names{PlayerLibraryName};
                     },
                     true}),
    [](const auto& info) { return std::string(info.param.name); });


// A library file its user cannot read. Root reads every file, so the intro
// runs as an ordinary user here.
TEST_F(IntroMusic, AnUnreadableLibraryGivesASilentIntro) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
  constexpr uid_t kUser = 65534;
  ::chmod(tree.root().c_str(), 0755);
  ASSERT_EQ(::chown(runtime.c_str(), kUser, kUser), 0);
  const int status = InChild([&] {
    if (::setresuid(kUser, kUser, kUser) != 0) std::_Exit(kCannot);
    create();
    start();
    EXPECT_EQ(::chmod((runtime / PlayerLibraryName).c_str(), 0), 0);
    runUntilFrame(MusicStartFrame + 30);
    EXPECT_EQ(FrameCounter, MusicStartFrame + 30);
    EXPECT_FALSE(MusicLoaded);
    EXPECT_EQ(boxTexts(), Names{kNoTextFile});
    post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
    end();
    EXPECT_EQ(EntriesOf(runtime), Names{});
  });
  EXPECT_EQ(status, 0);
}

// The temporary directory missing, or named by a link: the payload goes to
// where the intro may write it, the music plays from there, and the place is
// empty again at the end.
struct TempFault {
  const char* name;
  // Sets up the layout; gives where the payload must go.
  std::function<fs::path(const ScratchTree& tree, const fs::path& runtime, const fs::path& cwd)> prepare;
};
void PrintTo(const TempFault& c, std::ostream* os) { *os << c.name; }

class TempFaults : public IntroMusic, public ::testing::WithParamInterface<TempFault> {};

TEST_P(TempFaults, MoveThePayloadAndLeaveNothing) {
  ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnvironment tmpdir("TMPDIR", nullptr);
  const fs::path target = GetParam().prepare(tree, runtime, cwd.path());
  create();
  EXPECT_EQ(payloadIn(target).size(), 2u);
  EXPECT_EQ(EntriesOf(runtime), Names{}) << "the link's target is not written into";
  playPastTheMusicAndEscape();
  EXPECT_EQ(payloadIn(target), Names{});
}

INSTANTIATE_TEST_SUITE_P(
    IntroMusic, TempFaults,
    ::testing::Values(
        TempFault{"missing",
                  [](const ScratchTree& tree, const fs::path&, const fs::path& cwd) {
                    ::setenv("XDG_RUNTIME_DIR", (tree.root() / "gone" / "runtime").c_str(), 1);
                    ::setenv("TMPDIR", (tree.root() / "gone" / "tmp").c_str(), 1);
                    return cwd;
                  }},
        TempFault{"a_link",
                  [](const ScratchTree& tree, const fs::path& runtime, const fs::path&) {
                    const fs::path link = tree.root() / "link", tmp = tree.directory("tmp", 01777);
                    fs::create_directory_symlink(runtime, link);
                    ::setenv("XDG_RUNTIME_DIR", link.c_str(), 1);
                    ::setenv("TMPDIR", tmp.c_str(), 1);
                    return tmp / ("corvane-" + std::to_string(::geteuid()));
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// A full temporary directory: a file system of its own, too small for the
// payload, mounted in a mount namespace of a child process. The write fails
// with the error box, the rest of the start is skipped, the intro still ends
// normally, and no part-written file is left.
struct FullCase {
  const char* name;
  std::size_t room;  // bytes the file system takes
};
void PrintTo(const FullCase& c, std::ostream* os) { *os << c.name; }

class FullDirectory : public IntroMusic, public ::testing::WithParamInterface<FullCase> {};

TEST_P(FullDirectory, GivesTheErrorBoxAndLeavesNothing) {
  const int status = InChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      std::_Exit(kCannot);
    const std::string options = "size=" + std::to_string(GetParam().room) + ",mode=0700";
    if (::mount("corvane-full", runtime.c_str(), "tmpfs", 0, options.c_str()) != 0) std::_Exit(kCannot);
    create();
    EXPECT_EQ(boxTexts(), (Names{kNoTextFile, "Corvane: Stream-Write-Fehler"}));
    EXPECT_FALSE(frmMain->dxTimer->Enabled()) << "the rest of the start is skipped";
    start();
    EXPECT_TRUE(window().visible);
    post(platform::EventKind::KeyDown, frmMain->Handle(), platform::VK_ESCAPE);
    end();
    EXPECT_EQ(EntriesOf(runtime), Names{});
    ::umount(runtime.c_str());
  });
  if (status == kCannot) GTEST_SKIP() << "no private mount namespace here";
  EXPECT_EQ(status, 0);
}

// No library can be loaded from a noexec mount: the private directory on
// one is not taken. With only that directory noexec, a fresh one beside it
// is; with the whole base noexec, the current directory (the test's own, which
// nobody else can write). Either way the music plays and nothing of the
// intro's is left.
struct NoexecCase {
  const char* name;
  bool wholeBase;  // else only the private directory
};
void PrintTo(const NoexecCase& c, std::ostream* os) { *os << c.name; }

class NoexecDirectory : public IntroMusic, public ::testing::WithParamInterface<NoexecCase> {};

TEST_P(NoexecDirectory, ThePayloadGoesWhereItCanBeLoaded) {
  const NoexecCase& c = GetParam();
  const fs::path tmp = tree.directory("tmp", 01777);
  const std::string ownName = "corvane-" + std::to_string(::geteuid());
  const fs::path own = tmp / ownName;
  ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnvironment tmpdir("TMPDIR", tmp.c_str());
  const int status = InChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      std::_Exit(kCannot);
    if (!c.wholeBase) fs::create_directory(own);
    const fs::path mountPoint = c.wholeBase ? tmp : own;
    if (::mount("corvane-noexec", mountPoint.c_str(), "tmpfs", MS_NOEXEC, c.wholeBase ? "mode=1777" : "mode=0700") != 0)
      std::_Exit(kCannot);
    create();
    fs::path target = cwd.path();
    if (!c.wholeBase)
      for (const auto& entry : fs::directory_iterator(tmp))
        if (entry.path() != own) target = entry.path();
    EXPECT_EQ(payloadIn(target).size(), 2u) << target;
    EXPECT_EQ(EntriesOf(own), Names{}) << "nothing written to the noexec directory";
    playPastTheMusicAndEscape();
    EXPECT_EQ(EntriesOf(tmp), Names{ownName}) << "no fresh directory left";
    EXPECT_EQ(payloadIn(cwd.path()), Names{});
    ::umount(mountPoint.c_str());
  });
  if (status == kCannot) GTEST_SKIP() << "no private mount namespace here";
  EXPECT_EQ(status, 0);
}

INSTANTIATE_TEST_SUITE_P(IntroMusic, NoexecDirectory,
                         ::testing::Values(NoexecCase{"private_directory", false}, NoexecCase{"whole_base", true}),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr std::size_t Pages(std::size_t bytes) { return (bytes + 4095) / 4096 * 4096; }

INSTANTIATE_TEST_SUITE_P(IntroMusic, FullDirectory,
                         ::testing::Values(FullCase{"no_room_for_the_library", 16 * 1024},
                                           FullCase{"no_room_for_the_module",
                                                    Pages(PlayerLibraryData.size()) + 16 * 1024}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::test
