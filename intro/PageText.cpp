#include "PageText.h"

#include <algorithm>
#include <cstring>

#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "framework/TextFile.h"
#include "TextCells.h"

namespace corvane {

namespace {

constexpr const char* kMagicWord = "CVNTYPER";

// The built-in pages; the words stand roughly in the middle of their line.
constexpr const char* kBuiltInText[] = {
    // page 1: a greeting
    "                 ",
    "   welcome to    ",
    "   the corvane   ",
    "  typer intro!   ",
    "                 ",
    "                 ",
    // page 2: greetings
    "greetings go out ",
    " to everyone who ",
    "  keeps the old  ",
    "  scene alive.   ",
    " see you at the  ",
    "   next party.   ",
    // page 3: credits
    "      code:      ",
    "  corvane crew   ",
    "    graphics:    ",
    " pixel workshop  ",
    "     music:      ",
    "  tracker room   ",
    // page 4: farewell, shown only when a text file asks for 4 pages or more
    "                 ",
    "                 ",
    "   thanks for    ",
    "  watching and   ",
    "    goodbye!     ",
    "                 ",
};

std::array<TPageLine, PageTextLines> BuiltInText() {
  std::array<TPageLine, PageTextLines> text;
  for (TPageLine& line : text) line.fill(' ');
  for (std::size_t i = 0; i < std::size(kBuiltInText); ++i)
    std::memcpy(text[i].data(), kBuiltInText[i], PageLineLength);
  return text;
}

bool IsTextLine(const std::string& s) { return !s.empty() && s.front() == '"' && s.back() == '"'; }

// Copies what stands between the quotes, at most one line's worth of
// characters, over the start of the line; the rest of the line keeps what it
// held. A UTF-8 line gives one cell per character, any other one per byte.
void CopyIntoLine(const std::string& s, TPageLine& line) {
  const std::string_view between = std::string_view(s).substr(1, s.size() >= 2 ? s.size() - 2 : 0);
  const std::optional<std::string> cells = CellsFromUtf8(between);
  const std::string_view shown = cells ? std::string_view(*cells) : between;
  std::memcpy(line.data(), shown.data(), std::min<std::size_t>(shown.size(), PageLineLength));
}

// The loader's work on an opened text: false when its first line is not the
// magic word (the caller tells the user).
bool ReadPageText(TTextFile& file) {
  if (file.ReadLn() != kMagicWord) return false;
  // The table has room for ten pages; a count outside 1 to 10 is held there.
  PageCount = std::clamp<std::int32_t>(StrToInt(file.ReadLn()), 1, MaxPages);

  // One text line more than the pages show is taken; it lands in the line
  // after the last page (or nowhere, after the tenth page). A file that ends
  // early keeps the lines taken so far.
  const int wanted = PageCount * PageLines + 1;
  int taken = 0;
  while (taken < wanted && !file.Eof()) {
    std::string s = file.ReadLn();
    if (s.empty() || s.starts_with("//") || !IsTextLine(s)) continue;
    if (taken < PageTextLines) CopyIntoLine(s, PageText[static_cast<std::size_t>(taken)]);
    ++taken;
  }
  return true;
}

}  // namespace

std::array<TPageLine, PageTextLines> PageText = BuiltInText();
std::int32_t PageCount = 4;

void ResetPageText() {
  PageText = BuiltInText();
  PageCount = 4;
}

std::string PageLineText(int line) {
  const TPageLine& l = PageText.at(static_cast<std::size_t>(line - 1));
  return std::string(l.begin(), l.end());
}

bool LoadPageText(const std::string& fileName) {
  if (!FileExists(fileName)) return false;
  TTextFile file(fileName);
  file.Reset();
  if (ReadPageText(file)) return true;
  MessageDlg(InvalidTextFileMessage, TMsgDlgType::mtWarning, 0);
  return false;
}

bool LoadPageTextFrom(std::string text) {
  TTextFile file;
  file.AssignText(std::move(text));
  file.Reset();
  if (ReadPageText(file)) return true;
  MessageDlg(InvalidTextFileMessage, TMsgDlgType::mtWarning, 0);
  return false;
}

std::string CheckPageText(std::span<const std::uint8_t> bytes) {
  TTextFile file;
  file.AssignText(std::string(bytes.begin(), bytes.end()));
  file.Reset();
  const std::string first = file.ReadLn();
  // A file saved with line feeds alone is one long line to the loader.
  if (first.starts_with(std::string(kMagicWord) + "\n"))
    return "its lines end in a line feed alone; a page text needs a carriage return at the end of every line "
           "(CR LF line ends)";
  if (first != kMagicWord) return std::string("not a page text file (its first line is not ") + kMagicWord + ")";
  const std::string count = file.ReadLn();
  try {
    StrToInt(count);
  } catch (const EConvertError&) {
    return "the page count on its second line is not a whole number ('" + count + "')";
  }
  return {};
}

}  // namespace corvane
