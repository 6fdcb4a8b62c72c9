/* Radiometric picture and stream files, thermal file access.
 *
 * A radiometric picture (TempImageFile) is an ordinary image with two blocks appended: an optional
 * ConfBlock (prefix, TempFileConf, trailer) and a TempBlock (prefix, TEMP header, frame head,
 * codes, trailer). Readers find the blocks from the end of the file through their 36-byte trailers.
 * A stream recording (TempStreamFile) is a 64-byte bitmap head, a BGRA cover, 1024 reserved bytes,
 * a TempFileHead and whole frames (DataFrameHead + codes), optionally closed by a ConfBlock.
 * All integers are little-endian; sizes and offsets are bytes. */
#ifndef OSTREL_FILES_H
#define OSTREL_FILES_H

#include <string.h>

#include "OstrelPreview.h"
#include "OstrelRadiometry.h"
#include "OstrelStretch.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* Frame size limits of the file formats: 160 x 120 up to 1280 x 1024 pixels. */
#define TF_MIN_PIXELS 19200
#define TF_MAX_PIXELS 1310720
/* Largest image part of a picture, largest ConfBlock payload and the whole-file limit. */
#define TF_MAX_IMAGE_SIZE 0x200000
#define TF_MIN_CONF_SIZE 7264
#define TF_MAX_CONF_SIZE 0x200000
#define TF_MAX_CONF_BLOCK (TF_MAX_CONF_SIZE + 44)
#define TF_MAX_TEMP_BLOCK (2 * TF_MAX_PIXELS + 16684)
#define TF_MAX_TEMP_PAYLOAD (2 * TF_MAX_PIXELS + 16640)
#define TF_MAX_PICTURE_SIZE (TF_MAX_IMAGE_SIZE + TF_MAX_CONF_BLOCK + TF_MAX_TEMP_BLOCK)
/* TempFileConf magic and the date of the dated trailer form. */
#define TF_CONF_MAGIC 20251016u
#define TF_TRAILER_DATE 20160901u

#pragma pack(push, 1)

/* 128-byte capture head: at the start of the TEMP header and at 4*P + 1088 of a stream file. */
typedef struct TempFileHead {
  char cameraId[32];    /* 0: NUL-padded */
  int64_t captureTime;  /* 32: FILETIME (100-ns ticks since 1601 UTC); a recording's start */
  uint16_t width;       /* 40: pixels */
  uint16_t height;      /* 42: rows */
  uint8_t fixInfo[72];  /* 44: the camera's FixInfoRecord at capture time */
  uint16_t fpsNum;      /* 116: camera frames per second ... */
  uint16_t fpsDiv;      /* 118: ... divided by this */
  uint32_t reserved120; /* 120: 0 */
  uint8_t paletteIndex; /* 124: recorders write 5 */
  uint8_t reserved125;  /* 125: 0 */
  uint16_t version;     /* 126: recorders write 1; not read */
} TempFileHead;
OSTREL_STATIC_ASSERT(sizeof(TempFileHead) == 128, "TempFileHead is 128 bytes");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, captureTime) == 32, "captureTime at 32");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, width) == 40, "width at 40");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, fixInfo) == 44, "fixInfo at 44");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, fpsNum) == 116, "fpsNum at 116");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, fpsDiv) == 118, "fpsDiv at 118");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, paletteIndex) == 124, "paletteIndex at 124");
OSTREL_STATIC_ASSERT(offsetof(TempFileHead, version) == 126, "version at 126");

/* 7264-byte view and measurement configuration: the payload of a ConfBlock and the content of a
 * workstation device record. Bytes 0..275 describe the capture, 276..7263 the user's settings. */
