/* Frame compression, transforms, small filters, legacy measurement tools, palettes and the
 * image/text export utilities.
 *
 * Frames are row-major signed 16-bit temperature codes, `width` values a row; degrees Celsius =
 * code / scale + offset of the frame's DataFrameHead. Unless a comment says otherwise, every
 * function here runs on the caller's thread, does not block, keeps no state between calls and
 * may run on several threads at once on different data. No function keeps a pointer it was
 * given. Objects (median context, MtContext) belong to one thread at a time. */
#ifndef OSTREL_ALGFRAME_H
#define OSTREL_ALGFRAME_H

#include "OstrelPreview.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* ---------------------------------------------------------------------------------------------
 * Frame compression (delta coding of a temperature frame).
 *
 * Packed frame, little-endian: i32 raw size (2 x values) at 0, i32 packed size (all bytes, these
 * 8 included) at 4, then blocks: i16 first value, i32 n, n signed delta bytes (each value minus
 * the one before, added back with 16-bit wrap-around). A new block starts at every step outside
 * -128..127. */

/* Packs `count` values into `out`. Returns the packed size in bytes, or 0 when packing is refused
 * (count <= 0, null pointers, or the packed frame could not end smaller than the raw one).
 * `out` (caller-owned) must hold max(2 x count, count + 13) bytes; nothing is written past that. */
OSTREL_API int Alg_Compress(const int16_t* values, int count, uint8_t* out);

/* Unpacks a packed frame into `out`, which must hold raw size / 2 values (the raw size is read
 * from the packed frame, so the caller must trust its source for it; the SDK's own receiver uses
 * a bounded form). Returns 0; -1 when the packed size is below 14 or above the raw size, or a
 * block is malformed (header or deltas past the packed size, negative delta count); -11 when the
 * blocks code more values than the raw size holds. On any failure `out` is left untouched.
 * Values beyond the last coded one are left as they were. */
OSTREL_API int Alg_Uncompress(const uint8_t* packed, int16_t* out);

/* ---------------------------------------------------------------------------------------------
 * Transforms and small filters. All work in place on the caller's values unless said otherwise;
 * scratch areas are the caller's. */

/* Orientation transform by `code`: 1 rotate 90 degrees clockwise, 2 rotate 180, 3 rotate 90
 * degrees counter-clockwise, 4 mirror every row left-right, 5 mirror top-bottom; other codes do
 * nothing. Codes 1 and 3 build the result in `scratch` (width x height values) and swap the
 * head's width and height. Returns 0, or -8 for null pointers (scratch only needed for 1, 3). */
OSTREL_API int Alg_Transform(DataFrameHead* head, int16_t* values, int16_t* scratch, int code);

/* Mirrors `rows` rows of `width` values left-right. Returns 0, or -8 for bad arguments. */
OSTREL_API int Alg_FlipX(int16_t* values, int width, int rows);

/* Vertical 1-2-1 smoothing: row k (k = 0 .. rows - 3) becomes (row k+1 + 2 row k + row k-1) >> 2
 * of the rows as they were before the pass, row -1 being row 0; the last two rows stay. With fewer
 * than 3 rows nothing changes. `scratch` holds `width` values. Returns 0, or -8. */
OSTREL_API int Alg_Row121(int16_t* values, int width, int rows, int16_t* scratch);

/* Bilinear enlargement by `type` (2, 3 or 4) of a width x height frame into `dst`, which holds
 * (type x width) x (type x height) values. Returns 0; -2 for another type; -8 when a side is
 * below 2 or a pointer is null (nothing written in either case). */
OSTREL_API int Alg_ScaleTemp(int type, int width, int height, const int16_t* src, int16_t* dst);

/* 3 x 3 median context: a zeroed heap object keeping a work buffer between calls. */
typedef struct AlgMedianContext AlgMedianContext;

/* Returns a new median context (caller-owned, freed with Alg_MedianFree), or null. */
OSTREL_API AlgMedianContext* Alg_MedianCreate(void);

/* Replaces every value by the median of its 3 x 3 neighbourhood (edges repeated outward).
 * Returns 0; -8 for null pointers or a frame with fewer than 3 rows or columns (unchanged);
 * -5 when a larger work buffer cannot be had (the frame and the old buffer stay as they were).
 * Allocates only when the frame grows. */
OSTREL_API int Alg_MedianExecute(AlgMedianContext* context, int width, int height, int16_t* values);

/* Frees the context behind *context and sets *context to null; null is ignored. */
OSTREL_API void Alg_MedianFree(AlgMedianContext** context);

/* Small medians by `type`: 1 horizontal 3-tap (per row), 2 vertical 3-tap, 3 separable 3 x 3
 * approximation on the interior (border unchanged). `scratch` holds width x height values (one
 * row for type 1). Returns 0 for types 1 to 3; -2 for another type; -8 for null pointers or too
 * few rows or columns (fewer than 3 along a filtered direction), frame unchanged. */
