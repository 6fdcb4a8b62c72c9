// Little-endian field access by byte offset. The simulator builds and reads every message with
// these, never with the SDK's structs, so a layout slip on either side shows up in a test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace camsim {

inline void putU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline uint16_t getU16(const uint8_t* p) {
  return uint16_t(p[0] | (p[1] << 8));
}
inline void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline uint32_t getU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void putI32(uint8_t* p, int32_t v) {
  putU32(p, uint32_t(v));
}
inline int32_t getI32(const uint8_t* p) {
  return int32_t(getU32(p));
}
inline void putF32(uint8_t* p, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  putU32(p, u);
}
inline float getF32(const uint8_t* p) {
  uint32_t u = getU32(p);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
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
