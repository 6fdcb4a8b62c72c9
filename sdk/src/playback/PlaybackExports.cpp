// The OstrelPlayback_* exports over PlaybackContext.
#include <cstdlib>
#include <cstring>
#include <new>

#include "OstrelSDK.h"
#include "alg/frame/Palette.h"
#include "files/FileIo.h"
#include "foundation/Helpers.h"
#include "frame/SdkState.h"
#include "playback/Playback.h"

using namespace ostrel::playback;

namespace {

void release(PlaybackContext* c) {
  closeOpen(c);
  strFree(c->stretch);
  IRDestrip_Free(&c->destrip);
  IRDenoise_Free(&c->denoise);
  std::free(c->block);
  delete c;
}

}  // namespace

extern "C" OSTREL_API PlaybackContext* OstrelPlayback_Create(void) {
  if (!ostrel::sdk::sdkInitialised()) return nullptr;
  auto* c = new (std::nothrow) PlaybackContext;
  if (!c) return nullptr;
  c->stretch = strCreate();
  c->destrip = IRDestrip_Create();
  c->denoise = IRDenoise_Create();
  if (!c->stretch || !c->destrip || !c->denoise) {
    release(c);
    return nullptr;
  }
  c->ctl.flags = 0xFFFFFFFFu;
  c->ctl.strechType = 1;
  c->ctl.smoothing = 0;
  c->ctl.gain = 2.0f;
  c->ctl.man_temp0 = 200;
  c->ctl.man_temp1 = 400;
  strSetCtl(c->stretch, &c->ctl);
  c->destripRec.s0_radius = 5;
  c->destripRec.s0_regular = 10;
  c->destripRec.s1_radius = 5;
  c->destripRec.s1_regular = 10;
  c->destripRec.sub_y = 4;
  c->destripRec.sub_t = 1;
  c->denoiseRec.gf_radius = 5;
  c->denoiseRec.gf_regular = 5;
  return c;
}

extern "C" OSTREL_API void OstrelPlayback_Free(PlaybackContext** handle) {
  if (!handle || !*handle) return;
  release(*handle);
  *handle = nullptr;
}

extern "C" OSTREL_API int OstrelPlayback_GetImage(PlaybackContext* c, StretchCtl* ctl, int* paletteIndex) {
  if (!c) return OSTREL_E_ARGUMENT;
  if (ctl) strGetCtl(c->stretch, ctl);
  if (paletteIndex) *paletteIndex = c->paletteIndex;
  return 0;
}

extern "C" OSTREL_API int OstrelPlayback_SetImage(PlaybackContext* c, const StretchCtl* ctl, const int* paletteIndex) {
  if (!c) return OSTREL_E_ARGUMENT;
  if (ctl) {
    strSetCtl(c->stretch, ctl);
    // The handle's record follows, so a later open re-applies what the caller chose.
    const uint32_t flags = c->ctl.flags;
    strGetCtl(c->stretch, &c->ctl);
    c->ctl.flags = flags;
  }
  int count = 0;
  ostrel::alg::paletteTable(&count);
  if (paletteIndex && *paletteIndex >= 0 && *paletteIndex < count) c->paletteIndex = *paletteIndex;
  return 0;
}

extern "C" OSTREL_API int OstrelPlayback_OpenFile(PlaybackContext* c, const char* path, int type) {
  if (!c || !path) return OSTREL_E_ARGUMENT;
  closeOpen(c);
  if (type != 0 && type != 1 && type != 2 && type != 4) return OSTREL_E_UNSUPPORTED;
  FILE* f = ostrel::fopenUtf8(path, "rb");
  if (!f) return OSTREL_E_OPEN;
  std::unique_ptr<ostrel::files::ByteSource> src(new (std::nothrow) ostrel::files::FileSource(f));
  if (!src) {
    std::fclose(f);
    return OSTREL_E_NO_MEMORY;
  }
  return openSource(c, std::move(src), f, type);
}

