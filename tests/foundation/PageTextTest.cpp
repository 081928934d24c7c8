// The page text loader, file by file: what it takes, what it skips, what it
// tells the user, and what it leaves as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "../support/HeadlessFixture.h"
#include "PageText.h"

namespace corvane::test {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A file of CR LF lines.
std::string Crlf(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// n text lines "line 01", "line 02", ...
std::string NumberedTextLines(int n) {
  std::string out;
  for (int i = 1; i <= n; ++i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "line %02d", i);
    out += Quoted(buf) + "\r\n";
  }
  return out;
}

const std::string kSame = "(unchanged)";

// What is at the file's name: the file itself, or something else that offers
// the same text (a FIFO holding it, with a writer that stays, so that a loader
// that reads it gets the text at once instead of hanging), or a node that
// holds no text at all.
enum class Node { File, Fifo, Device, Socket, Directory };

struct LoadCase {
  const char* name;
  std::optional<std::string> file;            // nullopt: no file at all
  bool result;
  std::int32_t pageCount;                      // PageCount afterwards (starts at 4)
  std::map<int, std::string> lines;           // table lines afterwards (their start); kSame: as before
  std::vector<std::string> messages;          // warning boxes, in order
  Node node = Node::File;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class PageTextFixture : public HeadlessFixture {
 protected:
  void SetUp() override {
    HeadlessFixture::SetUp();
    ResetPageText();
    before = PageText;
  }
  void TearDown() override {
    if (fifoWriter >= 0) ::close(fifoWriter);
    ResetPageText();
    HeadlessFixture::TearDown();
  }
  std::string write(const std::string& bytes) {
    std::string path = (dir.path() / "corvane.dll").string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // Puts `node` at the file's name, offering `bytes` where it can.
  std::string make(Node node, const std::string& bytes) {
    if (node == Node::File) return write(bytes);
    const std::string path = (dir.path() / "corvane.dll").string();
    switch (node) {
      case Node::Fifo:
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        fifoWriter = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        EXPECT_EQ(::write(fifoWriter, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        break;
      case Node::Device: std::filesystem::create_symlink("/dev/null", path); break;
      case Node::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        EXPECT_LT(path.size(), sizeof address.sun_path);
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        break;
      }
      case Node::Directory: std::filesystem::create_directory(path); break;
      case Node::File: break;
    }
    return path;
  }
  std::string lineBefore(int line) const {
    const TPageLine& l = before.at(static_cast<std::size_t>(line - 1));
    return std::string(l.begin(), l.end());
  }
  ScratchDirectory dir;
  std::array<TPageLine, PageTextLines> before{};
  int fifoWriter = -1;
};

class PageTextLoad : public PageTextFixture, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(PageTextLoad, LoadsAsTheFileSays) {
  const LoadCase& c = GetParam();
  std::string path = c.file ? make(c.node, *c.file) : (dir.path() / "corvane.dll").string();
  EXPECT_EQ(LoadPageText(path), c.result);
  EXPECT_EQ(PageCount, c.pageCount);
  // A shorter expectation is the start of the line; the rest is as before.
  for (const auto& [line, text] : c.lines) {
    std::string old = lineBefore(line);
    std::string want = text == kSame ? old : text + old.substr(std::min<std::size_t>(text.size(), 17));
    EXPECT_EQ(PageLineText(line), want) << "line " << line;
  }
  std::vector<std::string> shown;
  for (const auto& box : windows().messageBoxes()) {
    EXPECT_EQ(box.caption, "Warnung");
    EXPECT_EQ(box.style & platform::MB_ICONMASK, platform::MB_ICONWARNING);
    shown.push_back(box.text);
  }
  EXPECT_EQ(shown, c.messages);
}

const std::string kInvalid = "This is not a valid CORVANE textfile";

INSTANTIATE_TEST_SUITE_P(
    PageText, PageTextLoad,
    ::testing::Values(
        LoadCase{"no_file", std::nullopt, false, 4, {{2, kSame}}, {}},
        // Only a regular file is read; anything else at the name is no file.
        LoadCase{"a_fifo", Crlf({"CVNTYPER", "1"}) + NumberedTextLines(7), false, 4, {{1, kSame}}, {},
                 Node::Fifo},
        LoadCase{"a_link_to_a_device", std::string(), false, 4, {{1, kSame}}, {}, Node::Device},
        LoadCase{"a_socket", std::string(), false, 4, {{1, kSame}}, {}, Node::Socket},
        LoadCase{"a_directory", std::string(), false, 4, {{1, kSame}}, {}, Node::Directory},
        LoadCase{"magic_word_in_lower_case", Crlf({"cvntyper", "1"}), false, 4, {{2, kSame}},
                 {kInvalid}},
        LoadCase{"magic_word_with_a_trailing_blank", Crlf({"CVNTYPER ", "1"}), false, 4, {}, {kInvalid}},
        LoadCase{"empty_file", std::string(), false, 4, {}, {kInvalid}},
        // Line feeds alone end no line: the whole file is its first line.
        LoadCase{"line_feeds_only", "CVNTYPER\n1\n\"abc\"\n", false, 4, {}, {kInvalid}},
        LoadCase{"carriage_returns_only",
                 "CVNTYPER\r1\r" + NumberedTextLines(7), true, 1,
                 {{1, "line 01"}, {7, "line 07"}, {8, kSame}}, {}},
        LoadCase{"comments_empty_and_other_lines_do_not_count",
                 Crlf({"CVNTYPER", "1", "// a comment", "", "not quoted", Quoted("first"), "",
                       "\"half open", "// \"quoted comment\"", Quoted("second")}),
                 true, 1, {{1, "first"}, {2, "second"}}, {}},
        // Two quotes: nothing between them, the old text stays, the next
        // text line goes to the next table line. One quote counts the same.
        LoadCase{"empty_text_lines_keep_the_old_text",
                 Crlf({"CVNTYPER", "1", "\"\"", "\"", Quoted("third")}), true, 1,
                 {{1, kSame}, {2, kSame}, {3, "third"}}, {}},
        LoadCase{"long_line_gives_its_first_17",
                 Crlf({"CVNTYPER", "1", Quoted("abcdefghijklmnopqrstuvwxyz")}), true, 1,
                 {{1, "abcdefghijklmnopq"}}, {}},
        // UTF-8 text: one cell per character, accented letters as their base
        // letter, "ß" as "s", other characters blank, combining marks on the
        // letter before them.
        LoadCase{"utf8_umlauts_take_one_cell_each",
                 Crlf({"CVNTYPER", "1", Quoted("  gr\xC3\xBC\xC3\x9F" "e an alle  "),
                       Quoted("caf\xC3\xA9 und b\xC3\xA4r"), Quoted("\xC3\x84RGER \xC5\x81\xC3\x93" "D\xC5\xBA")}),
                 true, 1, {{1, "  gruse an alle  "}, {2, "cafe und bar"}, {3, "ARGER LODz"}}, {}},
        LoadCase{"utf8_counts_characters_not_bytes",
                 Crlf({"CVNTYPER", "1", Quoted("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA4\xC3"
                                                "\xB6\xC3\xBC\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA4\xC3\xB6\xC3\xBC\xC3"
                                                "\xA4\xC3\xB6\xC3\xBC")}),
                 true, 1, {{1, "aouaouaouaouaouao"}}, {}},
        LoadCase{"utf8_other_characters_are_blank",
                 Crlf({"CVNTYPER", "1", Quoted("1\xE2\x82\xAC 2\xF0\x9F\x98\x80 e\xCC\x81!\xC3\x97")}),
                 true, 1, {{1, "1  2  e! "}}, {}},
        // Not UTF-8 (8-bit text, an overlong form, a cut sequence, a
        // surrogate): byte by byte, as always.
        LoadCase{"eight_bit_text_stays_byte_by_byte",
                 Crlf({"CVNTYPER", "1", Quoted("caf\xE9 b\xE4r"), Quoted("\xC0\xAFx"), Quoted("ab\xC3"),
                       Quoted("\xED\xA0\x80z")}),
                 true, 1, {{1, "caf\xE9 b\xE4r"}, {2, "\xC0\xAFx"}, {3, "ab\xC3"}, {4, "\xED\xA0\x80z"}}, {}},
        // A line feed after a carriage return is skipped; elsewhere it is a
        // character of the line.
        LoadCase{"line_feed_inside_a_line", "CVNTYPER\r\n1\r\n\"ab\ncd\"\r\n", true, 1,
                 {{1, "ab\ncd"}}, {}},
        // Character 26 ends the text: what follows is not read.
        LoadCase{"end_of_text_mark", Crlf({"CVNTYPER", "1", Quoted("before")}) + "\x1a" +
                                         Crlf({Quoted("after")}),
                 true, 1, {{1, "before"}, {2, kSame}}, {}},
        LoadCase{"two_pages_and_thirteen_lines", Crlf({"CVNTYPER", "2"}) + NumberedTextLines(14),
                 true, 2,
                 {{1, "line 01"}, {12, "line 12"}, {13, "line 13"},
                  {14, kSame}}, {}},
        // The file ends before all its lines: the lines taken so far count.
        LoadCase{"file_ends_early", Crlf({"CVNTYPER", "2"}) + NumberedTextLines(3), true, 2,
                 {{3, "line 03"}, {4, kSame}, {13, kSame}}, {}},
        LoadCase{"last_line_without_line_end", "CVNTYPER\r\n1\r\n\"tail\"", true, 1,
                 {{1, "tail"}}, {}},
        // Three pages, as without a file, but the file's own text.
        LoadCase{"three_pages", Crlf({"CVNTYPER", "3"}) + NumberedTextLines(19), true, 3,
                 {{1, "line 01"}, {18, "line 18"}, {19, "line 19"}, {20, kSame}}, {}},
        LoadCase{"page_count_with_leading_zeros", Crlf({"CVNTYPER", "000000000002"}) + NumberedTextLines(13),
                 true, 2, {{13, "line 13"}, {14, kSame}}, {}},
        LoadCase{"page_count_zero_is_held_at_one", Crlf({"CVNTYPER", "0"}), true, 1, {}, {}},
        LoadCase{"page_count_eleven_is_held_at_ten", Crlf({"CVNTYPER", "11"}), true, 10, {}, {}},
        LoadCase{"page_count_negative_is_held_at_one", Crlf({"CVNTYPER", "-3"}), true, 1, {}, {}},
        // Ten pages take 61 text lines; the last has no table line.
        LoadCase{"ten_pages_drop_the_extra_line", Crlf({"CVNTYPER", "10"}) + NumberedTextLines(61),
                 true, 10, {{60, "line 60"}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageTextFixture, ShortLineKeepsTheRestOfTheBuiltInLine) {
  EXPECT_TRUE(LoadPageText(write(Crlf({"CVNTYPER", "3", "\"\"", "\"\"", Quoted("ab")}))));
  EXPECT_EQ(PageLineText(3), "ab" + lineBefore(3).substr(2));
}

struct BadCountCase {
  const char* name;
  std::string countLine;
};

void PrintTo(const BadCountCase& c, std::ostream* os) { *os << c.name; }

class PageTextBadCount : public PageTextFixture,
                         public ::testing::WithParamInterface<BadCountCase> {};

TEST_P(PageTextBadCount, RaisesTheConversionErrorAndChangesNothing) {
  const BadCountCase& c = GetParam();
  std::string path = write(Crlf({"CVNTYPER", c.countLine, Quoted("never read")}));
  try {
    LoadPageText(path);
    FAIL() << "no error raised";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'" + c.countLine + "' ist kein gültiger Integerwert");
  }
  EXPECT_EQ(PageCount, 4);
  EXPECT_EQ(PageText, before);
}

INSTANTIATE_TEST_SUITE_P(PageText, PageTextBadCount,
                         ::testing::Values(BadCountCase{"word", "two"}, BadCountCase{"empty", ""},
                                           BadCountCase{"trailing_blank", "2 "},
                                           BadCountCase{"fraction", "1.5"},
                                           BadCountCase{"too_large", "99999999999"},
                                           BadCountCase{"comment_before_count", "// pages"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BuiltInText, EveryLineIsSeventeenCharactersOfTheAlphabet) {
  ResetPageText();
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789!:.,+-? ";
  for (int line = 1; line <= 60; ++line) {
    std::string text = PageLineText(line);
    ASSERT_EQ(text.size(), 17u);
    EXPECT_EQ(text.find_first_not_of(alphabet), std::string::npos) << "line " << line;
  }
  const std::string blank(17, ' ');
  for (int line : {1, 5, 6, 19, 20, 24}) EXPECT_EQ(PageLineText(line), blank) << line;
  for (int line = 25; line <= 60; ++line) EXPECT_EQ(PageLineText(line), blank) << line;
  for (int line : {2, 3, 4, 21, 22, 23}) EXPECT_NE(PageLineText(line), blank) << line;
  for (int line : {10, 12}) {
    std::string text = PageLineText(line);
    EXPECT_EQ(text[text.find_last_not_of(' ')], '.') << "line " << line;
  }
  for (int line : {13, 15, 17}) {
    std::string text = PageLineText(line);
    EXPECT_EQ(text[text.find_last_not_of(' ')], ':') << "line " << line;
    EXPECT_NE(PageLineText(line + 1), blank);
  }
}

}  // namespace
}  // namespace corvane::test
