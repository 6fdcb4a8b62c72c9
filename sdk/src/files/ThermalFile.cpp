// TF_*: thermal file access through one handle. Formats: Blocks.h (pictures), StreamFile.h (streams).
#include "files/ThermalFile.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "alg/image/Stretch.h"
#include "files/Blocks.h"
#include "files/FileIo.h"
#include "files/StreamFile.h"
#include "files/ThermalFileInternal.h"
#include "foundation/Helpers.h"
#include "ostrel/OstrelAlgFrame.h"

namespace ostrel::files {

namespace {

constexpr int64_t kAlign = 64;
int64_t alignUp(int64_t n) {
  return (n + kAlign - 1) / kAlign * kAlign;
}

// Every StretchCtl field group; applied when a file is opened.
constexpr uint32_t kApplyAll = 0x107FB;

bool endsWithBmp(const char* path) {
  size_t n = strlen(path);
  return n >= 4 && memcmp(path + n - 4, ".bmp", 4) == 0;
}

void copyIntoSlot(TFContext* c, int slot, const uint8_t* frame) {
  memcpy(c->slots[slot].head, frame, static_cast<size_t>(2 * c->pixels + 128));
}

void closeStreamFile(TFContext* c, int* result) {
  if (c->file) {
    int rc = fclose(c->file);
    if (result) *result = rc == 0 ? 0 : OSTREL_E_FAILED;
  }
  c->file = nullptr;
  c->readOnly = false;
}

}  // namespace

TFContext* tfAllocate() {
  const int64_t sizes[] = {TF_MAX_IMAGE_SIZE,  TF_MAX_CONF_BLOCK, TF_MAX_TEMP_BLOCK,  TF_MAX_IMAGE_SIZE,
                           kWriteTempCapacity, TF_MAX_CONF_SIZE,  TF_MAX_PICTURE_SIZE};
  int64_t total = 0;
  for (int64_t s : sizes) total += alignUp(s);
  total += kRingSlots * alignUp(kSlotBytes);
  TFContext* c = new (std::nothrow) TFContext;
  if (!c) return nullptr;
  c->block = static_cast<uint8_t*>(calloc(1, static_cast<size_t>(total)));
  if (!c->block) {
    delete c;
    return nullptr;
  }
  uint8_t* p = c->block;
  uint8_t** parts[] = {&c->image,     &c->confBlock, &c->tempBlock, &c->writeImage,
                       &c->writeTemp, &c->writeConf, &c->assembly};
  for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
    *parts[i] = p;
    p += alignUp(sizes[i]);
  }
  for (auto& s : c->slots) {
    s.head = reinterpret_cast<DataFrameHead*>(p);
    s.data = reinterpret_cast<int16_t*>(p + 128);
    s.bgra = reinterpret_cast<uint32_t*>(p + 128 + 2 * TF_MAX_PIXELS);
    p += alignUp(kSlotBytes);
  }
  defaultStretchCtl(c->stretchCtl);
  c->stretchCtl[kCtlSmoothing] = 0;
  return c;
}

void tfRelease(TFContext* ctx) {
  if (!ctx) return;
  closeStreamFile(ctx, nullptr);
  free(ctx->block);
  delete ctx;
}

int tfLoadPicture(TFContext* c, ByteSource& src) {
  PictureLayout l;
  int rc = parsePicture(src, &l);
  if (rc < 0) return rc == OSTREL_E_SEEK ? rc : OSTREL_E_FRAME_HEADER;
  if ((rc = src.readAt(0, c->image, static_cast<size_t>(l.imageSize))) < 0) return rc;
  if (l.hasConf && (rc = src.readAt(l.conf.start, c->confBlock, static_cast<size_t>(l.conf.size))) < 0)
    return rc;
  if ((rc = src.readAt(l.temp.start, c->tempBlock, static_cast<size_t>(l.temp.size))) < 0) return rc;
  c->imageSize = static_cast<int32_t>(l.imageSize);
  c->tempSize = static_cast<int32_t>(l.temp.size - 44);
  c->confSize = l.hasConf ? l.conf.length : TF_MIN_CONF_SIZE;
  if (!l.hasConf || c->conf()->magic != TF_CONF_MAGIC)
    buildDefaultConf(c->conf(), c->header()->head, c->header(), false, 0);
  const auto* fh = reinterpret_cast<const DataFrameHead*>(c->tempBlock + offsetof(TempBlockHead, frameHead));
  c->width = fh->width;
  c->height = fh->height;
  c->pixels = static_cast<int64_t>(fh->width) * fh->height;
  copyIntoSlot(c, 0, c->tempBlock + offsetof(TempBlockHead, frameHead));
  return 0;
}

