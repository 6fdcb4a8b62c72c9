// The calibration object and the file layout shared by the calibration sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "OstrelSDK.h"

namespace ostrel::alg {

constexpr size_t kCaliHeadSize = 128;
constexpr size_t kCustRecordSize = 656;
constexpr const char* kCaliSource = "Alg\\IRCali_Cali";

// Layout of a calibration file derived from its head. Every size is 64-bit; a head whose tables
// cannot be addressed (or would not fit 32 bits) is refused by parseCaliHead.
struct CaliLayout {
  uint32_t width, height;
  uint32_t envCount, bbCount;  // E, B
  uint32_t scale;
  int32_t c0;
  uint32_t badCount;  // K
  uint32_t shift;
  uint32_t lutCount, lutShift;  // L
  uint64_t pixels;              // P
  uint64_t envOff, pointOff, rawOff, segOff, compOff, lutBpOff, lutSegOff;
  uint64_t minSize;  // S
};

// Reads the 128-byte head: 0, or -11 for a head that cannot describe a usable file (fewer than
// 2 calibration or blackbody points, no pixel, a segment shift of 32 or more, a minimum size past
// 32 bits).
int parseCaliHead(const uint8_t* head, CaliLayout* out);
// The layout of the same head with another pixel grid and K = 0 (the cropped image).
int relayoutCaliHead(const CaliLayout& in, uint32_t width, uint32_t height, CaliLayout* out);

struct SegEntry {
  uint16_t slope;
  int16_t offset;
};
static_assert(sizeof(SegEntry) == 4);

// Entries are valid when every pixel and neighbour is below `pixels` and n is 1..8.
bool compEntriesValid(const CompEntry* e, size_t count, uint64_t pixels);

}  // namespace ostrel::alg

struct CaliContext {
  // File image (64-byte aligned inside imageBlock) and views into it.
  uint8_t* imageBlock;
  uint8_t* image;
  uint64_t imageSize;
  ostrel::alg::CaliLayout lay;
  const int16_t* envTable;
  int32_t* fpa;    // E values, m°C
  int32_t* shell;  // E values, m°C
  const int16_t* raw;
  const ostrel::alg::SegEntry* seg;
  const int16_t* lutBp;
  const ostrel::alg::SegEntry* lutSeg;
  CompEntry* ownEntries;  // aligned copy of the file's own entries
  uint32_t ownCount;

  uint32_t P, E, B, shift;
  int32_t scale, c0;
  int32_t tempOffset;
  uint8_t band;

  int32_t dirty;
  int32_t lastFpa, lastShell;

  // Per-pixel table sets, plane-major: breakpoint plane j of set s at bp[s] + j * P
  // (2B-4 planes and the 0x7fff sentinel), segment plane m at seg[s] + m * P (2B-3 planes).
  uint8_t* tableBlock;
  int16_t* bp[2];
  ostrel::alg::SegEntry* segs[2];
  uint8_t active;
  uint16_t steps, stepsDone;
  uint32_t perStep;
  uint32_t stepSegment;
  int64_t stepWeight;  // << 10

  // LUT pointers at code 0.
  int16_t* lutBase;
  int16_t* lutEmi;
  int16_t* lutTrans;
  int16_t* lutDist;
  int16_t* lutCust;
  int16_t* lutFinal;

  double windowTrans;
  int32_t windowTempOffset;
  int32_t targetDistance;
  uint8_t distRefresh;

  CompEntry* entries;  // loaded from a compensation file or built from a bad-point list
  uint32_t entryCount;

  NstContext* nst;
  FixTransContext* fixTrans;
  FixDistContext* fixDist;

  uint8_t cust[ostrel::alg::kCustRecordSize];
};

struct NstContext {
  CaliContext* cali;
  uint8_t flags;  // bit 1: recompute at the next frame
  int32_t lastFpa;
  uint16_t counter;
  uint16_t lastCounter;
  int32_t threshold;
  uint32_t P, E;
  int16_t* planes;   // E planes of P, inside this block
  int16_t* current;  // P
  int64_t* means;    // E
  uint32_t* order;   // E
};

namespace ostrel::alg {

// Heap blocks of the calibration family come from the frame algorithms' allocator, so failure
// tests can make any of them fail.
void* caliAlloc(size_t bytes);
void caliRelease(void* p);

// Opens with the UTF-8 path; the length through *length. Null when it cannot be opened.
FILE* caliOpen(const char* path, uint64_t* length);
// Reads exactly n bytes at offset: 0, -193 seek, -198 short.
int caliReadAt(FILE* f, uint64_t offset, void* dst, uint64_t n);

// Environment update internals.
void caliReinterpolateRange(CaliContext* ctx, int set, uint32_t k, int64_t w, uint64_t begin, uint64_t end);
void caliInterpAt(const CaliContext* ctx, int32_t fpaTemp, uint32_t* k, int64_t* w);
int caliRebuildFinalLut(CaliContext* ctx, int32_t shellTemp);
// The transmittance LUT for the shell temperature and a pending distance LUT refresh: the part of
// the final LUT rebuild every composition shares.
void caliRefreshCorrLuts(CaliContext* ctx, int32_t shellTemp);

// A final LUT composition other than the calibration's own, with the log source and function
// name of its environment update.
struct FinalLutBuilder {
  int (*rebuild)(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp, void* user);
  void* user;
  const char* source;
  const char* function;
};
// Cali_InitEnv and Cali_InitEnvWhole with another composition (null: the calibration's own).
int caliInitEnvWith(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp, const FinalLutBuilder* b);
void caliInitEnvWholeWith(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp, const FinalLutBuilder* b);
void caliBuildBaseLut(CaliContext* ctx);
void caliSetStepPlan(CaliContext* ctx);

// Bad-pixel list processing shared by Com_ProcessX and Com_Process: the entry count (> 0) and a
// new block, or a negative stage code (-3 memory, -4 maps, -5 repair order, -6 wave order).
int comProcessPoints(int32_t width, int32_t height, const uint16_t* points, int32_t count, CompEntry** out);

// The half-built non-uniformity object (no calibration) is refused here; used by both Create
// functions. Repairs and averages the planes.
void nstPrepare(NstContext* nst);

}  // namespace ostrel::alg
