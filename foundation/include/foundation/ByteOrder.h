// Little-endian fields of wire messages, files and camera records, independent of the host's
// byte order and alignment.
//
// Readers take (pointer, length, offset): a field that does not lie wholly inside
// [data, data + length) reads as 0, so a short or hostile buffer can never be read past its end
// (callers that must tell "short" from "zero" compare the length first). Writers take the
// position of a field inside storage the caller sized for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ostrel::bytes {

// True when `size` bytes at `offset` lie inside a buffer of `length` bytes (overflow-safe).
constexpr bool fieldFits(size_t length, size_t offset, size_t size) {
  return offset <= length && length - offset >= size;
}

inline uint16_t readU16(const void* data, size_t length, size_t offset) {
  if (data == nullptr || !fieldFits(length, offset, 2)) return 0;
  const auto* p = static_cast<const uint8_t*>(data) + offset;
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t readI16(const void* data, size_t length, size_t offset) {
  return static_cast<int16_t>(readU16(data, length, offset));
}
inline uint32_t readU32(const void* data, size_t length, size_t offset) {
  if (data == nullptr || !fieldFits(length, offset, 4)) return 0;
  const auto* p = static_cast<const uint8_t*>(data) + offset;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t readI32(const void* data, size_t length, size_t offset) {
  return static_cast<int32_t>(readU32(data, length, offset));
}
// An IEEE-754 single stored little-endian.
inline float readF32(const void* data, size_t length, size_t offset) {
  const uint32_t bits = readU32(data, length, offset);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

inline void putU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putI16(uint8_t* p, int16_t v) {
  putU16(p, static_cast<uint16_t>(v));
}
inline void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putI32(uint8_t* p, int32_t v) {
  putU32(p, static_cast<uint32_t>(v));
}
inline void putF32(uint8_t* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  putU32(p, bits);
}

}  // namespace ostrel::bytes
