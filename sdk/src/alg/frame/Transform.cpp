// Orientation transforms, row mirror, vertical 1-2-1 smoothing and integer bilinear enlargement.
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"

namespace ostrel::alg {

namespace {

// ---- row mirror -------------------------------------------------------------------------------

void flipRowScalar(int16_t* row, int width) {
  std::reverse(row, row + width);
}

__attribute__((target("sse2"))) inline __m128i reverse8(__m128i v) {
  v = _mm_shufflelo_epi16(v, 0x1B);
  v = _mm_shufflehi_epi16(v, 0x1B);
  return _mm_shuffle_epi32(v, 0x4E);
}

__attribute__((target("sse2"))) void flipRowSse2(int16_t* row, int width) {
  int i = 0, j = width;  // [i, j) is still to be mirrored
  while (j - i >= 16) {
    __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + j - 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), reverse8(right));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + j - 8), reverse8(left));
    i += 8;
    j -= 8;
  }
  std::reverse(row + i, row + j);
}

__attribute__((target("avx2"))) inline __m256i reverse16(__m256i v, __m256i mask) {
  return _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, mask), 0x4E);
}

__attribute__((target("avx2"))) void flipRowAvx2(int16_t* row, int width) {
  const __m256i mask = _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1, 14, 15, 12, 13,
                                        10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
  int i = 0, j = width;
  while (j - i >= 32) {
    __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + j - 16));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), reverse16(right, mask));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + j - 16), reverse16(left, mask));
    i += 16;
    j -= 16;
  }
  std::reverse(row + i, row + j);
}

void flipRows(int16_t* values, int width, int rows) {
  void (*fn)(int16_t*, int) = flipRowScalar;
  switch (simdLevel()) {
    case SimdLevel::Avx512:
    case SimdLevel::Avx2:
      fn = flipRowAvx2;
      break;
    case SimdLevel::Sse2:
      fn = flipRowSse2;
      break;
    case SimdLevel::Scalar:
      break;
  }
  for (int r = 0; r < rows; ++r) fn(values + static_cast<size_t>(r) * width, width);
}

// ---- rotations --------------------------------------------------------------------------------

// Tiles keep both the rows read and the rows written in the cache.
constexpr int kTile = 32;

// Clockwise: source (r, c) -> (c, h - 1 - r) of an h-column picture.
void rotateClockwiseScalar(const int16_t* src, int w, int h, int16_t* dst) {
  for (int r0 = 0; r0 < h; r0 += kTile) {
    const int r1 = std::min(h, r0 + kTile);
    for (int c0 = 0; c0 < w; c0 += kTile) {
      const int c1 = std::min(w, c0 + kTile);
      for (int c = c0; c < c1; ++c) {
        int16_t* out = dst + static_cast<size_t>(c) * h + (h - 1);
        for (int r = r0; r < r1; ++r) out[-r] = src[static_cast<size_t>(r) * w + c];
      }
    }
  }
}

// Counter-clockwise: source (r, c) -> (w - 1 - c, r).
void rotateCounterClockwiseScalar(const int16_t* src, int w, int h, int16_t* dst) {
  for (int r0 = 0; r0 < h; r0 += kTile) {
    const int r1 = std::min(h, r0 + kTile);
    for (int c0 = 0; c0 < w; c0 += kTile) {
      const int c1 = std::min(w, c0 + kTile);
      for (int c = c0; c < c1; ++c) {
        int16_t* out = dst + static_cast<size_t>(w - 1 - c) * h;
        for (int r = r0; r < r1; ++r) out[r] = src[static_cast<size_t>(r) * w + c];
      }
    }
  }
}

