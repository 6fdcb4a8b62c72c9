/* Preview records: the temperature frame head, frame statistics, preview requests. */
#ifndef OSTREL_PREVIEW_H
#define OSTREL_PREVIEW_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

#pragma pack(push, 1)
/* The 128-byte head of every temperature frame, on the wire and in files; little-endian.
 * Temperature in degrees Celsius = code / scale + offset. */
typedef struct DataFrameHead {
  uint16_t width;        /* 0: pixels per row */
  uint16_t height;       /* 2: rows */
  int32_t packedSize;    /* 4: 0 = raw codes follow, else byte length of a packed frame */
  uint8_t kind;          /* 8: 2 = temperature codes, 0 = raw detector values, 1 = converted raw */
  uint8_t reserved9;     /* 9 */
  uint16_t frameIndex;   /* 10: increases from frame to frame */
  uint16_t scale;        /* 12 */
  int16_t offset;        /* 14 */
  int32_t fpaTemp;       /* 16: detector temperature, milli-degrees Celsius */
  int32_t shellTemp;     /* 20: shell temperature, milli-degrees Celsius */
  uint8_t reserved24;    /* 24 */
  uint8_t gpioInput;     /* 25: state of the input lines */
  uint8_t inputBits;     /* 26 */
  uint8_t reserved27[5]; /* 27 */
  int64_t time;          /* 32: capture time, 100-ns ticks (FILETIME) */
  int32_t shellTempHW;   /* 40: hardware shell temperature, milli-degrees Celsius */
  uint8_t reserved44[4]; /* 44 */
  float reflectTemp;     /* 48: reflected temperature, degrees Celsius */
  float globalEmi;       /* 52: global emissivity */
  uint8_t band;          /* 56: calibration band */
  uint8_t reserved57[71];/* 57 */
} DataFrameHead;
#pragma pack(pop)

OSTREL_STATIC_ASSERT(sizeof(DataFrameHead) == 128, "DataFrameHead is 128 bytes");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, width) == 0, "width at 0");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, height) == 2, "height at 2");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, packedSize) == 4, "packedSize at 4");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, kind) == 8, "kind at 8");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, frameIndex) == 10, "frameIndex at 10");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, scale) == 12, "scale at 12");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, offset) == 14, "offset at 14");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, fpaTemp) == 16, "fpaTemp at 16");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, shellTemp) == 20, "shellTemp at 20");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, gpioInput) == 25, "gpioInput at 25");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, inputBits) == 26, "inputBits at 26");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, time) == 32, "time at 32");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, shellTempHW) == 40, "shellTempHW at 40");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, reflectTemp) == 48, "reflectTemp at 48");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, globalEmi) == 52, "globalEmi at 52");
OSTREL_STATIC_ASSERT(offsetof(DataFrameHead, band) == 56, "band at 56");

/* Statistics of one preview frame (the `extra` area of a temperature frame record). */
typedef struct FrameStats {
  uint8_t reserved[16];
  float max, min, avg; /* degrees Celsius */
  uint16_t maxX, maxY, minX, minY;
} FrameStats;
OSTREL_STATIC_ASSERT(sizeof(FrameStats) == 36, "FrameStats is 36 bytes");
OSTREL_STATIC_ASSERT(offsetof(FrameStats, max) == 16, "max at 16");
OSTREL_STATIC_ASSERT(offsetof(FrameStats, min) == 20, "min at 20");
OSTREL_STATIC_ASSERT(offsetof(FrameStats, avg) == 24, "avg at 24");
OSTREL_STATIC_ASSERT(offsetof(FrameStats, maxX) == 28, "maxX at 28");
OSTREL_STATIC_ASSERT(offsetof(FrameStats, minY) == 34, "minY at 34");

OSTREL_END_DECLS

#endif /* OSTREL_PREVIEW_H */
