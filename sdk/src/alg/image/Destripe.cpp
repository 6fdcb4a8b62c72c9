// Destripe filter: column stripes are estimated as the horizontal fine detail of each row (a
// one-dimensional guided filter along the row), averaged down the columns, and subtracted.
#include "Destripe.h"

#include <emmintrin.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "DestripeAvx2.h"
#include "DestripeRowsAvx2.h"
#include "GuidedCore.h"

using namespace ostrel::alg;

namespace {
constexpr int64_t kTableSize = 1 << 24;
}

struct DestripState {
  DestripInfoRecord applied;
  bool configured;
  int width, height;
  int r0, w0;
  int64_t c0;  // (w0 x s0_regular)^2
  int r1, w1;
  int k, kShift, reducedRows;
  int period, counter;
  MagicDiv magic;  // by w1
  void* buf;
  size_t cap;
  int32_t* mx;   // columns, radius r0
  int32_t* myR;  // reduced rows, radius r1, holding width x mirror(y)
  int32_t* s1;   // row window sums
  int64_t* s2;
  int32_t* a;
  int64_t* b;
  int32_t* acc;       // column running sums
  int16_t* detail;    // reducedRows x width
  int16_t* estimate;  // reducedRows x width
  double* rowWork[4];  // vector row step: codes, squares, a and b with mirrored ends
  int32_t* groupWork[4];  // row groups: codes, squares, a and b, (w + 2r) x 16 each
  int16_t* groupDet;      // row groups: details, w x 16
  uint16_t* table;
};

static void destripReset(DestripState* s) {
  algFree(s->buf);
  *s = DestripState{};
}

static size_t destripCarve(DestripState* s, void* base) {
  Carver c(base);
  const size_t w = s->width;
  s->mx = c.take<int32_t>(w + 2 * s->r0);
  s->myR = c.take<int32_t>(s->reducedRows + 2 * s->r1);
  s->s1 = c.take<int32_t>(w);
  s->s2 = c.take<int64_t>(w);
  s->a = c.take<int32_t>(w);
  s->b = c.take<int64_t>(w);
  s->acc = c.take<int32_t>(w);
  s->detail = c.take<int16_t>(w * s->reducedRows);
  s->estimate = c.take<int16_t>(w * s->reducedRows);
  for (double*& r : s->rowWork) r = c.take<double>(w + 2 * 16 + 8);
  for (int32_t*& r : s->groupWork) r = c.take<int32_t>((w + 2 * 16) * 16);
  s->groupDet = c.take<int16_t>(w * 16);
  s->table = c.take<uint16_t>(kTableSize);
  return c.used();
}

extern "C" OSTREL_API DestripState* IRDestrip_Create(void) {
  void* p = algAllocZeroed(sizeof(DestripState));
  return p ? new (p) DestripState{} : nullptr;  // unconfigured
}

extern "C" OSTREL_API void IRDestrip_Free(DestripState** state) {
  if (!state || !*state) return;
  algFree((*state)->buf);
  algFree(*state);
  *state = nullptr;
}

extern "C" OSTREL_API int IRDestrip_IsValid(const DestripInfoRecord* r) {
  if (!r) return 0;
  return r->width >= 80 && r->height >= 60 && r->s0_radius >= 1 && r->s0_radius <= 16 && r->s1_radius >= 1 &&
                 r->s1_radius <= 16 && r->s0_regular != 0 && r->s1_regular != 0 && r->sub_y >= 1 &&
                 r->sub_y <= 16 && r->sub_t >= 1 && r->sub_t <= 16
             ? 1
             : 0;
}

