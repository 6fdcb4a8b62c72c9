#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "FrameKit.h"
#include "SimdGuard.h"
#include "OstrelSDK.h"
#include "alg/frame/Compress.h"

namespace {

int32_t i32At(const std::vector<uint8_t>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// Packs into an exact-size buffer of max(2 count, count + 13) bytes (the documented need), so the
// sanitizer sees any write past it.
int pack(const std::vector<int16_t>& v, std::vector<uint8_t>& out) {
  out.assign(std::max<size_t>(2 * v.size(), v.size() + 13), 0xEE);
  return Alg_Compress(v.data(), static_cast<int>(v.size()), out.data());
}

void putI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  std::memcpy(b.data() + at, &v, 4);
}

TEST(AlgCompress, DocumentedSizesAndRefusals) {
  std::vector<uint8_t> out;
  std::vector<int16_t> flat(100, 1234);
  ASSERT_EQ(pack(flat, out), 113);
  EXPECT_EQ(i32At(out, 0), 200);
  EXPECT_EQ(i32At(out, 4), 113);
  EXPECT_EQ(i32At(out, 10), 99);  // one block of n = 99

  EXPECT_EQ(pack({0, 200, 0}, out), 0);

  std::vector<int16_t> alt300(20), alt100(20);
  for (int i = 0; i < 20; ++i) {
    alt300[i] = static_cast<int16_t>(i % 2 ? 300 : 0);
    alt100[i] = static_cast<int16_t>(i % 2 ? 100 : 0);
  }
  EXPECT_EQ(pack(alt300, out), 0);
  EXPECT_EQ(pack(alt100, out), 33);

  ASSERT_EQ(pack({7}, out), 14);
  EXPECT_EQ(i32At(out, 0), 2);
  std::vector<int16_t> one(1, 0);
  EXPECT_EQ(Alg_Uncompress(out.data(), one.data()), -1);  // packed size above raw size

  EXPECT_EQ(Alg_Compress(flat.data(), 0, out.data()), 0);
  EXPECT_EQ(Alg_Compress(flat.data(), -5, out.data()), 0);
  EXPECT_EQ(Alg_Compress(nullptr, -5, nullptr), 0);  // nothing is read or written
}

TEST(AlgCompress, DeltaBoundaryAndWrap) {
  std::vector<uint8_t> out;
  // 20 values so that two blocks still pack smaller than raw.
  std::vector<int16_t> v(20, 0);
  v[10] = -128;  // step of -128 is a delta byte
  for (int i = 11; i < 20; ++i) v[i] = -128;
  ASSERT_EQ(pack(v, out), 20 + 13);
  v[10] = -129;
  for (int i = 11; i < 20; ++i) v[i] = -129;
  const int size = pack(v, out);
  ASSERT_EQ(size, 20 + 13 + 5);  // a second block: 6 header bytes instead of 1 delta
  EXPECT_EQ(i32At(out, 10), 9);
  std::vector<int16_t> back(20, 99);
  ASSERT_EQ(Alg_Uncompress(out.data(), back.data()), 0);
  EXPECT_EQ(back, v);

  // 16-bit wrap: 32767 followed by a delta of +1 decodes to -32768.
  std::vector<uint8_t> wrap(8 + 6 + 1 + 64, 0);
  putI32(wrap, 0, 80);
  putI32(wrap, 4, 15);
  wrap[8] = 0xFF;
  wrap[9] = 0x7F;
  putI32(wrap, 10, 1);
  wrap[14] = 1;
  std::vector<int16_t> w(40, 5);
  ASSERT_EQ(Alg_Uncompress(wrap.data(), w.data()), 0);
  EXPECT_EQ(w[0], 32767);
  EXPECT_EQ(w[1], -32768);
  EXPECT_EQ(w[2], 5);  // beyond the last coded value: untouched
}

// Blocks of every length around the vector width, with deltas over the whole int8 range and
// first values near both ends of int16, so the running value wraps many times; each kernel
// level must give the running sums taken one by one modulo 2^16.
TEST(AlgCompress, EveryLevelDecodesLongDeltaRunsWithWrap) {
  ostrel::test::SimdGuard guard;
  std::mt19937 rng(7);
  std::vector<uint8_t> packed(8, 0);
  std::vector<int16_t> expected;
  for (int n = 0; n <= 70; ++n) {
    const int16_t first = static_cast<int16_t>(n % 2 ? 32767 - n : -32768 + n);
    const size_t at = packed.size();
    packed.resize(at + 6 + n);
    std::memcpy(packed.data() + at, &first, 2);
    putI32(packed, at + 2, n);
    expected.push_back(first);
    uint16_t v = static_cast<uint16_t>(first);
    for (int i = 0; i < n; ++i) {
      const int8_t d = static_cast<int8_t>(i % 7 == 0 ? (i % 2 ? 127 : -128) : static_cast<int>(rng() % 256) - 128);
      packed[at + 6 + i] = static_cast<uint8_t>(d);
      v = static_cast<uint16_t>(v + static_cast<uint16_t>(d));
      expected.push_back(static_cast<int16_t>(v));
    }
  }
  putI32(packed, 0, static_cast<int32_t>(2 * expected.size()));
  putI32(packed, 4, static_cast<int32_t>(packed.size()));
  for (auto level : ostrel::test::kLevels) {
    ostrel::alg::setSimdLevel(level);
    std::vector<int16_t> got(expected.size(), 0);
    ASSERT_EQ(ostrel::alg::uncompressBounded(packed.data(), packed.size(), got.data(), got.size()), 0);
    EXPECT_EQ(got, expected) << "level " << int(level);
  }
}

TEST(AlgCompress, RandomSmoothFramesRoundTrip) {
  std::mt19937 rng(20240601);
  std::vector<uint8_t> out;
  int packed = 0;
  for (int f = 0; f < 10000; ++f) {
    const int n = 1 + static_cast<int>(rng() % 300);
    std::vector<int16_t> v(n);
    int cur = static_cast<int>(rng() % 65536) - 32768;
    for (int i = 0; i < n; ++i) {
      // Mostly small steps, now and then a jump, with wrap-around through the int16 range.
      const int r = static_cast<int>(rng() % 100);
      cur += r < 97 ? static_cast<int>(rng() % 61) - 30 : static_cast<int>(rng() % 4001) - 2000;
      v[i] = static_cast<int16_t>(cur);
    }
    const int size = pack(v, out);
    if (size == 0) continue;
    ++packed;
    ASSERT_LE(static_cast<size_t>(size), std::max<size_t>(2 * v.size(), v.size() + 13));
    std::vector<int16_t> back(n, 0);
    if (size > 2 * n) {
      // Frames below 13 values pack larger than raw, which the unpacker refuses.
      ASSERT_EQ(Alg_Uncompress(out.data(), back.data()), -1);
      continue;
    }
    ASSERT_EQ(Alg_Uncompress(out.data(), back.data()), 0) << f;
    ASSERT_EQ(back, v) << f;
    std::vector<int16_t> bounded(n, 0);
    ASSERT_EQ(ostrel::alg::uncompressBounded(out.data(), static_cast<size_t>(size), bounded.data(), n), 0);
    ASSERT_EQ(bounded, v);
  }
  EXPECT_GT(packed, 9000);
}

TEST(AlgCompress, BoundedFormRefusesWhatDoesNotFit) {
  std::vector<int16_t> v(50);
  for (int i = 0; i < 50; ++i) v[i] = static_cast<int16_t>(i * 3);
  std::vector<uint8_t> good;
  const int size = pack(v, good);
  ASSERT_EQ(size, 63);
  good.resize(size);
  std::vector<int16_t> out(50, 7);
  const std::vector<int16_t> untouched(50, 7);
  using ostrel::alg::uncompressBounded;
  EXPECT_EQ(uncompressBounded(good.data(), good.size(), out.data(), 49), -11);     // raw size mismatch
  EXPECT_EQ(uncompressBounded(good.data(), good.size() - 1, out.data(), 50), -1);  // beyond the input
  EXPECT_EQ(uncompressBounded(good.data(), 4, out.data(), 50), -1);
  EXPECT_EQ(out, untouched);

  auto corrupt = good;
  putI32(corrupt, 10, -1);  // negative delta count
  EXPECT_EQ(uncompressBounded(corrupt.data(), corrupt.size(), out.data(), 50), -1);
  EXPECT_EQ(Alg_Uncompress(corrupt.data(), out.data()), -1);
  putI32(corrupt, 10, 60);  // deltas past the packed size
  EXPECT_EQ(uncompressBounded(corrupt.data(), corrupt.size(), out.data(), 50), -1);
  EXPECT_EQ(Alg_Uncompress(corrupt.data(), out.data()), -1);
  corrupt = good;
  putI32(corrupt, 4, 13);  // packed size below 14
  EXPECT_EQ(Alg_Uncompress(corrupt.data(), out.data()), -1);
  EXPECT_EQ(out, untouched);

  // Two blocks coding more values than the raw size holds: -11, nothing written.
  std::vector<uint8_t> many(8 + 2 * (6 + 40), 0);
  putI32(many, 0, 120);  // 60 values
  putI32(many, 4, static_cast<int32_t>(many.size()));
  putI32(many, 8 + 2, 40);
  putI32(many, 8 + 46 + 2, 40);
  std::vector<int16_t> sixty(60, 7);
  EXPECT_EQ(Alg_Uncompress(many.data(), sixty.data()), -11);
  EXPECT_EQ(sixty, std::vector<int16_t>(60, 7));
  // A block header cut by the packed size.
  std::vector<uint8_t> cut(8 + 6 + 2 + 3, 0);
  putI32(cut, 0, 40);
  putI32(cut, 4, static_cast<int32_t>(cut.size()));
  putI32(cut, 10, 2);
  EXPECT_EQ(uncompressBounded(cut.data(), cut.size(), out.data(), 20), -1);
}

TEST(AlgCompress, CorruptCorpusNeverWritesOutOfBounds) {
  // Random mutations of valid frames through the bounded form with exact-size heap buffers; the
  // sanitizer build turns any stray access into a failure.
  std::mt19937 rng(77);
  auto frame = ostrel::test::noiseFrame(32, 16, 1000, 40, 5);
  std::vector<uint8_t> packed;
  const int size = pack(frame.codes, packed);
  ASSERT_GT(size, 0);
  packed.resize(size);
  for (int k = 0; k < 3000; ++k) {
    std::vector<uint8_t> m = packed;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) m[rng() % m.size()] = static_cast<uint8_t>(rng());
    if (rng() % 4 == 0) m.resize(rng() % m.size());
    auto in = std::make_unique<uint8_t[]>(m.size() + 1);
    std::memcpy(in.get(), m.data(), m.size());
    auto out = std::make_unique<int16_t[]>(frame.codes.size());
    const int rc = ostrel::alg::uncompressBounded(in.get(), m.size(), out.get(), frame.codes.size());
    EXPECT_TRUE(rc == 0 || rc == -1 || rc == -11) << rc;
  }
}

}  // namespace
