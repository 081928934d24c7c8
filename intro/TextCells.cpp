#include "TextCells.h"

namespace corvane {

namespace {

// The base letters of U+00C0 to U+00FF and of U+0100 to U+017F (Latin-1's
// letters and Latin Extended-A); a space where the character is no letter
// with a base (the multiplication and division signs, the thorn).
constexpr std::string_view kLatin1Letters = "AAAAAAACEEEEIIIIDNOOOOO OUUUUY saaaaaaaceeeeiiiidnooooo ouuuuy y";
constexpr std::string_view kLatinExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTt"
    "UuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatin1Letters.size() == 0x40 && kLatinExtendedA.size() == 0x80);

// The length of the sequence a lead byte starts, 0 for a byte that starts none.
int SequenceLength(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The code point of the sequence at `at`, moving `at` past it; empty when
// the bytes there are no valid sequence.
std::optional<std::uint32_t> Decode(std::string_view bytes, std::size_t& at) {
  const auto lead = static_cast<std::uint8_t>(bytes[at]);
  const int length = SequenceLength(lead);
  if (length == 0 || bytes.size() - at < static_cast<std::size_t>(length)) return std::nullopt;
  std::uint32_t value = length == 1 ? lead : lead & (0x7Fu >> length);
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    value = value << 6 | (next & 0x3Fu);
  }
  // Overlong forms, surrogates and values past the last code point.
  constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kLeast[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return std::nullopt;
  at += static_cast<std::size_t>(length);
  return value;
}

}  // namespace

bool IsCombiningMark(std::uint32_t codePoint) { return codePoint >= 0x300 && codePoint <= 0x36F; }

char CellForCodePoint(std::uint32_t codePoint) {
  if (codePoint < 0x80) return static_cast<char>(codePoint);
  if (codePoint >= 0xC0 && codePoint <= 0xFF) return kLatin1Letters[codePoint - 0xC0];
  if (codePoint >= 0x100 && codePoint <= 0x17F) return kLatinExtendedA[codePoint - 0x100];
  return ' ';
}

std::optional<std::string> CellsFromUtf8(std::string_view bytes) {
  std::string cells;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::optional<std::uint32_t> codePoint = Decode(bytes, at);
    if (!codePoint) return std::nullopt;
    if (!IsCombiningMark(*codePoint)) cells += CellForCodePoint(*codePoint);
  }
  return cells;
}

}  // namespace corvane
