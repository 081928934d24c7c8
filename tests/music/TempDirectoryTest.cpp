// The user's private temporary directory: which directory is taken, which is
// refused, and how the answer reaches the caller's buffer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "MusicTestSupport.h"
#include "Tallberg_Functions.h"
#include "platform/Kernel32.h"

namespace corvane::test {
namespace {

constexpr uid_t kOtherUser = 12345;

// Where a case puts things: a runtime directory and a base for TMPDIR.
struct Layout {
  fs::path runtime;  // made 0700, not yet named in the environment
  fs::path tmp;      // made 01777, as /tmp is
  fs::path own() const { return tmp / ("corvane-" + std::to_string(::geteuid())); }
};

// Fresh: a new private directory made beside the refused own one.
enum class Taken { Runtime, Own, Fresh, SystemTmp, None };

struct TempCase {
  const char* name;
  // Prepares the layout and gives the values of XDG_RUNTIME_DIR and TMPDIR
  // (empty: unset).
  std::function<std::pair<std::string, std::string>(const Layout&)> prepare;
  Taken taken;
  bool givesAwayADirectory = false;  // only root can do that
};
void PrintTo(const TempCase& c, std::ostream* os) { *os << c.name; }

std::string Read(std::uint32_t size) {
  std::string buffer(size, '\0');
  std::uint32_t length = platform::GetTempPathA(size, buffer.data());
  return length == 0 || length >= size ? std::string() : buffer.substr(0, length);
}

class TempDirectory : public ::testing::TestWithParam<TempCase> {};

TEST_P(TempDirectory, TakesOnlyAPrivateDirectory) {
  const TempCase& c = GetParam();
  if (c.givesAwayADirectory && ::geteuid() != 0) GTEST_SKIP() << "only root can give a directory away";
  ScratchTree tree;
  Layout layout{tree.directory("runtime"), tree.directory("tmp", 01777)};
  auto [xdg, tmpdir] = c.prepare(layout);
  ScopedEnvironment xdgEnv("XDG_RUNTIME_DIR", xdg.empty() ? nullptr : xdg.c_str());
  ScopedEnvironment tmpEnv("TMPDIR", tmpdir.empty() ? nullptr : tmpdir.c_str());
  const unsigned ownModeBefore = ModeOf(layout.own());

  std::string expected;
  const std::string got = Read(1024);
  switch (c.taken) {
    case Taken::Runtime: expected = layout.runtime.string() + "/"; break;
    case Taken::Own: expected = layout.own().string() + "/"; break;
    case Taken::Fresh: {
      // corvane-<uid>.XXXXXX/ beside the refused one.
      const std::string prefix = layout.own().string() + ".";
      expected = got.starts_with(prefix) && got.size() == prefix.size() + 7 ? got : prefix + "XXXXXX/";
      break;
    }
    case Taken::SystemTmp: expected = "/tmp/corvane-" + std::to_string(::geteuid()) + "/"; break;
    case Taken::None: break;
  }
  EXPECT_EQ(got, expected);
  // Without any, the intro falls back on the current directory, if it may.
  EXPECT_EQ(GetTempDirectory(),
            c.taken == Taken::None ? platform::UnsharedCurrentDirectory().value_or("") : expected)
      << "the same directory again";
  if (c.taken == Taken::Own || c.taken == Taken::Fresh) {
    EXPECT_EQ(ModeOf(expected) & 0777, 0700u) << "made private";
  }
  // The fresh directory, and no other, is removed once it is not needed.
  platform::RemoveFreshTemporaryDirectory();
  EXPECT_EQ(fs::exists(expected), c.taken != Taken::Fresh && c.taken != Taken::None);
  EXPECT_EQ(ModeOf(layout.own()), c.taken == Taken::Own ? 0700u : ownModeBefore)
      << "a refused directory is left alone";
}

using Env = std::pair<std::string, std::string>;

INSTANTIATE_TEST_SUITE_P(
    Kernel, TempDirectory,
    ::testing::Values(
        TempCase{"runtime_dir_private", [](const Layout& l) { return Env{l.runtime, l.tmp}; },
                 Taken::Runtime},
        TempCase{"runtime_dir_with_trailing_separators",
                 [](const Layout& l) { return Env{l.runtime.string() + "//", l.tmp}; }, Taken::Runtime},
        TempCase{"runtime_dir_group_readable",
                 [](const Layout& l) {
                   ::chmod(l.runtime.c_str(), 0750);
                   return Env{l.runtime, l.tmp};
                 },
                 Taken::Own},
        TempCase{"runtime_dir_of_another_user",
                 [](const Layout& l) {
                   EXPECT_EQ(::chown(l.runtime.c_str(), kOtherUser, kOtherUser), 0);
                   return Env{l.runtime, l.tmp};
                 },
                 Taken::Own, true},
        TempCase{"runtime_dir_is_a_link",
                 [](const Layout& l) {
                   fs::create_directory_symlink(l.runtime, l.runtime.parent_path() / "link");
                   return Env{l.runtime.parent_path() / "link", l.tmp};
                 },
                 Taken::Own},
        TempCase{"runtime_dir_relative", [](const Layout& l) { return Env{"runtime", l.tmp}; },
                 Taken::Own},
        TempCase{"own_dir_made_private", [](const Layout& l) { return Env{"", l.tmp}; }, Taken::Own},
        TempCase{"own_dir_base_with_trailing_separator",
                 [](const Layout& l) { return Env{"", l.tmp.string() + "/"}; }, Taken::Own},
        TempCase{"own_dir_of_another_user",
                 [](const Layout& l) {
                   fs::create_directory(l.own());
                   ::chmod(l.own().c_str(), 0700);
                   EXPECT_EQ(::chown(l.own().c_str(), kOtherUser, kOtherUser), 0);
                   return Env{"", l.tmp};
                 },
                 Taken::Fresh, true},
        TempCase{"own_dir_group_writable",
                 [](const Layout& l) {
                   fs::create_directory(l.own());
                   ::chmod(l.own().c_str(), 0770);
                   return Env{"", l.tmp};
                 },
                 Taken::Fresh},
        TempCase{"own_dir_others_may_enter",
                 [](const Layout& l) {
                   fs::create_directory(l.own());
                   ::chmod(l.own().c_str(), 0701);
                   return Env{"", l.tmp};
                 },
                 Taken::Fresh},
        TempCase{"own_dir_is_a_link_to_a_private_dir",
                 [](const Layout& l) {
                   fs::create_directory_symlink(l.runtime, l.own());
                   return Env{"", l.tmp};
                 },
                 Taken::Fresh},
        // The fresh directory must be private, and is made under the same base.
        TempCase{"own_dir_a_file",
                 [](const Layout& l) {
                   WriteBytes(l.own(), "planted");
                   return Env{"", l.tmp};
                 },
                 Taken::Fresh},
        TempCase{"base_missing",
                 [](const Layout& l) { return Env{"", (l.tmp / "gone").string()}; }, Taken::None},
        TempCase{"tmpdir_unset", [](const Layout&) { return Env{"", ""}; }, Taken::SystemTmp}),
    [](const auto& info) { return std::string(info.param.name); });

// A directory longer than the first buffer of 1024 characters is used whole.
TEST(TempPathBuffer, ALongDirectoryIsUsedWhole) {
  ScratchTree tree;
  fs::path runtime = tree.root();
  while (runtime.string().size() < 1100) runtime /= std::string(200, 'd');
  fs::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  ScopedEnvironment xdg("XDG_RUNTIME_DIR", runtime.c_str());
  EXPECT_EQ(GetTempDirectory(), runtime.string() + "/");
}

}  // namespace
}  // namespace corvane::test
