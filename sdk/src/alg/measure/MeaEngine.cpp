// Measurement engine: statistics of items on temperature frames and their profiles.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <thread>
#include <unordered_map>

#include "OstrelSDK.h"
#include "alg/measure/MeaGeometry.h"

namespace ostrel::alg {
namespace {

constexpr int64_t kMaxPixels = 0x1000000;  // the largest frame the engine takes (16 Mi pixels)
constexpr int kProfileCapacity = 131072;
constexpr int kMaxLine = 65536;
constexpr double kEmptyLine = DBL_MIN;  // "no inside pixel" marker of mask profiles

// One calling thread's profile buffer and per-line accumulators.
struct Workspace {
  double profile[kProfileCapacity];
  uint8_t emptyLine[kProfileCapacity];
  double mn[kMaxLine], mx[kMaxLine], sum[kMaxLine], sq[kMaxLine];
  int32_t n[kMaxLine];
};

struct Engine {
  std::shared_mutex life;    // exclusive for Init/Free, shared while a call uses the state
  bool initialised = false;  // guarded by life
  std::mutex cache;          // guards luts and workspaces (inside a shared hold of life)
  std::unordered_map<uint32_t, std::unique_ptr<double[]>> luts;
  std::unordered_map<std::thread::id, std::unique_ptr<Workspace>> workspaces;
};

Engine& engine() {
  static Engine e;
  return e;
}

// Caller holds engine().life (shared or exclusive) with the engine initialised.
const double* lutLocked(Engine& e, uint16_t scale, int16_t offset) {
  const uint32_t key = (uint32_t(scale) << 16) | uint16_t(offset);
  std::lock_guard<std::mutex> g(e.cache);
  auto it = e.luts.find(key);
  if (it != e.luts.end()) return it->second.get() + 32768;
  std::unique_ptr<double[]> t(new (std::nothrow) double[65536]);
  if (!t) return nullptr;
  const double s = scale ? scale : 1.0;
  for (int k = -32768; k <= 32767; ++k) t[k + 32768] = (k + double(offset) * s) / s;
  const double* p = t.get() + 32768;
  try {
    e.luts.emplace(key, std::move(t));
  } catch (...) {
    return nullptr;
  }
  return p;
}

Workspace* workspaceLocked(Engine& e) {
  std::lock_guard<std::mutex> g(e.cache);
  try {
    auto& slot = e.workspaces[std::this_thread::get_id()];
    if (!slot) slot.reset(new (std::nothrow) Workspace);
    return slot.get();
  } catch (...) {
    return nullptr;
  }
}

bool frameOk(const DataFrameHead* head, const int16_t* codes) {
  if (!head || !codes) return false;
  const int64_t p = int64_t(head->width) * head->height;
  return p > 0 && p <= kMaxPixels;
}

// Running statistics in scan order: the first strictly greater (smaller) value moves the
// maximum (minimum).
struct CodeStats {
  int mx, mn;
  int mxX, mxY, mnX, mnY;
  int64_t sum = 0;
  int64_t count = 0;