int tfLoadLegacy(TFContext* c, ByteSource& src) {
  TempStreamGeometry g;
  TempFileHead head;
  int rc = readStreamGeometry(src, TF_MIN_PIXELS, TF_MAX_PIXELS, &g, &head);
  if (rc < 0) return rc;
  // The whole header is cleared so nothing of an earlier file survives in its reserved bytes.
  memset(c->header(), 0, sizeof(TempHeader));
  c->header()->head = head;
  uint8_t* frame = c->tempBlock + offsetof(TempBlockHead, frameHead);
  if ((rc = src.readAt(g.firstFrame, frame, static_cast<size_t>(g.frameSize))) < 0) return rc;
  const auto* fh = reinterpret_cast<const DataFrameHead*>(frame);
  if (fh->width != g.width || fh->height != g.height) return OSTREL_E_FRAME_HEADER;
  int32_t payload = static_cast<int32_t>(2 * g.pixels + 16640);
  buildTaggedBlock(c->tempBlock, c->tempBlock + 8, payload, "TEMP", fh->width, fh->height);
  c->imageSize = 0;
  c->tempSize = payload;
  c->confSize = TF_MIN_CONF_SIZE;
  buildDefaultConf(c->conf(), head, c->header(), false, 0);
  c->width = g.width;
  c->height = g.height;
  c->pixels = g.pixels;
  copyIntoSlot(c, 0, frame);
  return 0;
}

int tfLoadStream(TFContext* c, ByteSource& src) {
  int64_t size = src.size();
  if (size < 0) return OSTREL_E_SEEK;
  TempStreamGeometry g;
  TempFileHead head;
  int rc = readStreamGeometry(src, TF_MIN_PIXELS, TF_MAX_PIXELS, &g, &head);
  if (rc < 0) return rc;
  if (TempStream_FrameCount(&g, size) <= 0) return OSTREL_E_FRAME_HEADER;
  // A ConfBlock closes the frames: counting them up to its start keeps a block longer than the
  // stray tail of a frame from being taken for one more frame.
  int64_t framesEnd = size;
  FoundBlock b;
  bool hasConf = findBlock(src, size, &b) == 0 && b.kind == BlockKind::Conf && b.start >= g.firstFrame &&
                 src.readAt(b.start, c->confBlock, static_cast<size_t>(b.size)) == 0;
  if (hasConf) framesEnd = b.start;
  int64_t count = TempStream_FrameCount(&g, framesEnd);
  if (count <= 0 || count > std::numeric_limits<int32_t>::max()) return OSTREL_E_FRAME_HEADER;
  c->imageSize = 0;
  c->tempSize = 0;
  c->confSize = hasConf ? b.length : TF_MIN_CONF_SIZE;
  if (!hasConf || c->conf()->magic != TF_CONF_MAGIC) buildDefaultConf(c->conf(), head, nullptr, true, 0);
  c->conf()->frameCount = static_cast<int32_t>(count);
  c->geometry = g;
  c->width = g.width;
  c->height = g.height;
  c->pixels = g.pixels;
  c->frameCount = static_cast<int32_t>(count);
  c->endOfFrames = count * g.frameSize + g.firstFrame;
  c->ring.store(0);
  return 0;
}

