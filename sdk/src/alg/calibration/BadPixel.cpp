// Bad-pixel compensation: repair entries from a bad-point list, the compensation file and the
// point file check.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "alg/calibration/CaliInternal.h"
#include "foundation/Helpers.h"
#include "alg/radiometry/CalibrationRecords.h"

namespace ostrel::alg {

namespace {

constexpr int kStageMemory = -3, kStageMaps = -4, kStageRepair = -5, kStageWaves = -6;
constexpr uint64_t kMaxMapPixels = uint64_t(1) << 26;
constexpr int32_t kMaxListPoints = 1 << 24;

// Heap array through the family's allocator, so failure tests reach every allocation.
template <typename T>
struct Buf {
  T* p = nullptr;
  explicit Buf(uint64_t n) {
    if (n <= SIZE_MAX / sizeof(T)) p = static_cast<T*>(caliAlloc(size_t(n ? n : 1) * sizeof(T)));
  }
  ~Buf() { caliRelease(p); }
  Buf(const Buf&) = delete;
  Buf& operator=(const Buf&) = delete;
  T* release() {
    T* r = p;
    p = nullptr;
    return r;
  }
};

}  // namespace

int comProcessPoints(int32_t width, int32_t height, const uint16_t* points, int32_t count, CompEntry** out) {
  *out = nullptr;
  if (count <= 0) return 0;
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxMapPixels || count > kMaxListPoints) {
    return kStageMaps;
  }
  const int64_t W = width, H = height, BW = W + 2;
  const uint64_t P = uint64_t(W * H);
  Buf<uint8_t> plain(P);
  Buf<int32_t> bordered{uint64_t(BW) * (H + 2)};
  if (!plain.p || !bordered.p) return kStageMemory;
  std::memset(plain.p, 0, P);
  std::memset(bordered.p, 0, uint64_t(BW) * (H + 2) * sizeof(int32_t));
  int32_t* bm = bordered.p;
  for (int64_t x = 0; x < BW; ++x) bm[x] = bm[(H + 1) * BW + x] = 1;
  for (int64_t y = 0; y < H + 2; ++y) bm[y * BW] = bm[y * BW + W + 1] = 1;
  for (int32_t i = 0; i < count; ++i) {
    const int64_t x = points[2 * i], y = points[2 * i + 1];
    if (x >= W || y >= H) return kStageMaps;
    plain.p[y * W + x] = 1;
    bm[(y + 1) * BW + x + 1] = 1;
  }
  const int64_t nOff[8] = {-BW - 1, -BW, -BW + 1, -1, 1, BW - 1, BW, BW + 1};
  // Bad cells in row-major order, as positions in the bordered map.
  Buf<int64_t> cells{uint64_t(count)};
  if (!cells.p) return kStageMemory;
  int64_t nBad = 0;
  try {
    std::vector<int64_t> tmp;
    for (int32_t i = 0; i < count; ++i) tmp.push_back((int64_t(points[2 * i + 1]) + 1) * BW + points[2 * i] + 1);
    std::sort(tmp.begin(), tmp.end());
    tmp.erase(std::unique(tmp.begin(), tmp.end()), tmp.end());
    std::copy(tmp.begin(), tmp.end(), cells.p);
    nBad = int64_t(tmp.size());
  } catch (const std::bad_alloc&) {
    return kStageMemory;
  }
  for (int64_t i = 0; i < nBad; ++i) {
    int32_t v = 1;
    for (int64_t o : nOff) v += bm[cells.p[i] + o] == 0;
    bm[cells.p[i]] = v;
  }
  Buf<CompEntry> emitted{uint64_t(nBad)};
  Buf<int64_t> snapshot{uint64_t(nBad)};
  if (!emitted.p || !snapshot.p) return kStageMemory;
  auto pixelOf = [&](int64_t cell) { return uint32_t((cell / BW - 1) * W + (cell % BW - 1)); };
  int64_t remaining = nBad, nEmitted = 0;
  while (remaining > 0) {
    int32_t d = 0;
    for (int64_t i = 0; i < remaining; ++i) d = std::max(d, bm[cells.p[i]]);
    // Only bad cells without any good neighbour are left: there is nothing to average from.
    if (d <= 1) return kStageRepair;
    int64_t nSnap = 0, kept = 0;
    for (int64_t i = 0; i < remaining; ++i) {
      if (bm[cells.p[i]] == d) {
        snapshot.p[nSnap++] = cells.p[i];
      } else {
        cells.p[kept++] = cells.p[i];
      }
    }
    remaining = kept;
    for (int64_t s = 0; s < nSnap; ++s) {
      const int64_t cell = snapshot.p[s];
      CompEntry& e = emitted.p[nEmitted++];
      std::memset(&e, 0, sizeof e);
      e.pixel = pixelOf(cell);
      for (int64_t o : nOff) {
        if (bm[cell + o] == 0) {
          e.neighbour[e.n++] = pixelOf(cell + o);
        } else {
          ++bm[cell + o];  // it gains a good neighbour
        }
      }
      bm[cell] = 0;
    }
  }
  // Waves: entries by pixel index, each taken once every neighbour it reads is good.
  std::sort(emitted.p, emitted.p + nEmitted, [](const CompEntry& a, const CompEntry& b) { return a.pixel < b.pixel; });
  Buf<CompEntry> result{uint64_t(nEmitted)};
  Buf<uint8_t> taken{uint64_t(nEmitted)};
  if (!result.p || !taken.p) return kStageMemory;
  std::memset(taken.p, 0, size_t(nEmitted));
  int64_t nOut = 0;
  while (nOut < nEmitted) {
    const int64_t before = nOut;
    for (int64_t i = 0; i < nEmitted; ++i) {
      if (taken.p[i]) continue;
      const CompEntry& e = emitted.p[i];
      bool ready = true;
      for (uint32_t j = 0; j < e.n && ready; ++j) ready = plain.p[e.neighbour[j]] == 0;
      if (!ready) continue;
      taken.p[i] = 1;
      plain.p[e.pixel] = 0;
      result.p[nOut++] = e;
    }
    if (nOut == before) return kStageWaves;
  }
  *out = result.release();
  return int(nOut);
}

}  // namespace ostrel::alg

