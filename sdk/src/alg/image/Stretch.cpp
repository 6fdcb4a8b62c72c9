// Stretch engine: temperature codes -> histogram -> level table (code -> 0..255) by one of the
// automatic gain rules or the raw-value rule -> optional detail layer -> palette and isotherms.
//
// Fixed costs follow the frame: the histogram is cleared and walked only over the code range the
// last frame and this one occupy, so a small window at high frame rates costs what its codes
// span, with the same results as walking the whole signed 16-bit range.
#include "Stretch.h"

#include <mutex>

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "Detail.h"
#include "GuidedCore.h"

using namespace ostrel::alg;

namespace {

constexpr int kCodes = 65536;
constexpr int kBias = 32768;               // table index = code + kBias
constexpr int64_t kMaxPixels = 1LL << 30;  // int32 counts stay exact

struct Settings {
  uint8_t type = 1;
  uint8_t smoothing = 1;
  float gain = 2.0f;
  int16_t man0 = 200, man1 = 400;
  uint8_t manEnable = 0;
  uint8_t temp2gray = 0;
  uint8_t dde = 0;
  uint8_t ctType = 0;
  int16_t ct0 = 0, ct1 = 0;
  uint32_t color0 = 0, color1 = 0;
  uint8_t bg = 50;
  uint8_t denoise = 0;
};

}  // namespace

struct StretchContext {
  // Settings queued by strSetCtl from any thread; applied by the frame thread when a frame
  // function starts. Guarded by mtx, as are writes to `set` (the frame thread reads `set` without
  // the lock, being its only writer).
  std::mutex mtx;
  StretchCtl pending{};
  uint32_t pendingFlags = 0;
  Settings set;

  // Frame set-up.
  int width = 0, height = 0;
  int scale = -1;  // 16 bits of the head's scale (-1: not set up)
  int64_t pixels = 0, tail = 0, pixMinusTail = 0, plateauFloor = 0;
  int t2gEff = 20;
  int scaleClass = 10;
  float factor = 0.25f;

  // Smoothing memory.
  int32_t prevPlateau = 0, prevLow = 0, prevHigh = 0;

  // Statistics of the last frame.
  int32_t lowest = 0, lowTail = 0, highTail = 0, highest = 0, mean = 0;
  int32_t minCode = 0, maxCode = 0;   // codes actually present
  int32_t dirtyLo = 0, dirtyHi = -1;  // histogram entries that may be non-zero
  // Raw-value rule: counts of codes 0..32767 are cumulative; entries past rawCumHi hold rawTotal.
  bool rawCumulative = false;
  int32_t rawCumHi = 0;
  int64_t rawTotal = 0;
  int rawTableShift = 0;  // 6 or 7 when levels 0..32767 hold the raw rule's table

  void* tables = nullptr;
  int32_t* hist = nullptr;   // kCodes, indexed code + kBias
  int32_t* work = nullptr;   // clipped counts
  int32_t* cum = nullptr;    // cumulative counts
  uint8_t* level = nullptr;  // level table
  uint32_t ramp0[256]{};
  uint32_t ramp1[256]{};
  double gainTable[256]{};  // index j + 128 for j = -128..127

  DetailEngine detail;
};

namespace ostrel::alg {

void clipCounts(int32_t* dst, const int32_t* src, int n, int32_t plateau, int32_t floorCount) {
  int i = 0;
  if ((simdLevel() >= SimdLevel::Sse2)) {
    const __m128i p = _mm_set1_epi32(plateau);
    const __m128i f = _mm_set1_epi32(floorCount);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i above = _mm_cmpgt_epi32(c, p);
      const __m128i below =
          _mm_andnot_si128(_mm_or_si128(above, _mm_cmpeq_epi32(c, zero)), _mm_cmplt_epi32(c, f));
      const __m128i keep = _mm_andnot_si128(_mm_or_si128(above, below), c);
      const __m128i r = _mm_or_si128(keep, _mm_or_si128(_mm_and_si128(above, p), _mm_and_si128(below, f)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
    }
  }
  for (; i < n; ++i) {
    const int32_t c = src[i];
    dst[i] = c > plateau ? plateau : ((c != 0 && c < floorCount) ? floorCount : c);
  }
}

void codeRange(const int16_t* codes, int64_t n, int* lo, int* hi) {
  if (simdLevel() >= SimdLevel::Avx2) return codeRangeAvx2(codes, n, lo, hi);
  int64_t i = 0;
  int l = 32767, h = -32768;
  if (simdLevel() >= SimdLevel::Sse2 && n >= 8) {
    __m128i mn = _mm_set1_epi16(32767), mx = _mm_set1_epi16(-32768);
    for (; i + 8 <= n; i += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i));
      mn = _mm_min_epi16(mn, v);
      mx = _mm_max_epi16(mx, v);
    }
    alignas(16) int16_t a[8], b[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(a), mn);
    _mm_store_si128(reinterpret_cast<__m128i*>(b), mx);
    for (int k = 0; k < 8; ++k) l = std::min<int>(l, a[k]), h = std::max<int>(h, b[k]);
  }
  for (; i < n; ++i) l = std::min<int>(l, codes[i]), h = std::max<int>(h, codes[i]);
  *lo = l;
  *hi = h;
}

}  // namespace ostrel::alg

