#include "playback/Playback.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "alg/frame/Palette.h"
#include "files/Blocks.h"
#include "files/StreamFile.h"

namespace ostrel::playback {

namespace {

using files::ByteSource;

constexpr int64_t kTempBlockFixed = 16684;  // prefix, TEMP header, frame head, trailer
constexpr int64_t kHeaderAt = 8;
// Any size the format can state: the frame-size limits are makeBuffers' to enforce (-2).
constexpr int64_t kAnyPixels = int64_t(0xFFFF) * 0xFFFF;

int64_t align64(int64_t n) {
  return (n + 63) & ~int64_t(63);
}

// A read whose failure means the file is shorter than its heads say.
int readShort(ByteSource& src, int64_t offset, void* dst, int64_t n) {
  return src.readAt(offset, dst, size_t(n)) == 0 ? 0 : OSTREL_E_READ;
}

bool frameHeadFits(const PlaybackContext* c, const void* head) {
  const auto* fh = static_cast<const DataFrameHead*>(head);
  return fh->width == c->width && fh->height == c->height;
}

// Legacy one-frame ".bmp": a stream file whose first frame is the picture.
int loadLegacy(PlaybackContext* c, ByteSource& src) {
  TempStreamGeometry g;
  TempFileHead fh;
  int rc = files::readStreamGeometry(src, 1, kAnyPixels, &g, &fh);
  if (rc < 0) return rc == OSTREL_E_FRAME_HEADER ? rc : OSTREL_E_READ;
  if ((rc = makeBuffers(c, g.width, g.height)) < 0) return rc;
  const int64_t cover = 4 * g.pixels + 64;
  if ((rc = readShort(src, 0, c->image, cover)) < 0) return rc;
  if ((rc = readShort(src, g.firstFrame, c->blockFrameHead(), g.frameSize)) < 0) return rc;
  // The codes are coloured by the frame head's size: it must be the file's.
  if (!frameHeadFits(c, c->blockFrameHead())) return OSTREL_E_FRAME_HEADER;
  std::memset(c->tempBlock + kHeaderAt, 0, sizeof(TempHeader));
  std::memcpy(c->blockHead(), &fh, sizeof fh);
  c->head = fh;
  c->imageSize = cover;
  return 0;
}

// Picture: image bytes, then a TEMP block found by its trailer alone.
int loadPicture(PlaybackContext* c, ByteSource& src) {
  const int64_t size = src.size();
  if (size < 0) return OSTREL_E_SEEK;
  if (size < int64_t(sizeof(BlockTrailer))) return OSTREL_E_READ;
  BlockTrailer tr;
  int rc = readShort(src, size - int64_t(sizeof tr), &tr, 32);
  if (rc < 0) return rc;
  if (tr.width == 0 || tr.height == 0) return OSTREL_E_FRAME_HEADER;
  // 64-bit: a 65535 x 65535 trailer must not wrap the offsets below.
  const int64_t pixels = int64_t(tr.width) * tr.height;
  const int64_t block = 2 * pixels + kTempBlockFixed;
  const int64_t imageLength = size - block;
  TempFileHead fh;
  if (imageLength + kHeaderAt < 0) return OSTREL_E_READ;
  if ((rc = readShort(src, imageLength + kHeaderAt, &fh, sizeof fh)) < 0) return rc;
  if (fh.width != tr.width || fh.height != tr.height) return OSTREL_E_FRAME_HEADER;
  // The image part lands in the fixed image area.
  if (imageLength < 0 || imageLength > kImageArea) return OSTREL_E_FRAME_HEADER;
  if ((rc = makeBuffers(c, tr.width, tr.height)) < 0) return rc;
  if ((rc = readShort(src, 0, c->image, imageLength)) < 0) return rc;
  if ((rc = readShort(src, imageLength, c->tempBlock, block)) < 0) return rc;
  if (!frameHeadFits(c, c->blockFrameHead())) return OSTREL_E_FRAME_HEADER;
  c->head = fh;
  c->imageSize = imageLength;
  return 0;
}

int loadStream(PlaybackContext* c, ByteSource& src) {
  const int64_t size = src.size();
  if (size < 0) return OSTREL_E_SEEK;
  TempStreamGeometry g;
  TempFileHead fh;
  int rc = files::readStreamGeometry(src, 1, kAnyPixels, &g, &fh);
  if (rc < 0) return rc == OSTREL_E_FRAME_HEADER ? rc : OSTREL_E_READ;
  const int64_t count = TempStream_FrameCount(&g, size);
  if (count <= 0) return OSTREL_E_FRAME_HEADER;
  if ((rc = makeBuffers(c, g.width, g.height)) < 0) return rc;
  if ((rc = readShort(src, 0, c->image, 4 * g.pixels + 64)) < 0) return rc;
  std::memcpy(&c->bitmap, c->image, sizeof c->bitmap);
  c->head = fh;
  c->streamHead = fh;
  c->geometry = g;
  c->frameCount = count > INT_MAX ? INT_MAX : int32_t(count);
  c->imageSize = 4 * g.pixels + 64;
  return 0;
}

}  // namespace

int makeBuffers(PlaybackContext* c, int64_t w, int64_t h) {
  if (w <= 0 || h <= 0) return OSTREL_E_UNSUPPORTED;
  const int64_t p = w * h;
  if (p < kMinPixels || p > kMaxPixels) return OSTREL_E_UNSUPPORTED;
  if (p > c->capacity) {
    std::free(c->block);
    c->block = nullptr;
    c->capacity = 0;
    const int64_t temp = align64(2 * p + kTempBlockFixed);
    const int64_t frame = align64(128 + 2 * p), image = align64(4 * p);
    const int64_t total = kImageArea + temp + kSlots * (frame + image + kStatsBytes);
    auto* b = static_cast<uint8_t*>(std::calloc(1, size_t(total)));
    if (!b) return OSTREL_E_NO_MEMORY;
    c->block = b;
    c->capacity = p;
    c->image = b;
    c->tempBlock = b + kImageArea;
    uint8_t* at = c->tempBlock + temp;
    for (auto& s : c->slots) {
      s.head = reinterpret_cast<DataFrameHead*>(at);
      s.data = reinterpret_cast<int16_t*>(at + 128);
      s.image = reinterpret_cast<uint32_t*>(at + frame);
      s.stats = at + frame + image;
      at += frame + image + kStatsBytes;
    }
  }
  c->width = int32_t(w);
  c->height = int32_t(h);
  c->pixels = p;
  BlockPrefix prefix{int32_t(2 * p + 16672), {'t', 'e', 'M', 'p'}};
  std::memcpy(c->tempBlock, &prefix, sizeof prefix);
  files::makeDatedTrailer(reinterpret_cast<BlockTrailer*>(c->tempBlock + c->tempBlockSize() - 36), uint16_t(w),
                          uint16_t(h));
  return 0;
}

int closeOpen(PlaybackContext* c) {
  int rc = 0;
  c->source.reset();
  if (c->file) {
    rc = std::fclose(c->file) == 0 ? 0 : OSTREL_E_FAILED;
    c->file = nullptr;
  }
  c->flags &= ~(kPicture | kStream);
  c->frameCount = 0;
  c->imageSize = 0;
  return rc;
}

int openSource(PlaybackContext* c, std::unique_ptr<files::ByteSource> src, FILE* file, int type) {
  int rc;
  switch (type) {
    case 0: rc = loadLegacy(c, *src); break;
    case 1:
    case 4: rc = loadPicture(c, *src); break;
    case 2: rc = loadStream(c, *src); break;
    default: rc = OSTREL_E_UNSUPPORTED; break;
  }
  if (rc == 0 && type == 2) {
    c->source = std::move(src);
    c->file = file;
    c->lastSlot = kSlots - 1;
  } else if (file) {
    std::fclose(file);
  }
  if (rc < 0) {
    c->imageSize = 0;
    c->frameCount = 0;
    return rc;
  }
  c->ctl.smoothing = type == 2 ? 1 : 0;
  c->ctl.flags = StretchCtl_Smoothing;
  strSetCtl(c->stretch, &c->ctl);
  c->flags |= type == 2 ? kStream : kPicture;
  return 0;
}

int readFrame(PlaybackContext* c, int index, PreviewFrame* out) {
  int configRc = 0;
  if (c->width > 0) {
    if (c->flags & kDestripPending) {
      c->destripRec.width = uint16_t(c->width);
      c->destripRec.height = uint16_t(c->height);
      const int rc = IRDestrip_SetConfig(c->destrip, &c->destripRec);
      if (rc < 0) configRc = rc;
    }
    if (c->flags & kDenoisePending) {
      c->denoiseRec.width = uint16_t(c->width);
      c->denoiseRec.height = uint16_t(c->height);
      const int rc = IRDenoise_SetConfig(c->denoise, &c->denoiseRec);
      if (rc < 0) configRc = rc;
    }
    c->flags &= ~(kDestripPending | kDenoisePending);
  }
  const bool picture = c->flags & kPicture;
  PlaybackSlot* s;
  if (picture) {
    s = &c->slots[0];
    std::memcpy(s->head, c->blockFrameHead(), size_t(128 + 2 * c->pixels));
  } else if (c->flags & kStream) {
    if (index < 0 || index >= c->frameCount) return OSTREL_E_ARGUMENT;
    const int next = (c->lastSlot + 1) % kSlots;
    s = &c->slots[next];
    const int64_t at = int64_t(index) * c->geometry.frameSize + c->geometry.firstFrame;
    if (c->source->readAt(at, s->head, size_t(c->geometry.frameSize)) != 0) return OSTREL_E_READ;
    c->lastSlot = next;
    if (!frameHeadFits(c, s->head)) return OSTREL_E_FRAME_HEADER;
  } else {
    return configRc < 0 ? configRc : OSTREL_E_STATE;
  }

  int count = 0;
  const PaletteData* palettes = alg::paletteTable(&count);
  if (!palettes || c->paletteIndex < 0 || c->paletteIndex >= count) return OSTREL_E_NOT_INIT;
  // Pictures refresh the stripe estimate every time; streams every sub_t-th frame.
  IRDestrip_Execute(c->destrip, s->data, c->width, c->height, picture ? 0 : 1);
  IRDenoise_Execute(c->denoise, s->data, c->width, c->height);
  const int rc = strTemp2Bgra(c->stretch, s->data, s->head, s->image, palettes[c->paletteIndex].colors);
  if (rc < 0) return rc;
  out->head = s->head;
  out->data = s->data;
  out->image = s->image;
  out->extra = s->stats;
  return 0;
}

}  // namespace ostrel::playback
