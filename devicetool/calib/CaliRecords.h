// The calibration tables the device tool exchanges with a camera as memory blocks and keeps as
// local files: custom correction (blocks 3 and 4), lens table (block 5), distance table (block 7),
// and the bad-point list file. All little-endian; the SDK's readers take the same bytes, and it has
// no public structs for them, so the layouts are fixed here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace calirec {

#pragma pack(push, 1)
struct CustPoint {
  float blackbody;
  float temp;
  uint8_t unused[16];
};
struct CustCorrRecord {
  uint64_t filetime;  // last upload, 100-ns ticks since 1601-01-01 UTC
  char note[256];     // UTF-8, NUL-terminated
  uint8_t unused264[4];
  int32_t count;  // points in use, 0..16
  CustPoint points[16];
};

struct WeiJuEntry {
  float blackbody;
  float temp;
  float unused;
};
struct WeiJuRecord {
  uint32_t tag;  // kWeiJuTag
  uint8_t zero4[32];
  uint8_t caliMode;  // 1 first stage, 2 lens 1 second stage, 3 lens 2 second stage
  uint8_t len1EnvCount;
  uint8_t len1BbCount;
  uint8_t len2BbCount;
  float len1Shell[4];
  uint8_t zero56[72];
  WeiJuEntry len1[4][16];  // one table per shell temperature
  WeiJuEntry len2[16];
};

struct FixDistEntry {
  float blackbody;
  float temp;
};
struct FixDistRecord {
  uint8_t zero0[264];
  int32_t distCount;
  int32_t bbCount;
  int32_t dist[5];
  FixDistEntry table[5][10];  // one table per distance
  uint8_t zero692[4];
};
#pragma pack(pop)

static_assert(sizeof(CustPoint) == 24);
static_assert(sizeof(CustCorrRecord) == 656);
static_assert(offsetof(CustCorrRecord, note) == 8);
static_assert(offsetof(CustCorrRecord, count) == 268);
static_assert(offsetof(CustCorrRecord, points) == 272);

static_assert(sizeof(WeiJuRecord) == 1088);
static_assert(offsetof(WeiJuRecord, caliMode) == 36);
static_assert(offsetof(WeiJuRecord, len2BbCount) == 39);
static_assert(offsetof(WeiJuRecord, len1Shell) == 40);
static_assert(offsetof(WeiJuRecord, len1) == 128);
static_assert(offsetof(WeiJuRecord, len2) == 896);

static_assert(sizeof(FixDistRecord) == 696);
static_assert(offsetof(FixDistRecord, distCount) == 264);
static_assert(offsetof(FixDistRecord, bbCount) == 268);
static_assert(offsetof(FixDistRecord, dist) == 272);
static_assert(offsetof(FixDistRecord, table) == 292);

inline constexpr int kCustBlockFirst = 3, kCustBlockSecond = 4, kWeiJuBlock = 5, kFixDistBlock = 7;
inline constexpr uint32_t kWeiJuTag = 20250224;
inline constexpr int kCustPoints = 16, kWeiJuRows = 16, kWeiJuShells = 4, kFixDistRows = 10, kFixDistDists = 5;

// Bad-point list: char id[32], i32 width, i32 height, i32 count, then count x (u16 x, u16 y).
inline constexpr size_t kComHead = 44;
inline constexpr int kComMaxPoints = 4096;
inline constexpr size_t kComMaxSize = kComHead + 4 * size_t(kComMaxPoints);  // 16428

// Reads a file that must hold exactly `length` bytes into `out`: 0; -200 cannot be opened; -198
// shorter; -194 longer. On failure `out` is untouched (the bytes go through a scratch buffer).
int readFileExact(const std::string& path, void* out, size_t length);

// A lens or distance table file is taken only with the right tag (lens) and counts in range.
bool weijuFileValid(const WeiJuRecord& r);
bool fixdistFileValid(const FixDistRecord& r);

// A table file into `image`, taken whole or not at all: readFileExact's codes, -194 when `valid`
// refuses the content.
template <typename Rec>
int loadTableFile(const std::string& path, Rec* image, bool (*valid)(const Rec&)) {
  Rec scratch;
  const int r = readFileExact(path, &scratch, sizeof scratch);
  if (r < 0) return r;
  if (!valid(scratch)) return -194;
  *image = scratch;
  return 0;
}

}  // namespace calirec