namespace {

int32_t clampCode(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -32768, 32767));
}

// Manual-range code of t (degrees x 10): (t - offset x 10) x s / 10, truncated, held in int16.
int32_t manualCode(int t, int64_t s, int offset) {
  return clampCode((t - offset * 10LL) * s / 10);
}

int effectiveTemp2Gray(int set, int scale) {
  if (set == 0) return scale == 100 ? 4 : 20;
  return (set >= 10 && set <= 50) ? set : 10;
}

// Isotherm ramp of a colour (bytes B, G, R): its hue and saturation at value i / 255. The
// conversions follow the standard RGB <-> HSV rule step by step, in double precision.
void buildRamp(uint32_t* ramp, uint32_t color) {
  const double b = (color & 0xFF) / 255.0, g = ((color >> 8) & 0xFF) / 255.0,
               r = ((color >> 16) & 0xFF) / 255.0;
  const double maxc = std::max({r, g, b}), minc = std::min({r, g, b});
  if (maxc == minc) {
    for (uint32_t i = 0; i < 256; ++i) ramp[i] = i | (i << 8) | (i << 16) | 0xFF000000u;
    return;
  }
  const double range = maxc - minc;
  const double s = range / maxc;
  const double rc = (maxc - r) / range, gc = (maxc - g) / range, bc = (maxc - b) / range;
  double h;
  if (r == maxc) {
    h = bc - gc;
  } else if (g == maxc) {
    h = 2.0 + rc - bc;
  } else {
    h = 4.0 + gc - rc;
  }
  h = std::fmod(h / 6.0, 1.0);
  if (h < 0) h += 1.0;
  for (int i = 0; i < 256; ++i) {
    const double v = i / 255.0;
    const int seg = static_cast<int>(h * 6.0);
    const double f = h * 6.0 - seg;
    const double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
    double R, G, B;
    switch (seg % 6) {
      case 0:
        R = v, G = t, B = p;
        break;
      case 1:
        R = q, G = v, B = p;
        break;
      case 2:
        R = p, G = v, B = t;
        break;
      case 3:
        R = p, G = q, B = v;
        break;
      case 4:
        R = t, G = p, B = v;
        break;
      default:
        R = v, G = p, B = q;
        break;
    }
    const uint32_t bb = static_cast<uint32_t>(B * 255.0), gg = static_cast<uint32_t>(G * 255.0),
                   rr = static_cast<uint32_t>(R * 255.0);
    ramp[i] = bb | (gg << 8) | (rr << 16) | 0xFF000000u;
  }
}

void clearSmoothing(StretchContext* c) {
  c->prevPlateau = c->prevLow = c->prevHigh = 0;
}

// Applies queued settings in the fixed order of the flag bits. Called by the frame thread.
void applyPending(StretchContext* c) {
  std::lock_guard<std::mutex> lock(c->mtx);
  const uint32_t f = c->pendingFlags;
  if (f == 0) return;
  const StretchCtl& p = c->pending;
  Settings& s = c->set;
  c->pendingFlags = 0;
  if (f & StretchCtl_Type) s.type = p.strechType;
  if (f & StretchCtl_Gain) {
    s.gain = p.gain;
    clearSmoothing(c);
  }
  if (f & StretchCtl_Smoothing) {
    s.smoothing = p.smoothing;
    clearSmoothing(c);
  }
  if ((f & StretchCtl_Temp2Gray) && p.temp2gray != s.temp2gray) {
    s.temp2gray = p.temp2gray;
    c->t2gEff = effectiveTemp2Gray(s.temp2gray, c->scale);
  }
  if (f & StretchCtl_ManEnable) s.manEnable = p.man_enable;
  if (f & StretchCtl_ManTemp0) s.man0 = p.man_temp0;
  if (f & StretchCtl_ManTemp1) s.man1 = p.man_temp1;
  if ((f & StretchCtl_DdeLevel) && p.ddeLevel != s.dde) {
    s.dde = p.ddeLevel;
    detailSetLevels(c->detail, s.dde, s.denoise);
  }
  if ((f & StretchCtl_Denoise) && p.denoise != s.denoise) {
    s.denoise = p.denoise;
    detailSetLevels(c->detail, s.dde, s.denoise);
  }
  if (f & StretchCtl_ColorTemp) {
    s.ctType = p.ct_type;
    s.ct0 = p.ct_temp0;
    s.ct1 = p.ct_temp1;
    s.color0 = p.ct_color0;
    s.color1 = p.ct_color1;
    if (s.ctType >= 1 && s.ctType <= 4) buildRamp(c->ramp0, s.color0);
    if (s.ctType == 4) buildRamp(c->ramp1, s.color1);
  }
  if (f & StretchCtl_SmallTargetBg) s.bg = p.smalltarget_bg;
}

