#include "exporter/ExportPng.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kStoredMax = 65535;  // payload of one stored deflate block

void putBe32(uint8_t* at, uint32_t v) {
  at[0] = uint8_t(v >> 24);
  at[1] = uint8_t(v >> 16);
  at[2] = uint8_t(v >> 8);
  at[3] = uint8_t(v);
}

// Writes a chunk's length and type, then (once its data follows) its CRC over type and data.
uint8_t* beginChunk(uint8_t* at, uint32_t length, const char* type) {
  putBe32(at, length);
  std::memcpy(at + 4, type, 4);
  return at + 8;
}

uint8_t* endChunk(uint8_t* typeAt, uint32_t length) {
  const uLong crc = crc32_z(0, typeAt, size_t(length) + 4);
  putBe32(typeAt + 4 + length, uint32_t(crc));
  return typeAt + 8 + length;
}

static_assert(std::endian::native == std::endian::little, "rowToRgb stores pixels as little-endian words");

// One row of 0xAARRGGBB pixels as R, G, B bytes. Each pixel is stored as four bytes whose last one
// the next pixel overwrites; the last pixel is written bytewise so nothing lands past the row.
void rowToRgb(const quint32* src, int w, uint8_t* dst) {
  int x = 0;
  for (; x + 1 < w; ++x, dst += 3) {
    const uint32_t v = src[x];
    const uint32_t rgbx = ((v >> 16) & 0xFFu) | (v & 0xFF00u) | ((v & 0xFFu) << 16);
    std::memcpy(dst, &rgbx, 4);  // little-endian: R, G, B, then a byte the next pixel replaces
  }
  if (x < w) {
    dst[0] = uint8_t(src[x] >> 16);
    dst[1] = uint8_t(src[x] >> 8);
    dst[2] = uint8_t(src[x]);
  }
}

}  // namespace

bool writeExportPng(const QImage& picture, QByteArray* png) {
  if (picture.isNull()) {
    png->clear();
    return false;
  }
  const QImage* image = &picture;
  QImage converted;
  if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32) {
    converted = picture.convertToFormat(QImage::Format_RGB32);
    if (converted.isNull()) return false;
    image = &converted;
  }
  const int w = image->width(), h = image->height();
  // Each row starts with its filter type, 0 (none).
  const int64_t rowBytes = 1 + 3 * int64_t(w);
  const int64_t raw = rowBytes * h;
  const int64_t blocks = (raw + kStoredMax - 1) / kStoredMax;
  const int64_t idat = 2 + 5 * blocks + raw + 4;  // zlib head, block heads, data, Adler-32
  if (idat > 0x7FFFFFFF) {
    png->clear();
    return false;
  }
  const int64_t total = 8 + (12 + 13) + (12 + 9) + (12 + idat) + 12;
  // A series reuses one array: resizing keeps its storage.
  png->resize(qsizetype(total));
  auto* out = reinterpret_cast<uint8_t*>(png->data());

  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::memcpy(out, kSignature, 8);
  uint8_t* at = out + 8;

  uint8_t* data = beginChunk(at, 13, "IHDR");
  putBe32(data, uint32_t(w));
  putBe32(data + 4, uint32_t(h));
  data[8] = 8;   // bits per sample
  data[9] = 2;   // RGB
  data[10] = 0;  // deflate
  data[11] = 0;  // adaptive filtering, every row filter 0
  data[12] = 0;  // not interlaced
  at = endChunk(at + 4, 13);

  data = beginChunk(at, 9, "pHYs");
  putBe32(data, uint32_t(std::max(0, image->dotsPerMeterX())));
  putBe32(data + 4, uint32_t(std::max(0, image->dotsPerMeterY())));
  data[8] = 1;  // per metre
  at = endChunk(at + 4, 9);

  uint8_t* idatType = at + 4;
  data = beginChunk(at, uint32_t(idat), "IDAT");
  data[0] = 0x78;  // deflate, 32 KiB window
  data[1] = 0x01;  // fastest level, no dictionary; 0x7801 is a multiple of 31
  data += 2;
  // Rows are laid out through a row buffer, since stored blocks break rows at 65535-byte marks.
  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
  row[0] = 0;
  uLong adler = adler32_z(0, nullptr, 0);
  int64_t left = raw;     // bytes of image data still to place
  int blockLeft = 0;      // room left in the current stored block
  for (int y = 0; y < h; ++y) {
    rowToRgb(reinterpret_cast<const quint32*>(image->constScanLine(y)), w, row.data() + 1);
    adler = adler32_z(adler, row.data(), size_t(rowBytes));
    const uint8_t* from = row.data();
    int64_t n = rowBytes;
    while (n > 0) {
      if (blockLeft == 0) {
        blockLeft = int(std::min<int64_t>(left, kStoredMax));
        data[0] = left <= kStoredMax ? 1 : 0;  // last block flag; type 00 (stored)
        data[1] = uint8_t(blockLeft);
        data[2] = uint8_t(blockLeft >> 8);
        data[3] = uint8_t(~blockLeft);
        data[4] = uint8_t(~blockLeft >> 8);
        data += 5;
      }
      const int take = int(std::min<int64_t>(n, blockLeft));
      std::memcpy(data, from, size_t(take));
      data += take;
      from += take;
      n -= take;
      blockLeft -= take;
      left -= take;
    }
  }
  putBe32(data, uint32_t(adler));
  at = endChunk(idatType, uint32_t(idat));

  beginChunk(at, 0, "IEND");
  at = endChunk(at + 4, 0);
  return at == out + total;
}
