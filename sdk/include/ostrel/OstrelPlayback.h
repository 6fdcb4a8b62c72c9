/* Playback of radiometric files and frames held in memory.
 *
 * A player handle opens a legacy one-frame ".bmp", a radiometric picture or a stream recording,
 * or takes one frame from memory; it reads the cover and the frames with destripe and denoise
 * applied and coloured with the current palette and stretch, and writes a loaded picture back.
 * The picture reader finds the TEMP block by its 36-byte trailer alone, so a ConfBlock in front of
 * it counts as part of the image bytes.
 *
 * A handle belongs to one thread at a time; no lock is taken and nothing blocks beyond file
 * reads. Frame sizes from 1024 to 0x800000 pixels. Paths are UTF-8. Every function returns a
 * status code of OstrelTypes.h; a null handle or a null required pointer gives -8. */
#ifndef OSTREL_PLAYBACK_H
#define OSTREL_PLAYBACK_H

#include "OstrelFiles.h"
#include "OstrelPreview.h"
#include "OstrelRecords.h"
#include "OstrelStretch.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* Bytes of a player's image area: a picture's image part, or a stream's bitmap head and cover. */
#define OSTREL_PLAYBACK_IMAGE_AREA 0x2000400

typedef struct PlaybackContext PlaybackContext;

/* What is loaded, filled by OstrelPlayback_ReadCover. Pointers point into the handle and stay
 * valid until the next open, close or free of it. */
typedef struct PlaybackCover {
  TempFileHead* head;       /* the picture's TEMP header head, or the stream's TempFileHead */
  void* headerExtra;        /* picture: TEMP header byte 128 (16384 bytes); stream: null */
  DataFrameHead* frameHead; /* picture: the TEMP block's frame head; stream: null */
  int16_t* data;            /* picture: its codes; stream: null */
  void* reserved;           /* always null */
  uint8_t* image;           /* picture: the image bytes; stream: bitmap head and cover */
  int32_t reserved2;        /* always 0 */
  int32_t imageSize;        /* bytes at image (stream: 4 x pixels + 64) */
} PlaybackCover;

/* A new player with palette 5, the default stretch and both filters off; null before
 * Ostrel_InitSDK or when memory runs out. Owned by the caller until OstrelPlayback_Free. */
OSTREL_API PlaybackContext* OstrelPlayback_Create(void);
/* Closes an open stream, frees everything and sets *handle to null; null is ignored. */
OSTREL_API void OstrelPlayback_Free(PlaybackContext** handle);
/* Copies the current stretch settings (flags 0) to *ctl and the palette index to *paletteIndex;
 * either may be null. 0. */
OSTREL_API int OstrelPlayback_GetImage(PlaybackContext* handle, StretchCtl* ctl, int* paletteIndex);
/* Applies *ctl with its own flags (null: none) and takes *paletteIndex when it names a palette
 * (null or out of range: kept). 0. */
OSTREL_API int OstrelPlayback_SetImage(PlaybackContext* handle, const StretchCtl* ctl, const int* paletteIndex);
/* Opens path: type 0 legacy one-frame ".bmp", 1 or 4 radiometric picture, 2 stream recording
 * (kept open until closed); any other type -2. Closes what was open first. Returns 0, -200 cannot
 * open, -198 short file, -194 layout that does not match (sizes, heads, an image part over
 * OSTREL_PLAYBACK_IMAGE_AREA bytes), -2 a frame size outside 1024..0x800000 pixels, -5 no memory.
 * A failed open leaves the handle empty. */
OSTREL_API int OstrelPlayback_OpenFile(PlaybackContext* handle, const char* path, int type);
/* Closes: the file-close result for a stream, else the remaining state bits (pending filter
 * configurations 0x10000 destripe, 0x20000 denoise). */
OSTREL_API int OstrelPlayback_CloseFile(PlaybackContext* handle);
/* Loads one frame (its head and width x height codes, copied) as a picture with no image part;
 * resets the palette to index 5. 0, -2 frame size out of range, -5 no memory. */
OSTREL_API int OstrelPlayback_OpenMem(PlaybackContext* handle, const DataFrameHead* head, const int16_t* codes);
/* Fills *cover for what is loaded; -7 when nothing is. */
OSTREL_API int OstrelPlayback_ReadCover(PlaybackContext* handle, PlaybackCover* cover);
/* Reads frame `index` (ignored for a picture) into one of four slots, destripes, denoises and
 * colours it, and points *frame's head, data, image and extra at the slot (work and previous are
 * not touched). A stream uses the slots in turn, so a frame stays valid for three more reads.
 * 0, -7 nothing loaded (or the failure of a pending filter configuration), -8 index outside the
 * stream, -198 short read, -194 a frame head of another size. */
OSTREL_API int OstrelPlayback_ReadFrame(PlaybackContext* handle, int index, PreviewFrame* frame);
/* Writes the loaded picture to path: cover->imageSize bytes of the image area, then the TEMP
 * block. cover->image must be the handle's own image area (callers may put a new image there
 * first). Written through a temporary file and renamed, so a failure keeps an earlier file.
 * 0, -7 no picture loaded, -2 a foreign image or a size over the area, -200, -197. */
OSTREL_API int OstrelPlayback_SaveFile(PlaybackContext* handle, const PlaybackCover* cover, const char* path);
/* set non-zero: stores *rec (width and height are filled in at the next frame read) to apply at
 * the next OstrelPlayback_ReadFrame; -7 while no frame size is known. set 0: copies the current
 * record to *rec. 0. */
OSTREL_API int OstrelPlayback_ConfigDestrip(PlaybackContext* handle, DestripInfoRecord* rec, int set);
/* The same for the denoise filter. */
OSTREL_API int OstrelPlayback_ConfigDenoise(PlaybackContext* handle, DenoiseInfoRecord* rec, int set);

OSTREL_END_DECLS

OSTREL_STATIC_ASSERT(sizeof(PlaybackCover) == 56, "size of PlaybackCover");
OSTREL_STATIC_ASSERT(offsetof(PlaybackCover, headerExtra) == 8, "PlaybackCover.headerExtra");
OSTREL_STATIC_ASSERT(offsetof(PlaybackCover, frameHead) == 16, "PlaybackCover.frameHead");
OSTREL_STATIC_ASSERT(offsetof(PlaybackCover, data) == 24, "PlaybackCover.data");
OSTREL_STATIC_ASSERT(offsetof(PlaybackCover, image) == 40, "PlaybackCover.image");
OSTREL_STATIC_ASSERT(offsetof(PlaybackCover, reserved2) == 48, "PlaybackCover.reserved2");
OSTREL_STATIC_ASSERT(offsetof(PlaybackCover, imageSize) == 52, "PlaybackCover.imageSize");

#endif /* OSTREL_PLAYBACK_H */
