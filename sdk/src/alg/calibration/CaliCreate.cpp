// Creation of the calibration object: file image (optionally cropped to a centre window),
// repair entries, per-pixel table sets, LUTs and the correction objects.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "alg/calibration/CaliInternal.h"
#include "alg/radiometry/CorrLut.h"
#include "alg/radiometry/CalibrationRecords.h"

using namespace ostrel::alg;

namespace {

constexpr int32_t kMiddleOfRange = 100000;
constexpr size_t kLutEntries = 65536;

struct Image {
  uint8_t* block = nullptr;
  uint8_t* data = nullptr;
  CaliLayout lay{};
};

bool allocImage(Image* img, uint64_t size) {
  if (size > SIZE_MAX - 64) return false;
  img->block = static_cast<uint8_t*>(caliAlloc(size_t(size) + 64));
  if (!img->block) return false;
  img->data = img->block + ((64 - (reinterpret_cast<uintptr_t>(img->block) & 63)) & 63);
  return true;
}

// Reads the head and the first S bytes of the file. expectW/H: the sensor size the head must
// have (0: any).
bool readImage(const char* path, uint32_t expectW, uint32_t expectH, Image* img, uint64_t* fileLength) {
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return false;
  uint8_t head[kCaliHeadSize];
  bool ok = caliReadAt(f, 0, head, sizeof head) == 0 && parseCaliHead(head, &img->lay) == 0 &&
            length >= img->lay.minSize;
  if (ok && expectW && (img->lay.width != expectW || img->lay.height != expectH)) ok = false;
  if (ok) ok = allocImage(img, img->lay.minSize);
  if (ok) ok = caliReadAt(f, 0, img->data, img->lay.minSize) == 0;
  std::fclose(f);
  if (!ok) {
    caliRelease(img->block);
    img->block = img->data = nullptr;
  }
  if (fileLength) *fileLength = length;
  return ok;
}

// Copies the head, the environment and point tables, every plane's window rows and the base LUT
// tables into a new image of the window size without own repair entries.
bool cropImage(const Image& src, uint32_t ww, uint32_t wh, Image* dst) {
  if (relayoutCaliHead(src.lay, ww, wh, &dst->lay) != 0 || !allocImage(dst, dst->lay.minSize)) return false;
  const CaliLayout& s = src.lay;
  const CaliLayout& d = dst->lay;
  std::memcpy(dst->data, src.data, s.rawOff);  // head, tables 1 and 2
  const uint16_t w16 = uint16_t(ww), h16 = uint16_t(wh), zero = 0;
  std::memcpy(dst->data + 36, &w16, 2);
  std::memcpy(dst->data + 38, &h16, 2);
  std::memcpy(dst->data + 46, &zero, 2);
  const uint64_t x0 = (s.width - ww) / 2, y0 = (s.height - wh) / 2;
  auto copyPlanes = [&](uint64_t srcOff, uint64_t dstOff, uint64_t planes, uint64_t elem) {
    for (uint64_t k = 0; k < planes; ++k) {
      const uint8_t* sp = src.data + srcOff + k * s.pixels * elem;
      uint8_t* dp = dst->data + dstOff + k * d.pixels * elem;
      for (uint64_t y = 0; y < wh; ++y) {
        std::memcpy(dp + y * ww * elem, sp + ((y0 + y) * s.width + x0) * elem, ww * elem);
      }
    }
  };
  copyPlanes(s.rawOff, d.rawOff, uint64_t(s.envCount) * s.bbCount, 2);
  copyPlanes(s.segOff, d.segOff, uint64_t(s.envCount) * (s.bbCount - 1), 4);
  std::memcpy(dst->data + d.lutBpOff, src.data + s.lutBpOff, s.minSize - s.lutBpOff);
  return true;
}

// The file's own entries, copied to aligned memory; null with count 0 when there are none.
CompEntry* copyOwnEntries(const Image& img, bool* ok) {
  *ok = true;
  if (img.lay.badCount == 0) return nullptr;
  auto* e = static_cast<CompEntry*>(caliAlloc(img.lay.badCount * sizeof(CompEntry)));
  if (!e) {
    *ok = false;
    return nullptr;
  }
  std::memcpy(e, img.data + img.lay.compOff, img.lay.badCount * sizeof(CompEntry));
  return e;
}

CaliContext* newContext(const Image& img) {
  auto* c = static_cast<CaliContext*>(caliAlloc(sizeof(CaliContext)));
  if (!c) return nullptr;
  std::memset(c, 0, sizeof *c);
  const CaliLayout& l = img.lay;
  c->imageBlock = img.block;
  c->image = img.data;
  c->imageSize = l.minSize;
  c->lay = l;
  c->envTable = reinterpret_cast<const int16_t*>(img.data + l.envOff);
  c->fpa = reinterpret_cast<int32_t*>(img.data + l.pointOff);
  c->shell = c->fpa + l.envCount;
  c->raw = reinterpret_cast<const int16_t*>(img.data + l.rawOff);
  c->seg = reinterpret_cast<const SegEntry*>(img.data + l.segOff);
  c->lutBp = reinterpret_cast<const int16_t*>(img.data + l.lutBpOff);
  c->lutSeg = reinterpret_cast<const SegEntry*>(img.data + l.lutSegOff);
  c->P = uint32_t(l.pixels);
  c->E = l.envCount;
  c->B = l.bbCount;
  c->shift = l.shift;
  c->scale = int32_t(l.scale);
  c->c0 = l.c0;
  c->tempOffset = l.scale ? -(l.c0 / int32_t(l.scale)) : 0;
  return c;
}

bool axisRising(const int32_t* v, uint32_t n) {
  for (uint32_t i = 1; i < n; ++i) {
    if (v[i] <= v[i - 1]) return false;
  }
  return true;
}

bool allocTables(CaliContext* c) {
  const uint64_t planes = 2ull * c->B - 3, P = c->P;
  const uint64_t bpBytes = planes * P * 2, segBytes = planes * P * 4;
  // Two sets, six LUTs and slack after the last LUT for the vector kernels' 32-bit reads.
  const uint64_t total = 2 * (bpBytes + segBytes) + 6 * kLutEntries * 2 + 64;
  if (total > SIZE_MAX) return false;
  c->tableBlock = static_cast<uint8_t*>(caliAlloc(size_t(total)));
  if (!c->tableBlock) return false;
  uint8_t* p = c->tableBlock;
  for (int s = 0; s < 2; ++s) {
    c->segs[s] = reinterpret_cast<SegEntry*>(p);
    p += segBytes;
  }
  for (int s = 0; s < 2; ++s) {
    c->bp[s] = reinterpret_cast<int16_t*>(p);
    std::memset(p, 0, bpBytes);
    p += bpBytes;
  }
  std::memset(c->segs[0], 0, 2 * segBytes);
  int16_t** luts[6] = {&c->lutBase, &c->lutEmi, &c->lutTrans, &c->lutDist, &c->lutCust, &c->lutFinal};
  for (int16_t** l : luts) {
    *l = reinterpret_cast<int16_t*>(p) + 32768;
    identityLut16(*l);
    p += kLutEntries * 2;
  }
  std::memset(p, 0, 64);
  for (int s = 0; s < 2; ++s) std::fill_n(c->bp[s] + (planes - 1) * P, P, int16_t(0x7fff));
  caliSetStepPlan(c);
  c->active = 0;
  caliBuildBaseLut(c);
  c->windowTrans = 1.0;
  c->windowTempOffset = 0;
  c->dirty = 0;
  return true;
}

// A compensation file written for this calibration; anything wrong leaves no entries.
void loadCompFile(CaliContext* c, const char* path) {
  if (!path || !*path) return;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return;
  uint8_t head[kCaliHeadSize];
  bool ok = caliReadAt(f, 0, head, sizeof head) == 0;
  uint16_t w = 0, h = 0, n = 0;
  if (ok) {
    std::memcpy(&w, head + 36, 2);
    std::memcpy(&h, head + 38, 2);
    std::memcpy(&n, head + 40, 2);
    ok = std::strncmp(reinterpret_cast<const char*>(head), reinterpret_cast<const char*>(c->image), 32) == 0 &&
         w == c->lay.width && h == c->lay.height && length == kCaliHeadSize + 40ull * n && n > 0;
  }
  CompEntry* e = nullptr;
  if (ok) {
    e = static_cast<CompEntry*>(caliAlloc(n * sizeof(CompEntry)));
    ok = e && caliReadAt(f, kCaliHeadSize, e, n * sizeof(CompEntry)) == 0 && compEntriesValid(e, n, c->P);
  }
  std::fclose(f);
  if (!ok) {
    caliRelease(e);
    return;
  }
  c->entries = e;
  c->entryCount = n;
}

// Own bad pixels (sensor coordinates, from the uncropped file) and the list's points, kept when
// inside the window and moved to window coordinates; processed into the object's entries.
void mergeBadPoints(CaliContext* c, const Image& sensor, const CaliCreateInfo* info, uint32_t x0, uint32_t y0,
                    uint32_t ww, uint32_t wh) {
  const uint32_t W = sensor.lay.width, H = sensor.lay.height;
  bool ownOk = true;
  CompEntry* own = copyOwnEntries(sensor, &ownOk);
  uint32_t ownCount = own && compEntriesValid(own, sensor.lay.badCount, sensor.lay.pixels) ? sensor.lay.badCount : 0;

  uint8_t* list = nullptr;
  int32_t listCount = 0;
  if (info->pointPath && *info->pointPath) {
    uint64_t length = 0;
    if (FILE* f = caliOpen(info->pointPath, &length)) {
      ostrel::alg::ComPointFileHead head{};
      if (length >= 44 && caliReadAt(f, 0, &head, 44) == 0 && head.pointCount > 0 &&
          length == 44 + 4ull * uint64_t(head.pointCount) && length <= (64u << 20)) {
        list = static_cast<uint8_t*>(caliAlloc(size_t(length)));
        if (list && caliReadAt(f, 0, list, length) == 0) {
          listCount = head.pointCount;
          const auto* pts = reinterpret_cast<const ostrel::alg::ComPoint*>(list + 44);
          for (int32_t i = 0; i < listCount; ++i) {
            if (pts[i].x >= W || pts[i].y >= H) listCount = 0;  // one point outside drops the list
          }
        }
      }
      std::fclose(f);
    }
  }

  const uint64_t total = uint64_t(ownCount) + uint64_t(listCount);
  auto* pts = total ? static_cast<uint16_t*>(caliAlloc(size_t(total) * 4)) : nullptr;
  int32_t kept = 0;
  auto keep = [&](uint32_t x, uint32_t y) {
    if (x < x0 || y < y0 || x >= x0 + ww || y >= y0 + wh) return;
    pts[2 * kept] = uint16_t(x - x0);
    pts[2 * kept + 1] = uint16_t(y - y0);
    ++kept;
  };
  if (pts) {
    for (uint32_t i = 0; i < ownCount; ++i) keep(own[i].pixel % W, own[i].pixel / W);
    const auto* lp = list ? reinterpret_cast<const ostrel::alg::ComPoint*>(list + 44) : nullptr;
    for (int32_t i = 0; i < listCount; ++i) keep(lp[i].x, lp[i].y);
  }
  if (kept > 0) {
    CompEntry* entries = nullptr;
    const int n = comProcessPoints(int32_t(ww), int32_t(wh), pts, kept, &entries);
    if (n > 0) {
      c->entries = entries;
      c->entryCount = uint32_t(n);
    }
  }
  caliRelease(pts);
  caliRelease(list);
  caliRelease(own);
}

void startTemperatures(CaliContext* c, int32_t startFpa) {
  int32_t fpa = startFpa, shell = startFpa;
  if (startFpa >= kMiddleOfRange) {
    fpa = int32_t((int64_t(c->fpa[0]) + c->fpa[c->E - 1]) / 2);
    shell = int32_t((int64_t(c->shell[0]) + c->shell[c->E - 1]) / 2);
  }
  Cali_InitEnvWhole(c, fpa, shell);
}

}  // namespace

