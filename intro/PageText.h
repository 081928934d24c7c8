// The text the intro types: 10 pages of 6 lines of 17 characters, built in,
// and the loader for a page text file that replaces it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace corvane {

inline constexpr int PageLineLength = 17;
inline constexpr int PageLines = 6;
inline constexpr int MaxPages = 10;
inline constexpr int PageTextLines = MaxPages * PageLines;  // 60

// Line n (1 to 60) is PageText[n - 1]; line r of page p is p * 6 + r. Every
// line stays exactly 17 characters long.
using TPageLine = std::array<char, PageLineLength>;
extern std::array<TPageLine, PageTextLines> PageText;

// The number of pages shown, cycling from page 0.
extern std::int32_t PageCount;

inline constexpr const char* PageTextFileName = "corvane.dll";
inline constexpr const char* NoTextFileMessage = "No CORVANE textfile found, using standart text.";
inline constexpr const char* InvalidTextFileMessage = "This is not a valid CORVANE textfile";

// Reads a page text file into PageText and sets PageCount. False when there
// is no such file, or its first line is not the magic word (after telling the
// user so). A page count that is not a number raises EConvertError; a file
// that cannot be read raises EInOutError.
bool LoadPageText(const std::string& fileName);
// The same for a text already in memory (a file the user named, read and
// checked before the intro started).
bool LoadPageTextFrom(std::string text);
// Why the loader would not take `bytes` as a page text (the first line is
// not the magic word, the page count is not a whole number); empty when it
// would.
std::string CheckPageText(std::span<const std::uint8_t> bytes);

// Puts the built-in text back and PageCount to its value at load (4).
void ResetPageText();

std::string PageLineText(int line);

}  // namespace corvane
