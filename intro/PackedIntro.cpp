#include "PackedIntro.h"

#include <filesystem>
#include <utility>

#include "PackedAssets.h"

namespace corvane {

namespace {

// The program's own name for messages: /proc/self/exe leads to it.
std::string ShownName(const std::string& programPath) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(programPath, error);
  return error ? programPath : real.string();
}

}  // namespace

std::string AddPackedAssets(IntroAssets& assets, const std::string& programPath) {
  pack::PackContents contents = pack::ReadPackFile(programPath);
  const std::string fallback = "; the intro's own assets are used";
  if (contents.state == pack::PackContents::State::Damaged)
    return ShownName(programPath) + ": the packed assets are damaged (" + contents.problem + ")" + fallback;
  // All packed assets are checked before any is taken, so that a pack is used
  // whole or not at all.
  IntroAssets packed;
  for (pack::PackedAsset& asset : contents.assets) {
    const std::string name = ShownName(programPath) + " (packed " + std::string(AssetKindName(asset.kind)) + ")";
    if (std::string refused = CheckAsset(asset.kind, name, asset.bytes); !refused.empty()) return refused + fallback;
    packed[asset.kind] = IntroAsset{std::move(asset.bytes), name};
  }
  for (AssetKind kind : AllAssetKinds)
    if (!assets[kind] && packed[kind]) assets[kind] = std::move(packed[kind]);
  return {};
}

}  // namespace corvane