extern "C" OSTREL_API int OstrelPlayback_CloseFile(PlaybackContext* c) {
  if (!c) return OSTREL_E_ARGUMENT;
  const bool stream = c->flags & kStream;
  const int rc = closeOpen(c);
  return stream ? rc : int(c->flags);
}

extern "C" OSTREL_API int OstrelPlayback_OpenMem(PlaybackContext* c, const DataFrameHead* head, const int16_t* codes) {
  if (!c || !head || !codes) return OSTREL_E_ARGUMENT;
  closeOpen(c);
  int rc = makeBuffers(c, head->width, head->height);
  if (rc < 0) return rc;
  TempFileHead fh{};
  fh.width = head->width;
  fh.height = head->height;
  c->head = fh;
  std::memset(c->tempBlock + 8, 0, sizeof(TempHeader));
  std::memcpy(c->blockHead(), &fh, sizeof fh);
  std::memcpy(c->blockFrameHead(), head, sizeof *head);
  std::memcpy(reinterpret_cast<uint8_t*>(c->blockFrameHead()) + 128, codes, size_t(2 * c->pixels));
  c->imageSize = 0;
  c->ctl.smoothing = 0;
  strSetCtl(c->stretch, &c->ctl);
  c->flags |= kPicture;
  c->paletteIndex = 5;
  return 0;
}

extern "C" OSTREL_API int OstrelPlayback_ReadCover(PlaybackContext* c, PlaybackCover* cover) {
  if (!c || !cover) return OSTREL_E_ARGUMENT;
  std::memset(cover, 0, sizeof *cover);
  if (c->flags & kPicture) {
    cover->head = c->blockHead();
    cover->headerExtra = c->tempBlock + 8 + 128;
    cover->frameHead = c->blockFrameHead();
    cover->data = reinterpret_cast<int16_t*>(reinterpret_cast<uint8_t*>(c->blockFrameHead()) + 128);
  } else if (c->flags & kStream) {
    cover->head = &c->streamHead;
  } else {
    return OSTREL_E_STATE;
  }
  cover->image = c->image;
  cover->imageSize = int32_t(c->imageSize);
  return 0;
}

extern "C" OSTREL_API int OstrelPlayback_ReadFrame(PlaybackContext* c, int index, PreviewFrame* frame) {
  if (!c || !frame) return OSTREL_E_ARGUMENT;
  return readFrame(c, index, frame);
}

extern "C" OSTREL_API int OstrelPlayback_SaveFile(PlaybackContext* c, const PlaybackCover* cover, const char* path) {
  if (!c || !cover || !path) return OSTREL_E_ARGUMENT;
  if (!(c->flags & kPicture)) return OSTREL_E_STATE;
  if (cover->image != c->image || cover->imageSize > kImageArea) return OSTREL_E_UNSUPPORTED;
  const size_t imageBytes = cover->imageSize > 0 ? size_t(cover->imageSize) : 0;
  // Through a temporary file: a short write must not destroy the picture at the path, which may
  // be the very file that was opened.
  const ostrel::files::FilePart parts[2] = {{c->image, imageBytes},
                                            {c->tempBlock, size_t(c->tempBlockSize())}};
  const int rc = ostrel::files::replaceFile(path, parts, 2);
  return rc == 1 ? 0 : rc;
}

extern "C" OSTREL_API int OstrelPlayback_ConfigDestrip(PlaybackContext* c, DestripInfoRecord* rec, int set) {
  if (!c || !rec) return OSTREL_E_ARGUMENT;
  if (!set) {
    *rec = c->destripRec;
    return 0;
  }
  if (c->width <= 0) return OSTREL_E_STATE;
  c->destripRec = *rec;
  c->flags |= kDestripPending;
  return 0;
}

extern "C" OSTREL_API int OstrelPlayback_ConfigDenoise(PlaybackContext* c, DenoiseInfoRecord* rec, int set) {
  if (!c || !rec) return OSTREL_E_ARGUMENT;
  if (!set) {
    *rec = c->denoiseRec;
    return 0;
  }
  if (c->width <= 0) return OSTREL_E_STATE;
  c->denoiseRec = *rec;
  c->flags |= kDenoisePending;
  return 0;
}
