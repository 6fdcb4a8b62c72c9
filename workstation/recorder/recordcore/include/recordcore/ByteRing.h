// A byte ring of a power-of-two size with free-running 32-bit positions: the offset of a position
// is position & (size - 1), and write - read is the number of pending bytes even after the
// positions wrapped past 2^32. One thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace recordcore {

class ByteRing {
 public:
  static constexpr uint64_t kMaxSize = uint64_t{1} << 31;

  // The smallest power of two >= n (1 for 0); 0 when that exceeds kMaxSize.
  static uint64_t roundUpPow2(uint64_t n);

  // Makes the ring `size` bytes (a power of two, at most kMaxSize), keeping the buffer when the
  // size is unchanged. Positions go to 0. 0, -8 for a bad size, -5 when no memory can be had
  // (the ring is then empty, size 0).
  int resize(uint64_t size);
  void clear() { read_ = write_ = 0; }

  uint64_t size() const { return size_; }
  uint32_t readPos() const { return read_; }
  uint32_t writePos() const { return write_; }
  uint32_t pending() const { return write_ - read_; }
  uint64_t freeSpace() const { return size_ - pending(); }

  // Appends n bytes; -8 (nothing written) when fewer than n bytes are free.
  int push(const void* data, uint32_t n);
  // Forgets the n oldest bytes (at most the pending ones).
  void drop(uint32_t n);
  // Moves the read position back so that n bytes are pending (n <= size, bytes already there).
  void rewindTo(uint32_t pendingBytes) { read_ = write_ - pendingBytes; }
  // Copies n bytes starting at position pos (with wrap-around) to dst.
  void copyOut(uint32_t pos, void* dst, uint32_t n) const;
  // The contiguous pieces of n bytes from the read position: first and its length, then the
  // wrapped rest (length 0 when none).
  void pieces(uint32_t n, const uint8_t** a, uint32_t* na, const uint8_t** b, uint32_t* nb) const;

 private:
  std::unique_ptr<uint8_t[]> buf_;
  uint64_t size_ = 0;
  uint32_t read_ = 0, write_ = 0;
};

}  // namespace recordcore