typedef struct TempFileConf {
  uint32_t magic;           /* 0: TF_CONF_MAGIC */
  uint32_t reserved4;       /* 4 */
  int64_t captureTime;      /* 8: FILETIME; 0 in a live camera's record */
  char cameraId[32];        /* 16 */
  uint16_t width;           /* 48 */
  uint16_t height;          /* 50 */
  uint16_t fpsNum;          /* 52 */
  uint16_t fpsDiv;          /* 54 */
  int32_t frameCount;       /* 56: stream files; 0 otherwise */
  uint8_t fixInfo[72];      /* 60: FixInfoRecord */
  char cameraType[16];      /* 132: NUL-padded */
  uint8_t reserved148[128]; /* 148 */
  int32_t paletteIndex;     /* 276: 0..11 */
  uint8_t stretchCtl[64];   /* 280: a StretchCtl record, stored unchanged */
  int32_t meaCount;         /* 344: valid measurement items, 0..32 */
  uint8_t meaItems[32][216]; /* 348: 32 MeaItem records; slots past meaCount carry no meaning */
  uint32_t reserved7260;    /* 7260 */
} TempFileConf;
OSTREL_STATIC_ASSERT(sizeof(TempFileConf) == 7264, "TempFileConf is 7264 bytes");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, captureTime) == 8, "captureTime at 8");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, cameraId) == 16, "cameraId at 16");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, width) == 48, "width at 48");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, fpsNum) == 52, "fpsNum at 52");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, frameCount) == 56, "frameCount at 56");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, fixInfo) == 60, "fixInfo at 60");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, cameraType) == 132, "cameraType at 132");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, paletteIndex) == 276, "paletteIndex at 276");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, stretchCtl) == 280, "stretchCtl at 280");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, meaCount) == 344, "meaCount at 344");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, meaItems) == 348, "meaItems at 348");
OSTREL_STATIC_ASSERT(offsetof(TempFileConf, reserved7260) == 7260, "reserved at 7260");

/* The 8 bytes that open a TempBlock or ConfBlock. */
typedef struct BlockPrefix {
  int32_t length; /* 0: payload length (TEMP tagged: 2*P + 16640; dated: 2*P + 16672; CONF: n) */
  char tag[4];    /* 4: "TEMP", "teMp" or "CONF" */
} BlockPrefix;
OSTREL_STATIC_ASSERT(sizeof(BlockPrefix) == 8, "BlockPrefix is 8 bytes");

/* The 36 bytes that close every block. Tagged form: {w, h, 0, n, tag}; dated form:
 * {w, h, TF_TRAILER_DATE, 0, 0}. */
typedef struct BlockTrailer {
  uint16_t width;       /* 0 */
  uint16_t height;      /* 2 */
  uint32_t date;        /* 4: 0 tagged, TF_TRAILER_DATE dated */
  int32_t length;       /* 8: the block's payload length (tagged), 0 (dated) */
  char tag[4];          /* 12: "TEMP" or "CONF" (tagged), zero (dated) */
  uint8_t reserved[20]; /* 16: zero */
} BlockTrailer;
OSTREL_STATIC_ASSERT(sizeof(BlockTrailer) == 36, "BlockTrailer is 36 bytes");
OSTREL_STATIC_ASSERT(offsetof(BlockTrailer, date) == 4, "date at 4");
OSTREL_STATIC_ASSERT(offsetof(BlockTrailer, length) == 8, "length at 8");
OSTREL_STATIC_ASSERT(offsetof(BlockTrailer, tag) == 12, "tag at 12");

/* The 16512-byte TEMP header at offset 8 of a TempBlock. The palette index and stretchCtl count
 * only when stretchCtl's strechType byte (header offset 140) is non-zero. */
typedef struct TempHeader {
  TempFileHead head;          /* 0 */
  uint32_t reserved128;       /* 128 */
  int32_t paletteIndex;       /* 132: 0..11 */
  uint8_t stretchCtl[64];     /* 136: a StretchCtl record */
  uint8_t reserved200[16312]; /* 200 */
} TempHeader;
OSTREL_STATIC_ASSERT(sizeof(TempHeader) == 16512, "TempHeader is 16512 bytes");
OSTREL_STATIC_ASSERT(offsetof(TempHeader, paletteIndex) == 132, "paletteIndex at 132");
OSTREL_STATIC_ASSERT(offsetof(TempHeader, stretchCtl) == 136, "stretchCtl at 136");

/* The fixed front of a TempBlock; 2*P int16 codes and the BlockTrailer follow. */
typedef struct TempBlockHead {
  BlockPrefix prefix;        /* 0 */
  TempHeader header;         /* 8 */
  DataFrameHead frameHead;   /* 16520 */
} TempBlockHead;
OSTREL_STATIC_ASSERT(sizeof(TempBlockHead) == 16648, "codes start at 16648");
OSTREL_STATIC_ASSERT(offsetof(TempBlockHead, frameHead) == 16520, "frame head at 16520");

