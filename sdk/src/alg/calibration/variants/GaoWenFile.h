// Layout of the high-temperature table file shared by its loader and its converter.
#pragma once

#include <cstddef>

namespace ostrel::alg {

constexpr size_t kGaoWenFileSize = 5600;
constexpr size_t kGwRangeTempAt = 64;   // f32[8]
constexpr size_t kGwRangeInfoAt = 96;   // + 256 i
constexpr size_t kGwTableAAt = 2144;    // 32 points of 12 bytes
constexpr size_t kGwRangeAt = 2528;     // + 384 i
constexpr size_t kGwRangeStride = 384;
constexpr size_t kGwSourceSize = 3728;

}  // namespace ostrel::alg
