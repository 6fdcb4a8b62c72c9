#include "files/StreamFile.h"

#include <cstring>

#include "foundation/Helpers.h"

namespace ostrel::files {

int readStreamGeometry(ByteSource& src, int64_t minPixels, int64_t maxPixels, TempStreamGeometry* g,
                       TempFileHead* head) {
  TempStreamHead bm;
  int rc = src.readAt(0, &bm, sizeof bm);
  if (rc < 0) return rc;
  // The stored height must be negative (top-down rows); 64-bit so INT32_MIN cannot overflow.
  int64_t w = bm.width;
  int64_t h = -static_cast<int64_t>(bm.height);
  TempStreamGeometry geo;
  if (TempStream_Geometry(w, h, minPixels, maxPixels, &geo) != 0) return OSTREL_E_FRAME_HEADER;
  TempFileHead fh;
  rc = src.readAt(geo.headOffset, &fh, sizeof fh);
  if (rc < 0) return rc;
  if (fh.width != geo.width || fh.height != geo.height) return OSTREL_E_FRAME_HEADER;
  *g = geo;
  if (head) *head = fh;
  return 0;
}

int StreamWriter::create(const char* path, const TempStreamGeometry& g, const void* headArea) {
  close();
  FILE* f = fopenUtf8(path, "wb");
  if (!f) return OSTREL_E_OPEN;
  size_t n = static_cast<size_t>(g.firstFrame);
  if (fwrite(headArea, 1, n, f) != n) {
    fclose(f);
    return OSTREL_E_WRITE;
  }
  file_ = f;
  geometry_ = g;
  frames_ = 0;
  bytes_ = g.firstFrame;
  return 0;
}

int StreamWriter::writeCover(const uint32_t* bgra) {
  if (!file_) return OSTREL_E_STATE;
  size_t n = static_cast<size_t>(4 * geometry_.pixels);
  if (fseeko(file_, 64, SEEK_SET) != 0) return OSTREL_E_WRITE;
  bool ok = fwrite(bgra, 1, n, file_) == n;
  if (fseeko(file_, 0, SEEK_END) != 0) ok = false;
  return ok ? 0 : OSTREL_E_WRITE;
}

int StreamWriter::appendFrame(const DataFrameHead* head, const int16_t* codes) {
  if (!file_) return OSTREL_E_STATE;
  size_t n = static_cast<size_t>(2 * geometry_.pixels);
  if (fwrite(head, 1, sizeof *head, file_) != sizeof *head) return OSTREL_E_WRITE;
  if (fwrite(codes, 1, n, file_) != n) return OSTREL_E_WRITE;
  frames_ += 1;
  bytes_ += geometry_.frameSize;
  return 0;
}

int StreamWriter::close() {
  if (!file_) return 0;
  int rc = fclose(file_);
  file_ = nullptr;
  return rc == 0 ? 0 : OSTREL_E_WRITE;
}

}  // namespace ostrel::files