/* The 64-byte bitmap head of a stream file: a top-down 32-bit bitmap covering the cover only. */
typedef struct TempStreamHead {
  char magic[2];        /* 0: "BM" */
  uint32_t fileSize;    /* 2: 4*P + 64 */
  uint32_t reserved6;   /* 6 */
  uint32_t dataOffset;  /* 10: 64 */
  uint32_t infoSize;    /* 14: 40 */
  int32_t width;        /* 18 */
  int32_t height;       /* 22: -rows (stored negative: top row first) */
  uint16_t planes;      /* 26: 1 */
  uint16_t bitCount;    /* 28: 32 */
  uint32_t compression; /* 30: 0 */
  uint32_t imageSize;   /* 34: 4*P */
  uint8_t reserved38[26];
} TempStreamHead;
OSTREL_STATIC_ASSERT(sizeof(TempStreamHead) == 64, "TempStreamHead is 64 bytes");
OSTREL_STATIC_ASSERT(offsetof(TempStreamHead, width) == 18, "width at 18");
OSTREL_STATIC_ASSERT(offsetof(TempStreamHead, height) == 22, "height at 22");
OSTREL_STATIC_ASSERT(offsetof(TempStreamHead, imageSize) == 34, "imageSize at 34");

#pragma pack(pop)

/* Where everything of a stream file of w x h pixels lies. Sizes and offsets are 64-bit bytes: a
 * 1280 x 1024 recording passes 2 GiB after about 800 frames. */
typedef struct TempStreamGeometry {
  int32_t width;
  int32_t height;
  int64_t pixels;      /* P = w * h */
  int64_t frameSize;   /* 2*P + 128: DataFrameHead + codes */
  int64_t headOffset;  /* 4*P + 1088: the TempFileHead */
  int64_t firstFrame;  /* 4*P + 1216: the end of the head area, the first frame */
} TempStreamGeometry;

/* Fills `g` for a w x h stream. Returns 0, or -8 when w or h is not positive or P lies outside
 * minPixels..maxPixels. Pure computation; any thread. */
static inline int TempStream_Geometry(int64_t w, int64_t h, int64_t minPixels, int64_t maxPixels,
                                      TempStreamGeometry* g) {
  if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) return OSTREL_E_ARGUMENT;
  if (w * h < minPixels || w * h > maxPixels) return OSTREL_E_ARGUMENT;
  g->width = (int32_t)w;
  g->height = (int32_t)h;
  g->pixels = w * h;
  g->frameSize = 2 * g->pixels + 128;
  g->headOffset = 4 * g->pixels + 1088;
  g->firstFrame = 4 * g->pixels + 1216;
  return 0;
}

/* Whole frames in a file of `fileSize` bytes (a partial frame at the end is not a frame); 0 when
 * the file is shorter than the head area and one frame. */
static inline int64_t TempStream_FrameCount(const TempStreamGeometry* g, int64_t fileSize) {
  if (fileSize < g->firstFrame) return 0;
  return (fileSize - g->firstFrame) / g->frameSize;
}

/* Builds the head area of a stream file in `area` (g->firstFrame bytes, which must fit `capacity`):
 * the bitmap head, a zero cover, 1024 zero bytes and `head` with its width and height set from
 * `g`. Returns 0, or -5 when the area does not fit. The caller then writes the area at offset 0,
 * the first frame's BGRA picture at offset 64 as the cover, and appends frames. Any thread. */
static inline int TempStream_BuildHeadArea(const TempStreamGeometry* g, const TempFileHead* head,
                                           void* area, int64_t capacity) {
  TempStreamHead bm;
  TempFileHead fh;
  if (capacity < g->firstFrame) return OSTREL_E_NO_MEMORY;
  memset(area, 0, (size_t)g->firstFrame);
  memset(&bm, 0, sizeof bm);
  bm.magic[0] = 'B';
  bm.magic[1] = 'M';
  bm.fileSize = (uint32_t)(4 * g->pixels + 64);
  bm.dataOffset = 64;
  bm.infoSize = 40;
  bm.width = g->width;
  bm.height = -g->height;
  bm.planes = 1;
  bm.bitCount = 32;
  bm.imageSize = (uint32_t)(4 * g->pixels);
  memcpy(area, &bm, sizeof bm);
  fh = *head;
  fh.width = (uint16_t)g->width;
  fh.height = (uint16_t)g->height;
  memcpy((char*)area + g->headOffset, &fh, sizeof fh);
  return 0;
}