using namespace ostrel::alg;
using ostrel::alg::ComPointFileHead;

extern "C" OSTREL_API int Com_ProcessX(const void* list, CompEntry** entries) {
  if (!entries) return 0;
  *entries = nullptr;
  if (!list) return 0;
  ComPointFileHead head;
  std::memcpy(&head, list, sizeof head);
  if (head.pointCount <= 0 || head.pointCount > kMaxListPoints) return 0;
  Buf<uint16_t> pts(uint64_t(head.pointCount) * 2);
  if (!pts.p) return 0;
  std::memcpy(pts.p, static_cast<const uint8_t*>(list) + sizeof head, size_t(head.pointCount) * 4);
  const int n = comProcessPoints(head.width, head.height, pts.p, head.pointCount, entries);
  return n > 0 ? n : 0;
}

namespace {

constexpr int32_t kMaxProcessPoints = 1024, kMaxCheckPoints = 500;

// Reads a bad-point list for Com_Process: 0, or -2 for anything unreadable or invalid.
int readPointList(const char* path, ComPointFileHead* head, std::vector<uint16_t>* pts) {
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return -2;
  int rc = length >= sizeof *head && caliReadAt(f, 0, head, sizeof *head) == 0 ? 0 : -2;
  const int32_t n = rc == 0 ? std::max(head->pointCount, 0) : 0;
  if (rc == 0 && (head->pointCount > kMaxProcessPoints || length != sizeof *head + 4ull * uint64_t(n))) rc = -2;
  if (rc == 0 && n > 0) {
    pts->resize(size_t(n) * 2);
    if (caliReadAt(f, sizeof *head, pts->data(), uint64_t(n) * 4) != 0) rc = -2;
    for (int32_t i = 0; rc == 0 && i < n; ++i) {
      if ((*pts)[2 * i] >= head->width || (*pts)[2 * i + 1] >= head->height) rc = -2;
    }
  }
  std::fclose(f);
  return rc;
}

}  // namespace

namespace {
int comProcessFiles(const CaliContext* cali, const char* listPath, const char* outPath);
}

extern "C" OSTREL_API int Com_Process(const CaliContext* cali, const char* listPath, const char* outPath) {
  try {
    return comProcessFiles(cali, listPath, outPath);
  } catch (const std::bad_alloc&) {
    return kStageMemory;
  }
}

