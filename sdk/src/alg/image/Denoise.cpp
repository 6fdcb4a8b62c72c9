// Denoise filter: the frame guides itself through a guided filter, with the coefficients
// optionally computed on a frame subsampled by 2 or 4.
#include <algorithm>
#include <cstring>
#include <new>

#include "GuidedAvx2.h"
#include "GuidedCore.h"
#include "GuidedFused.h"
#include "Stretch.h"
#include "ostrel/OstrelStretch.h"

using namespace ostrel::alg;

namespace {
constexpr int64_t kTableSize = 1 << 20;
}

struct DenoiseState {
  uint8_t applied[64];  // first 32 bytes of the applied record; the rest stays 0
  bool configured;
  int width, height;  // frame size
  int type;
  int k;       // decimation 1, 2 or 4
  int ww, wh;  // working (guide) size
  int r;       // working radius
  int64_t n;   // window size (2r+1)^2
  int64_t eps;
  void* buf;
  size_t cap;
  uint16_t* table;
  int32_t* mx;
  int32_t* my;
  int16_t* guide;
  int16_t* pending;  // the interleaved passes' last output row, written back one row later
  GuidedPlanes planes;
  FloorDiv divNN;  // by N x N: the mean of the window means
};

static void denoiseReset(DenoiseState* s) {
  algFree(s->buf);
  *s = DenoiseState{};
}

// The layout of the work buffer for the current working size (null base: measure only).
static size_t denoiseCarve(DenoiseState* s, void* base) {
  Carver c(base);
  s->table = c.take<uint16_t>(kTableSize);
  s->mx = c.take<int32_t>(s->ww + 2 * s->r);
  s->my = c.take<int32_t>(s->wh + 2 * s->r);
  s->guide = c.take<int16_t>(s->k > 1 ? static_cast<size_t>(s->ww) * s->wh : 0);
  s->pending = c.take<int16_t>(s->ww);
  s->planes.carve(c, s->ww, s->wh, 1);
  return c.used();
}

extern "C" OSTREL_API DenoiseState* IRDenoise_Create(void) {
  void* p = algAllocZeroed(sizeof(DenoiseState));
  return p ? new (p) DenoiseState{} : nullptr;  // unconfigured
}

extern "C" OSTREL_API void IRDenoise_Free(DenoiseState** state) {
  if (!state || !*state) return;
  algFree((*state)->buf);
  algFree(*state);
  *state = nullptr;
}

extern "C" OSTREL_API int IRDenoise_IsValid(const DenoiseInfoRecord* rec) {
  if (!rec) return 0;
  return rec->width >= 32 && rec->height >= 32 && rec->gf_radius >= 1 && rec->gf_radius <= 16 &&
                 rec->gf_regular >= 1 && rec->gf_regular <= 40
             ? 1
             : 0;
}

extern "C" OSTREL_API int IRDenoise_SetConfig(DenoiseState* s, const DenoiseInfoRecord* rec) {
  if (!s || !rec) return OSTREL_E_ARGUMENT;
  if (s->configured && std::memcmp(rec, s->applied, 64) == 0) return OSTREL_OK;
  if (!IRDenoise_IsValid(rec)) return OSTREL_E_ARGUMENT;

  // Types other than 2 and 3 (including those above 3) run at full resolution.
  const int k = rec->type == 2 ? 2 : (rec->type == 3 ? 4 : 1);
  int r = rec->gf_radius >> (k == 2 ? 1 : (k == 4 ? 2 : 0));
  if (r < 1) r = 1;
  s->type = rec->type;
  s->k = k;
  s->r = r;
  s->width = rec->width;
  s->height = rec->height;
  s->ww = rec->width / k;
  s->wh = rec->height / k;

  const size_t need = denoiseCarve(s, nullptr);
  if (need > s->cap) {
    algFree(s->buf);
    s->buf = algAllocZeroed(need);
    if (!s->buf) {
      denoiseReset(s);  // unconfigured: the next SetConfig allocates again
      return OSTREL_E_NO_MEMORY;
    }
    s->cap = need;
  }
  denoiseCarve(s, s->buf);

  s->n = static_cast<int64_t>(2 * r + 1) * (2 * r + 1);
  s->eps = static_cast<int64_t>(rec->gf_regular) * rec->gf_regular;
  fillReciprocal(s->table, kTableSize, s->n * s->n * s->eps);
  fillMirror(s->mx, s->ww, r, 1);
  fillMirror(s->my, s->wh, r, s->ww);
  s->divNN.set(s->n * s->n);
  std::memset(s->applied, 0, sizeof(s->applied));
  std::memcpy(s->applied, rec, 32);
  s->configured = true;
  return OSTREL_OK;
}

