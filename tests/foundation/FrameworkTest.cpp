// The framework pieces the intro leans on: number conversion, messages,
// ownership, the text file reader and the message loop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "../support/HeadlessFixture.h"
#include "framework/TextFile.h"

namespace corvane::test {
namespace {

struct IntCase {
  const char* text;
  bool valid;
  std::int32_t value;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.text; }

class StrToIntCases : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntCases, ConvertsOrRaisesWithTheText) {
  const IntCase& c = GetParam();
  if (c.valid) {
    EXPECT_EQ(StrToInt(c.text), c.value);
    return;
  }
  try {
    StrToInt(c.text);
    FAIL() << "converted";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), std::string("'") + c.text + "' ist kein gültiger Integerwert");
  }
}

INSTANTIATE_TEST_SUITE_P(Framework, StrToIntCases,
                         ::testing::Values(IntCase{"0", true, 0}, IntCase{"7", true, 7},
                                           IntCase{"  12", true, 12}, IntCase{"+3", true, 3},
                                           IntCase{"-3", true, -3}, IntCase{"0010", true, 10},
                                           IntCase{"2147483647", true, 2147483647},
                                           IntCase{"-2147483648", true, INT32_MIN},
                                           IntCase{"2147483648", false, 0}, IntCase{"", false, 0},
                                           IntCase{"-", false, 0}, IntCase{"1 ", false, 0},
                                           IntCase{"--1", false, 0}, IntCase{"+-1", false, 0},
                                           IntCase{"0x10", false, 0}, IntCase{"1e3", false, 0},
                                           IntCase{"zwei", false, 0},
                                           // Leading zeros count for nothing, however many.
                                           IntCase{"000000000002", true, 2},
                                           IntCase{"-000000000002147483648", true, INT32_MIN},
                                           IntCase{"0000000000000000", true, 0},
                                           IntCase{"000000000002147483648", false, 0},
                                           IntCase{"0000000000099999999999", false, 0},
                                           IntCase{"00000000000000x1", false, 0}));

TEST(Framework, FormatFillsTheDirectivesInOrder) {
  EXPECT_EQ(Format(msg::SFCreateError, "/tmp/x"), "Datei /tmp/x kann nicht erstellt werden");
  EXPECT_EQ(Format("Bitcount in invalid (%d)", 2), "Bitcount in invalid (2)");
  EXPECT_EQ(Format(msg::SAssignError, "TDIB", "TBitmap"), "TDIB kann nicht zu  TBitmap zugewiesen werden");
  EXPECT_EQ(Format("100%% %s", "sure"), "100% sure");
  EXPECT_EQ(Format("%s and %s", "one"), "one and %s");
}

// A component that logs its end and the removal notices it hears. Notices
// name the component by the tag it had, since it is half gone by then.
class Thing : public TComponent {
 public:
  Thing(TComponent* owner, std::vector<std::string>* log, std::string tag)
      : TComponent(owner), log_(log), tag_(std::move(tag)) {
    Tags()[this] = tag_;
  }
  ~Thing() override { log_->push_back("free " + tag_); }
  const char* ClassName() const override { return "Thing"; }
  void Notification(TComponent* c, TOperation op) override {
    if (op == TOperation::opRemove) log_->push_back(tag_ + " heard " + Tags()[c]);
    TComponent::Notification(c, op);
  }

 private:
  static std::map<const TComponent*, std::string>& Tags() {
    static std::map<const TComponent*, std::string> tags;
    return tags;
  }
  std::vector<std::string>* log_;
  std::string tag_;
};

TEST(Framework, OwnersFreeLastFirstAndTellWhoAsked) {
  std::vector<std::string> log;
  auto* root = new Thing(nullptr, &log, "root");
  auto* a = new Thing(root, &log, "a");
  new Thing(root, &log, "b");
  auto* outsider = new Thing(nullptr, &log, "outsider");
  outsider->FreeNotification(a);
  EXPECT_EQ(root->ComponentCount(), 2);
  TComponent::Free(root);
  // The owner's own part goes first, then its components last first; the
  // siblings hear of each removal, and the outsider hears of a, as it asked.
  EXPECT_EQ(log, (std::vector<std::string>{"free root", "free b", "a heard b", "free a",
                                           "outsider heard a"}));
  log.clear();
  TComponent::Free(outsider);
  EXPECT_EQ(log, (std::vector<std::string>{"free outsider"}));
}

