/* Calibration variants and tools built on the calibration object (OstrelCalibration.h):
 * range calibrations (XCali_*), lens calibrations (WeiJu_*), piecewise base LUT files (C2m_*),
 * the earlier frame conversions (Cali_Execute201601/201704), the video calibration
 * (CaliVideo_*), the high-temperature calibration (GaoWen_*), the thermistor table (rt*), the
 * external blackbody correction (ExtBb_*) and the folder conversion (Cali_vd2temp).
 *
 * Temperatures in m°C are int32 thousandths of a degree Celsius; paths are UTF-8. The objects of
 * XCali, WeiJu and GaoWen hold their CaliContext pointer as their first field. GaoWen, WeiJu, rt
 * and ExtBb objects are single heap blocks released with the shared free (OstrelAlgFrame.h).
 * No object takes a lock: one thread per object. */
#ifndef OSTREL_CALIBRATION_VARIANTS_H
#define OSTREL_CALIBRATION_VARIANTS_H

#include "OstrelCalibration.h"

OSTREL_BEGIN_DECLS

typedef struct XCali XCali;
typedef struct WeiJu WeiJu;
typedef struct GaoWen GaoWen;
typedef struct CaliVideo CaliVideo;
typedef struct RtTable RtTable;
typedef struct ExtBbState ExtBbState;

/* External blackbody configuration (28 bytes, little-endian). */
typedef struct ExtBbConfig {
  uint16_t enable;      /* 0: off */
  int16_t temperature;  /* set temperature x 10, degrees Celsius */
  uint16_t x, y;        /* centre of the blackbody in the frame */
  uint16_t radius;      /* the centre must lie at least max(radius, 1) pixels inside the frame */
  uint8_t reserved[18];
} ExtBbConfig;
OSTREL_STATIC_ASSERT(sizeof(ExtBbConfig) == 28, "ExtBbConfig is 28 bytes");

/* ---- Range calibration --------------------------------------------------------------------- */

/* Cali_CreateX plus the range tables; null on failure. Release with XCali_Free. */
OSTREL_API XCali* XCali_Create(const CaliCreateInfo* info);
/* Frees the object and its calibration; sets *p to null. */
OSTREL_API void XCali_Free(XCali** p);
/* 1232-byte XCaliCali2Record: 0; -8 null object or record; -11 record refused or a range table
 * failed (the variant is then disabled: identity final LUT). */
OSTREL_API int XCali_LoadCali2(XCali* xcali, const void* cali2Record);
/* 352-byte XCaliCustRecord: 0; -8 null arguments. */
OSTREL_API int XCali_LoadCust(XCali* xcali, const void* custRecord);
/* Cali_InitEnv with the range composition as final LUT. */
OSTREL_API int XCali_InitEnv(XCali* xcali, int32_t fpaTemp, int32_t shellTemp);

/* ---- Lens calibration ---------------------------------------------------------------------- */

/* Null when cali is null or memory runs out. The calibration stays the caller's. */
OSTREL_API WeiJu* WeiJu_Create(CaliContext* cali);
/* 1088-byte WeiJuRecord file: 0; -200 / -198 unreadable (tables invalid, mode 1); -11 refused
 * (mode 1); -8 null arguments. */
OSTREL_API int WeiJu_LoadFile(WeiJu* weiju, const char* path);
/* 656-byte custom records for lens tables A and B (null path: unchanged): 0; -8 null object;
 * -200 / -198 when a file cannot be read (that LUT becomes the identity). */
OSTREL_API int WeiJu_LoadCust(WeiJu* weiju, const char* pathA, const char* pathB);
OSTREL_API void WeiJu_Execute(WeiJu* weiju, int16_t* frame);
OSTREL_API int WeiJu_InitEnv(WeiJu* weiju, int32_t fpaTemp, int32_t shellTemp);

/* ---- Piecewise base LUT file (".c2m") ------------------------------------------------------- */

/* 0; -7 the calibration already has a base LUT of 2 or more breakpoints (or a loaded one);
 * -8 null; -200 cannot open; -5 no memory; -194 short head, identity, count, shift or too few
 * tables; -11 breakpoints not rising. The new base LUT enters the final LUT at its next rebuild. */