OSTREL_API int Alg_MedianExecuteX(int width, int height, int16_t* values, int16_t* scratch, int type);

/* ---------------------------------------------------------------------------------------------
 * Legacy measurement tools (mt*). */

typedef struct MtPoint {
  uint16_t x, y;
} MtPoint;

/* Result of every mt* statistic; temperatures in degrees Celsius. */
typedef struct MtResult {
  int32_t alarmLevel; /* 0 .. 3 from the alarm rule; mtGetResult_GMO leaves it untouched */
  uint16_t maxX, maxY, minX, minY;
  float max, min, avg;
} MtResult;
OSTREL_STATIC_ASSERT(sizeof(MtResult) == 24, "MtResult is 24 bytes");
OSTREL_STATIC_ASSERT(offsetof(MtResult, maxX) == 4, "maxX at 4");
OSTREL_STATIC_ASSERT(offsetof(MtResult, max) == 12, "max at 12");
OSTREL_STATIC_ASSERT(offsetof(MtResult, avg) == 20, "avg at 20");

/* One measurement item (152 bytes). kind: 0 point with radius (the second point's x, 0 .. 3),
 * 1 line, 2 rectangle, 3 ellipse (kinds 2, 3: first two points are opposite corners),
 * 4 polyline, 5 polygon. ruleType 0 .. 5 with thresholds t1 <= t2 <= t3 in degrees. */
typedef struct MtItem {
  uint8_t reserved0;
  uint8_t kind;
  uint8_t pointCount; /* <= 32 */
  uint8_t percent;    /* must be 50 .. 100 */
  MtPoint points[32];
  uint8_t ruleType;
  uint8_t reserved133[3];
  float t1, t2, t3;
  uint8_t reserved148[4];
} MtItem;
OSTREL_STATIC_ASSERT(sizeof(MtItem) == 152, "MtItem is 152 bytes");
OSTREL_STATIC_ASSERT(offsetof(MtItem, points) == 4, "points at 4");
OSTREL_STATIC_ASSERT(offsetof(MtItem, ruleType) == 132, "ruleType at 132");
OSTREL_STATIC_ASSERT(offsetof(MtItem, t1) == 136, "t1 at 136");

/* Exclusion region: a quadrilateral. */
typedef struct MtRegion {
  uint8_t reserved[4];
  MtPoint corners[4];
} MtRegion;
OSTREL_STATIC_ASSERT(sizeof(MtRegion) == 20, "MtRegion is 20 bytes");

#define OSTREL_MT_MAGIC 20190701u

/* The measurement configuration (2872 bytes, little-endian). */
typedef struct MtConfig {
  uint32_t magic; /* OSTREL_MT_MAGIC */
  uint16_t width, height;
  uint32_t regionEnable; /* bit i = region i (8 used) */
  uint32_t itemEnable;   /* bit i = item i (16 used) */
  uint8_t reserved16[112];
  MtRegion regions[8];
  MtItem wholeFrame; /* only its kind and its alarm rule are used */
  MtItem items[16];
} MtConfig;
OSTREL_STATIC_ASSERT(sizeof(MtConfig) == 2872, "MtConfig is 2872 bytes");
OSTREL_STATIC_ASSERT(offsetof(MtConfig, regions) == 128, "regions at 128");
OSTREL_STATIC_ASSERT(offsetof(MtConfig, wholeFrame) == 288, "wholeFrame at 288");
OSTREL_STATIC_ASSERT(offsetof(MtConfig, items) == 440, "items at 440");

/* Cursor readout of mtCheckMouse. */
typedef struct MtMouseResult {
  uint16_t column, row;
  float temperature; /* degrees Celsius */
} MtMouseResult;
OSTREL_STATIC_ASSERT(sizeof(MtMouseResult) == 8, "MtMouseResult is 8 bytes");

typedef struct MtContext MtContext;

/* New context for frames of width (1 .. 1280) x height (1 .. 1024) with a default configuration
 * (nothing enabled); caller-owned, freed with mtFree; null on bad sizes or no memory. */
OSTREL_API MtContext* mtCreate(int width, int height);
/* Frees *context and sets it to null; null is ignored. */
OSTREL_API void mtFree(MtContext** context);
/* Validates and applies `config` (copied). Returns 0; -1 no memory; -2 invalid record (bad size,
 * region corner or item outside the frame, bad kind, radius, point count or percent). On any
 * failure the context keeps its previous configuration and size. */
OSTREL_API int mtReload(MtContext* context, const MtConfig* config);
/* Evaluates the whole frame (results[0]) and every enabled item i (results[i + 1]; others are not
 * written) with their alarm rules. `results` holds 17 entries. Returns 0, or -1 when the frame
 * size differs from the context's (or a pointer is null). */