// Transposes the 8 x 8 block whose rows are rows[0..7] (8 values each) into out[0..7].
__attribute__((target("sse2"))) inline void transpose8(const __m128i* rows, __m128i* out) {
  __m128i a0 = _mm_unpacklo_epi16(rows[0], rows[1]), a1 = _mm_unpackhi_epi16(rows[0], rows[1]);
  __m128i a2 = _mm_unpacklo_epi16(rows[2], rows[3]), a3 = _mm_unpackhi_epi16(rows[2], rows[3]);
  __m128i a4 = _mm_unpacklo_epi16(rows[4], rows[5]), a5 = _mm_unpackhi_epi16(rows[4], rows[5]);
  __m128i a6 = _mm_unpacklo_epi16(rows[6], rows[7]), a7 = _mm_unpackhi_epi16(rows[6], rows[7]);
  __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  out[0] = _mm_unpacklo_epi64(b0, b4);
  out[1] = _mm_unpackhi_epi64(b0, b4);
  out[2] = _mm_unpacklo_epi64(b1, b5);
  out[3] = _mm_unpackhi_epi64(b1, b5);
  out[4] = _mm_unpacklo_epi64(b2, b6);
  out[5] = _mm_unpackhi_epi64(b2, b6);
  out[6] = _mm_unpacklo_epi64(b3, b7);
  out[7] = _mm_unpackhi_epi64(b3, b7);
}

// Vector form of both rotations: 8 x 8 blocks transposed in registers, within cache tiles; the
// clockwise turn reads the block's rows bottom-up so each output row comes out in order. Rows and
// columns left over from the blocks go through the scalar rule.
__attribute__((target("sse2"))) void rotateSse2(const int16_t* src, int w, int h, int16_t* dst,
                                                bool clockwise) {
  const int w8 = w & ~7, h8 = h & ~7;
  for (int r0 = 0; r0 < h8; r0 += kTile) {
    const int r1 = std::min(h8, r0 + kTile);
    for (int c0 = 0; c0 < w8; c0 += kTile) {
      const int c1 = std::min(w8, c0 + kTile);
      for (int rb = r0; rb < r1; rb += 8)
        for (int cb = c0; cb < c1; cb += 8) {
          __m128i rows[8], t[8];
          for (int k = 0; k < 8; ++k) {
            const int r = clockwise ? rb + 7 - k : rb + k;
            rows[k] =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + static_cast<size_t>(r) * w + cb));
          }
          transpose8(rows, t);
          for (int k = 0; k < 8; ++k) {
            const int c = cb + k;
            int16_t* out = clockwise ? dst + static_cast<size_t>(c) * h + (h - 8 - rb)
                                     : dst + static_cast<size_t>(w - 1 - c) * h + rb;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), t[k]);
          }
        }
    }
  }
  auto put = [&](int r, int c) {
    const int16_t v = src[static_cast<size_t>(r) * w + c];
    if (clockwise)
      dst[static_cast<size_t>(c) * h + (h - 1 - r)] = v;
    else
      dst[static_cast<size_t>(w - 1 - c) * h + r] = v;
  };
  for (int r = 0; r < h; ++r)
    for (int c = (r < h8 ? w8 : 0); c < w; ++c) put(r, c);
}

// Transposes two 8 x 8 blocks side by side at once: rows[k] holds row k of both (left block in
// the low half), out[k] then holds column k of the left block low and of the right block high.
__attribute__((target("avx2"))) inline void transpose8x2(const __m256i* rows, __m256i* out) {
  __m256i a0 = _mm256_unpacklo_epi16(rows[0], rows[1]), a1 = _mm256_unpackhi_epi16(rows[0], rows[1]);
  __m256i a2 = _mm256_unpacklo_epi16(rows[2], rows[3]), a3 = _mm256_unpackhi_epi16(rows[2], rows[3]);
  __m256i a4 = _mm256_unpacklo_epi16(rows[4], rows[5]), a5 = _mm256_unpackhi_epi16(rows[4], rows[5]);
  __m256i a6 = _mm256_unpacklo_epi16(rows[6], rows[7]), a7 = _mm256_unpackhi_epi16(rows[6], rows[7]);
  __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
  __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
  __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
  __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);
  out[0] = _mm256_unpacklo_epi64(b0, b4);
  out[1] = _mm256_unpackhi_epi64(b0, b4);
  out[2] = _mm256_unpacklo_epi64(b1, b5);
  out[3] = _mm256_unpackhi_epi64(b1, b5);
  out[4] = _mm256_unpacklo_epi64(b2, b6);
  out[5] = _mm256_unpackhi_epi64(b2, b6);
  out[6] = _mm256_unpacklo_epi64(b3, b7);
  out[7] = _mm256_unpackhi_epi64(b3, b7);
}

