#include "files/Blocks.h"

#include <cstring>

#include "foundation/ByteOrder.h"

namespace ostrel::files {

namespace {

bool tagIs(const char* tag, const char* want) {
  return memcmp(tag, want, 4) == 0;
}
bool tagIsZero(const char* tag) {
  return tag[0] == 0 && tag[1] == 0 && tag[2] == 0 && tag[3] == 0;
}

}  // namespace

int findBlock(ByteSource& src, int64_t end, FoundBlock* out) {
  BlockTrailer t;
  if (end < static_cast<int64_t>(sizeof t)) return OSTREL_E_SEEK;
  int rc = src.readAt(end - static_cast<int64_t>(sizeof t), &t, sizeof t);
  if (rc < 0) return rc;

  if (tagIs(t.tag, "TEMP") || tagIsZero(t.tag)) {
    // Both trailer forms: the frame size comes from the trailer and must be one of the formats'.
    int64_t pixels = static_cast<int64_t>(t.width) * t.height;
    if (static_cast<uint64_t>(pixels - TF_MIN_PIXELS) > static_cast<uint64_t>(TF_MAX_PIXELS - TF_MIN_PIXELS))
      return OSTREL_E_READ;
    int64_t size = 2 * pixels + 16684;
    int64_t start = end - size;
    if (start < 0) return OSTREL_E_FRAME_HEADER;
    uint8_t wh[4];
    rc = src.readAt(start + static_cast<int64_t>(offsetof(TempBlockHead, frameHead)), wh, sizeof wh);
    if (rc < 0) return rc;
    if (bytes::readU16(wh, sizeof wh, 0) != t.width || bytes::readU16(wh, sizeof wh, 2) != t.height)
      return OSTREL_E_FRAME_HEADER;
    *out = FoundBlock{BlockKind::Temp, size, start, t.width, t.height, static_cast<int32_t>(size - 44)};
    return 0;
  }
  if (tagIs(t.tag, "CONF")) {
    // The payload must hold a whole record and fit the configuration buffer.
    if (t.length < TF_MIN_CONF_SIZE || t.length > TF_MAX_CONF_SIZE) return OSTREL_E_FRAME_HEADER;
    int64_t size = static_cast<int64_t>(t.length) + 44;
    int64_t start = end - size;
    if (start < 0) return OSTREL_E_FRAME_HEADER;
    BlockPrefix prefix;
    rc = src.readAt(start, &prefix, sizeof prefix);
    if (rc < 0) return rc;
    if (!tagIs(prefix.tag, "CONF") || prefix.length != t.length) return OSTREL_E_FRAME_HEADER;
    *out = FoundBlock{BlockKind::Conf, size, start, t.width, t.height, t.length};
    return 0;
  }
  return OSTREL_E_FRAME_HEADER;
}

int parsePicture(ByteSource& src, PictureLayout* out) {
  int64_t size = src.size();
  if (size < 0) return OSTREL_E_SEEK;
  if (size > TF_MAX_PICTURE_SIZE) return OSTREL_E_FRAME_HEADER;
  PictureLayout l{};
  l.fileSize = size;
  if (findBlock(src, size, &l.temp) != 0 || l.temp.kind != BlockKind::Temp) return OSTREL_E_FRAME_HEADER;
  FoundBlock conf;
  l.hasConf = findBlock(src, l.temp.start, &conf) == 0 && conf.kind == BlockKind::Conf;
  if (l.hasConf) l.conf = conf;
  l.imageSize = l.hasConf ? l.conf.start : l.temp.start;
  // A longer image part passes the file-size limit but not the image buffer: refused, not cut.
  if (l.imageSize > TF_MAX_IMAGE_SIZE) return OSTREL_E_FRAME_HEADER;
  *out = l;
  return 0;
}

void makeTaggedTrailer(BlockTrailer* t, uint16_t w, uint16_t h, int32_t length, const char tag[4]) {
  memset(t, 0, sizeof *t);
  t->width = w;
  t->height = h;
  t->length = length;
  memcpy(t->tag, tag, 4);
}

void makeDatedTrailer(BlockTrailer* t, uint16_t w, uint16_t h) {
  memset(t, 0, sizeof *t);
  t->width = w;
  t->height = h;
  t->date = TF_TRAILER_DATE;
}

int64_t buildTaggedBlock(uint8_t* dst, const void* payload, int32_t length, const char tag[4], uint16_t w,
                         uint16_t h) {
  BlockPrefix prefix;
  prefix.length = length;
  memcpy(prefix.tag, tag, 4);
  if (payload != dst + sizeof prefix) memmove(dst + sizeof prefix, payload, static_cast<size_t>(length));
  memcpy(dst, &prefix, sizeof prefix);
  BlockTrailer t;
  makeTaggedTrailer(&t, w, h, length, tag);
  memcpy(dst + sizeof prefix + length, &t, sizeof t);
  return static_cast<int64_t>(length) + 44;
}

void defaultStretchCtl(uint8_t ctl[64]) {
  memset(ctl, 0, 64);
  ctl[kCtlStrechType] = 1;
  float gain = 2.0f;
  memcpy(ctl + kCtlGain, &gain, sizeof gain);
}

void buildDefaultConf(TempFileConf* conf, const TempFileHead& head, const TempHeader* header, bool withRate,
                      int32_t frameCount) {
  memset(conf, 0, sizeof *conf);
  conf->magic = TF_CONF_MAGIC;
  memcpy(conf->cameraId, head.cameraId, sizeof conf->cameraId);
  conf->captureTime = head.captureTime;
  conf->width = head.width;
  conf->height = head.height;
  memcpy(conf->fixInfo, head.fixInfo, sizeof conf->fixInfo);
  if (withRate) {
    conf->fpsNum = head.fpsNum;
    conf->fpsDiv = head.fpsDiv;
  }
  conf->frameCount = frameCount;
  if (header && header->stretchCtl[kCtlStrechType] != 0) {
    conf->paletteIndex = header->paletteIndex;
    memcpy(conf->stretchCtl, header->stretchCtl, sizeof conf->stretchCtl);
  } else {
    conf->paletteIndex = 5;
    defaultStretchCtl(conf->stretchCtl);
  }
  conf->meaCount = 0;
}

}  // namespace ostrel::files