OSTREL_API int C2m_Load(CaliContext* cali, const char* path);
/* 0; -200; -198 head unreadable; -11 identity, count or size mismatch; -8 null arguments. */
OSTREL_API int C2m_CheckFile(const char* path, const void* expectedHead);

/* ---- Earlier generations ------------------------------------------------------------------- */

/* Blends the two calibration curves around fpaTemp per pixel, without LUT. */
OSTREL_API void Cali_Execute201601(CaliContext* cali, int32_t fpaTemp, const int16_t* in, int16_t* out);
OSTREL_API void Cali_Execute201704(CaliContext* cali, int32_t fpaTemp, int16_t* frame);

/* ---- Video calibration --------------------------------------------------------------------- */

/* Null when the file is missing, its size is not exactly the one its head implies, or fewer than
 * 2 points; a bad compensation file is not used. Release with CaliVideo_Free. */
OSTREL_API CaliVideo* CaliVideo_Create(const char* path, const char* compPath);
OSTREL_API void CaliVideo_Free(CaliVideo** p);
/* 0; -200; -198; -11 identity (32 characters from byte 0) or size mismatch; -8 null. */
OSTREL_API int CaliVideo_CheckFile(const char* path, const void* expectedHead);
OSTREL_API void CaliVideo_Com(const CaliVideo* video, int16_t* frame);
/* Environment temperature (m°C); 0 when the file's environment axis was refused. */
OSTREL_API int32_t CaliVideo_GetEnv(CaliVideo* video, int32_t fpaTemp);
/* out = in - offset plane (saturated): 0; -8 null arguments. */
OSTREL_API int CaliVideo_Nst(CaliVideo* video, int32_t fpaTemp, const int16_t* in, int16_t* out);
OSTREL_API void CaliVideo_Fix(CaliVideo* video, int16_t* frame);
/* Com_Process for a video calibration: the same codes. */
OSTREL_API int Com_ProcessVideo(const CaliVideo* video, const char* listPath, const char* outPath);

/* ---- High-temperature calibration ---------------------------------------------------------- */

OSTREL_API GaoWen* GaoWen_Create(CaliContext* cali);
/* 5600-byte table file: 0; -8 null; -200 / -198 unreadable (both tables invalid, mode 1). */
OSTREL_API int GaoWen_LoadFile(GaoWen* gaowen, const char* path);
/* 0; -8 null object; -200 / -198 when a file cannot be read (that LUT becomes the identity). */
OSTREL_API int GaoWen_LoadCust(GaoWen* gaowen, const char* pathA, const char* pathB);
/* The effective mode (1..4) after falling back. */
OSTREL_API int GaoWen_SetMode(GaoWen* gaowen, int32_t mode, int32_t fpaTemp, int32_t shellTemp);
OSTREL_API int GaoWen_InitEnv(GaoWen* gaowen, int32_t fpaTemp, int32_t shellTemp);
/* Converts the frame and writes scale and offset of its codes into the 128-byte frame head;
 * returns the offset written. */
OSTREL_API int GaoWen_Execute(GaoWen* gaowen, int16_t* frame, void* head);
/* 1; -11 refused source; -200; -198; -197; -8 null. */
OSTREL_API int GaoWen_ConvertFile(const char* caliPath, const char* sourcePath, const char* outPath);

/* ---- Thermistor table, external blackbody, folder conversion ------------------------------- */

OSTREL_API RtTable* rtCreate(const char* path);
/* Temperature of the reading's low 16 bits; 0 for a null object. */
OSTREL_API int32_t rtGet(const RtTable* rt, int32_t reading);

OSTREL_API ExtBbState* ExtBb_Create(void);
/* 0; -8 null arguments. */
OSTREL_API int ExtBb_SetConfig(ExtBbState* state, const ExtBbConfig* config);
/* head: the frame's 128-byte DataFrameHead; frame: width * height values, changed in place. */
OSTREL_API void ExtBb_Execute(ExtBbState* state, const void* head, int16_t* frame);

/* Number of files converted; 0 for a calibration with a base LUT; -200 calibration or input
 * folder unusable; -8 null arguments. */
OSTREL_API int Cali_vd2temp(const char* caliPath, const char* inDir, const char* outDir);

OSTREL_END_DECLS

#endif /* OSTREL_CALIBRATION_VARIANTS_H */