// The rotations with 8 x 16 blocks (two 8 x 8 transposes per register set), turning `values` in
// place with `scratch` (w x h values) as the keep area, so the turned frame needs no copy back.
//
// Output row o holds source column c (o = c clockwise, o = w - 1 - c counter-clockwise) and
// occupies values[o h, (o + 1) h). The source columns go in bands whose output rows ascend, so
// the output overwrites the frame from its start onward; before a band writes, the source rows
// that its output region meets are copied to the same place in `scratch`, only the columns later
// bands still read. Rows so kept are read from `scratch` from then on. About half the frame is
// copied that way, against all of it for a turn into `scratch` and a copy back.
//
// Within a band the blocks go in strips of 64 source rows: at each 16-column step every one of the
// 16 output rows receives 128 contiguous bytes (two whole cache lines) and is not touched again
// in that strip. Square tiles instead leave partly written lines in many output rows at once;
// with a row pitch that is a multiple of 2 KiB (h = 1024) those lines share a handful of
// first-level cache sets and evict each other before they are complete.
constexpr int kStripRows = 64;
constexpr int kBandColumns = 128;  // 128 output rows of up to a few KiB stay in the second level

// One band of source columns [cA, cB): a multiple-of-16 run below w16, or the columns from w16
// on. `kept` counts the rows already in scratch and grows with the rows this band's output meets.
__attribute__((target("avx2"))) void rotateBandAvx2(int16_t* values, int16_t* scratch, int w, int h, int cA, int cB,
                                                    bool clockwise, int& kept) {
  const int w16 = w & ~15, h8 = h & ~7;
  const int oB = clockwise ? cB : w - cA;
  const int needRows = static_cast<int>(std::min<int64_t>(h, (static_cast<int64_t>(oB) * h + w - 1) / w));
  const int keepA = clockwise ? cA : 0, keepB = clockwise ? w : cB;  // columns read from now on
  for (; kept < needRows; ++kept) {
    const size_t at = static_cast<size_t>(kept) * w + keepA;
    std::memcpy(scratch + at, values + at, static_cast<size_t>(keepB - keepA) * sizeof(int16_t));
  }
  const int keptRows = kept;
  auto row = [=](int r) -> const int16_t* {
    return (r < keptRows ? scratch : values) + static_cast<size_t>(r) * w;
  };
  const int vB = std::min(cB, w16);
  for (int r0 = 0; r0 < h8 && cA < vB; r0 += kStripRows) {
    const int r1 = std::min(h8, r0 + kStripRows);
    // Output rows ascend in both turns: the counter-clockwise one takes the columns right to left.
    for (int j = 0; j < vB - cA; j += 16) {
      const int cb = clockwise ? cA + j : vB - 16 - j;
      for (int rb = r0; rb < r1; rb += 8) {
        __m256i rows[8], t[8];
        for (int k = 0; k < 8; ++k) {
          const int r = clockwise ? rb + 7 - k : rb + k;
          rows[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row(r) + cb));
        }
        transpose8x2(rows, t);
        for (int k = 0; k < 8; ++k) {
          const int c = cb + k;
          int16_t* lo = clockwise ? values + static_cast<size_t>(c) * h + (h - 8 - rb)
                                  : values + static_cast<size_t>(w - 1 - c) * h + rb;
          int16_t* hi = clockwise ? lo + static_cast<size_t>(8) * h : lo - static_cast<size_t>(8) * h;
          _mm_storeu_si128(reinterpret_cast<__m128i*>(lo), _mm256_castsi256_si128(t[k]));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(hi), _mm256_extracti128_si256(t[k], 1));
        }
      }
    }
  }
  // What the blocks leave: the rows from h8 on, and the band's columns from w16 on.
  for (int r = 0; r < h; ++r) {
    const int16_t* src = row(r);
    for (int c = (r < h8 ? std::max(cA, w16) : cA); c < cB; ++c) {
      if (clockwise)
        values[static_cast<size_t>(c) * h + (h - 1 - r)] = src[c];
      else
        values[static_cast<size_t>(w - 1 - c) * h + r] = src[c];
    }
  }
}