extern "C" OSTREL_API CaliContext* Cali_Create(const char* path, const char* compPath, const FixInfoRecord* fixInfo,
                                               int32_t startFpa) {
  if (!path || !fixInfo) return nullptr;
  Image img;
  if (!readImage(path, 0, 0, &img, nullptr)) return nullptr;
  CaliContext* c = newContext(img);
  if (!c) {
    caliRelease(img.block);
    return nullptr;
  }
  bool ok = c->scale != 0 && axisRising(c->fpa, c->E);
  if (ok) {
    c->ownEntries = copyOwnEntries(img, &ok);
    c->ownCount = c->ownEntries ? img.lay.badCount : 0;
    ok = ok && compEntriesValid(c->ownEntries, c->ownCount, c->P);
  }
  ok = ok && allocTables(c);
  if (ok) {
    loadCompFile(c, compPath);
    c->nst = Nst_Create(c, path);
    c->fixTrans = FixTrans_Create(0);
    c->fixDist = FixDist_Create();
    ok = c->fixTrans && c->fixDist;
  }
  if (!ok) {
    Cali_Free(&c);
    return nullptr;
  }
  Cali_SetFixInfo(c, fixInfo);
  startTemperatures(c, startFpa);
  return c;
}

extern "C" OSTREL_API CaliContext* Cali_CreateX(const CaliCreateInfo* info) {
  if (!info || !info->caliPath || !info->fixInfo || !info->sensorWidth || !info->sensorHeight) return nullptr;
  Image sensor;
  if (!readImage(info->caliPath, info->sensorWidth, info->sensorHeight, &sensor, nullptr)) return nullptr;
  const uint32_t W = sensor.lay.width, H = sensor.lay.height;
  uint32_t ww = W, wh = H, x0 = 0, y0 = 0;
  Image img = sensor;
  if (uint64_t(info->windowWidth) * info->windowHeight < uint64_t(W) * H) {
    ww = info->windowWidth;
    wh = info->windowHeight;
    // A window with one side past the sensor's would start left of or above it.
    if (ww == 0 || wh == 0 || ww > W || wh > H) {
      caliRelease(sensor.block);
      return nullptr;
    }
    x0 = (W - ww) / 2;
    y0 = (H - wh) / 2;
    img = Image{};
    if (!cropImage(sensor, ww, wh, &img)) {
      caliRelease(sensor.block);
      return nullptr;
    }
  }
  CaliContext* c = newContext(img);
  if (!c) {
    if (img.block != sensor.block) caliRelease(img.block);
    caliRelease(sensor.block);
    return nullptr;
  }
  c->band = info->band == 1 ? 1 : 0;
  if (info->useShellAxis) std::memcpy(c->fpa, c->shell, c->E * sizeof(int32_t));
  bool ok = c->scale != 0 && axisRising(c->fpa, c->E);
  if (ok && img.block == sensor.block) {
    // Uncropped: the image keeps its own entries; used when they are valid.
    bool copied = true;
    c->ownEntries = copyOwnEntries(img, &copied);
    c->ownCount = c->ownEntries && compEntriesValid(c->ownEntries, img.lay.badCount, c->P) ? img.lay.badCount : 0;
    ok = copied;
  }
  if (ok) mergeBadPoints(c, sensor, info, x0, y0, ww, wh);
  if (img.block != sensor.block) caliRelease(sensor.block);
  ok = ok && allocTables(c);
  if (ok) {
    c->nst = Nst_CreateX(c, info);
    c->fixTrans = FixTrans_Create(c->band);
    c->fixDist = FixDist_Create();
    ok = c->fixTrans && c->fixDist;
  }
  if (!ok) {
    Cali_Free(&c);
    return nullptr;
  }
  Cali_SetFixInfo(c, info->fixInfo);
  startTemperatures(c, info->startFpa);
  return c;
}

extern "C" OSTREL_API void Cali_Free(CaliContext** ctx) {
  if (!ctx || !*ctx) return;
  CaliContext* c = *ctx;
  caliRelease(c->imageBlock);
  caliRelease(c->tableBlock);
  caliRelease(c->ownEntries);
  caliRelease(c->entries);
  Nst_Free(&c->nst);
  FixTrans_Free(&c->fixTrans);
  FixDist_Free(&c->fixDist);
  caliRelease(c);
  *ctx = nullptr;
}