void frameSetup(StretchContext* c, int w, int h, int scale) {
  c->width = w;
  c->height = h;
  c->scale = scale;
  c->pixels = static_cast<int64_t>(w) * h;
  c->tail = std::max<int64_t>(2, c->pixels / 30000);
  c->plateauFloor = c->tail;
  c->pixMinusTail = c->pixels - c->tail;
  c->t2gEff = effectiveTemp2Gray(c->set.temp2gray, scale);
  c->scaleClass = scale == 100 ? 100 : 10;
  c->factor = 0.25f;
}

inline int32_t& H(StretchContext* c, int code) {
  return c->hist[code + kBias];
}

// Clears what the last frame left and counts this frame's codes.
void buildHistogram(StretchContext* c, const int16_t* codes) {
  if (c->dirtyHi >= c->dirtyLo)
    std::memset(c->hist + c->dirtyLo + kBias, 0, sizeof(int32_t) * (c->dirtyHi - c->dirtyLo + 1));
  c->rawCumulative = false;
  int32_t* hist = c->hist + kBias;
  int lo = 32767, hi = -32768;
  codeRange(codes, c->pixels, &lo, &hi);
  // The range comes first so the counting loop carries no other dependency than the counts.
  int64_t i = 0;
  for (; i + 4 <= c->pixels; i += 4) {
    ++hist[codes[i]];
    ++hist[codes[i + 1]];
    ++hist[codes[i + 2]];
    ++hist[codes[i + 3]];
  }
  for (; i < c->pixels; ++i) ++hist[codes[i]];
  c->minCode = lo;
  c->maxCode = hi;
  c->dirtyLo = lo;
  c->dirtyHi = hi;
}

// Lowest, low-tail, high-tail, highest and mean codes. Each search starts at the code after the
// previous result, adds at least one code and stops at 32767.
void histogramStats(StretchContext* c) {
  int64_t run = 0;
  auto search = [&](int from, int64_t target) {
    if (from > 32767) return 32767;
    for (int code = from;; ++code) {
      run += H(c, code);
      if (run >= target || code == 32767) return code;
    }
  };
  // Nothing below the smallest code is counted, so the running count starts there.
  c->lowest = search(c->minCode, 1);
  c->lowTail = search(c->lowest + 1, c->tail);
  c->highTail = search(c->lowTail + 1, c->pixMinusTail);
  c->highest = search(c->highTail + 1, c->pixels);
  int64_t sum = 0;
  for (int code = c->lowest; code <= c->highest; ++code) sum += static_cast<int64_t>(code) * H(c, code);
  c->mean = static_cast<int32_t>(sum / c->pixels);
}

// Local peaks among the non-zero counts of lowest..highest; returns false without a peak.
bool plateauPeaks(StretchContext* c, int64_t* sum, int64_t* peaks) {
  int64_t listed = 0, s = 0, k = 0;
  int32_t p2 = 0, p1 = 0;
  for (int code = c->lowest; code <= c->highest; ++code) {
    const int32_t v = H(c, code);
    if (v == 0) continue;
    if (listed >= 2 && p1 >= p2 && p1 >= v) {
      s += p1;
      ++k;
    }
    p2 = p1;
    p1 = v;
    ++listed;
  }
  *sum = s;
  *peaks = k;
  return k > 0;
}

int32_t plateauFromFloat(double v) {
  if (!(v >= 1.0)) return 1;
  return v > 2147483647.0 ? 2147483647 : static_cast<int32_t>(v);
}

int32_t plateauPhe(StretchContext* c) {
  int64_t s, k;
  if (!plateauPeaks(c, &s, &k)) return static_cast<int32_t>(c->pixels >> 8);
  const float v = c->factor * c->set.gain * static_cast<float>(s) / static_cast<float>(k);
  return plateauFromFloat(v);
}

int32_t plateau2023(StretchContext* c) {
  int64_t s, k;
  if (!plateauPeaks(c, &s, &k)) return static_cast<int32_t>(c->pixels >> 8);
  return plateauFromFloat(0.5 * static_cast<double>(c->set.gain) * static_cast<double>(s) /
                          static_cast<double>(k));
}

// Zeroes the counts lo..hi (held inside lowest..highest); nothing for an empty range.
void zeroCounts(StretchContext* c, int lo, int hi) {
  lo = std::max(lo, c->lowest);
  hi = std::min(hi, c->highest);
  if (hi >= lo) std::memset(&H(c, lo), 0, sizeof(int32_t) * (hi - lo + 1));
}