void rotateAvx2(int16_t* values, int w, int h, int16_t* scratch, bool clockwise) {
  const int w16 = w & ~15;
  int kept = 0;
  if (clockwise) {
    for (int c0 = 0; c0 < w16; c0 += kBandColumns)
      rotateBandAvx2(values, scratch, w, h, c0, std::min(w16, c0 + kBandColumns), true, kept);
    if (w16 < w) rotateBandAvx2(values, scratch, w, h, w16, w, true, kept);
  } else {
    if (w16 < w) rotateBandAvx2(values, scratch, w, h, w16, w, false, kept);
    for (int c1 = w16; c1 > 0; c1 -= kBandColumns)
      rotateBandAvx2(values, scratch, w, h, std::max(0, c1 - kBandColumns), c1, false, kept);
  }
}

// Turns `values` a quarter turn into itself; `scratch` holds w x h values.
void rotate(int16_t* values, int w, int h, int16_t* scratch, bool clockwise) {
  if (simdLevel() >= SimdLevel::Avx2) {
    rotateAvx2(values, w, h, scratch, clockwise);
    return;
  }
  if (simdLevel() == SimdLevel::Scalar) {
    if (clockwise)
      rotateClockwiseScalar(values, w, h, scratch);
    else
      rotateCounterClockwiseScalar(values, w, h, scratch);
  } else {
    rotateSse2(values, w, h, scratch, clockwise);
  }
  std::memcpy(values, scratch, static_cast<size_t>(w) * h * sizeof(int16_t));
}

void flipVertical(int16_t* values, int w, int h) {
  for (int k = 0; k < h / 2; ++k) {
    int16_t* a = values + static_cast<size_t>(k) * w;
    int16_t* b = values + static_cast<size_t>(h - 1 - k) * w;
    std::swap_ranges(a, a + w, b);
  }
}

// ---- enlargement ------------------------------------------------------------------------------

inline int16_t mean2(int a, int b) {
  return static_cast<int16_t>((a + b) >> 1);
}

// The one-pixel frame of types 2 and 3: left and right columns from the two values inward in the
// row, top and bottom rows from the two values inward in the column, corners from the row and
// column neighbour.
void fillFrame1(int16_t* d, int W, int H) {
  auto at = [&](int r, int c) -> int16_t& { return d[static_cast<size_t>(r) * W + c]; };
  for (int r = 1; r < H - 1; ++r) {
    at(r, 0) = mean2(at(r, 1), at(r, 2));
    at(r, W - 1) = mean2(at(r, W - 2), at(r, W - 3));
  }
  for (int c = 1; c < W - 1; ++c) {
    at(0, c) = mean2(at(1, c), at(2, c));
    at(H - 1, c) = mean2(at(H - 2, c), at(H - 3, c));
  }
  at(0, 0) = mean2(at(0, 1), at(1, 0));
  at(0, W - 1) = mean2(at(0, W - 2), at(1, W - 1));
  at(H - 1, 0) = mean2(at(H - 1, 1), at(H - 2, 0));
  at(H - 1, W - 1) = mean2(at(H - 1, W - 2), at(H - 2, W - 1));
}

