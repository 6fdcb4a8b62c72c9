#include "camsim/SnapshotServer.h"

#include <cstring>

#include "camsim/Wire.h"

namespace camsim {

namespace {
// TEMP block offsets: prefix 8, TEMP header 16512 (TempFileHead first), frame head 128, codes.
constexpr size_t kHeader = 8, kFrameHead = 16520, kCodes = 16648, kTrailer = 36;
constexpr size_t kSnapHead = 32;
}  // namespace

SnapshotServer::SnapshotServer(const std::string& address, uint16_t port, const std::string& cameraId,
                               uint16_t width, uint16_t height)
    : cameraId_(cameraId), width_(width), height_(height), server_(address, port, [this](int fd) { serve(fd); }) {}

void SnapshotServer::setFaults(const SnapshotFaults& f) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_ = f;
}

void SnapshotServer::setCaptureTime(int64_t filetime) {
  std::lock_guard<std::mutex> lock(mutex_);
  captureTime_ = filetime;
}

uint32_t SnapshotServer::served() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return served_;
}

std::vector<uint8_t> SnapshotServer::picture(uint32_t serial) const {
  // Bottom-up 24-bit BMP, each row padded to 4 bytes; grey from the codes.
  const size_t w = width_, h = height_, stride = (3 * w + 3) & ~size_t(3);
  std::vector<uint8_t> bmp(54 + stride * h, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  putU32(&bmp[2], uint32_t(bmp.size()));
  putU32(&bmp[10], 54);
  putU32(&bmp[14], 40);
  putI32(&bmp[18], int32_t(w));
  putI32(&bmp[22], int32_t(h));
  putU16(&bmp[26], 1);
  putU16(&bmp[28], 24);
  putU32(&bmp[34], uint32_t(stride * h));
  for (size_t y = 0; y < h; ++y) {
    uint8_t* row = &bmp[54 + (h - 1 - y) * stride];
    for (size_t x = 0; x < w; ++x) {
      const uint8_t g = uint8_t(code(int(x), int(y), serial));
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = g;
    }
  }
  return bmp;
}

std::vector<uint8_t> SnapshotServer::message(uint32_t serial) const {
  int64_t captureTime;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    captureTime = captureTime_;
  }
  const size_t p = size_t(width_) * height_;
  const size_t t = 2 * p + 16684;
  const std::vector<uint8_t> bmp = picture(serial);
  std::vector<uint8_t> m(kSnapHead + t + bmp.size(), 0);
  putI32(&m[0], int32_t(m.size()));
  putU16(&m[4], width_);
  putU16(&m[6], height_);
  uint8_t* b = &m[kSnapHead];
  const int32_t payload = int32_t(2 * p + 16640);
  putI32(b, payload);
  std::memcpy(b + 4, "TEMP", 4);
  uint8_t* head = b + kHeader;  // TempFileHead
  putText(head, 32, cameraId_);
  putU32(head + 32, uint32_t(uint64_t(captureTime)));
  putU32(head + 36, uint32_t(uint64_t(captureTime) >> 32));
  putU16(head + 40, width_);
  putU16(head + 42, height_);
  putU16(head + 116, 25);
  putU16(head + 118, 1);
  head[124] = 5;
  putU16(head + 126, 1);
  putI32(head + 132, 5);      // palette index
  head[136 + 4] = 1;          // StretchCtl strechType
  putF32(head + 136 + 8, 2.0f);  // StretchCtl gain
  uint8_t* fh = b + kFrameHead;
  putU16(fh, width_);
  putU16(fh + 2, height_);
  fh[8] = 2;
  putU16(fh + 10, uint16_t(serial));
  putU16(fh + 12, 10);
  for (size_t y = 0; y < height_; ++y)
    for (size_t x = 0; x < width_; ++x)
      putU16(b + kCodes + 2 * (y * width_ + x), uint16_t(code(int(x), int(y), serial)));
  uint8_t* tr = b + t - kTrailer;
  putU16(tr, width_);
  putU16(tr + 2, height_);
  putI32(tr + 8, payload);
  std::memcpy(tr + 12, "TEMP", 4);
  std::memcpy(b + t, bmp.data(), bmp.size());
  return m;
}

void SnapshotServer::serve(int fd) {
  SnapshotFaults f;
  uint32_t serial;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    f = faults_;
    serial = served_++;
  }
  std::vector<uint8_t> m = message(serial);
  const size_t t = 2 * size_t(width_) * height_ + 16684;
  if (f.widthDelta) putU16(&m[4], uint16_t(width_ + f.widthDelta));
  if (f.tooShortForTemp) putI32(&m[0], int32_t(kSnapHead + t - 1));
  if (f.missingBytes) putI32(&m[0], int32_t(m.size()) + f.missingBytes);
  const size_t send = f.closeMidTransfer ? m.size() / 2 : m.size();
  size_t done = 0;
  if (f.splitWrites) {
    const size_t first = std::min(send, size_t(4096));
    if (!server_.sendAll(fd, m.data(), first, 1)) return;
    done = first;
  }
  server_.sendAll(fd, m.data() + done, send - done);
}

}  // namespace camsim
