// The assets packed behind the intro's executable, as the intro reads them at
// start. The first byte chooses whether the checksum is set right before
// reading, so that the checks behind it are reached too. Whatever is read
// back must pack into exactly the bytes it came from.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "PackedAssets.h"

using namespace corvane::pack;

namespace {

void SetChecksum(std::vector<unsigned char>& file) {
  if (file.size() < kFooterSize) return;
  unsigned char* footer = file.data() + file.size() - kFooterSize;
  std::uint64_t packSize = 0;
  for (int i = 7; i >= 0; --i) packSize = packSize << 8 | footer[8 + i];
  if (packSize < kFooterSize || packSize > file.size()) return;
  const std::span<const unsigned char> summed(file.data() + file.size() - packSize, packSize - kFooterSize + 16);
  const std::uint32_t crc = Crc32(summed);
  for (int i = 0; i < 4; ++i) footer[16 + i] = static_cast<unsigned char>(crc >> (8 * i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<unsigned char> file(data + 1, data + size);
  if (data[0] & 1) SetChecksum(file);
  const PackContents contents = ReadPack(file);
  switch (contents.state) {
    case PackContents::State::None:
    case PackContents::State::Damaged:
      if (contents.programSize != file.size() || !contents.assets.empty()) __builtin_trap();
      if ((contents.state == PackContents::State::Damaged) == contents.problem.empty()) __builtin_trap();
      break;
    case PackContents::State::Assets: {
      const std::vector<unsigned char> pack = BuildPack(contents.assets);
      if (contents.programSize + pack.size() != file.size()) __builtin_trap();
      if (!std::equal(pack.begin(), pack.end(), file.begin() + static_cast<std::ptrdiff_t>(contents.programSize)))
        __builtin_trap();
      break;
    }
  }
  return 0;
}