// Type 2 interior of one pair of output rows: source rows s0, s1 -> output rows o1 (nearer s0)
// and o2, columns 1 .. 2w - 2. a = 3 s0 + s1, b = s0 + 3 s1 give the 9-3-3-1 weights exactly.
void scale2RowsScalar(const int16_t* s0, const int16_t* s1, int w, int16_t* o1, int16_t* o2) {
  for (int x = 0; x + 1 < w; ++x) {
    const int a0 = 3 * s0[x] + s1[x], a1 = 3 * s0[x + 1] + s1[x + 1];
    const int b0 = s0[x] + 3 * s1[x], b1 = s0[x + 1] + 3 * s1[x + 1];
    o1[2 * x + 1] = static_cast<int16_t>((3 * a0 + a1) >> 4);
    o1[2 * x + 2] = static_cast<int16_t>((a0 + 3 * a1) >> 4);
    o2[2 * x + 1] = static_cast<int16_t>((3 * b0 + b1) >> 4);
    o2[2 * x + 2] = static_cast<int16_t>((b0 + 3 * b1) >> 4);
  }
}

__attribute__((target("avx2"))) inline void store2x(int16_t* out, __m256i p, __m256i q) {
  // p and q hold eight int32 results each; they lie in the int16 range (weighted means), so the
  // saturating pack is exact. Interleave p0 q0 p1 q1 ...
  __m128i p16 = _mm_packs_epi32(_mm256_castsi256_si128(p), _mm256_extracti128_si256(p, 1));
  __m128i q16 = _mm_packs_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(p16, q16));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi16(p16, q16));
}

__attribute__((target("avx2"))) inline __m256i load8(const int16_t* p) {
  return _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

__attribute__((target("avx2"))) void scale2RowsAvx2(const int16_t* s0, const int16_t* s1, int w, int16_t* o1,
                                                    int16_t* o2) {
  const __m256i three = _mm256_set1_epi32(3);
  int x = 0;
  // Eight cells a step; the loads reach s[x + 8], so stop while x + 9 <= w.
  for (; x + 9 <= w; x += 8) {
    __m256i t0 = load8(s0 + x), t1 = load8(s0 + x + 1);
    __m256i u0 = load8(s1 + x), u1 = load8(s1 + x + 1);
    __m256i a0 = _mm256_add_epi32(_mm256_mullo_epi32(t0, three), u0);
    __m256i a1 = _mm256_add_epi32(_mm256_mullo_epi32(t1, three), u1);
    __m256i b0 = _mm256_add_epi32(_mm256_mullo_epi32(u0, three), t0);
    __m256i b1 = _mm256_add_epi32(_mm256_mullo_epi32(u1, three), t1);
    store2x(o1 + 2 * x + 1, _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(a0, three), a1), 4),
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(a1, three), a0), 4));
    store2x(o2 + 2 * x + 1, _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(b0, three), b1), 4),
            _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(b1, three), b0), 4));
  }
  if (x + 1 < w) scale2RowsScalar(s0 + x, s1 + x, w - x, o1 + 2 * x, o2 + 2 * x);
}

void scale2(const int16_t* s, int w, int h, int16_t* d) {
  const int W = 2 * w, H = 2 * h;
  auto rows = simdLevel() >= SimdLevel::Avx2 ? scale2RowsAvx2 : scale2RowsScalar;
  for (int y = 0; y + 1 < h; ++y)
    rows(s + static_cast<size_t>(y) * w, s + static_cast<size_t>(y + 1) * w, w,
         d + static_cast<size_t>(2 * y + 1) * W, d + static_cast<size_t>(2 * y + 2) * W);
  fillFrame1(d, W, H);
}

