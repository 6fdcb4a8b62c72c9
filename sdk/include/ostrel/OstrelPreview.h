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


/* Data types of a preview request. */
enum PreviewDataType {
  PREVIEW_TEMPERATURE = 2, /* temperature stream */
  PREVIEW_VIDEO = 3,       /* H.264 video */
  PREVIEW_RTSP = 4,        /* RTSP, through Ostrel_StartPreviewRtsp only */
  PREVIEW_MIXED = 5        /* mixed video stream */
};

/* One delivered frame. For temperature previews `head`, `data`, `image` and `extra` (a FrameStats)
 * point into the preview's frame store; the record stays valid until it is refilled, 16 frames
 * later. Whoever keeps a frame longer copies it. */
typedef struct PreviewFrame {
  DataFrameHead* head;     /* temperature only */
  int16_t* data;           /* width x height codes, transformed and mask-subtracted */
  int16_t* work;           /* scratch of width x height codes */
  uint32_t* image;         /* width x height BGRA pixels (B, G, R, A bytes) */
  void* extra;             /* temperature: FrameStats */
  struct PreviewFrame* previous; /* the record filled before this one */
} PreviewFrame;

/* Called on the preview's own worker thread, never under the SDK's lock: status 0 with a frame,
 * -17 (connection lost, recovery starts) or -18 (connection restored) with a null frame. */
typedef void (*PreviewCallback)(int status, PreviewFrame* frame, void* userData);

/* The caller's preview request. */
typedef struct PreviewInfo {
  uint8_t dataType;   /* a PreviewDataType */
  uint8_t transport;  /* 0 TCP; any other value is unsupported (-2) */
  uint8_t reserved[6];
  void* window;       /* X11 window id to draw into, or null for callback only */
  PreviewCallback callback; /* may be null */
  void* userData;     /* handed back unchanged to every callback */
  uint16_t width;     /* written back by a successful start: the output size */
  uint16_t height;
  uint8_t reserved2[4];
} PreviewInfo;
OSTREL_STATIC_ASSERT(sizeof(PreviewInfo) == 40, "PreviewInfo is 40 bytes");
OSTREL_STATIC_ASSERT(offsetof(PreviewInfo, window) == 8, "window at 8");
OSTREL_STATIC_ASSERT(offsetof(PreviewInfo, width) == 32, "width at 32");

struct StretchCtl;

/* Starts a preview of a logged-in camera (data types 2, 3, 5). Returns the preview id 0..255, or
 * -4 not initialised, -10 bad user id, -6 no free preview slot, -1 unsupported data type,
 * -2 unsupported transport, -8 null info, -12 no frame store, -13 no stream worker (connection,
 * buffers), -14 no renderer or window set-up. On success info->width/height hold the output
 * size: temperature: the display size with a window, 0 x 0 without; video (3) and mixed (5): the
 * camera's picture size. Video and mixed frames stay valid for 16 frames; a lost stream gives -17,
 * reconnection -18, and reconnection goes on until the stop. Blocks for the connection; any thread.
 * The callback may call any export except Ostrel_StopPreview of its own preview. */
OSTREL_API int Ostrel_StartPreview(int userId, PreviewInfo* info);

/* As Ostrel_StartPreview for data type 2 without a window, with a transform code 0..5
 * (Alg_Transform's codes); -2 for another type, a window or a code above 5. */
OSTREL_API int Ostrel_StartPreviewTempTransform(int userId, PreviewInfo* info, int transform);

/* Stops the preview and frees everything it owns: 0 (also for a free slot), -4, -10. Blocks
 * until its threads have ended; never call it from the preview's own callback. */
OSTREL_API int Ostrel_StopPreview(int previewId);

/* pause 1 pauses (frames are still received but neither drawn nor called back), any other value
 * resumes: 0, -4, -10. */
OSTREL_API int Ostrel_PausePreview(int previewId, int pause);

/* Temperature previews: image settings (fields chosen by the record's flag word; null keeps
 * them) and palette index (outside the table keeps the current one). Applied from the next
 * frame on. 0, -4, -10. */
OSTREL_API int Ostrel_PreviewSetImage(int previewId, const struct StretchCtl* ctl, int palette);

/* Temperature previews: enable non-zero captures the next frame as the mask and subtracts it
 * from every later frame; 0 switches the mask off. 0, -4, -10. */
OSTREL_API int Ostrel_PreviewEnableMask(int previewId, int enable);

/* Temperature previews without transform: from the 16th frame on, deliver the frame `delay`
 * frames older than the newest. 0..15, else -8; 0, -4, -10. */
OSTREL_API int Ostrel_PreviewSetDelay(int previewId, unsigned delay);

/* An RTSP preview request (268 bytes). */
typedef struct RtspPreviewInfo {
  char url[256];        /* "rtsp://host:port/path", zero-terminated */
  uint8_t options;      /* 256: the video library's open options (TCP only, listen) */
  uint8_t reserved257;
  uint8_t wantPlane;    /* 258: non-zero: each frame's extra area carries one byte a pixel */
  uint8_t reserved[9];
} RtspPreviewInfo;
OSTREL_STATIC_ASSERT(sizeof(RtspPreviewInfo) == 268, "RtspPreviewInfo is 268 bytes");

/* Previews an RTSP source (no login needed); info->dataType becomes 4. Frames of video, mixed and
 * RTSP previews carry the decoded picture in `image`; `extra` holds the received frame header and
 * H.264 data (video, mixed) or the picture width and height at bytes 4 and 6 and, when asked for,
 * one byte a pixel from byte 16384 (RTSP). An RTSP frame stays valid for 8 frames. A failing
 * source reports the video library's code to the callback, about ten times a second. Returns the
 * preview id, -4, -6, -8 or -13 (the source cannot be opened); info->width/height get the
 * picture size. */
OSTREL_API int Ostrel_StartPreviewRtsp(const RtspPreviewInfo* rtsp, PreviewInfo* info);

/* Recording of a running preview. type 1: PNG snapshot of the last picture (RTSP); 2: temperature
 * stream file (temperature); 3: video file (every kind: temperature pictures encoded as H.264,
 * video and mixed streams stored as received, RTSP as received). Paths are UTF-8. Returns 0, -4,
 * -10, -2 (type not for this kind; RTSP: -195), -7 (connection lost; RTSP: nothing to snapshot),
 * -200, -197, -1 (RTSP: already recording, snapshot failed) or the video library's result. A
 * stream file's head carries the correction record of the preview's login as last read or written
 * (Ostrel_GetFixInfo, Ostrel_SetFixInfo), while that login is still to this camera. */
OSTREL_API int Ostrel_BeginSave(int previewId, const char* path, int type);
/* Temperature stream file keeping every n-th frame (n > 0), one frame per -n seconds of camera
 * time (n < 0; the first frame is always kept) or every frame (0); n outside -100..100: -8. */
OSTREL_API int Ostrel_BeginSaveStream(int previewId, const char* path, int cadence);
/* Ends a recording of the type. A stream file that could not be written whole ends at its last
 * whole frame, and its end returns -197. RTSP: -7 when not recording, -195 for type 1. */
OSTREL_API int Ostrel_EndSave(int previewId, int type);

OSTREL_END_DECLS

#endif /* OSTREL_PREVIEW_H */
