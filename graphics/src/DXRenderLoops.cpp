// Specialised row loops for the formats the intro draws in: 5-6-5 onto
// 5-6-5 (its 16-bit screen) and 32-bit 8-8-8 onto 32-bit 8-8-8 (a window on
// a 32-bit desktop). One instance per format, blend kind, colour-key use and
// step (1:1 or scaled); each computes exactly what the generic routine does.
//
// The 1:1 loops take eight 16-bit or four 32-bit pixels at a time where SSE2
// is there (every x86-64), in 16-bit lanes: every product and sum of the
// blend rules fits 16 bits. Keyed pixels are not skipped but given back the
// destination's own value, so no branch depends on the picture.
#include <algorithm>
#include <cstring>
#include <functional>

#if defined(__SSE2__)
#include <emmintrin.h>
#define CORVANE_RENDER_SSE2 1
#endif

#include "DXRenderLoops.h"

namespace corvane::render {

namespace {

template <class Pixel>
Pixel Load(const std::uint8_t* at) {
  Pixel value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <class Pixel>
void Store(std::uint8_t* at, Pixel value) {
  std::memcpy(at, &value, sizeof value);
}

bool HasMasks(const LockedView& v, int bits, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return v.kind == ViewKind::Rgb && v.bits == bits && v.red.mask == r && v.green.mask == g &&
         v.blue.mask == b;
}

#if CORVANE_RENDER_SSE2
__m128i LoadVector(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}
void StoreVector(std::uint8_t* at, __m128i value) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at), value);
}
// `mask` set: the destination's value; else `result`.
__m128i Select(__m128i mask, __m128i under, __m128i result) {
  return _mm_or_si128(_mm_and_si128(mask, under), _mm_andnot_si128(mask, result));
}
#endif

struct Format565 {
  using Pixel = std::uint16_t;
  static constexpr std::uint32_t kKeyLimit = 0xFFFF;  // a larger key matches no pixel
  static bool Matches(const LockedView& v) { return HasMasks(v, 16, 0xF800, 0x07E0, 0x001F); }
  static std::uint32_t KeyBits(std::uint32_t p) { return p; }

  // Decoding puts a 5-bit channel C at C << 3 and a 6-bit one at C << 2, and
  // encoding drops those bits again, so the 8-bit rules come down to the same
  // mix on the raw fields: (C1 * a + C2 * (255 - a)) >> 8 for red and green,
  // (C1 * a + C2 * (256 - a)) >> 8 for blue.
  static Pixel Blend(Pixel s, Pixel d, std::uint32_t a) {
    const std::uint32_t ia = 255 - a, ib = 256 - a;
    std::uint32_t r = ((s >> 11) * a + (d >> 11) * ia) >> 8;
    std::uint32_t g = (((s >> 5) & 0x3F) * a + ((d >> 5) & 0x3F) * ia) >> 8;
    std::uint32_t b = ((s & 0x1Fu) * a + (d & 0x1Fu) * ib) >> 8;
    return static_cast<Pixel>((r << 11) | (g << 5) | b);
  }

#if CORVANE_RENDER_SSE2
  struct Weights {
    __m128i a, ia, ib, key;
    Weights(std::uint32_t alpha, std::uint32_t colourKey)
        : a(_mm_set1_epi16(static_cast<short>(alpha))),
          ia(_mm_set1_epi16(static_cast<short>(255 - alpha))),
          ib(_mm_set1_epi16(static_cast<short>(256 - alpha))),
          key(_mm_set1_epi16(static_cast<short>(colourKey))) {}
  };
  static __m128i Mix(__m128i s, __m128i d, __m128i a, __m128i b) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, b)), 8);
  }
  static __m128i Blend(__m128i s, __m128i d, const Weights& w) {
    const __m128i six = _mm_set1_epi16(0x3F), five = _mm_set1_epi16(0x1F);
    __m128i r = Mix(_mm_srli_epi16(s, 11), _mm_srli_epi16(d, 11), w.a, w.ia);
    __m128i g = Mix(_mm_and_si128(_mm_srli_epi16(s, 5), six), _mm_and_si128(_mm_srli_epi16(d, 5), six),
                    w.a, w.ia);
    __m128i b = Mix(_mm_and_si128(s, five), _mm_and_si128(d, five), w.a, w.ib);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b);
  }
  static __m128i KeyMask(__m128i s, const Weights& w) { return _mm_cmpeq_epi16(s, w.key); }