  void start(int v, int x, int y) {
    mx = mn = v;
    mxX = mnX = x;
    mxY = mnY = y;
  }
  // Adds the pixels xa..xb of row y.
  void addSpan(const int16_t* row, int y, int xa, int xb) {
    // Eight independent lanes per step so the compiler can keep them in vector registers.
    // A span has at most 65535 codes, so 32 bits hold its sum.
    int16_t lmx[8], lmn[8];
    int32_t ls[8];
    for (int k = 0; k < 8; ++k) lmx[k] = lmn[k] = row[xa], ls[k] = 0;
    int x = xa;
    for (; x + 8 <= xb + 1; x += 8) {
      for (int k = 0; k < 8; ++k) {
        const int16_t v = row[x + k];
        lmx[k] = v > lmx[k] ? v : lmx[k];
        lmn[k] = v < lmn[k] ? v : lmn[k];
        ls[k] += v;
      }
    }
    int smx = lmx[0], smn = lmn[0];
    int32_t s = 0;
    for (int k = 0; k < 8; ++k) {
      smx = std::max<int>(smx, lmx[k]);
      smn = std::min<int>(smn, lmn[k]);
      s += ls[k];
    }
    for (; x <= xb; ++x) {
      const int v = row[x];
      smx = std::max(smx, v);
      smn = std::min(smn, v);
      s += v;
    }
    sum += s;
    count += xb - xa + 1;
    if (smx > mx) {
      int x = xa;
      while (row[x] != smx) ++x;
      mx = smx, mxX = x, mxY = y;
    }
    if (smn < mn) {
      int x = xa;
      while (row[x] != smn) ++x;
      mn = smn, mnX = x, mnY = y;
    }
  }
};

int meanCode(int64_t sum, int64_t count) {
  return int(sum / count);
}

int mean3x3(const int16_t* codes, int w, int x, int y) {
  int s = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) s += codes[int64_t(y + dy) * w + x + dx];
  return s / 9;
}

float toDegrees(double code, const DataFrameHead* head) {
  return head->scale > 0 ? float(code / head->scale + head->offset) : float(code);
}

struct EmiFix {
  bool apply = false;
  double reflect = 20.0, globalEmi = 0.97, fixEmi = 1.0;
  int band = 0;
  double operator()(double v) const { return FixEmi_CalcTemp(reflect, v, globalEmi, fixEmi, band); }
};

EmiFix emissivityOf(const MeaItem* item, const DataFrameHead* head) {
  EmiFix f;
  if (head->globalEmi != 0.0f) {
    f.reflect = head->reflectTemp;
    f.globalEmi = head->globalEmi;
    f.band = head->band;
  }
  f.fixEmi = item->fixEmi;
  f.apply = item->fixEnable != 0 && f.fixEmi > 0.01 && f.fixEmi < 1.01 && f.globalEmi > 0.01 &&
            f.globalEmi < 1.01 && std::isfinite(f.reflect);
  return f;
}

MeaBox itemBox(const MeaItem* item, bool square) {
  const MeaPoint* p = item->points;
  MeaBox b{p[0].x, p[0].y, p[1].x, p[1].y};
  if (square) b.y1 = b.y0 + b.x1 - b.x0;
  return b;
}

int loadPolygon(const MeaItem* item, MeaVertex* v, MeaBox* box) {
  const int n = std::min<int>(item->pointCount, 32);
  *box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int i = 0; i < n; ++i) {
    v[i] = {item->points[i].x, item->points[i].y};
    box->x0 = std::min(box->x0, v[i].x);
    box->y0 = std::min(box->y0, v[i].y);
    box->x1 = std::max(box->x1, v[i].x);
    box->y1 = std::max(box->y1, v[i].y);
  }
  return n;
}

// Box, ellipse, polygon and line statistics in codes; false when nothing was measured.
bool areaStats(const MeaItem* item, int type, const int16_t* codes, int w, int h, CodeStats* st) {
  auto row = [&](int y) { return codes + int64_t(y) * w; };
  auto spanAdd = [&](int y, int xa, int xb) { st->addSpan(row(y), y, xa, xb); };
  switch (type) {
    case MEA_TYPE_POINT3X3:
    case MEA_TYPE_RECT:
    case MEA_TYPE_SQUARE: {
      MeaBox b;
      if (type == MEA_TYPE_POINT3X3) {
        const int x = item->points[0].x, y = item->points[0].y;
        b = {std::max(x - 1, 0), std::max(y - 1, 0), x + 1, y + 1};
      } else {
        b = itemBox(item, type == MEA_TYPE_SQUARE);
      }
      b = clipBox(b, w, h);
      if (b.empty()) return false;
      st->start(row(b.y0)[b.x0], b.x0, b.y0);
      for (int y = b.y0; y <= b.y1; ++y) spanAdd(y, b.x0, b.x1);
      return true;
    }
    case MEA_TYPE_ELLIPSE:
    case MEA_TYPE_CIRCLE: {
      const MeaBox e = itemBox(item, type == MEA_TYPE_CIRCLE);
      const MeaBox b = clipBox(e, w, h);
      if (b.empty()) return false;
      // The centre may lie below the frame when a circle's derived side runs past the edge.
      const int cx = std::clamp((e.x0 + e.x1) / 2, b.x0, b.x1),
                cy = std::clamp((e.y0 + e.y1) / 2, b.y0, b.y1);
      st->start(row(cy)[cx], cx, cy);
      ellipseSpans(e, b, spanAdd);
      return true;
    }
    case MEA_TYPE_POLYGON: {
      MeaVertex v[32];
      MeaBox b;
      const int n = loadPolygon(item, v, &b);
      b = clipBox(b, w, h);
      st->start(row(v[0].y)[v[0].x], v[0].x, v[0].y);
      polygonSpans(v, n, b, spanAdd);
      return true;
    }
    case MEA_TYPE_LINE:
    case MEA_TYPE_POLYLINE: {
      const int n = std::max<int>(std::min<int>(item->pointCount, 32), 1);
      const MeaPoint* p = item->points;
      st->start(row(p[0].y)[p[0].x], p[0].x, p[0].y);
      auto visit = [&](int x, int y) {
        const int v = row(y)[x];
        st->sum += v;
        ++st->count;
        if (v > st->mx) {
          st->mx = v, st->mxX = x, st->mxY = y;
        } else if (v < st->mn) {
          st->mn = v, st->mnX = x, st->mnY = y;
        }
        return true;
      };
      if (n == 1) visit(p[0].x, p[0].y);
      for (int i = 0; i + 1 < n; ++i) walkLine(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, visit);
      return true;
    }
    default:
      return false;
  }
}

