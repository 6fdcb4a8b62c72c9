/* Stretch engine (temperature codes to gray, BGRA or three planes), detail enhancement, and the
 * denoise and destripe filters of temperature frames.
 *
 * Codes are signed 16-bit temperature codes, row after row; degrees Celsius = code / scale +
 * offset with the scale and offset of the frame's DataFrameHead. Levels are 0..255. */
#ifndef OSTREL_STRETCH_H
#define OSTREL_STRETCH_H

#include "OstrelPreview.h"
#include "OstrelRecords.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* ---- Image settings ---------------------------------------------------------------------- */

/* Stretch rules (StretchCtl.strechType); any other value acts as StrechType_PHE. */
enum StrechType {
  StrechType_PHE = 1,        /* split plateau equalisation around the mean */
  StrechType_LINEAR = 2,     /* linear between the histogram tails or the manual range */
  StrechType_PHE2023 = 3,    /* slope-limited equalisation over the whole range */
  StrechType_SmallTarget = 4 /* as PHE2023 after removing a background percentile */
};

/* Isotherm modes (StretchCtl.ct_type). */
enum ColorTempType {
  ColorTempType_None = 0,
  ColorTempType_High = 1, /* codes above threshold 0 take ramp 0 */
  ColorTempType_Low = 2,  /* codes below threshold 0 take ramp 0 */
  ColorTempType_Mid = 3,  /* codes strictly between the thresholds take ramp 0 */
  ColorTempType_ExMid = 4 /* below threshold 0 ramp 0, above threshold 1 ramp 1 */
};

/* Bits of StretchCtl.flags: which fields strSetCtl applies. */
enum StretchCtlFlag {
  StretchCtl_Type = 0x1,
  StretchCtl_Denoise = 0x2,
  StretchCtl_Gain = 0x8,
  StretchCtl_Temp2Gray = 0x10,
  StretchCtl_Smoothing = 0x20,
  StretchCtl_DdeLevel = 0x40,
  StretchCtl_ColorTemp = 0x80,
  StretchCtl_ManEnable = 0x100,
  StretchCtl_ManTemp0 = 0x200,
  StretchCtl_ManTemp1 = 0x400,
  StretchCtl_SmallTargetBg = 0x10000
};

#pragma pack(push, 1)
/* The image settings record, 64 bytes, little-endian. Stored unchanged inside picture files, so
 * its layout is a file format. Temperatures are degrees Celsius x 10. */
typedef struct StretchCtl {
  uint32_t flags;         /* 0: fields to apply (StretchCtlFlag); reads back as 0 */
  uint8_t strechType;     /* 4: StrechType; default 1 */
  uint8_t reserved5[2];   /* 5 */
  uint8_t smoothing;      /* 7: non-zero: temporal smoothing of plateau and bounds; default 1 */
  float gain;             /* 8: plateau gain 0.08..10.02; default 2.0 */
  int16_t man_temp0;      /* 12: manual range low end; default 200 */
  int16_t man_temp1;      /* 14: manual range high end; default 400 */
  uint8_t man_enable;     /* 16: non-zero: manual range on */
  uint8_t temp2gray;      /* 17: gray levels per degree for PHE, 0 automatic, else 10..50 */
  uint8_t ddeLevel;       /* 18: detail enhancement 0..8, 0 off */
  uint8_t ct_type;        /* 19: ColorTempType */
  int16_t ct_temp0;       /* 20: isotherm threshold 0 */
  int16_t ct_temp1;       /* 22: isotherm threshold 1 */
  uint32_t ct_color0;     /* 24: isotherm colour 0, bytes B, G, R, A */
  uint32_t ct_color1;     /* 28: isotherm colour 1 (mode 4) */
  uint8_t smalltarget_bg; /* 32: background percentile 1..99 for SmallTarget; default 50 */
  uint8_t denoise;        /* 33: denoise level 0..8 of the detail engine */
  uint8_t reserved34[30]; /* 34 */
} StretchCtl;
#pragma pack(pop)

