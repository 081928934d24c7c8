// A file that appears under its final name only when it is complete: it is
// written to a fresh hidden name beside the final one and renamed over it on
// commit. Destroyed uncommitted (an error, an interruption), it leaves
// nothing behind.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace corvane::capture {

class OutputFile {
 public:
  // Raises std::runtime_error, naming the directory and the reason, when no
  // file can be made there.
  explicit OutputFile(std::string finalPath);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // The fresh name, for programs that write the file themselves.
  const std::string& scratchPath() const { return scratch; }
  void write(std::span<const std::byte> bytes);
  // Closes the file and gives it its final name; raises on failure.
  void commit();

 private:
  void discard() noexcept;

  std::string path;
  std::string scratch;
  int fd = -1;
  bool committed = false;
};

// Writes `bytes` as the whole file at `path`, through an OutputFile.
void WriteWholeFile(const std::string& path, std::span<const std::byte> bytes);

// The directory part of a path ("." for a bare name).
std::string DirectoryOf(const std::string& path);

}  // namespace corvane::capture
