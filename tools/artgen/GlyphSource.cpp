#include "GlyphSource.h"

#include <map>
#include <optional>

namespace corvane::art {
namespace {

constexpr std::string_view HeaderWord = "glyph ";

std::string Quoted(char c) { return std::string("'") + c + "'"; }

std::string_view TrimRight(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  return line;
}

// Splits the text into lines; the last line needs no line end.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) {
      lines.push_back(text);
      break;
    }
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsFiller(std::string_view line) { return line.empty() || line.front() == ';'; }

std::optional<GlyphPixel> PixelOf(char c) {
  switch (c) {
    case '.': return GlyphPixel::White;
    case '+': return GlyphPixel::Edge;
    case '#': return GlyphPixel::Black;
    default: return std::nullopt;
  }
}

char ParseHeader(std::string_view line, int lineNumber) {
  if (!line.starts_with(HeaderWord)) {
    throw GlyphSourceError(lineNumber, "expected a header \"glyph X\", found \"" + std::string(line) + "\"");
  }
  const std::string_view name = line.substr(HeaderWord.size());
  if (name.size() != 1 || name.front() <= ' ' || name.front() > '~') {
    throw GlyphSourceError(lineNumber, "a glyph header names exactly one visible character");
  }
  return name.front();
}

void ParseRow(std::string_view line, int lineNumber, int row, GlyphGrid& glyph) {
  if (line.size() != GlyphSize) {
    throw GlyphSourceError(lineNumber, "row " + std::to_string(row + 1) + " of glyph " + Quoted(glyph.name) +
                                           " has " + std::to_string(line.size()) + " pixels, expected " +
                                           std::to_string(GlyphSize));
  }
  for (std::size_t x = 0; x < line.size(); ++x) {
    const std::optional<GlyphPixel> pixel = PixelOf(line[x]);
    if (!pixel) {
      throw GlyphSourceError(lineNumber, "unknown pixel " + Quoted(line[x]) + " in column " + std::to_string(x + 1) +
                                             " of glyph " + Quoted(glyph.name) + " (use '.', '+' or '#')");
    }
    glyph.pixels[static_cast<std::size_t>(row)][x] = *pixel;
  }
}

}  // namespace

GlyphSourceError::GlyphSourceError(int line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}

std::vector<GlyphGrid> ParseGlyphSource(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<GlyphGrid> glyphs;
  std::map<char, int> headerLines;
  std::size_t i = 0;
  while (i < lines.size()) {
    const std::string_view line = TrimRight(lines[i]);
    const int lineNumber = static_cast<int>(i) + 1;
    ++i;
    if (IsFiller(line)) continue;
    GlyphGrid glyph;
    glyph.name = ParseHeader(line, lineNumber);
    glyph.line = lineNumber;
    if (const auto [first, fresh] = headerLines.emplace(glyph.name, lineNumber); !fresh) {
      throw GlyphSourceError(lineNumber, "glyph " + Quoted(glyph.name) + " is defined twice (first at line " +
                                             std::to_string(first->second) + ")");
    }
    for (int row = 0; row < GlyphSize; ++row, ++i) {
      if (i >= lines.size()) {
        throw GlyphSourceError(static_cast<int>(lines.size()) + 1, "the text ends inside glyph " + Quoted(glyph.name) +
                                                                    " after " + std::to_string(row) + " rows");
      }
      ParseRow(TrimRight(lines[i]), static_cast<int>(i) + 1, row, glyph);
    }
    glyphs.push_back(glyph);
  }
  return glyphs;
}

}  // namespace corvane::art