void manualZero(StretchContext* c, int64_t s, int offset) {
  const int t0 = manualCode(c->set.man0, s, offset), t1 = manualCode(c->set.man1, s, offset);
  zeroCounts(c, c->lowest, t0);
  zeroCounts(c, t1, c->highest);
}

void rulePhe(StretchContext* c, const DataFrameHead* head) {
  histogramStats(c);
  uint8_t* L = c->level + kBias;
  if (!(c->lowest < c->mean && c->mean < c->highest)) {
    for (int code = c->lowest; code <= c->highest; ++code) L[code] = 85;
    return;
  }
  const int mid = std::min(c->mean + c->scaleClass, c->highest - 1);
  const int64_t s = head->scale == 0 ? 20 : head->scale;
  if (c->set.manEnable) manualZero(c, s, head->offset);

  int32_t plateau = plateauPhe(c);
  if (c->set.smoothing) {
    if (c->prevPlateau != 0)
      plateau = static_cast<int32_t>((static_cast<int64_t>(plateau) + 7LL * c->prevPlateau) >> 3);
    c->prevPlateau = plateau;
  }
  const int32_t floorCount = static_cast<int32_t>(c->plateauFloor);
  plateau = std::max(plateau, floorCount);

  // Share of the clipped counts at or below the mid code.
  const int lo = c->lowest, hi = c->highest;
  clipCounts(c->work + lo + kBias, &H(c, lo), hi - lo + 1, plateau, floorCount);
  int64_t below = 0, total = 0;
  for (int code = lo; code <= hi; ++code) {
    total += c->work[code + kBias];
    if (code == mid) below = total;
  }
  if (total == 0) total = 1;
  const int share = static_cast<int>(below * 255 / total);
  // The gain table ends at 127; share 255 (nothing counted above the mid code) uses the last entry.
  const int gi = std::clamp(share - 127, -128, 127);
  const int32_t upper =
      std::max(plateauFromFloat(static_cast<double>(plateau) / c->gainTable[gi + 128]), floorCount);

  int64_t o = 85 - static_cast<int64_t>(c->t2gEff) * (mid - c->lowTail) / 10;
  int64_t u = 85 + static_cast<int64_t>(c->t2gEff) * (c->highTail - mid) / 10;
  // When the tails lie within one scale class of the mean (a nearly flat scene), the mid code sits
  // past a tail and the bounds would cross 85: hotter codes would then show darker than the mid
  // code. Each part keeps its own side of 85 so the table still rises with the code.
  o = std::clamp<int64_t>(o, 0, 85);
  u = std::clamp<int64_t>(u, 85, 255);
  if (c->set.smoothing) {
    if (c->prevHigh != 0) {
      u = (u + 7LL * c->prevHigh) >> 3;
      o = (o + 7LL * c->prevLow) >> 3;
    }
    c->prevHigh = static_cast<int32_t>(u);
    c->prevLow = static_cast<int32_t>(o);
  }

  // Lower part: o .. 85.
  clipCounts(&H(c, lo), &H(c, lo), mid - lo + 1, plateau, floorCount);
  int64_t run = 0;
  for (int code = lo; code <= mid; ++code) {
    run += H(c, code);
    c->cum[code + kBias] = static_cast<int32_t>(run);
  }
  const int64_t m1 = run;
  for (int code = lo; code <= mid; ++code)
    L[code] = m1 == 0 ? 85 : static_cast<uint8_t>(o + (85 - o) * c->cum[code + kBias] / m1);
  // Upper part: 85 .. u.
  clipCounts(&H(c, mid + 1), &H(c, mid + 1), hi - mid, upper, floorCount);
  run = 0;
  for (int code = mid + 1; code <= hi; ++code) {
    run += H(c, code);
    c->cum[code + kBias] = static_cast<int32_t>(run);
  }
  const int64_t m2 = run;
  for (int code = mid + 1; code <= hi; ++code)
    L[code] = m2 == 0 ? 85 : static_cast<uint8_t>(85 + (u - 85) * c->cum[code + kBias] / m2);
}

void ruleLinear(StretchContext* c, const DataFrameHead* head) {
  histogramStats(c);
  int lowEnd = c->lowTail, highEnd = c->highTail;
  if (c->set.manEnable) {
    const int64_t s = head->scale == 0 ? 20 : head->scale;
    lowEnd = manualCode(c->set.man0, s, head->offset);
    highEnd = manualCode(c->set.man1, s, head->offset);
  }
  uint8_t* L = c->level + kBias;
  const int lo = c->lowest, hi = c->highest;
  // Only this frame's codes lowest..highest are written (the rest keep older values).
  for (int code = lo; code <= std::min(lowEnd, hi); ++code) L[code] = 0;
  const int64_t span = std::max(highEnd - lowEnd, 1);
  for (int code = std::max(lo, lowEnd); code <= std::min(highEnd, hi); ++code)
    L[code] =
        static_cast<uint8_t>(std::clamp<int64_t>((code - static_cast<int64_t>(lowEnd)) * 255 / span, 0, 255));
  for (int code = std::max(highEnd + 1, lo); code <= hi; ++code) L[code] = 255;
}