void finish(const CodeStats& st, bool use3x3, bool point3x3, const int16_t* codes, int w, int h,
            const DataFrameHead* head, MeaResult* r) {
  const int avg = st.count > 0 ? meanCode(st.sum, st.count) : st.mx;
  int mx = st.mx, mn = st.mn;
  if (point3x3) {
    mx = mn = avg;
  } else if (use3x3) {
    auto interior = [&](int x, int y) { return x >= 1 && x <= w - 2 && y >= 1 && y <= h - 2; };
    if (interior(st.mxX, st.mxY)) mx = mean3x3(codes, w, st.mxX, st.mxY);
    if (interior(st.mnX, st.mnY)) mn = mean3x3(codes, w, st.mnX, st.mnY);
  }
  r->max = toDegrees(mx, head);
  r->min = toDegrees(mn, head);
  r->avg = toDegrees(avg, head);
  r->maxX = uint16_t(st.mxX), r->maxY = uint16_t(st.mxY);
  r->minX = uint16_t(st.mnX), r->minY = uint16_t(st.mnY);
}

// --- profiles ---------------------------------------------------------------------------------

struct LineAcc {
  double mn, mx, sum, sq;
  int32_t n;
};

double statOf(double mn, double mx, double sum, double sq, int32_t n, int statsType) {
  if (n == 0) return statsType == 3 ? 0.0 : kEmptyLine;
  switch (statsType) {
    case 1:
      return mx;
    case 2:
      return sum / n;
    case 3:
      return sum;
    case 4: {
      const double mean = sum / n;
      return std::sqrt(std::max(0.0, sq / n - mean * mean));  // rounding may go just below 0
    }
    default:
      return mn;
  }
}

// Profile of an area given by its spans, per column (over `box` x range) or per row.
template <class Spans>
int areaProfile(Workspace* ws, const MeaBox& box, bool perRow, int statsType, const int16_t* codes, int w,
                const double* lut, Spans&& spans) {
  const int first = perRow ? box.y0 : box.x0;
  const int lines = perRow ? box.y1 - box.y0 + 1 : box.x1 - box.x0 + 1;
  for (int i = 0; i < lines; ++i) {
    ws->mn[i] = DBL_MAX, ws->mx[i] = -DBL_MAX, ws->sum[i] = 0, ws->sq[i] = 0, ws->n[i] = 0;
  }
  spans([&](int y, int xa, int xb) {
    const int16_t* row = codes + int64_t(y) * w;
    if (perRow) {
      const int i = y - first;
      double mn = ws->mn[i], mx = ws->mx[i], s = ws->sum[i], q = ws->sq[i];
      for (int x = xa; x <= xb; ++x) {
        const double v = lut[row[x]];
        mn = std::min(mn, v), mx = std::max(mx, v), s += v, q += v * v;
      }
      ws->mn[i] = mn, ws->mx[i] = mx, ws->sum[i] = s, ws->sq[i] = q;
      ws->n[i] += xb - xa + 1;
    } else {
      for (int x = xa; x <= xb; ++x) {
        const int i = x - first;
        const double v = lut[row[x]];
        ws->mn[i] = std::min(ws->mn[i], v), ws->mx[i] = std::max(ws->mx[i], v);
        ws->sum[i] += v, ws->sq[i] += v * v, ++ws->n[i];
      }
    }
  });
  for (int i = 0; i < lines; ++i) {
    ws->profile[i] = statOf(ws->mn[i], ws->mx[i], ws->sum[i], ws->sq[i], ws->n[i], statsType);
    ws->emptyLine[i] = ws->n[i] == 0;
  }
  return lines;
}