OSTREL_API int mtCheck(MtContext* context, const DataFrameHead* head, const int16_t* codes,
                       MtResult* results);
/* Statistics and alarm rule of one item on a frame. Returns 0; -1 invalid item (points outside
 * the frame, bad point count or percent, null pointers); -2 kind above 5. */
OSTREL_API int mtGetResult(const DataFrameHead* head, const int16_t* codes, const MtItem* item,
                           MtResult* result);
/* Temperature at (column, row): 3 x 3 mean inside, the code itself on the border. Returns 0, or
 * -8 when the frame size differs from the context's or the position lies outside. */
OSTREL_API int mtCheckMouse(MtContext* context, const DataFrameHead* head, const int16_t* codes, int column,
                            int row, MtMouseResult* out);
/* Whole-frame maximum, minimum (first position in scan order on ties; an extreme off the border
 * is replaced by its 3 x 3 mean) and mean; alarmLevel is not touched. Returns 0, or -1 when
 * width x height <= 0 or a pointer is null. A scale of 0 counts as 1. Runs on every live frame. */
OSTREL_API int mtGetResult_GMO(const DataFrameHead* head, const int16_t* codes, MtResult* result);

/* ---------------------------------------------------------------------------------------------
 * Palettes and export utilities. */

/* One palette entry (1056 bytes): a NUL-padded name and 256 colours, each a uint32 whose bytes
 * in memory are B, G, R, A (little-endian 0xAARRGGBB). `colors` is what the colouring functions
 * take as their 256-colour palette. */
typedef struct PaletteData {
  char name[32];
  uint32_t colors[256];
} PaletteData;
OSTREL_STATIC_ASSERT(sizeof(PaletteData) == 1056, "PaletteData is 1056 bytes");
OSTREL_STATIC_ASSERT(offsetof(PaletteData, colors) == 32, "colors at 32");

#define OSTREL_PALETTE_COUNT 12

/* Returns a heap copy of the 12 built-in palettes ("Autumn", "BlackHot", "GlowBow",
 * "HighContrast", "HotMetal", "IronBow", "Jet", "RainBow", "RedSaturation", "WhiteHot", "Winter",
 * "IronBow2", in this order) with every A byte 255, and sets *count to 12; null and *count = 0
 * when memory runs out. The caller owns the block and frees it with Ostrel_FreePaletteData. */
OSTREL_API PaletteData* Ostrel_AllocPaletteData(int* count);

/* The SDK's one free for single-block objects: takes the address of the caller's pointer
 * (e.g. `Ostrel_FreePaletteData(&palettes)`), frees the block it refers to with the C heap's
 * free and sets the pointer to null. A null address or a null pointer is ignored. The same
 * function is exported under every name below; each object so freed is one malloc'd block. */
OSTREL_API void Ostrel_FreePaletteData(void* pointerAddress);
OSTREL_API void rtFree(void* pointerAddress);
OSTREL_API void Fpa_Free(void* pointerAddress);
OSTREL_API void Nst_Free(void* pointerAddress);
OSTREL_API void HW_Free(void* pointerAddress);
OSTREL_API void GaoWen_Free(void* pointerAddress);
OSTREL_API void WeiJu_Free(void* pointerAddress);
OSTREL_API void FixDist_Free(void* pointerAddress);
OSTREL_API void FixTrans_Free(void* pointerAddress);
OSTREL_API void ExtBb_Free(void* pointerAddress);

/* Writes a 32-bit BMP (54-byte head, no padding) of width x height BGRA pixels, the buffer's
 * rows in the caller's order (positive height: first row is the bottom row; negative height:
 * top-down). Returns 0; -8 bad arguments; -200 the file cannot be created; -197 a write failed.
 * The file is written under a temporary name and renamed, so a failure leaves any old file. */
OSTREL_API int Util_SaveBGRA(const void* bgra, int width, int height, const char* path);

/* Writes an 8-bit BMP (1078-byte head with a 256-entry colour table: the caller's 4-byte entries
 * copied unchanged, or a gray ramp i, i, i, 0 when `colorTable` is null). Rows are padded with
 * zero bytes to a multiple of 4. Returns 0, -8, -200 or -197 as Util_SaveBGRA. */
OSTREL_API int Util_SaveGRAY(const uint8_t* gray, int width, int height, const char* path,
                             const void* colorTable);

/* Writes the frame's temperatures as text: per row each value as "%3.2f" followed by a tab, then
 * a line feed, always with a '.' decimal point whatever the process locale. Returns 0; -8 bad
 * frame (width x height not positive, scale 0, data kind not 2, null pointers); -5 no memory;
 * -200 the file cannot be created; -197 a write failed. Keeps no state: calls may overlap. */
OSTREL_API int Ostrel_ExportText(const DataFrameHead* head, const int16_t* codes, const char* path);

OSTREL_END_DECLS

#endif /* OSTREL_ALGFRAME_H */