namespace {

int comProcessFiles(const CaliContext* cali, const char* listPath, const char* outPath) {
  if (!cali) return -1;
  if (!listPath) return -2;
  ComPointFileHead head{};
  std::vector<uint16_t> listed;
  if (readPointList(listPath, &head, &listed) != 0) return -2;
  if (std::strncmp(head.identity, reinterpret_cast<const char*>(cali->image), 32) != 0 ||
      uint32_t(head.width) != cali->lay.width || uint32_t(head.height) != cali->lay.height) {
    return -1;
  }
  const uint32_t W = cali->lay.width;
  const int32_t n = int32_t(listed.size() / 2);
  std::vector<uint32_t> own(cali->ownCount);
  for (uint32_t i = 0; i < cali->ownCount; ++i) own[i] = cali->ownEntries[i].pixel;
  std::sort(own.begin(), own.end());
  bool anyNew = false;
  for (int32_t i = 0; i < n && !anyNew; ++i) {
    anyNew = !std::binary_search(own.begin(), own.end(), uint32_t(listed[2 * i + 1]) * W + listed[2 * i]);
  }
  if (!anyNew) {
    if (cali->entryCount > 0 && outPath) std::remove(outPath);
    return 0;
  }
  if (!outPath) return -7;
  std::vector<uint16_t> merged;
  merged.reserve(size_t(cali->ownCount + n) * 2);
  for (uint32_t i = 0; i < cali->ownCount; ++i) {
    merged.push_back(uint16_t(cali->ownEntries[i].pixel % W));
    merged.push_back(uint16_t(cali->ownEntries[i].pixel / W));
  }
  merged.insert(merged.end(), listed.begin(), listed.end());
  CompEntry* entries = nullptr;
  const int count = comProcessPoints(int32_t(W), int32_t(cali->lay.height), merged.data(),
                                     int32_t(merged.size() / 2), &entries);
  if (count < 0) return count;
  if (count == 0 || count > 0xffff) {
    caliRelease(entries);
    return kStageWaves;
  }
  std::vector<uint8_t> file(kCaliHeadSize + size_t(count) * sizeof(CompEntry), 0);
  const char* id = reinterpret_cast<const char*>(cali->image);
  for (size_t i = 0; i < 32 && id[i]; ++i) file[i] = uint8_t(id[i]);
  const uint16_t w16 = uint16_t(W), h16 = uint16_t(cali->lay.height), n16 = uint16_t(count);
  std::memcpy(file.data() + 36, &w16, 2);
  std::memcpy(file.data() + 38, &h16, 2);
  std::memcpy(file.data() + 40, &n16, 2);
  std::memcpy(file.data() + kCaliHeadSize, entries, size_t(count) * sizeof(CompEntry));
  caliRelease(entries);
  return ostrel::fileWriteAll(outPath, file.data(), file.size()) == 1 ? 0 : -7;
}

}  // namespace

extern "C" OSTREL_API int Com_CheckFile(const char* path, const void* check) {
  if (!path || !check) return OSTREL_E_ARGUMENT;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return OSTREL_E_OPEN;
  ComPointFileHead head;
  int rc = caliReadAt(f, 0, &head, sizeof head) == 0 ? 0 : OSTREL_E_READ;
  int32_t cw = 0, ch = 0;
  std::memcpy(&cw, static_cast<const uint8_t*>(check) + 32, 4);
  std::memcpy(&ch, static_cast<const uint8_t*>(check) + 36, 4);
  // The check record carries the camera id at byte 0; both compare from byte 5 over 27.
  if (rc == 0 && (std::strncmp(head.identity + 5, static_cast<const char*>(check) + 5, 27) != 0 ||
                  head.width != cw || head.height != ch || head.pointCount < 0 ||
                  head.pointCount > kMaxCheckPoints)) {
    rc = OSTREL_E_FRAME_HEADER;
  }
  ostrel::alg::ComPoint pts[kMaxCheckPoints];
  const size_t n = rc == 0 ? size_t(head.pointCount) : 0;
  if (rc == 0 && caliReadAt(f, sizeof head, pts, n * 4) != 0) rc = OSTREL_E_READ;
  std::fclose(f);
  for (size_t i = 0; rc == 0 && i < n; ++i) {
    if (pts[i].x >= head.width || pts[i].y >= head.height) rc = OSTREL_E_MISMATCH;
  }
  return rc;
}
