#include "recordcore/StreamFileWriter.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "foundation/ByteOrder.h"

namespace recordcore {

namespace {

using ostrel::bytes::putU16;
using ostrel::bytes::putU32;

// A 64-bit field as its two little-endian halves, low half first.
void putU64(uint8_t* p, uint64_t v) {
  putU32(p, static_cast<uint32_t>(v));
  putU32(p + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace

void buildStreamHead(uint8_t* out, const StreamGeometry& g, const CaptureHead& c, const uint8_t* cover) {
  const uint64_t p = g.pixels();
  std::memset(out, 0, g.headLen());
  out[0] = 'B';
  out[1] = 'M';
  putU32(out + 2, uint32_t(4 * p + 64));
  putU32(out + 10, 64);
  putU32(out + 14, 40);
  putU32(out + 18, g.width);
  putU32(out + 22, uint32_t(-int32_t(g.height)));
  putU16(out + 26, 1);
  putU16(out + 28, 32);
  putU32(out + 34, uint32_t(4 * p));
  if (cover != nullptr) std::memcpy(out + 64, cover, 4 * p);
  uint8_t* h = out + 4 * p + 1088;
  std::memcpy(h, c.cameraId, 32);
  putU64(h + 32, uint64_t(c.captureTime));
  putU16(h + 40, uint16_t(g.width));
  putU16(h + 42, uint16_t(g.height));
  std::memcpy(h + 44, c.fixInfo, 72);
  putU16(h + 116, c.fpsNum);
  putU16(h + 118, c.fpsDen);
  h[124] = 5;
  putU16(h + 126, 1);
}

int createExclusive(const std::string& base, const std::string& ext, std::string* taken) {
  for (int n = 0; n < 10000; ++n) {
    std::string name = n == 0 ? base + ext : base + "-" + std::to_string(n) + ext;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      if (taken) *taken = std::move(name);
      return fd;
    }
    if (errno != EEXIST) return -200;
  }
  return -200;
}

void StreamFileWriter::attach(int fd, const StreamGeometry& g) {
  close();
  fd_ = fd;
  g_ = g;
  offset_ = 0;
  calls_ = 0;
  error_ = 0;
}

bool StreamFileWriter::writeAll(const void* data, size_t n) {
  size_t allowed = n;
  if (hook_) allowed = hook_(calls_, n);
  ++calls_;
  const auto* p = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < allowed && done < n) {
    const ssize_t r = ::write(fd_, p + done, (allowed < n ? allowed : n) - done);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    done += size_t(r);
    offset_ += uint64_t(r);
  }
  return done == n;
}

uint64_t StreamFileWriter::wholeFrames() const {
  if (offset_ < g_.headLen() || g_.frameLen() == 0) return 0;
  return (offset_ - g_.headLen()) / g_.frameLen();
}

void StreamFileWriter::cutToWholeFrames() {
  error_ = -197;
  // A file without its whole head area is no stream: nothing of it is kept.
  const uint64_t keep = offset_ < g_.headLen() ? 0 : g_.headLen() + wholeFrames() * g_.frameLen();
  if (::ftruncate(fd_, off_t(keep)) == 0) offset_ = keep;
}

int StreamFileWriter::writeHead(const uint8_t* head) {
  if (fd_ < 0) return -7;
  if (error_ != 0) return error_;
  if (!writeAll(head, g_.headLen())) {
    cutToWholeFrames();
    return -197;
  }
  return 0;
}

int StreamFileWriter::append(const void* data, size_t n) {
  if (fd_ < 0) return -7;
  if (error_ != 0) return error_;
  if (!writeAll(data, n)) {
    cutToWholeFrames();
    return -197;
  }
  return 0;
}

int StreamFileWriter::close() {
  if (fd_ < 0) return error_;
  if (::close(fd_) != 0 && error_ == 0) error_ = -197;
  fd_ = -1;
  return error_;
}

}  // namespace recordcore