// Slope-limited equalisation of lowest..highest (PHE2023 and SmallTarget after their zeroing).
void equalise2023(StretchContext* c) {
  int32_t plateau = std::max(plateau2023(c), static_cast<int32_t>(c->plateauFloor));
  if (c->set.smoothing) {
    plateau = static_cast<int32_t>((static_cast<int64_t>(plateau) + 7LL * c->prevPlateau) >> 3);
    c->prevPlateau = plateau;
  }
  const int lo = c->lowest, hi = c->highest;
  clipCounts(&H(c, lo), &H(c, lo), hi - lo + 1, plateau, static_cast<int32_t>(c->plateauFloor));
  int64_t run = 0;
  for (int code = lo; code <= hi; ++code) {
    run += H(c, code);
    c->cum[code + kBias] = static_cast<int32_t>(run);
  }
  const int64_t t = run == 0 ? 1 : run;
  uint8_t* L = c->level + kBias;
  L[lo] = 0;
  int prevRaw = 0, prevOut = 0;
  for (int code = lo + 1; code <= hi; ++code) {
    const int raw = H(c, code) != 0 ? static_cast<int>(c->cum[code + kBias] * 255LL / t) : prevRaw;
    prevRaw = raw;
    int out = raw;
    if (out > prevOut + 2) out = prevOut >= 254 ? 255 : prevOut + 2;
    L[code] = static_cast<uint8_t>(out);
    prevOut = out;
  }
}

void rulePhe2023(StretchContext* c, const DataFrameHead* head) {
  histogramStats(c);
  if (c->set.manEnable) manualZero(c, head->scale, head->offset);
  equalise2023(c);
}

void ruleSmallTarget(StretchContext* c) {
  histogramStats(c);
  const int p = c->set.bg == 0 ? 1 : std::min<int>(c->set.bg, 99);
  const int64_t target = c->pixels * p / 100;
  int b = -32768;
  if (target > 0) {
    int64_t run = 0;
    for (b = c->lowest; b < 32767; ++b) {
      run += H(c, b);
      if (run >= target) break;
    }
  }
  zeroCounts(c, c->lowest, std::min(b + 1, 32767));
  equalise2023(c);
}

// Histogram value of a code after the raw-value rule (cumulative for codes 0..32767).
int64_t rawValue(const StretchContext* c, int code) {
  if (c->rawCumulative && code >= 0 && code > c->rawCumHi) return c->rawTotal;
  return c->hist[code + kBias];
}

void ruleRaw(StretchContext* c) {
  // Counts of codes 0..32767 become cumulative. Past the largest code the cumulative count is
  // constant, so those entries are represented by rawTotal instead of being written.
  int64_t run = 0;
  const int from = std::max(c->minCode, 0);
  for (int code = from; code <= c->maxCode; ++code) {
    run += H(c, code);
    H(c, code) = static_cast<int32_t>(run);
  }
  c->rawCumulative = true;
  c->rawCumHi = std::max(c->maxCode, from - 1);
  c->rawTotal = run;

  const int64_t tail = c->pixels < 102400 ? 100 : (c->pixels >> 10);
  auto first = [&](int from, int64_t threshold) {
    for (int code = from; code <= c->maxCode; ++code)
      if (rawValue(c, code) > threshold) return code;
    // Past the largest code: plain zero counts up to -1, then the constant cumulative total.
    const int start = std::max(from, c->maxCode + 1);
    if (start <= -1 && threshold < 0) return start;
    if (start <= 32767 && c->rawTotal > threshold) return std::max(start, 0);
    return 32767;
  };
  // Below the smallest code every entry is 0, which never exceeds the tail.
  const int low = first(c->minCode, tail);
  const int high = first(low, c->pixels - tail);
  c->lowest = low;
  c->highest = high;
  const int shift = high < 16384 ? 6 : 7;
  if (c->rawTableShift != shift) {
    uint8_t* L = c->level + kBias;
    for (int code = 0; code <= 32767; ++code) L[code] = static_cast<uint8_t>(std::min(code >> shift, 255));
    c->rawTableShift = shift;
  }
}

struct Thresholds {
  int32_t thr0, thr1;
};

// Isotherm thresholds in codes, computed in 64 bits and held just outside the int16 range so
// that every comparison keeps its meaning.
Thresholds isoThresholds(const StretchContext* c, const DataFrameHead* head) {
  const int64_t s = head->scale, off = head->offset;
  auto thr = [&](int t) {
    return static_cast<int32_t>(std::clamp<int64_t>(t * s / 10 - off * s, -32769, 32768));
  };
  return {thr(c->set.ct0), thr(c->set.ct1)};
}

