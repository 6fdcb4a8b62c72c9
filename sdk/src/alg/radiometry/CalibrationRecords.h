// Calibration records and point files that the device tool edits and the SDK's calibration
// loaders read. Little-endian, read whole with the exact-size reader; only the named fields are
// read by the SDK, everything else is carried as it stands.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::alg {

// A reference / measured temperature pair in degrees Celsius.
struct CaliPointPair {
  float reference;  // blackbody temperature
  float measured;
};

// Custom correction points (656 bytes). A custom table is built only for 1..16 points.
struct CustCorrRecord {
  uint8_t reserved0[268];
  int32_t pointCount;
  struct Point {
    CaliPointPair pair;
    uint8_t reserved8[16];
  } points[16];  // point p at 272 + 24*p
};

// A calibration point with an unread third value (12 bytes).
struct CaliPoint3 {
  CaliPointPair pair;
  float unused;
};

// Lens-specific calibration (1088 bytes).
struct WeiJuRecord {
  uint8_t reserved0[36];
  uint8_t caliMode;         // 1; 2 lens 1 multi-range; 3 lens 2
  uint8_t lens1RangeCount;  // at most 4
  uint8_t lens1Points;      // per range, at most 16
  uint8_t lens2Points;      // at most 16
  float lens1ShellTemp[4];  // degrees Celsius, strictly rising over the ranges
  float globalEnvTemp;      // 0..100; 0 means 20
  float globalEmissivity;   // 0..1.01, range-tested only
  uint8_t reserved64[64];
  CaliPoint3 lens1[4][16];  // range i point j at 128 + 192*i + 12*j
  CaliPoint3 lens2[16];     // point j at 896 + 12*j
};

// Distance correction (696 bytes).
struct FixDistRecord {
  uint8_t reserved0[264];
  int32_t distanceCount;        // 0..5
  int32_t blackbodyCount;       // 2..10
  int32_t distanceM[5];         // metres, strictly rising
  CaliPointPair points[5][10];  // distance k point j at 292 + 80*k + 8*j
  uint8_t reserved692[4];
};

// Second-stage calibration of an XCali block (1232 bytes).
struct XCaliCali2Record {
  uint8_t enable;
  uint8_t rangeCount;      // 1..4
  uint8_t pointsPerRange;  // at most 24; a range table needs at least 2
  uint8_t reserved3[53];
  float globalEnvTemp;       // 0..100; 0 means 20
  float globalEmissivity;    // 0..1.01, range-tested only
  float shellTemp[4];        // degrees Celsius, strictly rising
  CaliPoint3 points[4][24];  // range i point j at 80 + 288*i + 12*j
};

// Custom points of an XCali block (352 bytes).
struct XCaliCustRecord {
  uint8_t enable;
  uint8_t pointCount;  // above 16 counts as 0
  uint8_t reserved2[62];
  CaliPoint3 points[24];  // point k at 64 + 12*k
};

// Head of a ".com" bad-point file; n points (u16 x, u16 y) follow, the file is 44 + 4*n bytes.
struct ComPointFileHead {
  char identity[32];
  int32_t width;
  int32_t height;
  int32_t pointCount;
};
struct ComPoint {
  uint16_t x, y;
};

static_assert(sizeof(CustCorrRecord) == 656);
static_assert(offsetof(CustCorrRecord, pointCount) == 268);
static_assert(offsetof(CustCorrRecord, points) == 272 && sizeof(CustCorrRecord::Point) == 24);

static_assert(sizeof(WeiJuRecord) == 1088);
static_assert(offsetof(WeiJuRecord, caliMode) == 36);
static_assert(offsetof(WeiJuRecord, lens1RangeCount) == 37);
static_assert(offsetof(WeiJuRecord, lens1Points) == 38);
static_assert(offsetof(WeiJuRecord, lens2Points) == 39);
static_assert(offsetof(WeiJuRecord, lens1ShellTemp) == 40);
static_assert(offsetof(WeiJuRecord, globalEnvTemp) == 56);
static_assert(offsetof(WeiJuRecord, globalEmissivity) == 60);
static_assert(offsetof(WeiJuRecord, lens1) == 128 && sizeof(CaliPoint3) == 12);
static_assert(offsetof(WeiJuRecord, lens2) == 896);

static_assert(sizeof(FixDistRecord) == 696);
static_assert(offsetof(FixDistRecord, distanceCount) == 264);
static_assert(offsetof(FixDistRecord, blackbodyCount) == 268);
static_assert(offsetof(FixDistRecord, distanceM) == 272);
static_assert(offsetof(FixDistRecord, points) == 292);

static_assert(sizeof(XCaliCali2Record) == 1232);
static_assert(offsetof(XCaliCali2Record, globalEnvTemp) == 56);
static_assert(offsetof(XCaliCali2Record, globalEmissivity) == 60);
static_assert(offsetof(XCaliCali2Record, shellTemp) == 64);
static_assert(offsetof(XCaliCali2Record, points) == 80);

static_assert(sizeof(XCaliCustRecord) == 352);
static_assert(offsetof(XCaliCustRecord, points) == 64);

static_assert(sizeof(ComPointFileHead) == 44);
static_assert(offsetof(ComPointFileHead, width) == 32);
static_assert(offsetof(ComPointFileHead, pointCount) == 40);
static_assert(sizeof(ComPoint) == 4);

}  // namespace ostrel::alg
