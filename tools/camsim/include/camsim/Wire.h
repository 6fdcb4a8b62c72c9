// Field access by byte offset. The simulator builds and reads every message with these, never with
// the SDK's structs, so a layout slip on either side shows up in a test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/ByteOrder.h"

namespace camsim {

// Numbers go through the foundation's little-endian helpers: writers at a position, readers
// bounded by the buffer's length (a field past the end reads as 0).
using ostrel::bytes::putF32;
using ostrel::bytes::putI16;
using ostrel::bytes::putI32;
using ostrel::bytes::putU16;
using ostrel::bytes::putU32;
using ostrel::bytes::readF32;
using ostrel::bytes::readI16;
using ostrel::bytes::readI32;
using ostrel::bytes::readU16;
using ostrel::bytes::readU32;

// Copies text into a fixed field of n bytes, NUL-terminated and zero-padded.
inline void putText(uint8_t* p, size_t n, const std::string& s) {
  std::memset(p, 0, n);
  std::memcpy(p, s.data(), s.size() < n ? s.size() : n - 1);
}
inline std::string getText(const uint8_t* p, size_t n) {
  size_t len = 0;
  while (len < n && p[len]) ++len;
  return std::string(reinterpret_cast<const char*>(p), len);
}

}  // namespace camsim