int tfReadStreamFrame(TFContext* c, int index, bool headOnly, FrameSlot** out) {
  if (index < 0 || index >= c->frameCount) return OSTREL_E_ARGUMENT;
  FrameSlot* slot = &c->slots[c->ring.fetch_add(1) % kRingSlots];
  FileSource src(c->file);
  int64_t offset = static_cast<int64_t>(index) * c->geometry.frameSize + c->geometry.firstFrame;
  size_t n = headOnly ? sizeof(DataFrameHead) : static_cast<size_t>(c->geometry.frameSize);
  int rc = src.readAt(offset, slot->head, n);
  if (rc < 0) return rc;
  if (slot->head->width != c->width || slot->head->height != c->height) return OSTREL_E_FRAME_HEADER;
  *out = slot;
  return 0;
}

void tfFillFrame(const FrameSlot* slot, TFFrame* frame) {
  frame->head = slot->head;
  frame->data = slot->data;
  frame->bgra = slot->bgra;
}

// Takes the opened file's view settings into the handle and its stretch context.
static void takeViewSettings(TFContext* c) {
  TempFileConf* conf = c->conf();
  memcpy(c->stretchCtl, conf->stretchCtl, sizeof c->stretchCtl);
  uint32_t flags = kApplyAll;
  memcpy(c->stretchCtl + kCtlFlags, &flags, sizeof flags);
  c->stretchCtl[kCtlSmoothing] = c->mode.load() == TfOpenType_Stream ? 1 : 0;
  if (conf->paletteIndex >= 0 && conf->paletteIndex < c->paletteCount) c->paletteIndex = conf->paletteIndex;
  tfApplyStretch(c, c->stretchCtl);
}

}  // namespace ostrel::files

using namespace ostrel::files;

// The handle owns a stretch engine and a copy of the palette table from creation to TF_Free;
// opening and closing files does not touch them.
extern "C" OSTREL_API TFContext* TF_Create(void) {
  TFContext* c = tfAllocate();
  if (!c) return nullptr;
  int count = 0;
  PaletteData* p = Ostrel_AllocPaletteData(&count);
  StretchContext* s = p ? strCreate() : nullptr;
  // The initial palette is entry 5: a table without it is as good as none.
  if (!p || !s || count <= 5) {
    strFree(s);
    Ostrel_FreePaletteData(&p);
    tfRelease(c);
    return nullptr;
  }
  c->palettes = p;
  c->paletteCount = count;
  c->paletteIndex = 5;
  // The engine starts with its own defaults; every open applies the file's settings in full.
  c->stretch = s;
  return c;
}

extern "C" OSTREL_API void TF_Free(TFContext** pctx) {
  if (!pctx || !*pctx) return;
  TFContext* c = *pctx;
  TF_Close(c);
  strFree(static_cast<StretchContext*>(c->stretch));
  c->stretch = nullptr;
  Ostrel_FreePaletteData(&c->palettes);
  tfRelease(c);
  *pctx = nullptr;
}

extern "C" OSTREL_API int TF_Open(TFContext* ctx, const char* path, int openType) {
  if (!ctx) return OSTREL_E_HANDLE;
  closeStreamFile(ctx, nullptr);
  ctx->mode.store(TfOpenType_Closed);
  if (!path) return OSTREL_E_ARGUMENT;
  int rc;
  if (openType == TfOpenType_Picture) {
    FILE* f = ostrel::fopenUtf8(path, "rb");
    if (!f) return OSTREL_E_OPEN;
    {
      FileSource src(f);
      rc = tfLoadPicture(ctx, src);
    }
    fclose(f);
    if (rc < 0 && endsWithBmp(path)) {
      // The legacy one-frame bitmap is a stream of one frame; it is only read, so "rb" suffices.
      f = ostrel::fopenUtf8(path, "rb");
      if (!f) return OSTREL_E_OPEN;
      FileSource src(f);
      rc = tfLoadLegacy(ctx, src);
      fclose(f);
    }
    if (rc < 0) return rc;
  } else if (openType == TfOpenType_Stream) {
    // A file without write permission is opened read-only; storing a configuration then fails.
    FILE* f = ostrel::fopenUtf8(path, "rb+");
    bool readOnly = false;
    if (!f) {
      f = ostrel::fopenUtf8(path, "rb");
      readOnly = true;
    }
    if (!f) return OSTREL_E_OPEN;
    FileSource src(f);
    rc = tfLoadStream(ctx, src);
    if (rc < 0) {
      fclose(f);
      return rc;
    }
    ctx->file = f;
    ctx->readOnly = readOnly;
  } else {
    return OSTREL_E_ARGUMENT;
  }
  ctx->mode.store(openType);
  takeViewSettings(ctx);
  return 0;
}

