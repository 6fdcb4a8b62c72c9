/* Calibration: raw detector values to temperature codes (Cali_*), the FPA interpolator (Fpa_*),
 * bad-pixel compensation (Com_*) and the non-uniformity correction (Nst_*).
 *
 * A calibration file (little-endian) holds a 128-byte head and per-pixel curves at several FPA
 * (detector) temperatures. Temperatures in m°C are int32 thousandths of a degree Celsius.
 * Paths are UTF-8. Code LUT pointers point at the entry of code 0 of a 65536 int16 table.
 * The objects take no lock: one thread per object. Create calls and the file functions block on
 * the file system; nothing else blocks. */
#ifndef OSTREL_CALIBRATION_H
#define OSTREL_CALIBRATION_H

#include "OstrelRadiometry.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

typedef struct CaliContext CaliContext;
typedef struct FpaContext FpaContext;
typedef struct NstContext NstContext;

/* Repair entry of one bad pixel (40 bytes): the pixel becomes the truncated mean of its first n
 * neighbours. Indexes are y * width + x. */
typedef struct CompEntry {
  uint32_t pixel;
  uint32_t n; /* 1..8 */
  uint32_t neighbour[8];
} CompEntry;
OSTREL_STATIC_ASSERT(sizeof(CompEntry) == 40, "CompEntry is 40 bytes");

/* Creation record of Cali_CreateX and Nst_CreateX. */
typedef struct CaliCreateInfo {
  const char* caliPath;  /* calibration file */
  const char* pointPath; /* optional ".com" bad-point list (null or empty: none) */
  const struct FixInfoRecord* fixInfo; /* required */
  int32_t startFpa;      /* m°C; 100000 or more starts at the middle of the FPA range */
  uint16_t sensorWidth, sensorHeight;
  uint16_t windowWidth, windowHeight; /* a smaller area crops the centre window */
  uint8_t useShellAxis;  /* non-zero: the shell temperatures are the interpolation axis */
  uint8_t band;          /* 0 long wave, 1 mid wave */
} CaliCreateInfo;

/* ---- Calibration object ---------------------------------------------------------------- */

/* Creates a calibration from a file, an optional compensation file and a correction record.
 * Null on any failure (file missing, short or with an impossible head, scale 0, FPA axis not
 * strictly rising, corrupt own repair entries, no memory). A bad compensation file only means
 * that it is not used. Release with Cali_Free. */
OSTREL_API CaliContext* Cali_Create(const char* path, const char* compPath, const struct FixInfoRecord* fixInfo,
                                    int32_t startFpa);
/* The same from a creation record: the file's size must equal the sensor size; a window of
 * smaller area (both sides no larger than the sensor's) crops the centre; the file's own bad
 * pixels and the bad-point list's points inside the window become the repair entries. */
OSTREL_API CaliContext* Cali_CreateX(const CaliCreateInfo* info);
/* Frees the object and everything it owns; sets *ctx to null. Null is ignored. */
OSTREL_API void Cali_Free(CaliContext** ctx);
/* 0 when the file's identity (up to 32 characters from byte 5) equals the one of the 128-byte
 * expected head and the file holds everything its head announces; -11 on a mismatch, a short
 * file or an impossible head; -198 head unreadable; -200 cannot open; -8 null arguments. */
OSTREL_API int Cali_CheckFile(const char* path, const void* expectedHead);

/* Converts P raw values (window size) in place to temperature codes. */
OSTREL_API void Cali_Execute(CaliContext* ctx, int16_t* frame);
/* The same without the final LUT: the frame receives the per-pixel intermediate values. */
OSTREL_API void Cali_Execute_C1(CaliContext* ctx, int16_t* frame);
/* Follows the FPA and shell temperatures (m°C): 0 nothing to do; 2 one step of a running
 * update done (frames keep the previous tables until the last step); 1 the final LUT was
 * rebuilt (a new update started, or a jump of 3 °C or more was applied at once); -8 null. */
OSTREL_API int Cali_InitEnv(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp);
/* Re-interpolates every pixel at once and rebuilds the final LUT; ends any running update. */
OSTREL_API void Cali_InitEnvWhole(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp);
/* 0, or -8 for a null context or a record that Alg_FixIsValid refuses (nothing changed). The
 * settings reach the frames at the next Cali_InitEnv. */
OSTREL_API int Cali_SetFixInfo(CaliContext* ctx, const struct FixInfoRecord* fixInfo);
/* Bit 0: the next Cali_InitEnv starts an update; bit 1: the non-uniformity plane is recomputed
 * at its next frame. */
