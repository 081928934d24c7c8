// A text line as the cells it takes on the page: one per character. Text
// editors save UTF-8, where a letter such as "ü" is two bytes; a line whose
// bytes are valid UTF-8 is read character by character, every other line
// byte by byte (8-bit text, as older files are).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The cells of a valid UTF-8 line, one byte each: ASCII as it is; a Latin
// letter with an accent, umlaut or other mark as its base letter (so "ä"
// shows the A glyph); "ß" and the long s as "s", "æ" and "œ" as their first
// letter; a combining mark takes no cell of its own (it belongs to the
// letter before it); every other character a space, the blank cell. Empty
// when the bytes are not valid UTF-8 (a stray, overlong or cut sequence, a
// surrogate, a value past U+10FFFF).
std::optional<std::string> CellsFromUtf8(std::string_view bytes);

// The cell character for one code point that is no combining mark, as above.
char CellForCodePoint(std::uint32_t codePoint);
// U+0300 to U+036F: marks that belong to the letter before them.
bool IsCombiningMark(std::uint32_t codePoint);

}  // namespace corvane
