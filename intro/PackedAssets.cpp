#include "PackedAssets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

namespace corvane::pack {

namespace {

constexpr std::array<unsigned char, 8> kMagic = {'C', 'V', 'N', 'P', 'A', 'C', 'K', '\0'};
// The footer's fields that the checksum covers: version, count, pack size.
constexpr std::size_t kCheckedFooterBytes = 16;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t Get32(const unsigned char* at) {
  return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
         std::uint32_t(at[3]) << 24;
}
std::uint64_t Get64(const unsigned char* at) { return Get32(at) | std::uint64_t(Get32(at + 4)) << 32; }
void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(value >> shift));
}
void Put64(std::vector<unsigned char>& out, std::uint64_t value) {
  Put32(out, static_cast<std::uint32_t>(value));
  Put32(out, static_cast<std::uint32_t>(value >> 32));
}

PackContents Damaged(std::uint64_t fileSize, std::string problem) {
  PackContents contents;
  contents.state = PackContents::State::Damaged;
  contents.problem = std::move(problem);
  contents.programSize = fileSize;
  return contents;
}

// The kind a directory entry names; nothing for a code no kind has.
std::optional<AssetKind> KindOfStored(std::uint32_t code) {
  for (AssetKind kind : AllAssetKinds)
    if (StoredKind(kind) == code) return kind;
  return std::nullopt;
}

// The directory's entries, each checked: a known kind once, the assets one
// after the other from the first asset byte up to the directory.
bool ReadDirectory(std::span<const unsigned char> body, std::uint32_t count, std::vector<PackedAsset>& assets,
                   std::string& problem) {
  const std::size_t dataBytes = body.size() - count * kEntrySize;
  std::uint64_t next = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const unsigned char* entry = body.data() + dataBytes + i * kEntrySize;
    const std::optional<AssetKind> kind = KindOfStored(Get32(entry));
    const std::uint64_t offset = Get64(entry + 8), size = Get64(entry + 16);
    const bool repeated = kind && std::any_of(assets.begin(), assets.end(), [&](auto& a) { return a.kind == *kind; });
    if (!kind || repeated) problem = "an asset of unknown or repeated kind";
    else if (Get32(entry + 4) != 0) problem = "a directory entry with stray bits";
    else if (offset != next || size > MaxAssetBytes || size > dataBytes - offset) problem = "assets out of place";
    if (!problem.empty()) return false;
    const auto* data = body.data() + offset;
    assets.push_back({*kind, {data, data + size}});
    next = offset + size;
  }
  if (next != dataBytes) problem = "bytes between the assets and the directory";
  return problem.empty();
}

bool ReadFully(int fd, std::uint64_t offset, std::span<unsigned char> into) {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t got = ::pread(fd, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

std::uint32_t StoredKind(AssetKind kind) {
  switch (kind) {
    case AssetKind::Text: return 1;
    case AssetKind::Music: return 2;
    case AssetKind::Logo: return 3;
    case AssetKind::Font: return 4;
  }
  return 0;
}

std::uint32_t Crc32(std::span<const unsigned char> data, std::uint32_t crc) {
  crc = ~crc;
  for (unsigned char byte : data) crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

PackContents ReadPack(std::uint64_t fileSize, const ReadAt& readAt) {
  PackContents none;
  none.programSize = fileSize;
  std::array<unsigned char, kFooterSize> footer{};
  if (fileSize < kFooterSize || !readAt(fileSize - kFooterSize, footer)) return none;
  if (!std::equal(kMagic.begin(), kMagic.end(), footer.end() - kMagic.size())) return none;

  const std::uint32_t version = Get32(&footer[0]), count = Get32(&footer[4]);
  const std::uint64_t packSize = Get64(&footer[8]);
  if (version != kPackVersion) return Damaged(fileSize, "made by another version (" + std::to_string(version) + ")");
  if (Get32(&footer[20]) != 0) return Damaged(fileSize, "a footer with stray bits");
  if (count > kMaxAssets) return Damaged(fileSize, std::to_string(count) + " assets");
  const std::uint64_t least = kFooterSize + count * kEntrySize;
  if (packSize < least || packSize > least + count * MaxAssetBytes || packSize > fileSize)
    return Damaged(fileSize, "sizes that do not fit the file");

  std::vector<unsigned char> body(packSize - kFooterSize);
  const std::uint64_t start = fileSize - packSize;
  if (!readAt(start, body)) return Damaged(fileSize, "assets that cannot be read");
  const std::uint32_t crc = Crc32(std::span(footer).first(kCheckedFooterBytes), Crc32(body));
  if (crc != Get32(&footer[16])) return Damaged(fileSize, "a checksum that does not match");

  PackContents contents;
  contents.programSize = start;
  if (!ReadDirectory(body, count, contents.assets, contents.problem)) return Damaged(fileSize, contents.problem);
  contents.state = PackContents::State::Assets;
  return contents;
}

PackContents ReadPack(std::span<const unsigned char> file) {
  return ReadPack(file.size(), [file](std::uint64_t offset, std::span<unsigned char> into) {
    if (offset > file.size() || into.size() > file.size() - offset) return false;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), into.size(), into.begin());
    return true;
  });
}

PackContents ReadPackFile(const std::string& path) {
  // Not blocking: a FIFO at the name would wait for a writer for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat info {};
  PackContents contents;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    contents = ReadPack(static_cast<std::uint64_t>(info.st_size), [fd](std::uint64_t offset, auto into) {
      return ReadFully(fd, offset, into);
    });
  ::close(fd);
  return contents;
}

std::vector<unsigned char> BuildPack(const std::vector<PackedAsset>& assets) {
  std::vector<unsigned char> pack;
  for (const PackedAsset& asset : assets) pack.insert(pack.end(), asset.bytes.begin(), asset.bytes.end());
  std::uint64_t offset = 0;
  for (const PackedAsset& asset : assets) {
    Put32(pack, StoredKind(asset.kind));
    Put32(pack, 0);
    Put64(pack, offset);
    Put64(pack, asset.bytes.size());
    offset += asset.bytes.size();
  }
  const std::size_t footer = pack.size();
  Put32(pack, kPackVersion);
  Put32(pack, static_cast<std::uint32_t>(assets.size()));
  Put64(pack, footer + kFooterSize);
  const std::uint32_t crc = Crc32(pack);
  Put32(pack, crc);
  Put32(pack, 0);
  pack.insert(pack.end(), kMagic.begin(), kMagic.end());
  return pack;
}

}  // namespace corvane::pack
