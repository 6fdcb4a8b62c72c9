// The byte layout of a camera's XCali calibration block (camera memory block 8) and of the update
// command that writes one part of it back (memory block 9), with the rules every part shares.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xcali {

constexpr int kBlockType = 8;
constexpr int kUpdateBlockType = 9;

constexpr size_t kBlockSize = 19488;
constexpr size_t kHeadSize = 64;
constexpr int kEntries = 10;
constexpr size_t kEntryBase = 64, kEntrySize = 1904;
constexpr size_t kCali1Offset = 0, kCali1Size = 320;
constexpr size_t kCali2Offset = 320, kCali2Size = 1232;
constexpr size_t kCustOffset = 1552, kCustSize = 352;
constexpr size_t kRegisterOffset = 64, kRegisterSize = 256;  // inside the first-stage part
constexpr size_t kNameOffset = 12, kNameSize = 32;           // inside the first-stage part
constexpr int kResolutions = 10;
constexpr size_t kResBase = 19104, kResSize = 32;
constexpr size_t kWorkTime = 19424, kFpaTemp = 19428, kShellTemp = 19432, kShellTempHw = 19436;
constexpr size_t kResCur = 19440, kCaliCur = 19441;
constexpr int kPoints = 24;

constexpr size_t kUpdateSize = 2052, kUpdateData = 4;
enum class Part : uint8_t { Head = 0, Cali1 = 1, Cali2 = 2, Cust = 3 };

constexpr size_t entryOffset(int k) {
  return kEntryBase + kEntrySize * size_t(k);
}
// Where a part of entry k lies in the block, and its size (the head: bytes 0-63).
size_t partOffset(Part part, int k);
size_t partSize(Part part);

// The VNR register set serves detector types 508 to 512; every other type carries the QJ set.
constexpr bool isVnrFamily(int detType) {
  return detType >= 508 && detType <= 512;
}

// The nearest whole count of value / factor (halves away from zero), clamped to [lo, hi]; a value
// that is not a number gives `fallback` (also clamped).
int64_t nearestRaw(double value, double factor, int64_t lo, int64_t hi, int64_t fallback = 0);

// Writes `v` at `p` only when it differs from the float there (not-a-number on both sides counts
// as equal), so a value the tool did not change keeps the camera's own bits.
void putF32IfChanged(uint8_t* p, float v);

// The first-stage names are terminated inside their 32 bytes: byte 31 of every entry's name
// becomes NUL, as the camera's own reader treats it.
void terminateNames(uint8_t* block);

// Stores a property's new value and emits its change signal, only when the value changes
// (not-a-number on either side counts as a change).
template <typename C, typename T>
void assign(C* o, T& member, T value, void (C::*signal)()) {
  if (member == value) return;
  member = value;
  (o->*signal)();
}

}  // namespace xcali
