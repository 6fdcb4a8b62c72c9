#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "OstrelSDK.h"
#include "files/FileIo.h"

namespace fs = std::filesystem;

namespace {

struct RawFrame {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  RawFrame(int w, int h, int kind = 0) : codes(size_t(w) * h) {
    head.width = uint16_t(w);
    head.height = uint16_t(h);
    head.kind = uint8_t(kind);
  }
};

std::vector<float> histVol(const RawFrame& f, int type, int tail, int* rc = nullptr) {
  std::vector<float> out(1027, -123.0f);
  const int16_t params[2] = {int16_t(type), int16_t(tail)};
  const int r = Cali_HistVol(&f.head, f.codes.data(), params, out.data());
  if (rc) *rc = r;
  return out;
}

// Half the pixels at 2000, half at 8192: with no tail, low 2000, high 8192, mean 8192.
RawFrame twoLevels(int lowCode, int highCode) {
  RawFrame f(100, 100);
  for (size_t i = 0; i < f.codes.size(); ++i) f.codes[i] = int16_t(i % 2 ? highCode : lowCode);
  return f;
}

TEST(HistVol, DetectorTypesConvertLevelsToVolts) {
  EXPECT_NEAR(histVol(twoLevels(1000, 16384), 100, 0)[0], 5.0f, 1e-6);
  const auto f = twoLevels(2000, 8192);
  // {type, high volts, low volts, mean volts}, worked from the table by hand.
  struct Row { int type; double high, low, mean; };
  const Row rows[] = {
      {100, 2.5, 0.6103515625, 2.5},
      {101, 1.5432145, 0.3767614, 1.5432145}, {211, 1.5432145, 0.3767614, 1.5432145},
      {402, 1.5432145, 0.3767614, 1.5432145},
      // Falling detectors: the ends change places.
      {102, 4.3896484375, 2.5, 2.5}, {201, 4.3896484375, 2.5, 2.5},
      {202, 4.0572583, 2.6978133, 2.6978133}, {301, 4.0572583, 2.6978133, 2.6978133},
      {205, 1.7540003, 0.8701486, 1.7540003}, {303, 1.7540003, 0.8701486, 1.7540003},
      {304, 1.4999734, 0.4013414, 1.4999734},
      {400, 2.5, 0.6103515625, 2.5},
      {500, 0.925, 0.452587890625, 0.925},
      {999, 0.8192, 0.2, 0.8192}, {0, 0.8192, 0.2, 0.8192}};
  for (const Row& r : rows) {
    const auto out = histVol(f, r.type, 0);
    EXPECT_NEAR(out[0], r.high, 2e-6) << r.type;
    EXPECT_NEAR(out[1], r.low, 2e-6) << r.type;
    EXPECT_NEAR(out[2], r.mean, 2e-6) << r.type;
  }
}

TEST(HistVol, TailsAndMean) {
  // Codes 0..9999 once each; tail 100: low is code 100 (101 pixels), high 9899 (9900 pixels),
  // the mean of 101..9899 is 5000. Type 999 divides by 10000.
  RawFrame f(100, 100);
  for (int i = 0; i < 10000; ++i) f.codes[i] = int16_t(i);
  const auto out = histVol(f, 999, 100);
  EXPECT_NEAR(out[1], 0.0100f, 1e-7);
  EXPECT_NEAR(out[0], 0.9899f, 1e-7);
  EXPECT_NEAR(out[2], 0.5000f, 1e-7);
}

TEST(HistVol, BinsArePercentagesOfTheFrame) {
  RawFrame f(640, 512);
  std::mt19937 rng(3);
  for (auto& v : f.codes) v = int16_t(rng() % 32768);
  f.codes[0] = 31;  // bin 0
  f.codes[1] = 32767;
  auto out = histVol(f, 100, 10);
  double sum = 0;
  for (int b = 0; b < 1024; ++b) sum += out[3 + b];
  EXPECT_NEAR(sum, 100.0, 0.1);
  // One pixel of a 100-pixel frame is one per cent; codes 32 i .. 32 i + 31 share bin i.
  RawFrame small(10, 10);
  for (int i = 0; i < 100; ++i) small.codes[i] = int16_t(i < 50 ? 64 : 95);
  small.codes[99] = 32767;
  out = histVol(small, 100, 0);
  EXPECT_FLOAT_EQ(out[3 + 2], 99.0f);
  EXPECT_FLOAT_EQ(out[3 + 1023], 1.0f);
}

TEST(HistVol, RefusalsAndOutOfRangeCodes) {
  int rc = 0;
  RawFrame temp(20, 20, 2);
  auto out = histVol(temp, 100, 0, &rc);
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(out[0], -123.0f);
  RawFrame tiny(9, 11);  // 99 pixels
  histVol(tiny, 100, 0, &rc);
  EXPECT_EQ(rc, -1);
  const int16_t params[2] = {100, 0};
  EXPECT_EQ(Cali_HistVol(&tiny.head, tiny.codes.data(), params, nullptr), OSTREL_E_ARGUMENT);
  // Negative codes are not counted anywhere (and never index outside the histogram).
  RawFrame neg(10, 10);
  for (int i = 0; i < 100; ++i) neg.codes[i] = int16_t(i < 50 ? -32768 + i : 3276);
  out = histVol(neg, 100, 0, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_FLOAT_EQ(out[3 + 3276 / 32], 50.0f);
  EXPECT_NEAR(out[1], 0.99975586, 1e-6);  // low: 3276 / 3276.8 V
}

TEST(HistVol, OverlappingCallsKeepTheirOwnResults) {
  auto a = twoLevels(2000, 8192), b = twoLevels(100, 30000);
  const auto ea = histVol(a, 100, 0), eb = histVol(b, 100, 0);
  bool okA = true, okB = true;
  std::thread ta([&] { for (int k = 0; k < 200 && okA; ++k) okA = histVol(a, 100, 0) == ea; });
  for (int k = 0; k < 200 && okB; ++k) okB = histVol(b, 100, 0) == eb;
  ta.join();
  EXPECT_TRUE(okA && okB);
}

std::string scratch(const char* name) {
  return std::string(OSTREL_TEST_BINARY_DIR) + "/" + name + "_" + std::to_string(getpid());
}

std::vector<uint8_t> frameBytes(int w, int h, uint32_t seed) {
  std::vector<uint8_t> bytes(128 + size_t(w) * h * 2);
  DataFrameHead hd{};
  hd.width = uint16_t(w);
  hd.height = uint16_t(h);
  hd.kind = 2;
  hd.scale = 100;
  hd.offset = -20;
  hd.time = 0x0123456789ABCDEF;
  std::memcpy(bytes.data(), &hd, sizeof hd);
  std::mt19937 rng(seed);
  for (size_t i = 128; i < bytes.size(); ++i) bytes[i] = uint8_t(rng());
  return bytes;
}

std::string runPython(const std::string& script) {
  const std::string file = scratch("check") + ".py";
  std::ofstream(file) << script;
  std::string out;
  if (FILE* p = popen((std::string(OSTREL_SYSTEM_PYTHON) + " " + file + " 2>&1").c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  fs::remove(file);
  return out;
}

TEST(RawBlockFile, SmallFrameLayoutReadByPythonStruct) {
  const auto frame = frameBytes(2, 2, 1);
  const std::string path = scratch("small.raw");
  ASSERT_EQ(Cali_SaveJpg(path.c_str(), frame.data()), 0);
  EXPECT_EQ(fs::file_size(path), 16692u);
  std::string codes;
  for (size_t i = 128; i < frame.size(); i += 2) codes += std::to_string(int16_t(frame[i] | frame[i + 1] << 8)) + ",";
  const std::string out = runPython(
      "import struct\n"
      "d = open('" + path + "', 'rb').read()\n"
      "errs = []\n"
      "def check(name, got, want):\n"
      "    if got != want: errs.append('%s %r != %r' % (name, got[:24] if isinstance(got, bytes) else got, want[:24] if isinstance(want, bytes) else want))\n"
      "check('size', len(d), 16692)\n"
      "check('length', struct.unpack_from('<I', d, 0)[0], 16680)\n"
      "check('tag', d[4:8], b'teMp')\n"
      "check('size fields', struct.unpack_from('<HH', d, 48), (2, 2))\n"
      "w, h, ln, kind, _, idx, scale, off = struct.unpack_from('<HHiBBHHh', d, 16520)\n"
      "check('head', (w, h, ln, kind, scale, off), (2, 2, 0, 2, 100, -20))\n"
      "check('time', struct.unpack_from('<q', d, 16520 + 32)[0], 0x0123456789ABCDEF)\n"
      "check('codes', list(struct.unpack_from('<4h', d, 16648)), [" + codes + "])\n"
      "tw, th, date = struct.unpack_from('<HHI', d, 16656)\n"
      "check('trailer', (tw, th, date), (2, 2, 20160901))\n"
      "check('trailer rest', d[16664:], bytes(28))\n"
      "check('zero gaps', d[8:48] + d[52:16520], bytes(16508))\n"
      "print('OK' if not errs else '\\n'.join(errs))\n");
  EXPECT_EQ(out, "OK\n");
  fs::remove(path);
}

TEST(RawBlockFile, FullFrameIsFoundByThePictureReader) {
  const auto frame = frameBytes(640, 512, 2);
  const std::string path = scratch("full.raw");
  ASSERT_EQ(Cali_SaveJpg(path.c_str(), frame.data()), 0);
  EXPECT_EQ(fs::file_size(path), 640u * 512 * 2 + 16684);
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  ASSERT_EQ(TF_Open(tf, path.c_str(), TfOpenType_Picture), 0);
  TFFrame fr{};
  ASSERT_EQ(TF_ReadFrame(tf, 0, &fr), 0);
  EXPECT_EQ(std::memcmp(fr.head, frame.data(), 128), 0);
  EXPECT_EQ(std::memcmp(fr.data, frame.data() + 128, 640 * 512 * 2), 0);
  TF_Free(&tf);
  fs::remove(path);
}

TEST(RawBlockFile, FailuresAreReportedAndKeepTheOldFile) {
  const auto frame = frameBytes(2, 2, 3);
  const std::string path = scratch("keep.raw");
  ASSERT_EQ(Cali_SaveJpg(path.c_str(), frame.data()), 0);
  const auto other = frameBytes(64, 64, 4);
  ostrel::files::setReplaceFileByteLimit(1000);
  EXPECT_EQ(Cali_SaveJpg(path.c_str(), other.data()), -197);
  ostrel::files::setReplaceFileByteLimit(-1);
  EXPECT_EQ(fs::file_size(path), 16692u);  // the old file, whole
  EXPECT_EQ(Cali_SaveJpg((scratch("no-such-folder") + "/x.raw").c_str(), frame.data()), -3);
  auto empty = frameBytes(2, 2, 5);
  empty[0] = empty[1] = 0;  // width 0
  EXPECT_EQ(Cali_SaveJpg(path.c_str(), empty.data()), -1);
  EXPECT_EQ(Cali_SaveJpg(nullptr, frame.data()), OSTREL_E_ARGUMENT);
  EXPECT_EQ(Cali_SaveJpg(path.c_str(), nullptr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(fs::file_size(path), 16692u);
  fs::remove(path);
}

}  // namespace
