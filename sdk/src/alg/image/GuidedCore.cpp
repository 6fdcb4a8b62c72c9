#include "GuidedCore.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace ostrel::alg {

namespace {
std::atomic<int> g_failAfter{-1};
std::atomic<bool> g_simd{true};
}  // namespace

void* imgAlloc(size_t bytes) {
  int n = g_failAfter.load();
  if (n >= 0) {
    g_failAfter.store(n - 1);
    if (n == 0) return nullptr;
  }
  if (bytes == 0) bytes = 64;
  const size_t rounded = (bytes + 63) & ~static_cast<size_t>(63);
  void* p = std::aligned_alloc(64, rounded);
  if (p) std::memset(p, 0, rounded);
  return p;
}

void imgFree(void* p) { std::free(p); }

void imgFailAllocAfter(int n) { g_failAfter.store(n); }

bool imgSimdEnabled() { return g_simd.load(std::memory_order_relaxed); }
void imgSetSimd(bool on) { g_simd.store(on); }

void fillMirror(int32_t* table, int n, int r, int32_t mul) {
  for (int i = -r; i < n + r; ++i) table[i + r] = mul * mirrorIndex(i, n);
}

void fillReciprocal(uint16_t* table, size_t size, int64_t c) {
  table[0] = 0;
  for (size_t v = 1; v < size; ++v) {
    const int64_t vv = static_cast<int64_t>(v);
    table[v] = static_cast<uint16_t>((vv << 20) / (c + 1024 * vv));
  }
}

void MagicDiv::set(int32_t d) {
  divisor = d;
  multiplier = 0;
  shift = 0;
  if (d == 1 || d == -1 || d == 0) return;
  // Signed magic number (the classic search for the smallest p with 2^p > nc x (d - 2^p mod d)).
  const uint32_t two31 = 0x80000000u;
  const uint32_t ad = d < 0 ? 0u - static_cast<uint32_t>(d) : static_cast<uint32_t>(d);
  const uint32_t t = two31 + (static_cast<uint32_t>(d) >> 31);
  const uint32_t anc = t - 1 - t % ad;
  int p = 31;
  uint32_t q1 = two31 / anc, r1 = two31 - q1 * anc;
  uint32_t q2 = two31 / ad, r2 = two31 - q2 * ad;
  uint32_t delta;
  do {
    ++p;
    q1 *= 2;
    r1 *= 2;
    if (r1 >= anc) {
      ++q1;
      r1 -= anc;
    }
    q2 *= 2;
    r2 *= 2;
    if (r2 >= ad) {
      ++q2;
      r2 -= ad;
    }
    delta = ad - r2;
  } while (q1 < delta || (q1 == delta && r1 == 0));
  uint32_t m = q2 + 1;
  if (d < 0) m = 0u - m;
  multiplier = static_cast<int32_t>(m);
  shift = p - 32;
}

// ---- Horizontal passes ---------------------------------------------------------------------

template <class In>
static void horizontalSq(const In* src, int32_t* h1, int64_t* h2, const BoxPlan& p) {
  const int w = p.w, r = p.r;
  const int32_t* mx = p.mx;  // mx[x + r]
  for (int y = 0; y < p.h; ++y) {
    const In* row = src + static_cast<size_t>(y) * w;
    int32_t* o1 = h1 + static_cast<size_t>(y) * w;
    int64_t* o2 = h2 + static_cast<size_t>(y) * w;
    int32_t s1 = 0;
    int64_t s2 = 0;
    for (int i = -r; i <= r; ++i) {
      const int32_t v = row[mx[i + r]];
      s1 += v;
      s2 += static_cast<int64_t>(v) * v;
    }
    o1[0] = s1;
    o2[0] = s2;
    // Columns x - 1 - r and x + r lie inside the row for x in r + 1 .. w - 1 - r: no mirror there.
    const int lo = std::min(w, r + 1), hi = std::max(lo, w - r);
    auto step = [&](int x, int32_t in, int32_t out) {
      s1 += in - out;
      s2 += static_cast<int64_t>(in) * in - static_cast<int64_t>(out) * out;
      o1[x] = s1;
      o2[x] = s2;
    };
    for (int x = 1; x < lo; ++x) step(x, row[mx[x + 2 * r]], row[mx[x - 1]]);
    for (int x = lo; x < hi; ++x) step(x, row[x + r], row[x - 1 - r]);
    for (int x = hi; x < w; ++x) step(x, row[mx[x + 2 * r]], row[mx[x - 1]]);
  }
}