// The shared front of the frame functions: set-up, level table and, when on, the detail layer.
// Returns 0 (plain), 1 (detail path), or a negative code (nothing is to be written).
int front(StretchContext* c, const int16_t* codes, const DataFrameHead* head) {
  applyPending(c);
  const int w = head->width, h = head->height;
  if (w == 0 || h == 0 || static_cast<int64_t>(w) * h > kMaxPixels) return OSTREL_E_ARGUMENT;
  if (w != c->width || h != c->height || head->scale != c->scale) frameSetup(c, w, h, head->scale);
  buildHistogram(c, codes);
  if (head->kind == 0) {
    ruleRaw(c);
    return 0;
  }
  c->rawTableShift = 0;
  switch (c->set.type) {
    case StrechType_LINEAR:
      ruleLinear(c, head);
      break;
    case StrechType_PHE2023:
      rulePhe2023(c, head);
      break;
    case StrechType_SmallTarget:
      ruleSmallTarget(c);
      break;
    default:
      rulePhe(c, head);
      break;
  }
  if (c->set.dde == 0) return 0;
  if (!detailMatches(c->detail, w, h, head->scale)) {
    const int r = detailSetup(c->detail, w, h, head->scale);
    if (r < 0) return r;
  }
  detailRun(c->detail, codes, c->lowTail, c->highTail, c->lowest, c->highest, c->minCode, c->maxCode);
  return 1;
}

// Calls put(i, code, level) for every pixel: the plain level, or on the detail path the level of
// the (denoised) code plus the detail, saturated to 0..255.
template <class Put>
void forEachPixel(const StretchContext* c, const int16_t* codes, bool detailPath, Put&& put) {
  const uint8_t* L = c->level + kBias;
  const int64_t n = c->pixels;
  if (!detailPath) {
    for (int64_t i = 0; i < n; ++i) put(i, codes[i], L[codes[i]]);
    return;
  }
  const int16_t* det = c->detail.detail;
  const int16_t* src = c->set.denoise ? c->detail.denoised : codes;
  for (int64_t i = 0; i < n; ++i) {
    const int code = src[i];
    put(i, code, static_cast<uint8_t>(std::clamp(L[code] + static_cast<int>(det[i]), 0, 255)));
  }
}

}  // namespace

namespace ostrel::alg {
const StretchContextView stretchView(const StretchContext* c) {
  StretchContextView v;
  v.lowest = c->lowest;
  v.lowTail = c->lowTail;
  v.highTail = c->highTail;
  v.highest = c->highest;
  v.mean = c->mean;
  v.level = c->level + kBias;
  v.detail = &c->detail;
  v.prevPlateau = c->prevPlateau;
  v.prevLow = c->prevLow;
  v.prevHigh = c->prevHigh;
  v.t2gEff = c->t2gEff;
  v.tail = c->tail;
  v.ramp0 = c->ramp0;
  v.ramp1 = c->ramp1;
  return v;
}
}  // namespace ostrel::alg

extern "C" OSTREL_API StretchContext* strCreate(void) {
  void* mem = algAllocZeroed(sizeof(StretchContext));
  if (!mem) return nullptr;
  StretchContext* c = new (mem) StretchContext();
  const size_t n = kCodes;
  c->tables = algAllocZeroed(3 * n * sizeof(int32_t) + n);
  if (!c->tables) {
    c->~StretchContext();
    algFree(mem);
    return nullptr;
  }
  auto* base = static_cast<unsigned char*>(c->tables);
  c->hist = reinterpret_cast<int32_t*>(base);
  c->work = c->hist + n;
  c->cum = c->work + n;
  c->level = reinterpret_cast<uint8_t*>(c->cum + n);
  for (int j = -128; j < 128; ++j) c->gainTable[j + 128] = j < 0 ? 1.0 : std::pow(10.0, j / 50.0);
  return c;
}

extern "C" OSTREL_API void strFree(StretchContext* c) {
  if (!c) return;
  detailRelease(c->detail);
  algFree(c->tables);
  c->~StretchContext();
  algFree(c);
}

