// Pieces of the thermal file handle that the exports, the colouring and the tests share.
#pragma once

#include "files/FileIo.h"
#include "files/ThermalFile.h"

namespace ostrel::files {

// The readers behind TF_Open, over any byte source (a file, or memory in the fuzz targets). Each
// fills the read side and slot 0 (pictures) or the stream state (streams) and returns 0 or a
// status code; on failure the handle must be treated as closed.
int tfLoadPicture(TFContext* c, ByteSource& src);
int tfLoadLegacy(TFContext* c, ByteSource& src);
int tfLoadStream(TFContext* c, ByteSource& src);

// Reads frame `index` of the open stream (head only, or head and codes) into the next ring slot.
int tfReadStreamFrame(TFContext* c, int index, bool headOnly, FrameSlot** out);
void tfFillFrame(const FrameSlot* slot, TFFrame* frame);

// Applies a StretchCtl record (with its own flags) to the handle's stretch context.
void tfApplyStretch(TFContext* c, const uint8_t ctl[64]);

}  // namespace ostrel::files