extern "C" OSTREL_API int IRDestrip_SetConfig(DestripState* s, const DestripInfoRecord* rec) {
  if (!s || !rec) return OSTREL_E_ARGUMENT;
  if (s->configured && std::memcmp(rec, &s->applied, sizeof(*rec)) == 0) return OSTREL_OK;
  if (!IRDestrip_IsValid(rec)) return OSTREL_E_ARGUMENT;

  const int64_t oldC0 = s->configured ? s->c0 : -1;
  s->width = rec->width;
  s->height = rec->height;
  s->r0 = rec->s0_radius;
  s->w0 = 2 * s->r0 + 1;
  s->c0 = static_cast<int64_t>(s->w0) * rec->s0_regular * (static_cast<int64_t>(s->w0) * rec->s0_regular);
  s->r1 = rec->s1_radius;
  s->w1 = 2 * s->r1 + 1;
  int shift = 0;
  while ((2 << shift) <= rec->sub_y) ++shift;
  s->kShift = shift;
  s->k = 1 << shift;
  s->reducedRows = rec->height >> shift;
  s->period = rec->sub_t;
  s->counter = 0;
  s->magic.set(s->w1);

  bool rebuildTable = oldC0 != s->c0;
  const size_t need = destripCarve(s, nullptr);
  if (need > s->cap) {
    algFree(s->buf);
    s->buf = algAllocZeroed(need);
    if (!s->buf) {
      destripReset(s);
      return OSTREL_E_NO_MEMORY;
    }
    s->cap = need;
    rebuildTable = true;
  }
  // The table sits at the end of the layout, so it moves with the layout; rebuild when it moved.
  uint16_t* oldTable = s->table;
  destripCarve(s, s->buf);
  if (oldTable != s->table) rebuildTable = true;
  fillMirror(s->mx, s->width, s->r0, 1);
  // The column average reads the reduced rows only, so their mirror covers the reduced height.
  fillMirror(s->myR, s->reducedRows, s->r1, s->width);
  std::memset(s->estimate, 0, sizeof(int16_t) * s->width * s->reducedRows);
  if (rebuildTable) fillReciprocal(s->table, kTableSize, s->c0);
  s->applied = *rec;
  s->configured = true;
  return OSTREL_OK;
}

namespace ostrel::alg {

int destripWidth(const DestripState* s) {
  return s && s->configured ? s->width : 0;
}
int destripHeight(const DestripState* s) {
  return s && s->configured ? s->height : 0;
}
int destripType(const DestripState* s) {
  return s && s->configured ? s->applied.type : 0;
}
int destripReducedRows(const DestripState* s) {
  return s ? s->reducedRows : 0;
}
int destripRowFactor(const DestripState* s) {
  return s ? s->k : 0;
}

bool destripShouldRefresh(DestripState* s, int cadence) {
  if (cadence == 0 || s->period < 2) return true;
  const bool refresh = s->counter == 0;
  s->counter = (s->counter + 1) % s->period;
  return refresh;
}

void destripRowStep(DestripState* s, const int16_t* codes) {
  const int w = s->width, r = s->r0;
  const int64_t w0 = s->w0;
  const int32_t* mx = s->mx;
  const int64_t denom = w0 * w0 * 1024;
  if (simdLevel() >= SimdLevel::Avx2) {
    DestripRowPlan p;
    p.w = w, p.r = r, p.w0 = w0, p.c0 = s->c0, p.tableSize = kTableSize;
    p.mx = mx, p.table = s->table;
    p.v = s->rowWork[0], p.v2 = s->rowWork[1], p.a = s->rowWork[2], p.b = s->rowWork[3];
    DestripGroupPlan g;
    g.w = w, g.r = r, g.w0 = s->w0, g.c0 = static_cast<int32_t>(std::min<int64_t>(s->c0, INT32_MAX));
    g.mx = mx, g.d = s->groupWork[0], g.sq = s->groupWork[1], g.a = s->groupWork[2], g.b = s->groupWork[3];
    g.det = s->groupDet;
    const bool groups = s->c0 <= kDestripGroupMaxC0;
    // Sixteen rows at a time in 32-bit lanes where the processor has the eight-lane level and
    // their range allows; then eight (a short last group repeats its last row); else row by row
    // in double precision.
    int y = 0;
    if (groups && simdLevel() >= SimdLevel::Avx512) {
      for (; y + 16 <= s->reducedRows; y += 16) {
        const int16_t* in[16];
        int16_t* out[16];
        for (int j = 0; j < 16; ++j) {
          in[j] = codes + static_cast<size_t>(y + j) * s->k * w;
          out[j] = s->detail + static_cast<size_t>(y + j) * w;
        }
        if (destripRowGroupAvx512(in, g, out)) continue;
        for (int half = 0; half < 16; half += 8)
          if (!destripRowGroupAvx2(in + half, g, out + half))
            for (int j = half; j < half + 8; ++j) destripRowAvx2(in[j], p, out[j]);
      }
    }
    for (; y < s->reducedRows; y += 8) {
      const int count = std::min(8, s->reducedRows - y);
      const int16_t* in[8];
      int16_t* out[8];
      for (int j = 0; j < 8; ++j) {
        const size_t yy = static_cast<size_t>(y + std::min(j, count - 1));
        in[j] = codes + yy * s->k * w;
        out[j] = s->detail + yy * w;
      }
      if (groups && destripRowGroupAvx2(in, g, out)) continue;
      for (int j = 0; j < count; ++j) destripRowAvx2(in[j], p, out[j]);
    }
    return;
  }
  for (int y = 0; y < s->reducedRows; ++y) {
    const int16_t* row = codes + static_cast<size_t>(y) * s->k * w;
    // Window sums of v and v x v along the row.
    int32_t s1 = 0;
    int64_t s2 = 0;
    for (int i = -r; i <= r; ++i) {
      const int32_t v = row[mx[i + r]];
      s1 += v;
      s2 += static_cast<int64_t>(v) * v;
    }
    for (int x = 0; x < w; ++x) {
      if (x > 0) {
        const int32_t in = row[mx[x + 2 * r]], out = row[mx[x - 1]];
        s1 += in - out;
        s2 += static_cast<int64_t>(in) * in - static_cast<int64_t>(out) * out;
      }
      const int64_t q = w0 * s2 - static_cast<int64_t>(s1) * s1;
      const int64_t index = q < 0 ? kTableSize - 1 : (q >> 10);
      const int32_t a = coefLookup(s->table, kTableSize, s->c0, index);
      s->a[x] = a;
      s->b[x] = static_cast<int64_t>(1024 - a) * s1;
    }
    // base = (Sa x w0 v + Sb) / (w0 w0 1024), detail = v - base.
    int32_t sa = 0;
    int64_t sb = 0;
    for (int i = -r; i <= r; ++i) {
      sa += s->a[mx[i + r]];
      sb += s->b[mx[i + r]];
    }
    int16_t* det = s->detail + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      if (x > 0) {
        sa += s->a[mx[x + 2 * r]] - s->a[mx[x - 1]];
        sb += s->b[mx[x + 2 * r]] - s->b[mx[x - 1]];
      }
      const int64_t v = row[x];
      const int64_t base = (static_cast<int64_t>(sa) * (w0 * v) + sb) / denom;
      det[x] = sat16(v - base);
    }
  }
}

