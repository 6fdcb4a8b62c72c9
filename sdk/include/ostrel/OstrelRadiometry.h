/* Radiometric corrections (energy tables, transmittance, emissivity, distance, atmosphere) and the
 * measurement engine (VEZ2024_*). */
#ifndef OSTREL_RADIOMETRY_H
#define OSTREL_RADIOMETRY_H

#include "OstrelPreview.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* ---------------------------------------------------------------------------------------------
 * Measurement records
 * ------------------------------------------------------------------------------------------- */

/* Shape kinds of MeaItem.meaType. Values 8 and 12..255 cannot be measured. */
enum MeaType {
  MEA_TYPE_FRAME = 0,     /* whole frame, no points */
  MEA_TYPE_POINT = 1,     /* one point */
  MEA_TYPE_POINT3X3 = 2,  /* one point, 3x3 mean */
  MEA_TYPE_POINT_ALT = 3, /* one point */
  MEA_TYPE_LINE = 4,      /* pointCount 2..32, measured as a polyline */
  MEA_TYPE_POLYLINE = 5,  /* pointCount 2..32 */
  MEA_TYPE_ELLIPSE = 6,   /* 2 points: bounding box corners */
  MEA_TYPE_CIRCLE = 7,    /* 2 points: results use y1 = y0 + x1 - x0 */
  MEA_TYPE_RECT = 9,      /* 2 points: corners */
  MEA_TYPE_SQUARE = 10,   /* 2 points: results use y1 = y0 + x1 - x0 */
  MEA_TYPE_POLYGON = 11   /* pointCount 3..32 */
};

#pragma pack(push, 1)
typedef struct MeaPoint {
  uint16_t x, y; /* pixel column and row */
} MeaPoint;

/* A measurement shape (216 bytes, little-endian); also the slot format of stored item lists. */
typedef struct MeaItem {
  char name[64];         /* 0: zero-terminated display name; not read by the engine */
  uint32_t meaColor;     /* 64: RGB word of the item's colour */
  uint8_t meaType;       /* 68: MeaType */
  uint8_t meaFlags;      /* 69: bit 0 track high, bit 1 track low (display only) */
  uint8_t reserved70[2]; /* 70 */
  uint32_t fixEnable;    /* 72: non-zero applies the item's own emissivity */
  float fixEmi;          /* 76: the item's emissivity */
  float fixReflectTemp;  /* 80: reflected temperature, degrees Celsius (stored, not used) */
  uint8_t reserved84;    /* 84 */
  uint8_t use3x3;        /* 85: non-zero replaces max and min by the 3x3 mean around them */
  uint8_t pointCount;    /* 86 */
  uint8_t reserved87;    /* 87 */
  MeaPoint points[32];   /* 88 */
} MeaItem;

/* Statistics of one item on one frame (24 bytes). */
typedef struct MeaResult {
  uint8_t reserved0[4]; /* 0: never written by the engine */
  float max;            /* 4: degrees Celsius (raw codes when the frame's scale is 0) */
  float avg;            /* 8 */
  float min;            /* 12 */
  uint16_t maxX, maxY;  /* 16: pixel position of the maximum */
  uint16_t minX, minY;  /* 20: pixel position of the minimum */
} MeaResult;
#pragma pack(pop)

OSTREL_STATIC_ASSERT(sizeof(MeaPoint) == 4, "MeaPoint is 4 bytes");
OSTREL_STATIC_ASSERT(sizeof(MeaItem) == 216, "MeaItem is 216 bytes");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, meaColor) == 64, "meaColor at 64");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, meaType) == 68, "meaType at 68");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, meaFlags) == 69, "meaFlags at 69");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, fixEnable) == 72, "fixEnable at 72");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, fixEmi) == 76, "fixEmi at 76");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, fixReflectTemp) == 80, "fixReflectTemp at 80");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, use3x3) == 85, "use3x3 at 85");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, pointCount) == 86, "pointCount at 86");
OSTREL_STATIC_ASSERT(offsetof(MeaItem, points) == 88, "points at 88");
OSTREL_STATIC_ASSERT(sizeof(MeaResult) == 24, "MeaResult is 24 bytes");
OSTREL_STATIC_ASSERT(offsetof(MeaResult, max) == 4, "max at 4");
OSTREL_STATIC_ASSERT(offsetof(MeaResult, avg) == 8, "avg at 8");
OSTREL_STATIC_ASSERT(offsetof(MeaResult, min) == 12, "min at 12");
OSTREL_STATIC_ASSERT(offsetof(MeaResult, maxX) == 16, "maxX at 16");
OSTREL_STATIC_ASSERT(offsetof(MeaResult, minX) == 20, "minX at 20");