void scale3(const int16_t* s, int w, int h, int16_t* d) {
  const int W = 3 * w, H = 3 * h;
  auto src = [&](int y, int x) -> int { return s[static_cast<size_t>(y) * w + x]; };
  auto at = [&](int r, int c) -> int16_t& { return d[static_cast<size_t>(r) * W + c]; };
  for (int y = 0; y + 1 < h; ++y) {
    for (int x = 0; x + 1 < w; ++x) {
      const int tl = src(y, x), tr = src(y, x + 1), bl = src(y + 1, x), br = src(y + 1, x + 1);
      const int r = 3 * y + 1, c = 3 * x + 1;
      at(r, c) = static_cast<int16_t>(tl);
      at(r, c + 1) = static_cast<int16_t>((2 * tl + tr) / 3);
      at(r, c + 2) = static_cast<int16_t>((tl + 2 * tr) / 3);
      at(r + 1, c) = static_cast<int16_t>((2 * tl + bl) / 3);
      at(r + 2, c) = static_cast<int16_t>((tl + 2 * bl) / 3);
      at(r + 1, c + 1) = static_cast<int16_t>((4 * tl + 2 * tr + 2 * bl + br) / 9);
      at(r + 1, c + 2) = static_cast<int16_t>((2 * tl + 4 * tr + bl + 2 * br) / 9);
      at(r + 2, c + 1) = static_cast<int16_t>((2 * tl + tr + 4 * bl + 2 * br) / 9);
      at(r + 2, c + 2) = static_cast<int16_t>((tl + 2 * tr + 2 * bl + 4 * br) / 9);
    }
  }
  // Strip of the last source row (output row 3h - 2) and column (output column 3w - 2): the
  // source value at its grid position, the two values after it from the two filled values above
  // (row strip) or to the left (column strip).
  const int rs = H - 2, cs = W - 2;
  for (int x = 0; x + 1 < w; ++x) {
    const int c = 3 * x + 1;
    at(rs, c) = static_cast<int16_t>(src(h - 1, x));
    at(rs, c + 1) = mean2(at(rs - 1, c + 1), at(rs - 2, c + 1));
    at(rs, c + 2) = mean2(at(rs - 1, c + 2), at(rs - 2, c + 2));
  }
  for (int y = 0; y + 1 < h; ++y) {
    const int r = 3 * y + 1;
    at(r, cs) = static_cast<int16_t>(src(y, w - 1));
    at(r + 1, cs) = mean2(at(r + 1, cs - 1), at(r + 1, cs - 2));
    at(r + 2, cs) = mean2(at(r + 2, cs - 1), at(r + 2, cs - 2));
  }
  at(rs, cs) = static_cast<int16_t>(src(h - 1, w - 1));
  fillFrame1(d, W, H);
}