/* ---------------------------------------------------------------------------------------------
 * Thermal file access. One handle (TFContext) opens a picture or a stream, reads and colours its
 * frames, hands out its configuration and writes it back. A handle belongs to one thread at a
 * time; the functions take no lock, need no Ostrel_InitSDK and block only on file I/O. Paths are
 * UTF-8. Results: >= 0 success, < 0 a status code. */

typedef struct TFContext TFContext;

/* Open types (TF_Open) and handle modes. */
enum TfOpenType { TfOpenType_Closed = 0, TfOpenType_Picture = 1, TfOpenType_Stream = 2 };

/* Raw block descriptor. Pointers point into the handle's buffers (read side from TF_ReadRaw, write
 * side from TF_WriteRawBegin) and stay valid until TF_Free; the handle owns them. */
typedef struct TFRaw {
  uint8_t* image;     /* image bytes of a picture */
  uint8_t* temp;      /* TEMP payload: TempHeader, DataFrameHead, codes */
  TempFileConf* conf; /* the configuration record (confSize bytes, at least 7264) */
  int32_t imageSize;
  int32_t tempSize;
  int32_t confSize;
} TFRaw;

/* One frame of the handle's ring of four slots; valid until four later ring reads have passed. */
typedef struct TFFrame {
  DataFrameHead* head;
  int16_t* data;  /* width x height codes, row-major */
  uint32_t* bgra; /* width x height coloured pixels, bytes B, G, R, A */
} TFFrame;

/* Legend of the current colouring (2056 bytes): the stretch engine's lowest code of the last
 * frame, its lower and upper cut codes and the highest code, then 256 codes rising from the lower
 * cut through the mean (entry 85) to the upper cut, each with the palette colour it is shown in
 * (bytes B, G, R, A). */
typedef struct TFColorMapEntry {
  int16_t code;
  uint16_t reserved; /* 0 */
  uint32_t color;
} TFColorMapEntry;
typedef struct TFColorMap {
  uint16_t minCode;
  uint16_t lowCode;
  uint16_t highCode;
  uint16_t maxCode;
  TFColorMapEntry entries[256];
} TFColorMap;
OSTREL_STATIC_ASSERT(sizeof(TFColorMapEntry) == 8, "TFColorMapEntry is 8 bytes");
OSTREL_STATIC_ASSERT(sizeof(TFColorMap) == 2056, "TFColorMap is 2056 bytes");
OSTREL_STATIC_ASSERT(offsetof(TFColorMap, entries) == 8, "entries at 8");

/* Returns a new closed handle (about 49.5 MiB in one zeroed allocation, its own palette copy and
 * stretch engine; palette 5, the default StretchCtl), or null when any of them cannot be made.
 * The caller owns it until TF_Free. Any thread. */
OSTREL_API TFContext* TF_Create(void);

/* Closes and frees *pctx and sets *pctx to null; a null address or null handle is ignored. The
 * handle's frame, raw and record pointers become invalid. */
OSTREL_API void TF_Free(TFContext** pctx);

/* Sets the palette when 0 <= paletteIndex < 12 (else keeps it) and, when ctl is not null, applies
 * the StretchCtl fields named by its own flags (copied; the caller keeps ctl). They take effect
 * at the next TF_ReadFrame. Returns 0; -7 when closed; -10 for a null handle. */
OSTREL_API int TF_SetImage(TFContext* ctx, int paletteIndex, const StretchCtl* ctl);

/* Reads and colours a frame: a picture's frame (index ignored, slot 0) or frame `index` of a
 * stream (the next ring slot; it stays valid until four later ring reads have passed). The
 * pointers in *frame belong to the handle. Returns 0; -7 closed, -8 null frame or index outside
 * 0..count-1, -193, -198, -194 (frame of another size), or the stretch engine's error. Blocks on
 * one frame read. */