/* A list of items: int32 count (1..32) followed directly by count MeaItem records. A block of
 * 4 + 216 * count bytes is enough; items past count need not exist. */
typedef struct MeaItemList {
  int32_t count;
  MeaItem items[32];
} MeaItemList;
OSTREL_STATIC_ASSERT(offsetof(MeaItemList, items) == 4, "items follow the count");

/* Result of measuring every frame of a stream: one heap block holding this head, then the
 * frame times and the results; the receiver releases it with free(). */
typedef struct MeaResultData {
  int32_t frameCount;
  int32_t itemCount;
  int64_t* times;     /* frameCount frame times (100-ns ticks), inside the same block */
  MeaResult* results; /* frame-major: frame f, item i at f * itemCount + i, inside the block */
} MeaResultData;

/* ---------------------------------------------------------------------------------------------
 * Measurement engine
 *
 * VEZ2024_Init, VEZ2024_Free, VEZ2024_GetLut and VEZ2024_GetSpaceData may be called from any
 * thread; they share one process-wide state under a lock. VEZ2024_GetResult and
 * VEZ2024_CheckMea touch no shared state. None of them blocks on anything but that lock.
 * Frames: codes are int16 row-major width x height; degrees Celsius = code / scale + offset.
 * ------------------------------------------------------------------------------------------- */

/* Creates the engine state. 0; -5 when memory runs out; a second call does nothing (0). */
OSTREL_API int VEZ2024_Init(void);

/* Releases the code tables and every profile buffer; nothing when not initialised. Pointers
 * from VEZ2024_GetLut and VEZ2024_GetSpaceData become invalid. */
OSTREL_API void VEZ2024_Free(void);

/* The code-to-degrees table of (scale, offset): a pointer to the entry of code 0, valid for
 * indexes -32768..32767, value (code + offset * scale) / scale (scale 0 counts as 1). The
 * engine owns it until VEZ2024_Free. Null when not initialised or out of memory. */
OSTREL_API const double* VEZ2024_GetLut(uint16_t scale, int16_t offset);

/* Checks an item against a frame of width x height: 0, or -8 for a bad point count or a used
 * point outside the frame. A null item gives -8. */
OSTREL_API int VEZ2024_CheckMea(const MeaItem* item, int width, int height);

/* Measures one item (null = whole frame) on a frame and writes *result (bytes 0..3 untouched).
 * 0; -8 for a null head, codes or result, a frame of 0 or more than 16 Mi pixels, an item that
 * fails VEZ2024_CheckMea, an unmeasurable type, or a box whose second corner lies left of or
 * above the first. Needs no VEZ2024_Init. The caller owns all buffers. */
OSTREL_API int VEZ2024_GetResult(const MeaItem* item, const DataFrameHead* head, const int16_t* codes,
                                 MeaResult* result);

/* Temperature profile of an item, in degrees Celsius. statsType: 0 minimum, 1 maximum, 2 mean,
 * 3 sum, 4 population standard deviation (anything else: minimum); dimType 1 gives one value
 * per row, anything else one per column. A polyline (type 5) gives one value per visited pixel
 * (at most 131072). Boxes are clipped to the frame. For ellipses, circles and polygons a line
 * without an inside pixel gives 2.2250738585072014e-308 (0 for the sum); such a line at the
 * start and at the end is dropped.
 * Returns the count (>= 0) and sets *out to the calling thread's profile buffer (owned by the
 * engine, valid until this thread's next call or VEZ2024_Free) and *count; -7 when not
 * initialised; -3 for a type without profile (points, type 4, unlisted); -8 for null
 * arguments, a frame of 0 or more than 16 Mi pixels or a bad point count; -5 out of memory. */
OSTREL_API int VEZ2024_GetSpaceData(const MeaItem* item, const DataFrameHead* head, const int16_t* codes,
                                    int statsType, int dimType, double** out, int* count);

/* ---------------------------------------------------------------------------------------------
 * Radiometric corrections
 *
 * Energy tables: band 0 is 7.7-14 um (long wave), band 1 is 3-5 um (mid wave); energies are the
 * in-band Planck radiance relative to -50 degC (= 1000). Temperatures in m°C are int32
 * thousandths of a degree Celsius. Code LUT pointers point at the entry of code 0 of a 65536
 * int16 table, valid for indexes -32768..32767.
 * The contexts take no lock: one thread per context. The point formulas are pure and may be
 * called from any thread. Nothing here blocks except FixDist_Init's file read.
 * ------------------------------------------------------------------------------------------- */