void destripColumnStep(DestripState* s) {
  const int w = s->width, r = s->r1, rows = s->reducedRows;
  const int32_t* my = s->myR;
  int32_t* acc = s->acc;
  const bool magic = s->applied.type == 2;
  const int32_t w1 = s->w1;
  for (int y = 0; y < rows; ++y) {
    if (y == 0) {
      std::memset(acc, 0, sizeof(int32_t) * w);
      for (int i = -r; i <= r; ++i) {
        const int16_t* d = s->detail + my[i + r];
        for (int x = 0; x < w; ++x) acc[x] += d[x];
      }
    }
    int16_t* est = s->estimate + static_cast<size_t>(y) * w;
    if (simdLevel() >= SimdLevel::Avx2) {
      const bool next = y > 0;
      destripColumnRowAvx2(acc, next ? s->detail + my[y + 2 * r] : nullptr, next ? s->detail + my[y - 1] : nullptr, w,
                           w1, est);
      continue;
    }
    if (y > 0) addSub16to32(acc, s->detail + my[y + 2 * r], s->detail + my[y - 1], w);
    if (magic) {
      for (int x = 0; x < w; ++x) est[x] = sat16(s->magic(acc[x]));
    } else {
      for (int x = 0; x < w; ++x) est[x] = sat16(acc[x] / w1);
    }
  }
}

static void subtractRow(int16_t* row, const int16_t* est, int w) {
  if (simdLevel() >= SimdLevel::Avx2) return destripSubtractRowAvx2(row, est, w);
  int x = 0;
  if ((simdLevel() >= SimdLevel::Sse2)) {
    for (; x + 8 <= w; x += 8) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
      __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(est + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_subs_epi16(v, e));
    }
  }
  for (; x < w; ++x) row[x] = sat16(static_cast<int32_t>(row[x]) - est[x]);
}

void destripSubtract(DestripState* s, int16_t* codes) {
  const int w = s->width;
  for (int y = 0; y < s->reducedRows; ++y) {
    const int16_t* est = s->estimate + static_cast<size_t>(y) * w;
    for (int j = 0; j < s->k; ++j) subtractRow(codes + (static_cast<size_t>(y) * s->k + j) * w, est, w);
  }
}

}  // namespace ostrel::alg

extern "C" OSTREL_API int IRDestrip_Execute(DestripState* s, int16_t* codes, int width, int height,
                                            int cadence) {
  if (!s || !codes) return OSTREL_E_ARGUMENT;
  if (!s->configured || width != s->width || height != s->height) return OSTREL_E_ARGUMENT;
  if (s->applied.type == 0) return OSTREL_OK;
  if (destripShouldRefresh(s, cadence)) {
    destripRowStep(s, codes);
    destripColumnStep(s);
  }
  destripSubtract(s, codes);
  return OSTREL_OK;
}