OSTREL_API int TF_ReadFrame(TFContext* ctx, int index, TFFrame* frame);

/* TF_ReadFrame, then the legend of that colouring into *map (the caller's). Same results; -8 for
 * a null map. */
OSTREL_API int TF_ReadFrameWithMap(TFContext* ctx, int index, TFFrame* frame, TFColorMap* map);

/* Measures every item of `list` (count 1..32) on every frame of the open stream. On success *out
 * is one malloc'd block (head, frame times, frame-major results) that the caller frees with
 * free(), and the result is 0. Errors set *out to null: -7 no stream open, -8 null arguments or a
 * bad count, -5 no memory, -193, -198, -11 a frame of another size, or the measurement engine's
 * error for an item. Uses one ring slot; blocks on reading the whole file. */
OSTREL_API int TF_CreateMeaResultData(TFContext* ctx, const MeaItemList* list, MeaResultData** out);

/* Closes the handle's file first when one is open. Returns 0, or -8 (bad type or null path),
 * -200 (cannot open), -193 (seek), -198 (short read), -194 (not such a file). A failed open leaves
 * the handle closed. A stream that cannot be opened for writing is opened read-only; storing its
 * configuration then fails with -200. */
OSTREL_API int TF_Open(TFContext* ctx, const char* path, int openType);

/* Closes. Returns 0 when nothing was open, 1 after a picture, 0 after a stream (-1 when closing
 * the stream file failed); -10 for a null handle. */
OSTREL_API int TF_Close(TFContext* ctx);

/* Frame head of frame `index` of a stream (only the 128-byte head is read, into the next ring
 * slot, whose codes and picture keep an older frame), or slot 0 of a picture (index ignored).
 * Returns 0; -7 closed, -8 index outside 0..count-1, -193, -198, -194 (frame of another size). */
OSTREL_API int TF_ReadFrameHead(TFContext* ctx, int index, TFFrame* frame);

/* The read side: image, TEMP payload and configuration of the open file with their sizes
 * (a stream has image and TEMP size 0). Returns 0, or -7 when closed. */
OSTREL_API int TF_ReadRaw(TFContext* ctx, TFRaw* raw);

/* The write side: three buffers the caller fills before TF_WriteRawEnd. imageSize is handed out
 * as 0 (keep the file's own image) unless the caller sets a new image; tempSize and confSize are
 * the capacities (2638080 and 0x200000). The buffers keep their bytes between calls.
 * Returns 0, or -7 when closed. */
OSTREL_API int TF_WriteRawBegin(TFContext* ctx, TFRaw* raw);

/* Merges the caller's record into the handle's (cameraType and bytes 276..confSize-1; the capture
 * part stays) and stores it. Picture: when 1 <= imageSize <= 0x200000 the caller's image replaces
 * the file's; the file at `path` becomes image + ConfBlock + TempBlock, written to a temporary
 * file beside it and renamed over it, so a failed write leaves the old file whole; returns 1.
 * Stream: the ConfBlock is written after the last whole frame, or over the last n + 44 bytes when
 * the file is already that long (the path is not used); returns 0.
 * Errors: -7 closed; -8 null path (picture), confSize outside 7264..0x200000, or a ConfBlock as
 * long as a stream frame; -200 cannot create (or the stream was opened read-only); -197 short
 * write or failed seek. Blocks on file I/O. */
OSTREL_API int TF_WriteRawEnd(TFContext* ctx, const TFRaw* raw, const char* path);

/* 1 when the caller's view-and-measurement part (palette index, stretch area, item count and the
 * used items) differs from the handle's record, 0 when equal; -7 when closed. */
OSTREL_API int TF_WriteRawCheckConf(TFContext* ctx, const TFRaw* raw);

/* Writes the handle's TempBlock alone (tagged form) to `path`, through a temporary file and a
 * rename. Returns 1; -7 when closed or when a stream is open (a stream has no TEMP block), -8 null
 * path, -200 cannot create, -197 short write. */
OSTREL_API int TF_SaveTemp(TFContext* ctx, const char* path);

OSTREL_END_DECLS

#endif /* OSTREL_FILES_H */
