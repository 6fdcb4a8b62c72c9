// Delta packer and unpacker of temperature frames.
#include "alg/frame/Compress.h"

#include <immintrin.h>

#include <cstring>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "foundation/ByteOrder.h"

namespace ostrel::alg {

namespace {

using bytes::putI16;
using bytes::putI32;
using bytes::readI16;
using bytes::readI32;

constexpr int64_t kFrameHeader = 8;  // i32 raw size, i32 packed size
constexpr int64_t kBlockHeader = 6;  // i16 first value, i32 delta count

// Walks the block headers of a packed frame of `packedSize` bytes (already known to lie in the
// buffer) and checks that every block fits and that at most `maxValues` values are coded.
int checkBlocks(const uint8_t* in, int64_t packedSize, int64_t maxValues) {
  int64_t pos = kFrameHeader;
  int64_t values = 0;
  while (pos < packedSize) {
    if (pos + kBlockHeader > packedSize) return OSTREL_E_FAILED;
    int64_t n = readI32(in, size_t(packedSize), size_t(pos + 2));
    if (n < 0 || pos + kBlockHeader + n > packedSize) return OSTREL_E_FAILED;
    values += n + 1;
    if (values > maxValues) return OSTREL_E_MISMATCH;
    pos += kBlockHeader + n;
  }
  return 0;
}

// out[i] = value + deltas[0] + ... + deltas[i] in 16-bit wrap-around arithmetic, sixteen values a
// register: a prefix sum within each 128-bit half, the low half's total carried into the high
// half, then the running value of the values before. Returns the last value written.
__attribute__((target("avx2"))) uint16_t runDeltasAvx2(const int8_t* deltas, int64_t n, uint16_t value,
                                                       int16_t* out) {
  // Bytes 14 and 15 (the last 16-bit lane of a half) repeated over the half.
  const __m256i lastLane = _mm256_set1_epi16(0x0F0E);
  __m256i carry = _mm256_set1_epi16(static_cast<int16_t>(value));
  int64_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m256i x = _mm256_cvtepi8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(deltas + i)));
    x = _mm256_add_epi16(x, _mm256_slli_si256(x, 2));
    x = _mm256_add_epi16(x, _mm256_slli_si256(x, 4));
    x = _mm256_add_epi16(x, _mm256_slli_si256(x, 8));
    // High half += total of the low half; the low half gets zero.
    x = _mm256_add_epi16(x, _mm256_shuffle_epi8(_mm256_permute2x128_si256(x, x, 0x08), lastLane));
    x = _mm256_add_epi16(x, carry);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), x);
    carry = _mm256_shuffle_epi8(_mm256_permute4x64_epi64(x, 0xFF), lastLane);
  }
  uint16_t v = static_cast<uint16_t>(_mm256_extract_epi16(carry, 0));
  for (; i < n; ++i) {
    v = static_cast<uint16_t>(v + static_cast<uint16_t>(deltas[i]));
    out[i] = static_cast<int16_t>(v);
  }
  return v;
}

// Writes the values of already checked blocks.
void decodeBlocks(const uint8_t* in, int64_t packedSize, int16_t* out) {
  const bool avx2 = simdLevel() >= SimdLevel::Avx2;
  int64_t pos = kFrameHeader;
  while (pos < packedSize) {
    int16_t value = readI16(in, size_t(packedSize), size_t(pos));
    int64_t n = readI32(in, size_t(packedSize), size_t(pos + 2));
    const int8_t* deltas = reinterpret_cast<const int8_t*>(in + pos + kBlockHeader);
    *out++ = value;
    // 16-bit wrap-around is part of the format: a sender may rely on it.
    uint16_t v = static_cast<uint16_t>(value);
    if (avx2) {
      runDeltasAvx2(deltas, n, v, out);
      out += n;
      pos += kBlockHeader + n;
      continue;
    }
    for (int64_t i = 0; i < n; ++i) {
      v = static_cast<uint16_t>(v + static_cast<uint16_t>(deltas[i]));
      out[i] = static_cast<int16_t>(v);
    }
    out += n;
    pos += kBlockHeader + n;
  }
}

int uncompressChecked(const uint8_t* in, int64_t inLength, int16_t* out, int64_t outValues) {
  // The frame header is there: the callers checked it, or vouch for it.
  int64_t rawSize = readI32(in, kFrameHeader, 0);
  int64_t packedSize = readI32(in, kFrameHeader, 4);
  if (packedSize < kFrameHeader + kBlockHeader || packedSize > rawSize) return OSTREL_E_FAILED;
  if (inLength >= 0 && packedSize > inLength) return OSTREL_E_FAILED;
  int64_t maxValues = outValues >= 0 ? outValues : rawSize / 2;
  int rc = checkBlocks(in, packedSize, maxValues);
  if (rc != 0) return rc;
  decodeBlocks(in, packedSize, out);
  return 0;
}

}  // namespace

int uncompressBounded(const uint8_t* in, size_t inLength, int16_t* out, size_t outValues) {
  if (!in || !out || inLength < static_cast<size_t>(kFrameHeader)) return OSTREL_E_FAILED;
  if (outValues > static_cast<size_t>(INT32_MAX)) return OSTREL_E_MISMATCH;
  if (static_cast<int64_t>(readI32(in, inLength, 0)) != 2 * static_cast<int64_t>(outValues)) return OSTREL_E_MISMATCH;
  int64_t length = inLength > static_cast<size_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(inLength);
  return uncompressChecked(in, length, out, static_cast<int64_t>(outValues));
}

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API int Alg_Compress(const int16_t* values, int count, uint8_t* out) {
  if (!values || !out || count <= 0) return 0;
  const int64_t raw = 2 * static_cast<int64_t>(count);
  // Both sizes travel as i32.
  if (raw > INT32_MAX || static_cast<int64_t>(count) + 13 > INT32_MAX) return 0;

  int64_t blockStart = kFrameHeader;
  putI16(out + blockStart, values[0]);
  int64_t pos = blockStart + kBlockHeader;
  for (int64_t i = 1; i < count; ++i) {
    const int32_t d = static_cast<int32_t>(values[i]) - values[i - 1];
    if (d >= -128 && d <= 127) {
      out[pos++] = static_cast<uint8_t>(static_cast<int8_t>(d));
      continue;
    }
    // The refusal test comes before the new header is written, so the packer never writes past
    // 2 x count bytes; the result is the same as testing after the header.
    const int64_t remaining = count - 1 - i;
    if (pos + kBlockHeader + remaining >= raw) return 0;
    putI32(out + blockStart + 2, static_cast<int32_t>(pos - blockStart - kBlockHeader));
    blockStart = pos;
    putI16(out + blockStart, values[i]);
    pos = blockStart + kBlockHeader;
  }
  putI32(out + blockStart + 2, static_cast<int32_t>(pos - blockStart - kBlockHeader));
  putI32(out, static_cast<int32_t>(raw));
  putI32(out + 4, static_cast<int32_t>(pos));
  return static_cast<int>(pos);
}

extern "C" OSTREL_API int Alg_Uncompress(const uint8_t* packed, int16_t* out) {
  if (!packed || !out) return OSTREL_E_FAILED;
  // The caller vouches that the packed frame is readable up to its packed size and that `out`
  // holds raw size / 2 values; the blocks are still checked against both.
  return uncompressChecked(packed, -1, out, -1);
}