extern "C" OSTREL_API int strSetCtl(StretchContext* c, const StretchCtl* ctl) {
  if (!c || !ctl) return OSTREL_E_ARGUMENT;
  std::lock_guard<std::mutex> lock(c->mtx);
  const uint32_t f = ctl->flags;
  StretchCtl& p = c->pending;
  uint32_t& pf = c->pendingFlags;
  // Range checks happen here, so a refused value never replaces an accepted queued one.
  if (f & StretchCtl_Type) p.strechType = ctl->strechType, pf |= StretchCtl_Type;
  if ((f & StretchCtl_Denoise) && ctl->denoise <= 8) p.denoise = ctl->denoise, pf |= StretchCtl_Denoise;
  if ((f & StretchCtl_Gain) && ctl->gain >= 0.08f && ctl->gain <= 10.02f)
    p.gain = ctl->gain, pf |= StretchCtl_Gain;
  if ((f & StretchCtl_Temp2Gray) && (ctl->temp2gray == 0 || (ctl->temp2gray >= 10 && ctl->temp2gray <= 50)))
    p.temp2gray = ctl->temp2gray, pf |= StretchCtl_Temp2Gray;
  if (f & StretchCtl_Smoothing) p.smoothing = ctl->smoothing, pf |= StretchCtl_Smoothing;
  if ((f & StretchCtl_DdeLevel) && ctl->ddeLevel <= 8) p.ddeLevel = ctl->ddeLevel, pf |= StretchCtl_DdeLevel;
  if (f & StretchCtl_ColorTemp) {
    p.ct_type = ctl->ct_type;
    p.ct_temp0 = ctl->ct_temp0;
    p.ct_temp1 = ctl->ct_temp1;
    p.ct_color0 = ctl->ct_color0;
    p.ct_color1 = ctl->ct_color1;
    pf |= StretchCtl_ColorTemp;
  }
  if (f & StretchCtl_ManEnable) p.man_enable = ctl->man_enable, pf |= StretchCtl_ManEnable;
  if (f & StretchCtl_ManTemp0) p.man_temp0 = ctl->man_temp0, pf |= StretchCtl_ManTemp0;
  if (f & StretchCtl_ManTemp1) p.man_temp1 = ctl->man_temp1, pf |= StretchCtl_ManTemp1;
  if ((f & StretchCtl_SmallTargetBg) && ctl->smalltarget_bg >= 1 && ctl->smalltarget_bg <= 99)
    p.smalltarget_bg = ctl->smalltarget_bg, pf |= StretchCtl_SmallTargetBg;
  return OSTREL_OK;
}

extern "C" OSTREL_API int strGetCtl(StretchContext* c, StretchCtl* out) {
  if (!c || !out) return OSTREL_E_ARGUMENT;
  std::lock_guard<std::mutex> lock(c->mtx);
  const Settings& s = c->set;
  StretchCtl r{};
  r.strechType = s.type;
  r.smoothing = s.smoothing;
  r.gain = s.gain;
  r.man_temp0 = s.man0;
  r.man_temp1 = s.man1;
  r.man_enable = s.manEnable;
  r.temp2gray = s.temp2gray;
  r.ddeLevel = s.dde;
  r.ct_type = s.ctType;
  r.ct_temp0 = s.ct0;
  r.ct_temp1 = s.ct1;
  r.ct_color0 = s.color0;
  r.ct_color1 = s.color1;
  r.smalltarget_bg = s.bg;
  r.denoise = s.denoise;
  // Queued values are what the next frame will use.
  const StretchCtl& p = c->pending;
  const uint32_t f = c->pendingFlags;
  if (f & StretchCtl_Type) r.strechType = p.strechType;
  if (f & StretchCtl_Denoise) r.denoise = p.denoise;
  if (f & StretchCtl_Gain) r.gain = p.gain;
  if (f & StretchCtl_Temp2Gray) r.temp2gray = p.temp2gray;
  if (f & StretchCtl_Smoothing) r.smoothing = p.smoothing;
  if (f & StretchCtl_DdeLevel) r.ddeLevel = p.ddeLevel;
  if (f & StretchCtl_ColorTemp) {
    r.ct_type = p.ct_type;
    r.ct_temp0 = p.ct_temp0;
    r.ct_temp1 = p.ct_temp1;
    r.ct_color0 = p.ct_color0;
    r.ct_color1 = p.ct_color1;
  }
  if (f & StretchCtl_ManEnable) r.man_enable = p.man_enable;
  if (f & StretchCtl_ManTemp0) r.man_temp0 = p.man_temp0;
  if (f & StretchCtl_ManTemp1) r.man_temp1 = p.man_temp1;
  if (f & StretchCtl_SmallTargetBg) r.smalltarget_bg = p.smalltarget_bg;
  *out = r;
  return OSTREL_OK;
}

extern "C" OSTREL_API int strTemp2Gray(StretchContext* c, const int16_t* codes, const DataFrameHead* head,
                                       uint8_t* gray) {
  if (!c || !codes || !head || !gray) return OSTREL_E_ARGUMENT;
  const int r = front(c, codes, head);
  if (r < 0) return r;
  forEachPixel(c, codes, r == 1, [&](int64_t i, int, uint8_t level) { gray[i] = level; });
  return OSTREL_OK;
}

