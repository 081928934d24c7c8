#include "framework/Streams.h"

#include <algorithm>
#include <cstring>

#include "framework/SysUtils.h"

namespace corvane {

std::int64_t TStream::Size() {
  std::int64_t here = Seek(0, soCurrent);
  std::int64_t end = Seek(0, soEnd);
  Seek(here, soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(msg::SReadError);
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(msg::SWriteError);
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::uint8_t buffer[8192];
  std::int64_t left = count;
  while (left > 0) {
    std::int64_t n = std::min<std::int64_t>(left, sizeof buffer);
    source.ReadBuffer(buffer, n);
    WriteBuffer(buffer, n);
    left -= n;
  }
  return count;
}

namespace {
std::int64_t NewPosition(std::int64_t offset, TSeekOrigin origin, std::int64_t current,
                         std::int64_t size) {
  std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? current : size;
  return std::max<std::int64_t>(0, base + offset);
}
}  // namespace

void TCustomMemoryStream::SetPointer(const void* memory, std::int64_t size) {
  memory_ = static_cast<const std::uint8_t*>(memory);
  size_ = size;
}

std::int64_t TCustomMemoryStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  std::int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, memory_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TCustomMemoryStream::Write(const void*, std::int64_t) { return 0; }

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = NewPosition(offset, origin, position_, size_);
  return position_;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  auto size = static_cast<std::int64_t>(bytes_.size());
  if (count <= 0 || position_ >= size) return 0;
  std::int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  auto end = static_cast<std::size_t>(position_ + count);
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = NewPosition(offset, origin, position_, static_cast<std::int64_t>(bytes_.size()));
  return position_;
}

TFileStream::TFileStream(const std::string& path, Mode mode) {
  file_.reset(std::fopen(path.c_str(), mode == fmCreate ? "wb" : "rb"));
  if (!file_) {
    if (mode == fmCreate) throw EFCreateError(Format(msg::SFCreateError, path));
    throw EFOpenError(Format(msg::SFOpenError, path));
  }
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  return static_cast<std::int64_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), file_.get()));
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  return static_cast<std::int64_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_.get()));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (std::fseek(file_.get(), offset, whence) != 0) return -1;
  return std::ftell(file_.get());
}

std::uint8_t LittleEndianReader::U8() {
  std::uint8_t v;
  stream_.ReadBuffer(&v, 1);
  return v;
}

std::uint16_t LittleEndianReader::U16() {
  std::uint8_t b[2];
  stream_.ReadBuffer(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t LittleEndianReader::U32() {
  std::uint8_t b[4];
  stream_.ReadBuffer(b, 4);
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

void LittleEndianWriter::U16(std::uint16_t v) {
  std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  stream_.WriteBuffer(b, 2);
}

void LittleEndianWriter::U32(std::uint32_t v) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                       static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  stream_.WriteBuffer(b, 4);
}

}  // namespace corvane