typedef struct FixTransContext FixTransContext;
typedef struct FixDistContext FixDistContext;
struct FixInfoRecord; /* the camera's 72-byte correction record, read here by byte offsets */

/* A zeroed context for band 0 or 1 (other values count as 0); null when out of memory. The
 * caller owns it and releases it with FixTrans_Free. */
OSTREL_API FixTransContext* FixTrans_Create(int band);
/* Frees *ctx and sets it to null; a null pointer or null context is ignored. */
/* FixTrans_Free(&ctx): the shared free of single-block objects, declared in OstrelAlgFrame.h. */
/* Builds the code <-> m°C tables for (scale, offset) when scale is non-zero and the pair
 * differs from the last one. 0; -8 for a null context. */
OSTREL_API int FixTrans_Init(FixTransContext* ctx, uint16_t scale, int16_t offset);
/* Window transmittance LUT for a window at windowTemp_mC: 0; -8 for null arguments; -7 while
 * the context has no scale (lut untouched). A transmittance outside (0, 1.01) or not finite gives
 * the identity. */
OSTREL_API int FixTrans_UpdateLut(FixTransContext* ctx, int32_t windowTemp_mC, double trans, int16_t* lut);
/* Emissivity LUT for the ambient temperature ambient_mC, plus tempOffset degrees: 0; -8 for
 * null arguments; -7 while the context has no scale. An emissivity outside (0, 1.01) or not
 * finite gives the identity (with the offset). */
OSTREL_API int FixEmi_UpdateLut(FixTransContext* ctx, int32_t ambient_mC, double emissivity,
                                double tempOffset, int16_t* lut);

/* Window transmittance (E(tMeasured) - E(tWindow)) / (E(tObject) - E(tWindow)); degrees Celsius;
 * 0 when the denominator is 0 or an input is not finite. */
OSTREL_API double FixTrans_CalcTrans(double tWindow, double tMeasured, double tObject, int band);
/* Emissivity of an object at tObject that reads tMeasured at `emissivity` before ambient
 * tAmbient; degrees Celsius; 0 when the denominator is 0 or an input is not finite. */
OSTREL_API double FixEmi_CalcEmi(double tAmbient, double tMeasured, double emissivity, double tObject,
                                 int band);
/* The temperature (degrees Celsius) that reads tObject at `emissivity` shows at
 * `secondEmissivity`, with ambient (reflected) temperature tAmbient; band 1 selects the
 * mid-wave table. 0 when secondEmissivity is 0 or an input is not finite. */
OSTREL_API double FixEmi_CalcTemp(double tAmbient, double tObject, double emissivity, double secondEmissivity,
                                  int band);
/* dir != 0: *energy := E(*temp degrees Celsius); dir == 0: *temp := T(*energy) in degrees
 * Celsius. Returns 0; -8 for a null pointer (nothing written). */
OSTREL_API int FixTrans_Temp2Energy(int dir, int band, double* temp, double* energy);

/* A distance correction with no distances (identity); null when out of memory. The caller owns
 * it and releases it with FixDist_Free. */
OSTREL_API FixDistContext* FixDist_Create(void);
/* Frees *ctx and sets it to null; a null pointer or null context is ignored. */
/* FixDist_Free(&ctx): the shared free of single-block objects, declared in OstrelAlgFrame.h. */
/* Loads a 696-byte distance record file (UTF-8 path) and builds one code LUT per distance for
 * the frame scale and offset. 0; -200 cannot open; -198 short file; -11 bad content (the
 * active record stays as it was); -8 null arguments. Blocks on the file read. */
OSTREL_API int FixDist_Init(FixDistContext* ctx, const char* path, uint16_t scale, int16_t offset);
/* The distance LUT for a target distance in whole metres, blended between the neighbouring
 * distances of the record. 0; -8 for null arguments. */
OSTREL_API int FixDist_UpdateLut(FixDistContext* ctx, int32_t distance_m, int16_t* lut);

/* 1 when the record's window transmittance, window temperature offset, emissivity and
 * temperature offset lie within their (exclusive) ranges, else 0 (also for null). */
OSTREL_API int Alg_FixIsValid(const struct FixInfoRecord* fixInfo);
/* Atmospheric transmittance 0..1 over the record's target distance (1 for a null record). */
OSTREL_API double Alg_FixGetVirtualAtmTrans(const struct FixInfoRecord* fixInfo);

OSTREL_END_DECLS

#endif /* OSTREL_RADIOMETRY_H */