extern "C" OSTREL_API int TF_Close(TFContext* ctx) {
  if (!ctx) return OSTREL_E_HANDLE;
  int mode = ctx->mode.exchange(TfOpenType_Closed);
  if (mode == TfOpenType_Picture) return 1;
  int rc = 0;
  closeStreamFile(ctx, &rc);
  return rc;
}

extern "C" OSTREL_API int TF_ReadFrameHead(TFContext* ctx, int index, TFFrame* frame) {
  if (!ctx) return OSTREL_E_HANDLE;
  if (!frame) return OSTREL_E_ARGUMENT;
  int mode = ctx->mode.load();
  if (mode == TfOpenType_Picture) {
    tfFillFrame(&ctx->slots[0], frame);
    return 0;
  }
  if (mode != TfOpenType_Stream) return OSTREL_E_STATE;
  FrameSlot* slot;
  int rc = tfReadStreamFrame(ctx, index, true, &slot);
  if (rc < 0) return rc;
  tfFillFrame(slot, frame);
  return 0;
}

extern "C" OSTREL_API int TF_ReadRaw(TFContext* ctx, TFRaw* raw) {
  if (!ctx) return OSTREL_E_HANDLE;
  if (!raw) return OSTREL_E_ARGUMENT;
  if (ctx->mode.load() == TfOpenType_Closed) return OSTREL_E_STATE;
  raw->image = ctx->image;
  raw->temp = ctx->tempBlock + 8;
  raw->conf = ctx->conf();
  raw->imageSize = ctx->imageSize;
  raw->tempSize = ctx->tempSize;
  raw->confSize = ctx->confSize;
  return 0;
}

extern "C" OSTREL_API int TF_WriteRawBegin(TFContext* ctx, TFRaw* raw) {
  if (!ctx) return OSTREL_E_HANDLE;
  if (!raw) return OSTREL_E_ARGUMENT;
  if (ctx->mode.load() == TfOpenType_Closed) return OSTREL_E_STATE;
  raw->image = ctx->writeImage;
  raw->temp = ctx->writeTemp;
  raw->conf = reinterpret_cast<TempFileConf*>(ctx->writeConf);
  // Image size 0 keeps the file's own image: a caller that only edits the configuration must not
  // replace the picture with the untouched buffer.
  raw->imageSize = 0;
  raw->tempSize = kWriteTempCapacity;
  raw->confSize = TF_MAX_CONF_SIZE;
  return 0;
}