OSTREL_STATIC_ASSERT(sizeof(StretchCtl) == 64, "StretchCtl is 64 bytes");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, strechType) == 4, "strechType at 4");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, smoothing) == 7, "smoothing at 7");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, gain) == 8, "gain at 8");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, man_temp0) == 12, "man_temp0 at 12");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, man_temp1) == 14, "man_temp1 at 14");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, man_enable) == 16, "man_enable at 16");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, temp2gray) == 17, "temp2gray at 17");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, ddeLevel) == 18, "ddeLevel at 18");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, ct_type) == 19, "ct_type at 19");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, ct_temp0) == 20, "ct_temp0 at 20");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, ct_temp1) == 22, "ct_temp1 at 22");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, ct_color0) == 24, "ct_color0 at 24");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, ct_color1) == 28, "ct_color1 at 28");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, smalltarget_bg) == 32, "smalltarget_bg at 32");
OSTREL_STATIC_ASSERT(offsetof(StretchCtl, denoise) == 33, "denoise at 33");

/* ---- Stretch engine -------------------------------------------------------------------------
 * One engine serves one stream of frames (it keeps histogram statistics, smoothing memory and
 * its detail engine from frame to frame). The frame functions run on one thread per engine;
 * strSetCtl and strGetCtl may be called from any thread at any time: settings are queued under
 * a small lock and take effect when the next frame function starts. No function blocks beyond
 * that lock. */
typedef struct StretchContext StretchContext;

/* Returns a new engine with the default settings, owned by the caller until strFree; null when
 * memory runs out. */
OSTREL_API StretchContext* strCreate(void);
/* Frees the engine and everything it owns; null is ignored. No frame function may be running. */
OSTREL_API void strFree(StretchContext* ctx);
/* Queues the fields of *ctl named by ctl->flags (refused out-of-range fields keep the previous
 * value); they apply at the start of the next frame function. The record stays the caller's.
 * Returns 0, or -8 for a null argument. */
OSTREL_API int strSetCtl(StretchContext* ctx, const StretchCtl* ctl);
/* Writes the current settings (including queued ones) to *out as a StretchCtl with flags 0 and
 * reserved bytes 0. Returns 0, or -8 for a null argument. */
OSTREL_API int strGetCtl(StretchContext* ctx, StretchCtl* out);

/* The frame functions: codes (width x height int16 from head), head (the frame's DataFrameHead,
 * read only), outputs of width x height entries owned by the caller. They return 0 (or a
 * non-negative value) on success and write nothing on failure: -8 for null pointers or a zero
 * width or height, -1 when the detail path is on and the frame is narrower or lower than 32
 * pixels, -2 when the detail engine's buffers cannot be allocated. */
/* One gray level per pixel (no isotherms). */
OSTREL_API int strTemp2Gray(StretchContext* ctx, const int16_t* codes, const DataFrameHead* head,
                            uint8_t* gray);
/* One BGRA value per pixel through palette (256 colours, bytes B, G, R, A), with isotherms. */
OSTREL_API int strTemp2Bgra(StretchContext* ctx, const int16_t* codes, const DataFrameHead* head,
                            uint32_t* bgra, const uint32_t* palette);
/* Three planes; each pixel's planes take bytes 0, 1 and 2 of table[level] (256 entries of 4
 * bytes), or of the isotherm ramp entry chosen as for BGRA. */
OSTREL_API int strTemp2Yuv(StretchContext* ctx, const int16_t* codes, const DataFrameHead* head,
                           uint8_t* plane0, uint8_t* plane1, uint8_t* plane2, const uint32_t* table);
/* Histogram read-out of the last frame, treating the histogram as cumulative counts (as the
 * raw-value rule leaves it): writes bins floats to out (caller's). Nothing is written when bins
 * is not 1..16384 or the count at the stored highest code is 0. Returns the number of values
 * written (0 or bins), or -8 for null pointers. Call on the engine's frame thread. */
OSTREL_API int strHist(StretchContext* ctx, float* out, int bins, int16_t first, int16_t last);
/* Bar chart of count values into an 8-bit width x height image (caller's, rows top to bottom):
 * 255 background, bars 0 rising from the bottom row, scaled to the largest value. Nothing
 * happens unless count equals width (returns -8); all values 0 or below give an empty chart.
 * Returns 0. Any thread. */