extern "C" OSTREL_API int strTemp2Bgra(StretchContext* c, const int16_t* codes, const DataFrameHead* head,
                                       uint32_t* bgra, const uint32_t* palette) {
  if (!c || !codes || !head || !bgra || !palette) return OSTREL_E_ARGUMENT;
  const int r = front(c, codes, head);
  if (r < 0) return r;
  const Thresholds t = isoThresholds(c, head);
  const uint32_t* r0 = c->ramp0;
  const uint32_t* r1 = c->ramp1;
  switch (c->set.ctType) {
    case ColorTempType_High:
      forEachPixel(c, codes, r == 1,
                   [&](int64_t i, int code, uint8_t l) { bgra[i] = code > t.thr0 ? r0[l] : palette[l]; });
      break;
    case ColorTempType_Low:
      forEachPixel(c, codes, r == 1,
                   [&](int64_t i, int code, uint8_t l) { bgra[i] = code < t.thr0 ? r0[l] : palette[l]; });
      break;
    case ColorTempType_Mid:
      forEachPixel(c, codes, r == 1, [&](int64_t i, int code, uint8_t l) {
        bgra[i] = (code > t.thr0 && code < t.thr1) ? r0[l] : palette[l];
      });
      break;
    case ColorTempType_ExMid:
      forEachPixel(c, codes, r == 1, [&](int64_t i, int code, uint8_t l) {
        bgra[i] = code < t.thr0 ? r0[l] : (code > t.thr1 ? r1[l] : palette[l]);
      });
      break;
    default:
      if (simdLevel() >= SimdLevel::Avx2) {
        // Codes of the denoised plane when the detail path replaced them.
        const bool detailPath = r == 1;
        const int16_t* src = detailPath && c->set.denoise ? c->detail.denoised : codes;
        stretchBgraAvx2(src, detailPath ? c->detail.detail : nullptr, c->level + kBias, palette, bgra, c->pixels);
        break;
      }
      forEachPixel(c, codes, r == 1, [&](int64_t i, int, uint8_t l) { bgra[i] = palette[l]; });
      break;
  }
  return OSTREL_OK;
}

extern "C" OSTREL_API int strTemp2Yuv(StretchContext* c, const int16_t* codes, const DataFrameHead* head,
                                      uint8_t* plane0, uint8_t* plane1, uint8_t* plane2,
                                      const uint32_t* table) {
  if (!c || !codes || !head || !plane0 || !plane1 || !plane2 || !table) return OSTREL_E_ARGUMENT;
  const int r = front(c, codes, head);
  if (r < 0) return r;
  const Thresholds t = isoThresholds(c, head);
  const int mode = c->set.ctType;
  const uint32_t* r0 = c->ramp0;
  const uint32_t* r1 = c->ramp1;
  forEachPixel(c, codes, r == 1, [&](int64_t i, int code, uint8_t l) {
    uint32_t e = table[l];
    switch (mode) {
      case ColorTempType_High:
        if (code > t.thr0) e = r0[l];
        break;
      case ColorTempType_Low:
        if (code < t.thr0) e = r0[l];
        break;
      case ColorTempType_Mid:
        if (code > t.thr0 && code < t.thr1) e = r0[l];
        break;
      case ColorTempType_ExMid:
        if (code < t.thr0) {
          e = r0[l];
        } else if (code >= t.thr1) {  // planes take ramp 1 from thr1 itself
          e = r1[l];
        }
        break;
      default:
        break;
    }
    plane0[i] = static_cast<uint8_t>(e);
    plane1[i] = static_cast<uint8_t>(e >> 8);
    plane2[i] = static_cast<uint8_t>(e >> 16);
  });
  return OSTREL_OK;
}

extern "C" OSTREL_API int strHist(StretchContext* c, float* out, int bins, int16_t first, int16_t last) {
  if (!c || !out) return OSTREL_E_ARGUMENT;
  if (bins <= 0 || bins > 16384) return 0;
  const int64_t x = rawValue(c, c->highest);
  if (x == 0) return 0;
  const int step = 16384 / bins;
  auto at = [&](int64_t code) {
    return rawValue(c, static_cast<int>(std::clamp<int64_t>(code, -32768, 32767)));
  };
  for (int k = 0; k < bins - 1; ++k)
    out[k] = static_cast<float>(at(first + static_cast<int64_t>(k + 1) * step) -
                                at(first + static_cast<int64_t>(k) * step)) /
             static_cast<float>(x);
  out[bins - 1] = static_cast<float>(at(last) - at(first + static_cast<int64_t>(bins - 1) * step)) /
                  static_cast<float>(x);
  return bins;
}

extern "C" OSTREL_API int strHist2(const float* values, int count, uint8_t* image, int width, int height) {
  if (!values || !image || count != width || width <= 0 || height <= 0) return OSTREL_E_ARGUMENT;
  std::memset(image, 255, static_cast<size_t>(width) * height);
  float m = 0.0f;
  for (int k = 0; k < count; ++k)
    if (values[k] > m) m = values[k];
  if (!(m > 0.0f)) return OSTREL_OK;  // nothing above 0: an empty chart
  for (int k = 0; k < count; ++k) {
    const double v = values[k] > 0.0f ? static_cast<double>(height) * values[k] / m : 0.0;
    const int bar = std::min(static_cast<int>(v), height);
    for (int j = 0; j < bar; ++j) image[static_cast<size_t>(height - 1 - j) * width + k] = 0;
  }
  return OSTREL_OK;
}