extern "C" OSTREL_API int TF_WriteRawEnd(TFContext* ctx, const TFRaw* raw, const char* path) {
  if (!ctx) return OSTREL_E_HANDLE;
  int mode = ctx->mode.load();
  if (mode == TfOpenType_Closed) return OSTREL_E_STATE;
  if (!raw || !raw->conf) return OSTREL_E_ARGUMENT;
  if (mode == TfOpenType_Picture && !path) return OSTREL_E_ARGUMENT;
  int32_t n = raw->confSize;
  if (n < TF_MIN_CONF_SIZE || n > TF_MAX_CONF_SIZE) return OSTREL_E_ARGUMENT;
  // In a stream the block must stay shorter than one frame, or frame counting by size would take
  // it for a frame.
  if (mode == TfOpenType_Stream && static_cast<int64_t>(n) + 44 >= ctx->geometry.frameSize)
    return OSTREL_E_ARGUMENT;

  // Merge: cameraType and the view-and-measurement part from the caller; the capture part stays.
  uint8_t* mine = ctx->confBlock + 8;
  const uint8_t* theirs = reinterpret_cast<const uint8_t*>(raw->conf);
  memmove(mine + offsetof(TempFileConf, cameraType), theirs + offsetof(TempFileConf, cameraType),
          sizeof(TempFileConf::cameraType));
  memmove(mine + offsetof(TempFileConf, paletteIndex), theirs + offsetof(TempFileConf, paletteIndex),
          static_cast<size_t>(n) - offsetof(TempFileConf, paletteIndex));
  ctx->confSize = n;
  uint16_t w = static_cast<uint16_t>(ctx->width), h = static_cast<uint16_t>(ctx->height);

  if (mode == TfOpenType_Picture) {
    if (raw->imageSize >= 1 && raw->imageSize <= TF_MAX_IMAGE_SIZE && raw->image) {
      memmove(ctx->image, raw->image, static_cast<size_t>(raw->imageSize));
      ctx->imageSize = raw->imageSize;
    }
    uint8_t* out = ctx->assembly;
    memcpy(out, ctx->image, static_cast<size_t>(ctx->imageSize));
    int64_t at = ctx->imageSize;
    at += buildTaggedBlock(out + at, mine, n, "CONF", w, h);
    int32_t tempLen = static_cast<int32_t>(2 * ctx->pixels + 16640);
    at += buildTaggedBlock(out + at, ctx->tempBlock + 8, tempLen, "TEMP", w, h);
    return replaceFile(path, out, static_cast<size_t>(at));
  }

  if (ctx->readOnly) return OSTREL_E_OPEN;
  FileSource file(ctx->file);
  int64_t length = file.size();
  if (length < 0) return OSTREL_E_WRITE;
  int64_t blockSize = static_cast<int64_t>(n) + 44;
  int64_t at = length < ctx->endOfFrames + blockSize ? ctx->endOfFrames : length - blockSize;
  buildTaggedBlock(ctx->assembly, mine, n, "CONF", w, h);
  return file.writeAt(at, ctx->assembly, static_cast<size_t>(blockSize));
}

extern "C" OSTREL_API int TF_WriteRawCheckConf(TFContext* ctx, const TFRaw* raw) {
  if (!ctx) return OSTREL_E_HANDLE;
  if (ctx->mode.load() == TfOpenType_Closed) return OSTREL_E_STATE;
  if (!raw || !raw->conf) return OSTREL_E_ARGUMENT;
  const TempFileConf* a = ctx->conf();
  const TempFileConf* b = raw->conf;
  uint32_t ca = static_cast<uint32_t>(a->meaCount) > 32 ? 0 : static_cast<uint32_t>(a->meaCount);
  uint32_t cb = static_cast<uint32_t>(b->meaCount) > 32 ? 0 : static_cast<uint32_t>(b->meaCount);
  if (ca != cb) return 1;
  // Palette index, the stretch area and the count (72 bytes), then the used items.
  size_t len = 72 + 216 * static_cast<size_t>(ca);
  return memcmp(&a->paletteIndex, &b->paletteIndex, len) == 0 ? 0 : 1;
}

extern "C" OSTREL_API int TF_SaveTemp(TFContext* ctx, const char* path) {
  if (!ctx) return OSTREL_E_HANDLE;
  // A stream carries no TEMP block: there is nothing to save.
  if (ctx->mode.load() != TfOpenType_Picture) return OSTREL_E_STATE;
  if (!path) return OSTREL_E_ARGUMENT;
  int64_t size = buildTaggedBlock(ctx->assembly, ctx->tempBlock + 8, ctx->tempSize, "TEMP",
                                  static_cast<uint16_t>(ctx->width), static_cast<uint16_t>(ctx->height));
  return replaceFile(path, ctx->assembly, static_cast<size_t>(size));
}