OSTREL_API int strHist2(const float* values, int count, uint8_t* image, int width, int height);

/* ---- Denoise filter -------------------------------------------------------------------------
 * In-place edge-preserving guided filter of a temperature frame (the frame guides itself). One
 * state per stream, used on one thread; no locks. */
/* DenoiseInfoRecord and DestripInfoRecord, the camera's filter records, are defined with the
 * other camera configuration records in OstrelRecords.h. Denoise: type (0 off, 1 full
 * resolution, 2 half-size, 3 quarter-size coefficients; other values act as 1), width and height
 * (at least 32, written by the SDK), gf_radius 1..16, gf_regular 1..40 (eps = gf_regular^2 in
 * codes squared). Destripe: type (0 off, 1 column mean by division, 2 by multiply-and-shift),
 * width >= 80, height >= 60, s0_radius / s1_radius 1..16, s0_regular (eps0 = s0_regular^2) and
 * s1_regular not 0, sub_y 1..16 (every k-th row, k the largest power of two not above), sub_t
 * 1..16 (refresh period in frames). */

typedef struct DenoiseState DenoiseState;
typedef struct DestripState DestripState;

/* Returns a new unconfigured state owned by the caller until IRDenoise_Free; null without memory. */
OSTREL_API DenoiseState* IRDenoise_Create(void);
/* Frees *state and sets *state to null; a null pointer or null *state is ignored. */
OSTREL_API void IRDenoise_Free(DenoiseState** state);
/* Returns 1 when the record is usable (width, height >= 32, radius 1..16, strength 1..40), else 0. */
OSTREL_API int IRDenoise_IsValid(const DenoiseInfoRecord* rec);
/* Applies the record (copied; the caller keeps it). Returns 0; -8 for an invalid record (state
 * unchanged); -5 when the work buffer cannot be allocated (the state is then unconfigured and
 * the next call allocates again). Allocates and fills tables (milliseconds); no per-frame cost. */
OSTREL_API int IRDenoise_SetConfig(DenoiseState* state, const DenoiseInfoRecord* rec);
/* Filters width x height codes in place. Returns 0; -7 when the size differs from the configured
 * one, the state is unconfigured or the type is 0 (frame untouched); -8 for null pointers. */
OSTREL_API int IRDenoise_Execute(DenoiseState* state, int16_t* codes, int width, int height);

/* ---- Destripe filter -------------------------------------------------------------------------
 * Removes column stripes in place; the estimate is refreshed every sub_t frames (when the cadence
 * flag is set) and subtracted from every frame. One state per stream, one thread; no locks. */
/* Returns a new unconfigured state owned by the caller until IRDestrip_Free; null without memory. */
OSTREL_API DestripState* IRDestrip_Create(void);
/* Frees *state and sets *state to null; a null pointer or null *state is ignored. */
OSTREL_API void IRDestrip_Free(DestripState** state);
/* Returns 1 when the record is usable (width >= 80, height >= 60, radii 1..16, strengths not 0,
 * sub_y and sub_t 1..16), else 0. */
OSTREL_API int IRDestrip_IsValid(const DestripInfoRecord* rec);
/* Applies the record (copied). Returns 0; -8 for an invalid record (state unchanged); -5 when the
 * work buffer (about 32 MiB of reciprocal table plus planes) cannot be allocated (the state is
 * then unconfigured). Filling the table takes a fraction of a second. */
OSTREL_API int IRDestrip_SetConfig(DestripState* state, const DestripInfoRecord* rec);
/* Destripes width x height codes in place. cadence 0 refreshes the estimate on every frame;
 * non-zero refreshes every sub_t-th frame. Returns 0 (type 0: frame untouched); -8 when the size
 * differs from the configured one, the state is unconfigured or a pointer is null. */
OSTREL_API int IRDestrip_Execute(DestripState* state, int16_t* codes, int width, int height, int cadence);

OSTREL_END_DECLS

#endif /* OSTREL_STRETCH_H */
