// Placing and enlarging a full-screen picture on the monitor, in software:
// the capture tool's pictures of a monitor, and the reference the
// renderer's two-step enlargement is held to.
#include <algorithm>

#include "platform/Display.h"

namespace corvane::platform {

namespace {

bool Empty(Size size) { return size.width <= 0 || size.height <= 0; }

// One output column (or row) reads source pixel `a`, or a blend of `a` and
// the next one `b` with `b` weighing `weight` / 256.
struct Tap {
  int a = 0, b = 0, weight = 0;
};

// Nearest neighbour: the source pixel under each output pixel's centre.
std::vector<Tap> NearestTaps(int placed, int source) {
  std::vector<Tap> taps(static_cast<std::size_t>(placed));
  for (int i = 0; i < placed; ++i) {
    const int a = static_cast<int>((std::int64_t{2} * i + 1) * source / (std::int64_t{2} * placed));
    taps[static_cast<std::size_t>(i)] = {a, a, 0};
  }
  return taps;
}

// The source enlarged `factor` times by repeating pixels, then sampled
// linearly at each output pixel's centre (t = (i + 1/2) * inter / placed
// - 1/2 in the enlarged picture's pixels, in 1/256 steps), edges clamped.
std::vector<Tap> TwoStepTaps(int placed, int source, int factor) {
  const std::int64_t inter = std::int64_t{source} * factor;
  std::vector<Tap> taps(static_cast<std::size_t>(placed));
  for (int i = 0; i < placed; ++i) {
    const std::int64_t t = (std::int64_t{2} * i + 1) * inter * 256 / (std::int64_t{2} * placed) - 128;
    const std::int64_t first = t >= 0 ? t / 256 : -1;
    const auto weight = static_cast<int>(t - first * 256);
    const auto a = static_cast<int>(std::clamp<std::int64_t>(first, 0, inter - 1) / factor);
    const auto b = static_cast<int>(std::clamp<std::int64_t>(first + 1, 0, inter - 1) / factor);
    taps[static_cast<std::size_t>(i)] = {a, b, a == b ? 0 : weight};
  }
  return taps;
}

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, int weight) {
  if (weight == 0 || a == b) return a;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 255), cb = static_cast<int>((b >> shift) & 255);
    out |= static_cast<std::uint32_t>((ca * (256 - weight) + cb * weight + 128) >> 8) << shift;
  }
  return out;
}

}  // namespace

RECT PlacePicture(Size output, Size picture, Scaling scaling) {
  if (scaling == Scaling::Whole) return FitPicture(output, picture);
  if (Empty(output) || Empty(picture)) return {};
  std::int64_t w = output.width, h = output.height;
  if (std::int64_t{output.width} * picture.height <= std::int64_t{output.height} * picture.width)
    h = std::max<std::int64_t>(1, std::int64_t{picture.height} * output.width / picture.width);
  else
    w = std::max<std::int64_t>(1, std::int64_t{picture.width} * output.height / picture.height);
  auto left = static_cast<std::int32_t>((output.width - w) / 2);
  auto top = static_cast<std::int32_t>((output.height - h) / 2);
  return {left, top, left + static_cast<std::int32_t>(w), top + static_cast<std::int32_t>(h)};
}

int WholeFactorWithin(Size placed, Size picture) {
  if (Empty(placed) || Empty(picture)) return 1;
  return std::max(1, std::min(placed.width / picture.width, placed.height / picture.height));
}

std::vector<std::uint32_t> ScalePicture(const FrameView& frame, Size size, Scaling scaling) {
  std::vector<std::uint32_t> out;
  if (Empty(size)) return out;
  out.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height), 0);
  const Size picture{frame.width, frame.height};
  const RECT place = PlacePicture(size, picture, scaling);
  if (!frame.pixels || place.width() <= 0 || place.height() <= 0) return out;
  const int factor = WholeFactorWithin({place.width(), place.height()}, picture);
  const bool twoStep = scaling == Scaling::Fill;
  const std::vector<Tap> columns = twoStep ? TwoStepTaps(place.width(), frame.width, factor)
                                           : NearestTaps(place.width(), frame.width);
  const std::vector<Tap> rows = twoStep ? TwoStepTaps(place.height(), frame.height, factor)
                                        : NearestTaps(place.height(), frame.height);
  auto sourceRow = [&](int y) { return frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch; };
  for (int y = 0; y < place.height(); ++y) {
    const Tap& row = rows[static_cast<std::size_t>(y)];
    const std::uint32_t* upper = sourceRow(row.a);
    const std::uint32_t* lower = sourceRow(row.b);
    std::uint32_t* target = out.data() + static_cast<std::size_t>(place.top + y) * static_cast<std::size_t>(size.width) +
                            static_cast<std::size_t>(place.left);
    for (int x = 0; x < place.width(); ++x) {
      const Tap& column = columns[static_cast<std::size_t>(x)];
      const std::uint32_t top = Blend(upper[column.a], upper[column.b], column.weight);
      const std::uint32_t bottom = Blend(lower[column.a], lower[column.b], column.weight);
      target[x] = Blend(top, bottom, row.weight) & 0xFFFFFFu;
    }
  }
  return out;
}

}  // namespace corvane::platform
