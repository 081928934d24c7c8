// Assets packed into a copy of the intro's executable, so that one file
// carries a group's own text, music, logo and font.
//
// A packed file is the executable, then the assets' bytes one after the
// other, then a directory with one entry per asset, then a footer of fixed
// size at the very end (all numbers little-endian):
//
//   entry   u32 kind, u32 0, u64 offset (from the first asset byte), u64 size
//   footer  u32 version, u32 count, u64 pack size (assets + directory +
//           footer), u32 CRC-32, u32 0, 8 bytes "CVNPACK\0"
//
// The CRC-32 covers the assets, the directory and the footer's first 16
// bytes, so that any changed byte is noticed. A file that does not end in
// the magic carries no assets; one that does but fails any other check is
// damaged, and its assets are not used.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "IntroAssets.h"

namespace corvane::pack {

// The kinds as the directory stores them: text 1, music 2, logo 3, font 4.
std::uint32_t StoredKind(AssetKind kind);

struct PackedAsset {
  AssetKind kind = AssetKind::Text;
  std::vector<unsigned char> bytes;
  bool operator==(const PackedAsset&) const = default;
};

inline constexpr std::uint32_t kPackVersion = 1;
inline constexpr std::size_t kEntrySize = 24;
inline constexpr std::size_t kFooterSize = 32;
inline constexpr std::size_t kMaxAssets = AllAssetKinds.size();

struct PackContents {
  enum class State { None, Assets, Damaged };
  State state = State::None;
  std::string problem;            // Damaged: what is wrong, in a few words
  std::uint64_t programSize = 0;  // the bytes before the pack; the whole file without one
  std::vector<PackedAsset> assets;  // Assets: in the order they were packed, each kind once
};

// Reads `into.size()` bytes at `offset`; false when they cannot all be read.
using ReadAt = std::function<bool(std::uint64_t offset, std::span<unsigned char> into)>;

// The pack at the end of a file of `fileSize` bytes.
PackContents ReadPack(std::uint64_t fileSize, const ReadAt& readAt);
PackContents ReadPack(std::span<const unsigned char> file);
// The pack at the end of the file at `path`. A file that cannot be opened,
// or is not a regular file, carries no assets.
PackContents ReadPackFile(const std::string& path);

// The bytes to append to an executable without a pack; at most one asset of
// each kind, each at most MaxAssetBytes.
std::vector<unsigned char> BuildPack(const std::vector<PackedAsset>& assets);

// CRC-32 (the polynomial of zip and PNG), continued from `crc`.
std::uint32_t Crc32(std::span<const unsigned char> data, std::uint32_t crc = 0);

}  // namespace corvane::pack