#endif
};

struct Format8888 {
  using Pixel = std::uint32_t;
  static constexpr std::uint32_t kKeyLimit = 0xFFFFFF;
  static bool Matches(const LockedView& v) {
    return HasMasks(v, 32, 0xFF0000, 0x00FF00, 0x0000FF);
  }
  static std::uint32_t KeyBits(std::uint32_t p) { return p & 0xFFFFFFu; }

  // Red and blue share one 32-bit multiply-add (blue gets its extra
  // destination share added in its own lane), green takes another. The top
  // byte is no channel and comes out 0, as encoding leaves it.
  static Pixel Blend(Pixel s, Pixel d, std::uint32_t a) {
    std::uint32_t rb = (((s & 0xFF00FF) * a + (d & 0xFF00FF) * (255 - a) + (d & 0xFF)) >> 8) & 0xFF00FF;
    std::uint32_t g = (((s & 0xFF00) * a + (d & 0xFF00) * (255 - a)) >> 8) & 0xFF00;
    return rb | g;
  }

#if CORVANE_RENDER_SSE2
  // Per 16-bit lane of a pixel (blue, green, red, top byte): the source
  // weight and the destination weight; the top byte gets neither.
  struct Weights {
    __m128i a, d, key;
    Weights(std::uint32_t alpha, std::uint32_t colourKey) {
      auto sa = static_cast<short>(alpha), ia = static_cast<short>(255 - alpha),
           ib = static_cast<short>(256 - alpha);
      a = _mm_setr_epi16(sa, sa, sa, 0, sa, sa, sa, 0);
      d = _mm_setr_epi16(ib, ia, ia, 0, ib, ia, ia, 0);
      key = _mm_set1_epi32(static_cast<int>(colourKey));
    }
  };
  static __m128i MixHalf(__m128i s, __m128i d, const Weights& w) {
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, w.a), _mm_mullo_epi16(d, w.d)), 8);
  }
  static __m128i Blend(__m128i s, __m128i d, const Weights& w) {
    const __m128i zero = _mm_setzero_si128();
    __m128i low = MixHalf(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), w);
    __m128i high = MixHalf(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), w);
    return _mm_packus_epi16(low, high);
  }
  static __m128i KeyMask(__m128i s, const Weights& w) {
    return _mm_cmpeq_epi32(_mm_and_si128(s, _mm_set1_epi32(0xFFFFFF)), w.key);
  }
#endif
};

// Scaled: the source column follows u, pixel by pixel.
template <class F, BlendKind Kind, bool Keyed>
void ScaledRows(const PixelPipeline& p, const RowSpan& rows) {
  using Pixel = typename F::Pixel;
  constexpr std::size_t size = sizeof(Pixel);
  const std::uint32_t key = p.colourKey, du = p.du;
  std::uint32_t v = rows.v;
  for (int y = rows.top; y < rows.bottom; ++y, v += rows.dv) {
    const std::uint8_t* in = p.source.Row(static_cast<int>(v >> 16));
    std::uint8_t* out = p.dest.Row(y) + static_cast<std::size_t>(rows.x) * size;
    std::uint32_t u = rows.u;
    for (int i = 0; i < rows.count; ++i, u += du) {
      Pixel pixel = Load<Pixel>(in + static_cast<std::size_t>(u >> 16) * size);
      if constexpr (Keyed) {
        if (F::KeyBits(pixel) == key) continue;
      }
      std::uint8_t* at = out + static_cast<std::size_t>(i) * size;
      if constexpr (Kind == BlendKind::Copy) {
        Store<Pixel>(at, pixel);
      } else {
        Store<Pixel>(at, F::Blend(pixel, Load<Pixel>(at), p.alpha));
      }
    }
  }
}

