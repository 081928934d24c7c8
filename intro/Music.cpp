// The intro's music: the payload files in the temporary directory, and the
// player started at the music frame and stopped at exit.
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "BASSMOD_Dynamic.h"
#include "MusicStandIn.h"
#include "Tallberg_Functions.h"
#include "framework/SysUtils.h"
#include "platform/AbruptEnd.h"
#include "platform/Kernel32.h"

namespace corvane {

bool MusicLoaded = false;
std::string MusicFilePath;
std::string PlayerLibraryPath;

namespace {

// The length of buffer GetTempPathA is first asked with.
constexpr std::uint32_t kTempPathBuffer = 1024;

// The files SaveDataToFile wrote in this run, in order, with what each was.
// A name that another copy of the intro wrote over since is theirs now.
// Names are kept as absolute, normal paths, so that "BassMod.DLL" and
// "./BassMod.DLL" are one file to the check.
struct WrittenFile {
  std::string path;
  platform::FileIdentity identity;
};
std::vector<WrittenFile> writtenFiles;

// Set by a program that records the intro and renders the music itself.
MusicStandIn musicStandIn;

std::string SamePlace(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

const WrittenFile* FindWritten(const std::string& path) {
  const std::string place = SamePlace(path);
  for (const WrittenFile& file : writtenFiles)
    if (file.path == place) return &file;
  return nullptr;
}

void RememberWritten(const std::string& path, const platform::FileIdentity& identity) {
  const std::string place = SamePlace(path);
  std::erase_if(writtenFiles, [&](const WrittenFile& file) { return file.path == place; });
  writtenFiles.push_back({place, identity});
}

// Deletes the file at `path` only while it is the very file this run wrote
// there: what another copy of the intro (or anyone) put at the name since,
// and a name this run never wrote, are left alone. A failed deletion is
// ignored.
void DeletePayloadFile(const std::string& path) {
  if (path.empty()) return;
  // Whatever happens here, the file is no longer one to remove when the
  // process has to end abruptly.
  platform::ForgetOwned(SamePlace(path));
  const WrittenFile* written = FindWritten(path);
  if (!written || platform::IdentityOf(path) != written->identity) return;
  platform::DeleteFileA(path);
}

}  // namespace

std::string GetTempDirectory() {
  std::string buffer(kTempPathBuffer, '\0');
  std::uint32_t length = platform::GetTempPathA(kTempPathBuffer, buffer.data());
  // A directory that does not fit the first buffer is used whole.
  if (length > kTempPathBuffer) {
    buffer.assign(length, '\0');
    length = platform::GetTempPathA(length, buffer.data());
    if (length >= buffer.size()) length = 0;
  }
  buffer.resize(length);
  // Without a temporary directory the payload goes to the current directory,
  // but only to one that no other user can write: the library is loaded from
  // there and would run their code. Otherwise there is no place for it.
  if (buffer.empty()) return platform::UnsharedCurrentDirectory().value_or(std::string());
  return buffer;
}

void SetMusicStandIn(MusicStandIn standIn) { musicStandIn = std::move(standIn); }

void SaveDataToFile(const std::string& path, std::span<const unsigned char> data) {
  // A recording needs no payload; the waiting messages are still handled.
  if (musicStandIn) {
    if (Application) Application->ProcessMessages();
    return;
  }
  platform::ReplacementFile file(path);
  if (!file.IsOpen()) throw EFCreateError(Format(msg::SFCreateError, path));
  if (file.Write(data.data(), data.size()) != data.size()) throw EWriteError(msg::SWriteError);
  if (!file.Commit()) throw EFCreateError(Format(msg::SFCreateError, path));
  RememberWritten(path, file.Identity());
  platform::NoteOwnedFile(SamePlace(path), file.Identity());
  if (Application) Application->ProcessMessages();
}

void DeleteMusicFiles() {
  DeletePayloadFile(MusicFilePath);
  DeletePayloadFile(PlayerLibraryPath);
}

// The fresh directory made for the payload, if one was, goes with it.
void DeletePayloadFiles() {
  for (auto it = writtenFiles.rbegin(); it != writtenFiles.rend(); ++it) DeletePayloadFile(it->path);
  writtenFiles.clear();
  platform::RemoveFreshTemporaryDirectory();
}

bool StartMusic(const std::string& directory, const std::string& libraryFileName,
                const std::string& modulePath) {
  if (musicStandIn) return musicStandIn();
  // No place for the payload: nothing was written, and nothing is loaded
  // from wherever a bare name would lead.
  if (directory.empty()) return false;
  if (!LoadPlayerLibrary(directory, libraryFileName)) {
    UnloadPlayerLibrary();
    return false;
  }
  // A player of another version is not initialised; one that cannot open
  // the output is shut down again. Either way the load is still tried, and
  // the player refuses it.
  if (BASSMOD_GetVersion() != ExpectedPlayerVersion)
    BASSMOD_Free();
  else if (!BASSMOD_Init(PlayerOutputDevice, PlayerOutputRate, PlayerInitFlags))
    BASSMOD_Free();
  if (!BASSMOD_MusicLoad(0, modulePath.c_str(), 0, 0, PlayerMusicFlags)) return false;
  BASSMOD_MusicPlay();
  MusicLoaded = true;
  MusicFilePath = modulePath;
  // The same path the library was loaded from, so that the file deleted at
  // exit is that one and no other.
  PlayerLibraryPath = PlayerFilePath(directory, libraryFileName);
  return true;
}

void StopMusic() {
  // The music is freed before its file goes, and the library is released
  // before its own file goes. Once released, nothing is left to call.
  if (MusicLoaded && PlayerLibraryHandle != 0) {
    BASSMOD_MusicFree();
    BASSMOD_Free();
    UnloadPlayerLibrary();
    DeleteMusicFiles();
  }
  DeletePayloadFiles();
}

void ResetMusic() {
  if (PlayerLibraryHandle != 0 && BASSMOD_Free) BASSMOD_Free();
  UnloadPlayerLibrary();
  MusicLoaded = false;
  MusicFilePath.clear();
  PlayerLibraryPath.clear();
  writtenFiles.clear();
  platform::RemoveFreshTemporaryDirectory();
  platform::ForgetAllOwned();
}

}  // namespace corvane