OSTREL_API void Cali_SetHackFlags(CaliContext* ctx, int32_t flags);
/* Reads a 656-byte custom correction record and builds the custom LUT from it. 0; -8 null
 * context; -200 / -198 when the file cannot be opened or is short (the record is then zero and
 * the custom LUT the identity). */
OSTREL_API int Cali_LoadCust(CaliContext* ctx, const char* path);
/* Custom-point LUT of a 656-byte record for the calibration's scale and code of 0 °C: the node
 * count (points + 4), or 0 with the identity LUT (also for null arguments, lut excepted). */
OSTREL_API int Cali_InitCustLut(int16_t* lut, const void* record, const CaliContext* cali);
/* Repairs the bad pixels of a P-value frame in place. */
OSTREL_API void Cali_Com(const CaliContext* ctx, int16_t* frame);

/* Loads a distance record (FixDist_Init) for the calibration's scale and offset into ctx, or,
 * when ctx is null, into the calibration's own distance correction, which its final LUT reads.
 * Marks the calibration for an update at the next Cali_InitEnv. Codes of FixDist_Init; -8 for
 * a null calibration or path. */
OSTREL_API int FixDist_Init2(FixDistContext* ctx, const char* path, CaliContext* cali);

/* ---- FPA interpolator (Fpa_Free: the shared free, OstrelAlgFrame.h) ----------------------- */

/* From a null-terminated list of calibrations whose FPA axes rise across the list: null when
 * fewer than 2 points, not rising, or no memory. One heap block. */
OSTREL_API FpaContext* Fpa_Create(CaliContext* const* list);
/* Environment temperature (m°C) at an FPA temperature (m°C), linear between the points and
 * extended beyond them; 0 for a null context. */
OSTREL_API int32_t Fpa_GetEnv(FpaContext* fpa, int32_t fpaTemp);

/* ---- Bad-pixel compensation --------------------------------------------------------------- */

/* Repair entries of a bad-point list in memory (".com" layout: 44-byte head with width at 32,
 * height at 36 and count at 40, then (u16 x, u16 y) points). Returns the entry count and sets
 * *entries to a new block (free with Ostrel_FreePaletteData or any shared free); 0 and null when
 * the list is empty, invalid, has no good pixel left, or memory runs out. */
OSTREL_API int Com_ProcessX(const void* list, CompEntry** entries);
/* Merges the bad-point list file with the calibration's own bad pixels and writes the
 * compensation file: 0; -1 null calibration or list of another camera or size; -2 list
 * unreadable or invalid; -3 no memory; -4 maps, -5 repair order (no good pixel), -6 wave order
 * failed; -7 writing failed. Nothing new in the list: 0, and an existing compensation file is
 * deleted when the calibration was created with repair entries of its own. */
OSTREL_API int Com_Process(const CaliContext* cali, const char* listPath, const char* outPath);
/* Checks a bad-point list file against a 40-byte check record (identity text at 5, int32 width
 * at 32, height at 36): 0; -200; -198; -194 identity (27 characters from byte 5), size or more
 * than 500 points; -11 a point outside; -5 no memory; -8 null arguments. */
OSTREL_API int Com_CheckFile(const char* path, const void* check);

/* ---- Non-uniformity correction (Nst_Free: the shared free, OstrelAlgFrame.h) --------------- */

/* From the offset planes at the end of the calibration file of cali (size exactly the minimum
 * plus 2 * P * E bytes): null otherwise. One heap block. */
OSTREL_API NstContext* Nst_Create(CaliContext* cali, const char* path);
/* The same at sensor size, cropped to the record's window like Cali_CreateX. */
OSTREL_API NstContext* Nst_CreateX(CaliContext* cali, const CaliCreateInfo* info);
/* out = in - offset plane (saturated), the plane recomputed for fpaTemp (m°C) at the first frame,
 * when forced, or after more than 50 frames once the FPA temperature moved by more than the
 * threshold; extra is added to a recomputed plane. 0; -8 null arguments. */
OSTREL_API int Nst_Execute(NstContext* nst, int32_t fpaTemp, int32_t extra, const int16_t* in, int16_t* out);
/* Threshold in m°C (default 100); values below 100 are ignored. */
OSTREL_API void Nst_SetConfig(NstContext* nst, int32_t threshold);

OSTREL_END_DECLS

#endif /* OSTREL_CALIBRATION_H */