int pointsNeeded(int type) {
  switch (type) {
    case MEA_TYPE_POINT:
    case MEA_TYPE_POINT3X3:
    case MEA_TYPE_POINT_ALT:
      return 1;
    case MEA_TYPE_ELLIPSE:
    case MEA_TYPE_CIRCLE:
    case MEA_TYPE_RECT:
    case MEA_TYPE_SQUARE:
      return 2;
    default:
      return 0;
  }
}

}  // namespace
}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API int VEZ2024_Init(void) {
  Engine& e = engine();
  std::unique_lock<std::shared_mutex> g(e.life);
  if (e.initialised) return OSTREL_OK;
  if (!workspaceLocked(e)) return OSTREL_E_NO_MEMORY;
  e.initialised = true;
  return OSTREL_OK;
}

extern "C" OSTREL_API void VEZ2024_Free(void) {
  Engine& e = engine();
  std::unique_lock<std::shared_mutex> g(e.life);
  if (!e.initialised) return;
  std::lock_guard<std::mutex> c(e.cache);
  e.luts.clear();
  e.workspaces.clear();
  e.initialised = false;
}

extern "C" OSTREL_API const double* VEZ2024_GetLut(uint16_t scale, int16_t offset) {
  Engine& e = engine();
  std::shared_lock<std::shared_mutex> g(e.life);
  if (!e.initialised) return nullptr;
  return lutLocked(e, scale, offset);
}

extern "C" OSTREL_API int VEZ2024_CheckMea(const MeaItem* item, int width, int height) {
  if (!item) return OSTREL_E_ARGUMENT;
  const int type = item->meaType;
  if (type == MEA_TYPE_FRAME) return OSTREL_OK;
  int used = pointsNeeded(type);
  if (type == MEA_TYPE_LINE || type == MEA_TYPE_POLYLINE || type == MEA_TYPE_POLYGON) {
    const int least = type == MEA_TYPE_POLYGON ? 3 : 2;
    if (item->pointCount < least || item->pointCount > 32) return OSTREL_E_ARGUMENT;
    used = item->pointCount;
  }
  for (int i = 0; i < used; ++i) {
    if (item->points[i].x >= width || item->points[i].y >= height) return OSTREL_E_ARGUMENT;
  }
  return OSTREL_OK;
}

extern "C" OSTREL_API int VEZ2024_GetResult(const MeaItem* item, const DataFrameHead* head,
                                            const int16_t* codes, MeaResult* result) {
  if (!result || !frameOk(head, codes)) return OSTREL_E_ARGUMENT;
  const int w = head->width, h = head->height;
  CodeStats st;
  if (!item || item->meaType == MEA_TYPE_FRAME) {
    st.start(codes[0], 0, 0);
    for (int y = 0; y < h; ++y) st.addSpan(codes + int64_t(y) * w, y, 0, w - 1);
    finish(st, item && item->use3x3, false, codes, w, h, head, result);
    return OSTREL_OK;
  }
  const int rc = VEZ2024_CheckMea(item, w, h);
  if (rc != 0) return rc;
  const int type = item->meaType;
  MeaResult r;
  std::memcpy(&r, result, sizeof r);
  if (type == MEA_TYPE_POINT || type == MEA_TYPE_POINT_ALT) {
    const int x = item->points[0].x, y = item->points[0].y;
    r.max = r.min = r.avg = toDegrees(codes[int64_t(y) * w + x], head);
    r.maxX = r.minX = uint16_t(x);
    r.maxY = r.minY = uint16_t(y);
  } else {
    if (!areaStats(item, type, codes, w, h, &st)) return OSTREL_E_ARGUMENT;
    finish(st, item->use3x3, type == MEA_TYPE_POINT3X3, codes, w, h, head, &r);
  }
  const EmiFix fix = emissivityOf(item, head);
  if (fix.apply) {
    r.max = float(fix(r.max));
    r.avg = float(fix(r.avg));
    r.min = float(fix(r.min));
  }
  std::memcpy(result, &r, sizeof r);
  return OSTREL_OK;
}