void boxHorizontalSq(const int32_t* src, int32_t* h1, int64_t* h2, const BoxPlan& p) {
  horizontalSq(src, h1, h2, p);
}
void boxHorizontalSq16(const int16_t* src, int32_t* h1, int64_t* h2, const BoxPlan& p) {
  horizontalSq(src, h1, h2, p);
}

void boxRowAB(const int32_t* a, const int32_t* b, int32_t* ha, int64_t* hb, const BoxPlan& p) {
  const int w = p.w, r = p.r;
  const int32_t* mx = p.mx;
  int32_t sa = 0;
  int64_t sb = 0;
  for (int i = -r; i <= r; ++i) {
    sa += a[mx[i + r]];
    sb += b[mx[i + r]];
  }
  ha[0] = sa;
  hb[0] = sb;
  const int lo = std::min(w, r + 1), hi = std::max(lo, w - r);
  auto step = [&](int x, int in, int out) {
    sa += a[in] - a[out];
    sb += static_cast<int64_t>(b[in]) - b[out];
    ha[x] = sa;
    hb[x] = sb;
  };
  for (int x = 1; x < lo; ++x) step(x, mx[x + 2 * r], mx[x - 1]);
  for (int x = lo; x < hi; ++x) step(x, x + r, x - 1 - r);
  for (int x = hi; x < w; ++x) step(x, mx[x + 2 * r], mx[x - 1]);
}

// ---- Vertical passes -----------------------------------------------------------------------

void addSub32(int32_t* acc, const int32_t* add, const int32_t* sub, int n) {
  int i = 0;
  if (imgSimdEnabled()) {
    for (; i + 4 <= n; i += 4) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
      __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
      __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sub + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), _mm_add_epi32(a, _mm_sub_epi32(p, m)));
    }
  }
  for (; i < n; ++i) acc[i] += add[i] - sub[i];
}

void addSub64(int64_t* acc, const int64_t* add, const int64_t* sub, int n) {
  int i = 0;
  if (imgSimdEnabled()) {
    for (; i + 2 <= n; i += 2) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
      __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
      __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sub + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), _mm_add_epi64(a, _mm_sub_epi64(p, m)));
    }
  }
  for (; i < n; ++i) acc[i] += add[i] - sub[i];
}

void addSub16to32(int32_t* acc, const int16_t* add, const int16_t* sub, int n) {
  int i = 0;
  if (imgSimdEnabled()) {
    for (; i + 8 <= n; i += 8) {
      __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
      __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sub + i));
      // Sign-extend both halves to 32 bits, then subtract (no 16-bit overflow possible).
      __m128i pl = _mm_srai_epi32(_mm_unpacklo_epi16(p, p), 16);
      __m128i ph = _mm_srai_epi32(_mm_unpackhi_epi16(p, p), 16);
      __m128i ml = _mm_srai_epi32(_mm_unpacklo_epi16(m, m), 16);
      __m128i mh = _mm_srai_epi32(_mm_unpackhi_epi16(m, m), 16);
      __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
      __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), _mm_add_epi32(a0, _mm_sub_epi32(pl, ml)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 4), _mm_add_epi32(a1, _mm_sub_epi32(ph, mh)));
    }
  }
  for (; i < n; ++i) acc[i] += static_cast<int32_t>(add[i]) - sub[i];
}

void vStart32(int32_t* acc, const int32_t* plane, const BoxPlan& p) {
  std::memset(acc, 0, sizeof(int32_t) * p.w);
  for (int i = -p.r; i <= p.r; ++i) {
    const int32_t* row = plane + p.my[i + p.r];
    for (int x = 0; x < p.w; ++x) acc[x] += row[x];
  }
}

void vStart64(int64_t* acc, const int64_t* plane, const BoxPlan& p) {
  std::memset(acc, 0, sizeof(int64_t) * p.w);
  for (int i = -p.r; i <= p.r; ++i) {
    const int64_t* row = plane + p.my[i + p.r];
    for (int x = 0; x < p.w; ++x) acc[x] += row[x];
  }
}

// Row y + r enters the window, row y - r - 1 leaves it.
void vNext32(int32_t* acc, const int32_t* plane, int y, const BoxPlan& p) {
  addSub32(acc, plane + p.my[y + 2 * p.r], plane + p.my[y - 1], p.w);
}

void vNext64(int64_t* acc, const int64_t* plane, int y, const BoxPlan& p) {
  addSub64(acc, plane + p.my[y + 2 * p.r], plane + p.my[y - 1], p.w);
}

}  // namespace ostrel::alg
