// The intro's routines: switching between full screen and the window, the
// values the frame loop works with, the letter pictures and the logo cell,
// and the music with its payload files.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "GlyphCells.h"
#include "framework/Forms.h"
#include "graphics/DIB.h"
#include "graphics/DXClass.h"
#include "graphics/DXDraw.h"
#include "graphics/DXImageList.h"

namespace corvane {

// The frame at which the music starts; drawing begins with the frame after it.
inline constexpr std::int32_t MusicStartFrame = 100;

// The raw pixel value the back buffer is filled with each frame (black).
extern std::uint32_t FillColour;

// Switches between full screen and the window: the timer is off while the
// display is torn down and built again in the other mode, and restarts its
// clock afterwards, so no burst of catch-up frames follows. Full screen has
// no frame and no mouse pointer; the window it returns to has the dialog
// frame.
void ToggleFullScreen(TCustomDXDraw& display, TCustomDXTimer& timer, TForm& form);

// Fills every field of `cell` but its character.
void InitCell(GlyphCell& cell, std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t width,
              std::int32_t height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
              std::int32_t alpha, std::int32_t pictureNumber);

// Draws the cell's picture at its own size at the cell's place on the
// display's back buffer, opaque or colour-keyed as the picture says.
void DrawLogoCell(const GlyphCell& cell, TCustomDXDraw& display, TCustomDXImageList& pictures);

// Cuts `rows` x `columns` tiles of the given size out of the sheet, row by
// row from its top-left corner, and appends each as a picture of its own
// (24 bits per pixel, with the given transparent colour and flag). The tiles
// become pictures firstPicture, firstPicture + 1, ...: the first number must
// be the number of pictures the list already holds.
void SliceGlyphSheet(TCustomDXDIB& sheet, TCustomDXImageList& pictures, std::int32_t tileWidth,
                     std::int32_t tileHeight, std::int32_t rows, std::int32_t columns,
                     std::int32_t firstPicture, std::uint32_t transparentColour, bool transparent);

// The two files the intro carries and writes to the user's temporary
// directory at start: the module-player library and the music.
inline constexpr const char* PlayerLibraryName = "BassMod.DLL";
inline constexpr const char* ModuleFileName = "Module.MOD";

// What the intro asks of the player: version 7.0 exactly; the default output
// at 44100 samples a second; the music with normal volume ramping (0x1),
// looping (0x4) and all notes stopped when the position moves (0x100).
inline constexpr std::uint32_t ExpectedPlayerVersion = 0x00070000;
inline constexpr std::int32_t PlayerOutputDevice = -1;
inline constexpr std::uint32_t PlayerOutputRate = 44100;
inline constexpr std::uint32_t PlayerInitFlags = 0;
inline constexpr std::uint32_t PlayerMusicFlags = 0x105;

// Set once the music is loaded and playing, together with the full paths of
// the module file and the library file it came from.
extern bool MusicLoaded;
extern std::string MusicFilePath;
extern std::string PlayerLibraryPath;

// The user's private temporary directory, ending in "/". When there is none,
// the current directory (as an absolute path ending in "/") if it is the
// user's own and nobody else can write it; else empty: there is no place for
// the payload, and the intro runs without music, saying nothing.
std::string GetTempDirectory();

// Makes `data` the whole content of the file at `path`, replacing whatever
// was there (never writing through a link), then lets the window messages
// that are waiting be handled. Raises EFCreateError ("Datei %s kann nicht
// erstellt werden" with the path) when the file cannot be made and
// EWriteError when not all bytes could be written.
void SaveDataToFile(const std::string& path, std::span<const unsigned char> data);

// Deletes the module file and then the library file of the music that was
// loaded, each only while it is the very file this run wrote there (however
// the path is spelled), never one another running copy of the intro has put
// there since.
void DeleteMusicFiles();

// Deletes what is left of the files SaveDataToFile wrote in this run, the
// last written first, on the same terms as DeleteMusicFiles; then the fresh
// temporary directory made for them, if one was and it is empty now.
void DeletePayloadFiles();

// Loads the player library from `directory`, initialises the player, loads
// the module at `modulePath` and starts it. True when the music plays; when
// not, the intro simply stays silent. An empty `directory` (no place for the
// payload) loads nothing.
bool StartMusic(const std::string& directory, const std::string& libraryFileName,
                const std::string& modulePath);

// At exit: stops the music and shuts the player down, releases the library
// and deletes its files (when the music was started); then deletes whatever
// is left of the payload files (and their fresh directory) in every case.
void StopMusic();

// Back to the state at program start, for tests and tools that run the intro
// more than once in a process: the player shut down, the library released,
// nothing remembered.
void ResetMusic();

}  // namespace corvane
