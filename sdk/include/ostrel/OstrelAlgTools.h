/* Detector and calibration tools: visible/infrared image fusion, the box mean filter, the NETD
 * noise meter, the detector histogram of a raw frame and the raw temperature block file.
 *
 * Objects (fusion, mean filter, NETD) belong to one thread at a time; different objects may run
 * on different threads at once. Cali_HistVol and Cali_SaveJpg keep no state and may run on
 * several threads at once. No function keeps a pointer it was given. BGRA images are arrays of
 * 32-bit pixels holding the bytes B, G, R, A in memory order. */
#ifndef OSTREL_ALGTOOLS_H
#define OSTREL_ALGTOOLS_H

#include "OstrelPreview.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* ---------------------------------------------------------------------------------------------
 * Visible and infrared image fusion. The infrared image is one gray level (0..255) a pixel,
 * coloured through a 256-colour BGRA palette; both images are aligned pixel for pixel.
 *
 * Configuration bytes: [0] mode, [1] strength s (1..15).
 *   mode 2: visible edges (8-neighbour Laplacian of the BT.601 studio-swing luma, scaled by s/16)
 *           added to the infrared levels, coloured by the palette;
 *   mode 3: blend, each of B, G, R = (visible x (16 - s) + palette colour x s) >> 4, alpha 255;
 *   mode 4: the visible image with the infrared colours in the centre window (columns width/4 to
 *           width/4 + width/2 - 1, rows height/4 to height/4 + height/2 - 1);
 *   modes 0, 1, 5: accepted, mixExecute writes nothing. */
typedef struct MixContext MixContext;

/* A new object with mode 4, strength 8, sized for 640 x 480; null without memory. */
OSTREL_API MixContext* mixCreate(void);
/* mixFree(&ctx): frees the object and sets ctx to null; a null address or null object is
 * ignored. The same entry point as Alg_MeanFree. */
OSTREL_API void mixFree(void* pointerAddress);
/* Writes mode and strength into config[0], config[1]. Null arguments are ignored. */
OSTREL_API void mixGetConfig(const MixContext* ctx, uint8_t* config);
/* Takes config[0] as the mode when below 6 and config[1] as the strength when 1..15; other values
 * keep the current ones. Null arguments are ignored. */
OSTREL_API void mixSetConfig(MixContext* ctx, const uint8_t* config);
/* Fuses `visible` (BGRA) and `levels` (one byte a pixel) into `out` (BGRA), all width x height.
 * Writes nothing when a pointer is null, the size is not positive, above 16 Mi pixels or wider
 * or higher than 65535, the mode writes nothing, or the object cannot be sized (out of memory;
 * the next call tries again). The object's work buffer grows when a larger frame comes. */
OSTREL_API void mixExecute(MixContext* ctx, uint32_t* out, const uint32_t* visible, const uint8_t* levels,
                           const uint32_t* palette, int width, int height);

/* ---------------------------------------------------------------------------------------------
 * Square box mean filter over int16 codes with mirrored borders (... c b a | a b c ... x y z |
 * z y x ..., reflected again as often as the window needs). */
typedef struct AlgMeanContext AlgMeanContext;

/* A new, unsized filter object; null without memory. */
OSTREL_API AlgMeanContext* Alg_MeanCreate(void);
/* Alg_MeanFree(&ctx): the same entry point as mixFree. */
OSTREL_API void Alg_MeanFree(void* pointerAddress);
/* dst = the mean of the windowSize x windowSize window around each pixel of src, truncated
 * toward zero. An even size acts as the next smaller odd size. src and dst are separate buffers
 * of width x height values. Returns 0; -1 when width or height is below 32 or the window size
 * lies outside 3..130; -2 without memory (the object is then unsized and the next call sizes it
 * again); -8 for null pointers. A refused call writes nothing. */
OSTREL_API int Alg_MeanExecute(AlgMeanContext* ctx, int windowSize, int width, int height, const int16_t* src,
                               int16_t* dst);

/* ---------------------------------------------------------------------------------------------
 * NETD meter: a ring of the last frameCount frames; every `interval` milliseconds of frame time
 * it computes the mean temporal noise over the ring and the spatial noise of the newest frame. */
#pragma pack(push, 1)
typedef struct NetdConfig {
  uint16_t width;      /* 0: not 0 */
  uint16_t height;     /* 2: not 0 */
  uint16_t frameCount; /* 4: 10..100 */
  uint16_t interval;   /* 6: milliseconds, 1000..10000 */
  uint8_t reserved[8]; /* 8: compared only: a change makes a fresh start */
} NetdConfig;

/* In codes, or in millikelvin for temperature frames (data kind 2) with a non-zero scale. */
typedef struct NetdResult {
  float netd;    /* 0: mean temporal noise */
  float spatial; /* 4: spatial noise of the newest frame */
} NetdResult;
#pragma pack(pop)
OSTREL_STATIC_ASSERT(sizeof(NetdConfig) == 16, "NetdConfig is 16 bytes");
OSTREL_STATIC_ASSERT(sizeof(NetdResult) == 8, "NetdResult is 8 bytes");

typedef struct NetdContext NetdContext;

/* A new, unconfigured meter; null without memory. */
OSTREL_API NetdContext* NETD_Create(void);
/* NETD_Free(&ctx): frees the meter and sets ctx to null; null is ignored. */
OSTREL_API void NETD_Free(NetdContext** pctx);
/* Applies a configuration. Returns 0 (also when it equals the applied one, which keeps the ring);
 * -8 for a field out of range, a frame over 16 Mi pixels or null pointers; -5 without memory
 * (the meter keeps its previous configuration and ring). A new configuration starts with an
 * empty (zero) ring and zero results. */
OSTREL_API int NETD_SetConfig(NetdContext* ctx, const NetdConfig* config);
/* Adds a frame (head and width x height codes) to the ring; when the head's capture time lies
 * more than the interval away from the last computation (always for the first frame after
 * configuring), computes both results. Writes the current results at `result`, which need not be
 * aligned. Returns 0; -7 when the frame size differs from the configured one (or no
 * configuration was applied; nothing changes); -8 for null pointers. */
OSTREL_API int NETD_Execute(NetdContext* ctx, const DataFrameHead* head, const int16_t* codes, void* result);

/* ---------------------------------------------------------------------------------------------
 * Detector histogram of a raw frame (data kind 0). params[0] is the detector type code,
 * params[1] the tail count t. out[0] = high level, out[1] = low level, out[2] = mean level, in
 * detector output volts; out[3 + i] = percentage of the frame's pixels with codes 32 i .. 32 i + 31
 * (i = 0..1023). Codes outside 0..32767 are not counted. low is the first code at which the
 * running count exceeds t, high the first code after it at which the running count reaches the
 * counted pixels minus t, mean the mean code above low up to high. Returns 0; -1 when the frame is
 * not raw or has fewer than 100 pixels; -5 without memory; -8 for null pointers. */
OSTREL_API int Cali_HistVol(const DataFrameHead* head, const int16_t* codes, const int16_t* params, float* out);

/* Writes a lone temperature block file: the frame head at `frame` followed directly by its
 * width x height codes, in a block of 2 x width x height + 16684 bytes with its dated trailer.
 * The file is replaced through a temporary file, so a failed write leaves an old file whole.
 * `path` is UTF-8. Returns 0; -1 for an empty frame; -2 without memory; -3 when the file cannot
 * be created; -197 when it cannot be written whole; -8 for null pointers. Blocks on the write. */
OSTREL_API int Cali_SaveJpg(const char* path, const void* frame);

OSTREL_END_DECLS

#endif /* OSTREL_ALGTOOLS_H */
