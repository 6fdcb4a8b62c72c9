#include "recordcore/ByteRing.h"

#include <cstring>
#include <new>

namespace recordcore {

uint64_t ByteRing::roundUpPow2(uint64_t n) {
  uint64_t p = 1;
  while (p < n) {
    p <<= 1;
    if (p > kMaxSize) return 0;
  }
  return p;
}

int ByteRing::resize(uint64_t size) {
  if (size == 0 || size > kMaxSize || (size & (size - 1)) != 0) return -8;
  read_ = write_ = 0;
  if (size == size_ && buf_) return 0;
  buf_.reset();
  size_ = 0;
  buf_.reset(new (std::nothrow) uint8_t[size]);
  if (!buf_) return -5;
  // Touched once here, at configuration: first-touch page faults inside the frame path cost a
  // loaded machine tens of milliseconds per frame.
  std::memset(buf_.get(), 0, size);
  size_ = size;
  return 0;
}

int ByteRing::push(const void* data, uint32_t n) {
  if (!buf_ || n > freeSpace()) return -8;
  const uint64_t mask = size_ - 1;
  const uint64_t off = write_ & mask;
  const uint64_t first = n < size_ - off ? n : size_ - off;
  std::memcpy(buf_.get() + off, data, first);
  if (first < n) std::memcpy(buf_.get(), static_cast<const uint8_t*>(data) + first, n - first);
  write_ += n;
  return 0;
}

void ByteRing::drop(uint32_t n) {
  read_ += n < pending() ? n : pending();
}

void ByteRing::copyOut(uint32_t pos, void* dst, uint32_t n) const {
  const uint64_t mask = size_ - 1;
  const uint64_t off = pos & mask;
  const uint64_t first = n < size_ - off ? n : size_ - off;
  std::memcpy(dst, buf_.get() + off, first);
  if (first < n) std::memcpy(static_cast<uint8_t*>(dst) + first, buf_.get(), n - first);
}

void ByteRing::pieces(uint32_t n, const uint8_t** a, uint32_t* na, const uint8_t** b, uint32_t* nb) const {
  const uint64_t off = read_ & (size_ - 1);
  const uint64_t first = n < size_ - off ? n : size_ - off;
  *a = buf_.get() + off;
  *na = static_cast<uint32_t>(first);
  *b = buf_.get();
  *nb = n - static_cast<uint32_t>(first);
}

}  // namespace recordcore
