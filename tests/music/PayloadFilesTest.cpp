// The payload files: written whole over whatever was at their name (never
// through a link, never into a file someone has open or mapped), the errors
// when that fails, and their deletion at exit.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <fcntl.h>

#include <algorithm>
#include <cstring>

#include "../support/HeadlessFixture.h"
#include "MusicTestSupport.h"
#include "Tallberg_Functions.h"
#include "framework/SysUtils.h"
#include "platform/AbruptEnd.h"
#include "platform/Kernel32.h"

namespace corvane::test {
namespace {

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<unsigned char> Block(std::size_t size) {
  std::vector<unsigned char> block(size);
  for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<unsigned char>(i * 7 + 3);
  return block;
}

class PayloadFiles : public ::testing::Test {
 protected:
  void TearDown() override { ResetMusic(); }

  ScratchTree tree;
  fs::path dir = tree.directory("rt");
  fs::path path = dir / PlayerLibraryName;
  fs::path victim = tree.root() / "victim";
};

// What was at the payload's name before it was written.
struct BeforeCase {
  const char* name;
  void (*plant)(const fs::path& path, const fs::path& victim);
};
void PrintTo(const BeforeCase& c, std::ostream* os) { *os << c.name; }

class WrittenOver : public PayloadFiles, public ::testing::WithParamInterface<BeforeCase> {};

TEST_P(WrittenOver, TheNameHoldsExactlyTheBlockAndNothingElseChanged) {
  WriteBytes(victim, "the victim's own data");
  GetParam().plant(path, victim);
  const std::vector<unsigned char> block = Block(3000);
  SaveDataToFile(path, block);
  EXPECT_FALSE(IsLink(path)) << "a planted link is replaced, not left in place";
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(ReadBytes(path), block);
  const std::vector<unsigned char> untouched = ReadBytes(victim);
  EXPECT_EQ(std::string(untouched.begin(), untouched.end()), "the victim's own data") << "nothing written through";
  EXPECT_FALSE(fs::exists(dir / "not-there")) << "a dangling link's target is not made";
  EXPECT_EQ(Names(dir), std::vector<std::string>{PlayerLibraryName}) << "no fresh file left over";
}

INSTANTIATE_TEST_SUITE_P(
    Payload, WrittenOver,
    ::testing::Values(
        BeforeCase{"nothing", [](const fs::path&, const fs::path&) {}},
        BeforeCase{"stale_longer_file", [](const fs::path& p, const fs::path&) { WriteBytes(p, std::string(100000, 'S')); }},
        BeforeCase{"link_to_another_file", [](const fs::path& p, const fs::path& v) { fs::create_symlink(v, p); }},
        BeforeCase{"dangling_link",
                   [](const fs::path& p, const fs::path&) { fs::create_symlink(p.parent_path() / "not-there", p); }},
        BeforeCase{"hard_link_to_another_file",
                   [](const fs::path& p, const fs::path& v) { fs::create_hard_link(v, p); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PayloadFiles, AnEmptyBlockGivesAnEmptyFile) {
  WriteBytes(path, "stale");
  SaveDataToFile(path, {});
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(fs::file_size(path), 0u);
}

// Another running copy of the intro has the old library mapped: its pages
// keep the old content.
TEST_F(PayloadFiles, AMappedOldFileStaysIntact) {
  const std::vector<unsigned char> old = Block(8192);
  SaveDataToFile(path, old);
  int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  void* mapped = ::mmap(nullptr, old.size(), PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  ASSERT_NE(mapped, MAP_FAILED);
  SaveDataToFile(path, std::vector<unsigned char>(100, 0xEE));
  EXPECT_EQ(std::memcmp(mapped, old.data(), old.size()), 0);
  ::munmap(mapped, old.size());
}

struct CreateFailure {
  const char* name;
  fs::path (*target)(const fs::path& dir);
};
void PrintTo(const CreateFailure& c, std::ostream* os) { *os << c.name; }

class CannotCreate : public PayloadFiles, public ::testing::WithParamInterface<CreateFailure> {};

TEST_P(CannotCreate, RaisesWithTheFullPathAndLeavesNothing) {
  const fs::path target = GetParam().target(dir);
  try {
    SaveDataToFile(target, Block(10));
    ADD_FAILURE() << "no error raised";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Datei " + target.string() + " kann nicht erstellt werden");
  }
  EXPECT_EQ(Names(dir).size(), fs::is_directory(dir / "BassMod.DLL") ? 1u : 0u) << "no fresh file left over";
}

INSTANTIATE_TEST_SUITE_P(
    Payload, CannotCreate,
    ::testing::Values(CreateFailure{"directory_missing", [](const fs::path& d) { return d / "gone" / "BassMod.DLL"; }},
                      CreateFailure{"name_is_a_directory",
                                    [](const fs::path& d) {
                                      fs::create_directory(d / "BassMod.DLL");
                                      return d / "BassMod.DLL";
                                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// A write that stops short (here: the file-size limit) raises the stream
// write error and leaves the old file as it was, not a truncated one.
TEST_F(PayloadFiles, AShortWriteRaisesAndKeepsTheOldFile) {
  WriteBytes(path, "old content");
  auto writeBeyondTheLimit = [&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      SaveDataToFile(path, Block(10000));
    } catch (const EWriteError& e) {
      std::_Exit(e.Message() == "Stream-Write-Fehler" ? 0 : 2);
    }
    std::_Exit(1);
  };
  EXPECT_EXIT(writeBeyondTheLimit(), ::testing::ExitedWithCode(0), "");
  const std::vector<unsigned char> kept = ReadBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old content");
  EXPECT_EQ(Names(dir), std::vector<std::string>{PlayerLibraryName});
}

TEST_F(PayloadFiles, DeletionSkipsWhatIsGoneAndWhatAnotherCopyWrote) {
  const fs::path module = dir / ModuleFileName;
  struct Case {
    const char* name;
    void (*meanwhile)(const fs::path& library, const fs::path& module);
    bool libraryLeft, moduleLeft;
  };
  const Case cases[] = {
      {"untouched", [](const fs::path&, const fs::path&) {}, false, false},
      {"module_removed", [](const fs::path&, const fs::path& m) { fs::remove(m); }, false, false},
      {"both_removed", [](const fs::path& l, const fs::path& m) {
         fs::remove(l);
         fs::remove(m);
       }, false, false},
      // Another copy of the intro wrote its own library since: it is theirs.
      {"library_replaced_by_another_copy",
       [](const fs::path& l, const fs::path&) {
         platform::ReplacementFile other(l);
         other.Write("theirs", 6);
         other.Commit();
       },
       true, false},
  };
  // In order at exit, and abruptly (a second signal, the display lost):
  // the same files go.
  for (bool abrupt : {false, true}) {
    for (const Case& c : cases) {
      SaveDataToFile(path, Block(100));
      SaveDataToFile(module, Block(200));
      c.meanwhile(path, module);
      if (abrupt) platform::RemoveOwned();
      else DeletePayloadFiles();
      EXPECT_EQ(fs::exists(path), c.libraryLeft) << c.name << (abrupt ? " abrupt" : "");
      EXPECT_EQ(fs::exists(module), c.moduleLeft) << c.name << (abrupt ? " abrupt" : "");
      fs::remove(path);
      ResetMusic();
    }
  }
}

class PayloadMessages : public HeadlessFixture {};

TEST_F(PayloadMessages, WaitingMessagesAreHandledAfterWriting) {
  ScratchTree tree;
  post(platform::EventKind::Paint);
  post(platform::EventKind::Paint);
  SaveDataToFile(tree.root() / ModuleFileName, Block(1));
  EXPECT_EQ(windows().pendingEvents(), 0u);
  ResetMusic();
}

}  // namespace
}  // namespace corvane::test
