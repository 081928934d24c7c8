// Streams: reading and writing bytes with a position.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"

namespace corvane {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream : public TObject {
 public:
  const char* ClassName() const override { return "TStream"; }
  // As many bytes as there are, up to `count`.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
  std::int64_t Size();

  // Exactly `count` bytes, or EReadError "Stream-Read-Fehler".
  void ReadBuffer(void* buffer, std::int64_t count);
  // Exactly `count` bytes, or EWriteError "Stream-Write-Fehler".
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies `count` bytes from `source` (all of it from its start for 0).
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream over memory it does not own.
class TCustomMemoryStream : public TStream {
 public:
  TCustomMemoryStream() = default;
  TCustomMemoryStream(const void* memory, std::int64_t size) { SetPointer(memory, size); }
  const char* ClassName() const override { return "TCustomMemoryStream"; }
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  const std::uint8_t* Memory() const { return memory_; }

 protected:
  void SetPointer(const void* memory, std::int64_t size);
  std::int64_t position_ = 0;

 private:
  const std::uint8_t* memory_ = nullptr;
  std::int64_t size_ = 0;
};

// A growing stream in memory of its own.
class TMemoryStream : public TStream {
 public:
  const char* ClassName() const override { return "TMemoryStream"; }
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  void Clear() { bytes_.clear(), position_ = 0; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t position_ = 0;
};

// A file. Opening for writing creates or replaces the file (EFCreateError
// "Datei %s kann nicht erstellt werden"); reading opens an existing one
// (EFOpenError).
class TFileStream : public TStream {
 public:
  enum Mode { fmOpenRead, fmCreate };
  TFileStream(const std::string& path, Mode mode);
  const char* ClassName() const override { return "TFileStream"; }
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
};

// Little-endian numbers from a stream; each raises EReadError when short.
class LittleEndianReader {
 public:
  explicit LittleEndianReader(TStream& stream) : stream_(stream) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int32_t S32() { return static_cast<std::int32_t>(U32()); }
  void Bytes(void* buffer, std::int64_t count) { stream_.ReadBuffer(buffer, count); }

 private:
  TStream& stream_;
};

class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(TStream& stream) : stream_(stream) {}
  void U8(std::uint8_t v) { stream_.WriteBuffer(&v, 1); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);

 private:
  TStream& stream_;
};

}  // namespace corvane