// One pixel of a 1:1 row, for what the vectors leave over.
template <class F, BlendKind Kind, bool Keyed>
void UnitPixel(const PixelPipeline& p, const std::uint8_t* in, std::uint8_t* out) {
  using Pixel = typename F::Pixel;
  const Pixel pixel = Load<Pixel>(in);
  if constexpr (Keyed) {
    if (F::KeyBits(pixel) == p.colourKey) return;
  }
  if constexpr (Kind == BlendKind::Copy) {
    Store<Pixel>(out, pixel);
  } else {
    Store<Pixel>(out, F::Blend(pixel, Load<Pixel>(out), p.alpha));
  }
}

// 1:1: consecutive source pixels (source and destination never share
// memory here).
template <class F, BlendKind Kind, bool Keyed>
void UnitRows(const PixelPipeline& p, const RowSpan& rows) {
  using Pixel = typename F::Pixel;
  constexpr std::size_t size = sizeof(Pixel);
  const std::size_t bytes = static_cast<std::size_t>(rows.count) * size;
#if CORVANE_RENDER_SSE2
  const typename F::Weights weights(p.alpha, p.colourKey);
  const std::size_t vectorBytes = bytes - bytes % 16;
#endif
  std::uint32_t v = rows.v;
  for (int y = rows.top; y < rows.bottom; ++y, v += rows.dv) {
    const std::uint8_t* in =
        p.source.Row(static_cast<int>(v >> 16)) + static_cast<std::size_t>(rows.u >> 16) * size;
    std::uint8_t* out = p.dest.Row(y) + static_cast<std::size_t>(rows.x) * size;
    if constexpr (Kind == BlendKind::Copy && !Keyed) {
      std::memcpy(out, in, bytes);
      continue;
    }
    std::size_t at = 0;
#if CORVANE_RENDER_SSE2
    for (; at < vectorBytes; at += 16) {
      const __m128i pixels = LoadVector(in + at);
      const __m128i under = LoadVector(out + at);
      __m128i result = pixels;
      if constexpr (Kind == BlendKind::SourceAlpha) result = F::Blend(pixels, under, weights);
      if constexpr (Keyed) result = Select(F::KeyMask(pixels, weights), under, result);
      StoreVector(out + at, result);
    }
#endif
    for (; at < bytes; at += size) UnitPixel<F, Kind, Keyed>(p, in + at, out + at);
  }
}

template <class F, BlendKind Kind, bool Keyed>
PipelineRows ChooseStep(const PixelPipeline& p) {
  return p.du == 65536 ? UnitRows<F, Kind, Keyed> : ScaledRows<F, Kind, Keyed>;
}

// Whether the bytes two views span meet, whichever way their rows run.
bool Overlap(const LockedView& a, const LockedView& b) {
  auto low = [](const LockedView& v) {
    return std::min<const std::uint8_t*>(v.pixels, v.Row(v.height - 1));
  };
  auto high = [](const LockedView& v) {
    return std::max<const std::uint8_t*>(v.pixels, v.Row(v.height - 1)) +
           (static_cast<std::size_t>(v.width) * static_cast<std::size_t>(v.bits) + 7) / 8;
  };
  std::less<const std::uint8_t*> before;
  return before(low(a), high(b)) && before(low(b), high(a));
}

template <class F>
PipelineRows ChooseFor(const PixelPipeline& p) {
  // Pictures that share memory go pixel by pixel through the generic routine.
  if (!F::Matches(p.dest) || !F::Matches(p.source) || Overlap(p.dest, p.source)) return nullptr;
  // A key that no stored value can equal keys nothing.
  const bool keyed = p.transparent && p.colourKey <= F::kKeyLimit;
  if (p.kind == BlendKind::Copy)
    return keyed ? ChooseStep<F, BlendKind::Copy, true>(p) : ChooseStep<F, BlendKind::Copy, false>(p);
  return keyed ? ChooseStep<F, BlendKind::SourceAlpha, true>(p)
               : ChooseStep<F, BlendKind::SourceAlpha, false>(p);
}

}  // namespace

PipelineRows ChooseSpecialisedRows(const PixelPipeline& pipeline) {
  if (PipelineRows rows = ChooseFor<Format565>(pipeline)) return rows;
  return ChooseFor<Format8888>(pipeline);
}

}  // namespace corvane::render