TEST(Framework, AssigningWhatNoSideKnowsRaisesTheAssignError) {
  TPersistent a, b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "TPersistent kann nicht zu  TPersistent zugewiesen werden");
  }
}

TEST(TextFile, ReadsLinesAndStopsAtTheEndOfTextMark) {
  ScratchDirectory dir;
  std::ofstream("t.txt", std::ios::binary) << "one\r\ntwo\rthree\nfour\r\r\n\x1a" "after\r";
  TTextFile file("t.txt");
  file.Reset();
  std::vector<std::string> lines;
  while (!file.Eof()) lines.push_back(file.ReadLn());
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three\nfour", ""}));
  EXPECT_EQ(file.ReadLn(), "") << "reading past the end gives empty lines";
}

TEST(TextFile, OpeningOrReadingFailuresRaiseTheInputOutputError) {
  ScratchDirectory dir;
  TTextFile missing("nothing-here");
  EXPECT_THROW(missing.Reset(), EInOutError);
  std::filesystem::create_directory("folder");
  TTextFile folder("folder");
  try {
    folder.Reset();
    folder.ReadLn();
    FAIL() << "a folder read as text";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, EISDIR);
    EXPECT_EQ(e.Message(), "E/A-Fehler 21");
  }
  // A FIFO (here one that holds a line and keeps a writer, so that opening it
  // as a file would not block but read the line) is a file that is not there.
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  const int writer = ::open("pipe", O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, "line\r\n", 6), 6);
  TTextFile pipe("pipe");
  try {
    pipe.Reset();
    ADD_FAILURE() << "a FIFO opened as text: " << pipe.ReadLn();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
  }
  ::close(writer);
}

class LoopTest : public HeadlessFixture {};

TEST_F(LoopTest, AnErrorInAKeyHandlerIsShownAndTheLoopGoesOn) {
  Application->Title = "Corvane";
  TForm* form = nullptr;
  Application->CreateForm(form);
  int keys = 0;
  form->OnKeyDown = [&](TObject*, std::uint16_t&, TShiftState) {
    if (++keys == 1) throw EConvertError("erste Taste");
  };
  form->Show();
  post(platform::EventKind::KeyDown, form->Handle(), 65);
  post(platform::EventKind::KeyDown, form->Handle(), 66);
  Application->ProcessMessages();
  EXPECT_EQ(keys, 2);
  ASSERT_EQ(windows().messageBoxes().size(), 1u);
  EXPECT_EQ(windows().messageBoxes()[0].caption, "Corvane");
  EXPECT_EQ(windows().messageBoxes()[0].text, "erste Taste");
}

TEST_F(LoopTest, ClosingTheMainFormEndsTheLoopAndDestroysIt) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  int destroyed = 0;
  form->OnDestroy = [&](TObject*) { ++destroyed; };
  post(platform::EventKind::Close, form->Handle());
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(windows().isVisible(form->Handle()));
  DoneApplication();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(windows().windowCount(), 0u);
  InitApplication();
}

TEST_F(LoopTest, AControlFillingTheClientAreaFollowsItsSize) {
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetClientSize(320, 240);
  auto* control = new TControl(form);
  control->SetParent(form);
  control->SetAlign(TAlign::alClient);
  EXPECT_EQ(control->BoundsRect(), (TRect{0, 0, 320, 240}));
  form->SetClientSize(640, 480);
  EXPECT_EQ(control->BoundsRect(), (TRect{0, 0, 640, 480}));
  control->SetCursor(crNone);
  form->Show();
  EXPECT_FALSE(windows().window(form->Handle())->cursorVisible);
}

}  // namespace
}  // namespace corvane::test