void scale4(const int16_t* s, int w, int h, int16_t* d) {
  const int W = 4 * w, H = 4 * h;
  auto src = [&](int y, int x) -> int { return s[static_cast<size_t>(y) * w + x]; };
  auto at = [&](int r, int c) -> int16_t& { return d[static_cast<size_t>(r) * W + c]; };
  for (int y = 0; y + 1 < h; ++y) {
    for (int x = 0; x + 1 < w; ++x) {
      const int tl = src(y, x), tr = src(y, x + 1), bl = src(y + 1, x), br = src(y + 1, x + 1);
      for (int i = 0; i < 4; ++i) {
        const int fy = 2 * i + 1;  // eighths of the cell downward
        for (int j = 0; j < 4; ++j) {
          const int fx = 2 * j + 1;
          const int v = (8 - fx) * (8 - fy) * tl + fx * (8 - fy) * tr + (8 - fx) * fy * bl + fx * fy * br;
          at(4 * y + 2 + i, 4 * x + 2 + j) = static_cast<int16_t>(v >> 6);
        }
      }
    }
  }
  // Two-pixel frame: inner line from the two values inward, outer line from the nearest inward
  // value and the new inner value.
  for (int r = 2; r < H - 2; ++r) {
    at(r, 1) = mean2(at(r, 2), at(r, 3));
    at(r, 0) = mean2(at(r, 2), at(r, 1));
    at(r, W - 2) = mean2(at(r, W - 3), at(r, W - 4));
    at(r, W - 1) = mean2(at(r, W - 3), at(r, W - 2));
  }
  for (int c = 2; c < W - 2; ++c) {
    at(1, c) = mean2(at(2, c), at(3, c));
    at(0, c) = mean2(at(2, c), at(1, c));
    at(H - 2, c) = mean2(at(H - 3, c), at(H - 4, c));
    at(H - 1, c) = mean2(at(H - 3, c), at(H - 2, c));
  }
  // Each 2 x 2 corner: one mean of the inner-line values beside it in its rows and columns.
  auto corner = [&](int r0, int c0, int rowNeighbour, int colNeighbour) {
    const int16_t v = mean2(rowNeighbour, colNeighbour);
    at(r0, c0) = at(r0, c0 + 1) = at(r0 + 1, c0) = at(r0 + 1, c0 + 1) = v;
  };
  corner(0, 0, at(1, 2), at(2, 1));
  corner(0, W - 2, at(1, W - 3), at(2, W - 2));
  corner(H - 2, 0, at(H - 2, 2), at(H - 3, 1));
  corner(H - 2, W - 2, at(H - 2, W - 3), at(H - 3, W - 2));
}

}  // namespace

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API int Alg_Transform(DataFrameHead* head, int16_t* values, int16_t* scratch, int code) {
  if (!head || !values) return OSTREL_E_ARGUMENT;
  const int w = head->width, h = head->height;
  const size_t n = static_cast<size_t>(w) * h;
  if (n == 0) return 0;
  switch (code) {
    case 1:
    case 3:
      if (!scratch) return OSTREL_E_ARGUMENT;
      rotate(values, w, h, scratch, code == 1);
      head->width = static_cast<uint16_t>(h);
      head->height = static_cast<uint16_t>(w);
      break;
    case 2:
      std::reverse(values, values + n);
      break;
    case 4:
      flipRows(values, w, h);
      break;
    case 5:
      flipVertical(values, w, h);
      break;
    default:
      break;
  }
  return 0;
}

extern "C" OSTREL_API int Alg_FlipX(int16_t* values, int width, int rows) {
  if (!values || width < 0 || rows < 0) return OSTREL_E_ARGUMENT;
  flipRows(values, width, rows);
  return 0;
}

extern "C" OSTREL_API int Alg_Row121(int16_t* values, int width, int rows, int16_t* scratch) {
  if (!values || !scratch || width < 0 || rows < 0) return OSTREL_E_ARGUMENT;
  if (rows < 3 || width == 0) return 0;
  // `scratch` carries row k - 1 as it was before the pass; row -1 is row 0.
  std::memcpy(scratch, values, static_cast<size_t>(width) * sizeof(int16_t));
  for (int k = 0; k <= rows - 3; ++k) {
    int16_t* row = values + static_cast<size_t>(k) * width;
    const int16_t* next = row + width;
    for (int x = 0; x < width; ++x) {
      const int cur = row[x];
      row[x] = static_cast<int16_t>((next[x] + 2 * cur + scratch[x]) >> 2);
      scratch[x] = static_cast<int16_t>(cur);
    }
  }
  return 0;
}

extern "C" OSTREL_API int Alg_ScaleTemp(int type, int width, int height, const int16_t* src, int16_t* dst) {
  if (type < 2 || type > 4) return OSTREL_E_UNSUPPORTED;
  if (!src || !dst || width < 2 || height < 2) return OSTREL_E_ARGUMENT;
  // The output size is (type x width) x (type x height); keep every index inside int.
  if (static_cast<int64_t>(width) * type * height * type > INT32_MAX) return OSTREL_E_ARGUMENT;
  switch (type) {
    case 2:
      scale2(src, width, height, dst);
      break;
    case 3:
      scale3(src, width, height, dst);
      break;
    default:
      scale4(src, width, height, dst);
      break;
  }
  return 0;
}