extern "C" OSTREL_API int VEZ2024_GetSpaceData(const MeaItem* item, const DataFrameHead* head,
                                               const int16_t* codes, int statsType, int dimType, double** out,
                                               int* count) {
  if (count) *count = 0;
  Engine& e = engine();
  std::shared_lock<std::shared_mutex> g(e.life);
  if (!e.initialised) return OSTREL_E_STATE;
  if (!item || !out || !count || !frameOk(head, codes)) return OSTREL_E_ARGUMENT;
  const double* lut = lutLocked(e, head->scale, head->offset);
  Workspace* ws = workspaceLocked(e);
  if (!lut || !ws) return OSTREL_E_NO_MEMORY;
  const int w = head->width, h = head->height;
  const bool perRow = dimType == 1;
  const int type = item->meaType;
  int n = 0;
  bool masked = false;
  switch (type) {
    case MEA_TYPE_FRAME:
    case MEA_TYPE_RECT:
    case MEA_TYPE_SQUARE: {
      // Boxes as stored (no derived square side), clipped to the frame.
      const MeaBox b =
          type == MEA_TYPE_FRAME ? MeaBox{0, 0, w - 1, h - 1} : clipBox(itemBox(item, false), w, h);
      if (b.empty()) break;
      n = areaProfile(ws, b, perRow, statsType, codes, w, lut, [&](auto&& span) {
        for (int y = b.y0; y <= b.y1; ++y) span(y, b.x0, b.x1);
      });
      break;
    }
    case MEA_TYPE_ELLIPSE:
    case MEA_TYPE_CIRCLE: {
      const MeaBox el = itemBox(item, false);
      const MeaBox b = clipBox(el, w, h);
      if (b.empty()) break;
      n = areaProfile(ws, b, perRow, statsType, codes, w, lut,
                      [&](auto&& span) { ellipseSpans(el, b, span); });
      masked = true;
      break;
    }
    case MEA_TYPE_POLYGON: {
      if (item->pointCount < 3) return OSTREL_E_ARGUMENT;
      MeaVertex v[32];
      MeaBox b;
      const int nv = loadPolygon(item, v, &b);
      b = clipBox(b, w, h);
      if (b.empty()) break;
      n = areaProfile(ws, b, perRow, statsType, codes, w, lut,
                      [&](auto&& span) { polygonSpans(v, nv, b, span); });
      masked = true;
      break;
    }
    case MEA_TYPE_POLYLINE: {
      if (item->pointCount < 1) return OSTREL_E_ARGUMENT;
      const int np = std::min<int>(item->pointCount, 32);
      const MeaPoint* p = item->points;
      // Pixels off the frame are skipped; the walk stops when the buffer is full.
      auto visit = [&](int x, int y) {
        if (x >= w || y >= h) return true;
        ws->profile[n] = lut[codes[int64_t(y) * w + x]];
        ws->emptyLine[n] = 0;
        return ++n < kProfileCapacity;
      };
      if (np == 1) visit(p[0].x, p[0].y);
      for (int i = 0; i + 1 < np; ++i) {
        if (!walkLine(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y, visit)) break;
      }
      break;
    }
    default:
      return -3;
  }
  if (masked) {
    if (n > 0 && ws->emptyLine[0]) {
      std::memmove(ws->profile, ws->profile + 1, sizeof(double) * (n - 1));
      std::memmove(ws->emptyLine, ws->emptyLine + 1, size_t(n - 1));
      --n;
    }
    if (n > 0 && ws->emptyLine[n - 1]) --n;
  }
  if (type != MEA_TYPE_FRAME && n > 0) {
    const EmiFix fix = emissivityOf(item, head);
    // Only temperatures are corrected: not sums, deviations or empty-line markers.
    const bool temps = type == MEA_TYPE_POLYLINE || (statsType != 3 && statsType != 4);
    if (fix.apply && temps) {
      for (int i = 0; i < n; ++i) {
        if (!ws->emptyLine[i]) ws->profile[i] = fix(ws->profile[i]);
      }
    }
  }
  *out = ws->profile;
  *count = n;
  return n;
}