extern "C" OSTREL_API int IRDenoise_Execute(DenoiseState* s, int16_t* codes, int width, int height) {
  if (!s || !codes) return OSTREL_E_ARGUMENT;
  if (!s->configured || width != s->width || height != s->height || s->type == 0) return OSTREL_E_STATE;

  const int k = s->k, ww = s->ww, wh = s->wh;
  const int16_t* guide = codes;
  if (k > 1) {
    // The top-left pixel of every k x k cell.
    for (int y = 0; y < wh; ++y) {
      const int16_t* src = codes + static_cast<size_t>(y) * k * width;
      int16_t* dst = s->guide + static_cast<size_t>(y) * ww;
      for (int x = 0; x < ww; ++x) dst[x] = src[x * k];
    }
    guide = s->guide;
  }
  BoxPlan plan;
  plan.w = ww;
  plan.h = wh;
  plan.r = s->r;
  plan.mx = s->mx;
  plan.my = s->my;
  GuidedCoef coef;
  coef.table = s->table;
  coef.size = kTableSize;
  coef.c = s->n * s->n * s->eps;
  const int64_t n = s->n;
  if (k == 1 && simdLevel() >= SimdLevel::Avx2) {
    // The frame is its own guide, so each output row waits in `pending` until the first pass
    // has read its codes for the last time.
    int16_t* pending = s->pending;
    SquarePlan squares;
    if (!wide512()) {
      int lo = 0, hi = 0;
      codeRange(codes, static_cast<int64_t>(width) * height, &lo, &hi);
      squares = squaresFit(s->r, lo, hi);
    }
    const bool done = guidedFused(
        codes, plan, s->planes, 1, &coef,
        [&](int y, GuidedPlanes& g) {
          if (y > 0) std::memcpy(codes + static_cast<size_t>(y - 1) * width, pending, sizeof(int16_t) * width);
          std::memcpy(pending, codes + static_cast<size_t>(y) * width, sizeof(int16_t) * width);
          if (g.columnSums) return denoiseRowColumnsAvx2(pending, g.colA[0], g.colB32(0), plan);
          denoiseRowVec(pending, g.accA[0], g.accB[0], width, n, n * n);
        },
        squares);
    if (done) {
      std::memcpy(codes + static_cast<size_t>(height - 1) * width, pending, sizeof(int16_t) * width);
      return OSTREL_OK;
    }
  }
  guidedCoefficients(guide, plan, s->planes, 1, &coef);

  // q = mean_a x v + mean_b = ((N v Sa >> 10) + Sb) / (N N), floored exactly.
  const FloorDiv div = s->divNN;
  guidedWindowSums(plan, s->planes, 1, [&](int y, GuidedPlanes& g) {
    const int32_t* sa = g.accA[0];
    const int64_t* sb = g.accB[0];
    if (k == 1) {
      int16_t* row = codes + static_cast<size_t>(y) * width;
      if (simdLevel() >= SimdLevel::Avx2) return denoiseRowVec(row, sa, sb, width, n, n * n);
      for (int x = 0; x < width; ++x) {
        const int64_t v = row[x];
        row[x] = sat16(div(((n * v * sa[x]) >> 10) + sb[x]));
      }
      return;
    }
    // Cells of the last working row and column also serve the rows and columns that do not
    // fill a whole cell.
    const int y0 = y * k;
    const int y1 = (y == wh - 1) ? height : y0 + k;
    const int shift = k == 2 ? 1 : 2;
    for (int yy = y0; yy < y1; ++yy) {
      int16_t* row = codes + static_cast<size_t>(yy) * width;
      const int full = ww << shift;  // columns inside whole cells
      for (int x = 0; x < full; ++x) {
        const int cx = x >> shift;
        const int64_t v = row[x];
        row[x] = sat16(div(((n * v * sa[cx]) >> 10) + sb[cx]));
      }
      for (int x = full; x < width; ++x) {
        const int64_t v = row[x];
        row[x] = sat16(div(((n * v * sa[ww - 1]) >> 10) + sb[ww - 1]));
      }
    }
  });
  return OSTREL_OK;
}
