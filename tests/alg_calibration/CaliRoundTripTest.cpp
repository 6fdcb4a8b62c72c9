// Calibration files written by an independent Python writer from an analytic detector model:
// raw frames of known scenes come back as the scenes' codes through both Create functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"

using namespace ostrel::test;

namespace {

struct PyFrame {
  int32_t fpa, shell;
  std::vector<int16_t> raw, expected;
};

class PythonRoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = tempPath("py");
    std::string cmd = "mkdir -p " + dir_ + " && " + OSTREL_SYSTEM_PYTHON + " " + OSTREL_TEST_SOURCE_DIR +
                      "/make_calibration.py " + dir_ + " 640 512";
    ok_ = std::system(cmd.c_str()) == 0;
    const std::vector<uint8_t> bytes = readBytes(dir_ + "/frames.bin");
    if (bytes.size() < 4) {
      ok_ = false;
      return;
    }
    int32_t n;
    std::memcpy(&n, bytes.data(), 4);
    const size_t P = 640 * 512;
    size_t off = 4;
    for (int i = 0; i < n && off + 8 + 4 * P <= bytes.size(); ++i) {
      PyFrame f;
      std::memcpy(&f.fpa, &bytes[off], 4);
      std::memcpy(&f.shell, &bytes[off + 4], 4);
      f.raw.resize(P);
      f.expected.resize(P);
      std::memcpy(f.raw.data(), &bytes[off + 8], 2 * P);
      std::memcpy(f.expected.data(), &bytes[off + 8 + 2 * P], 2 * P);
      off += 8 + 4 * P;
      frames_.push_back(std::move(f));
    }
  }
  static void TearDownTestSuite() {
    std::remove((dir_ + "/cali.bin").c_str());
    std::remove((dir_ + "/frames.bin").c_str());
    std::remove(dir_.c_str());
  }
  static std::string dir_;
  static bool ok_;
  static std::vector<PyFrame> frames_;
};
std::string PythonRoundTrip::dir_;
bool PythonRoundTrip::ok_ = false;
std::vector<PyFrame> PythonRoundTrip::frames_;

int worstError(const std::vector<int16_t>& got, const std::vector<int16_t>& want, size_t offset = 0) {
  int worst = 0;
  for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - want[offset + i]));
  return worst;
}

}  // namespace

TEST_F(PythonRoundTrip, BothCreateFunctionsGiveTheScenesCodes) {
  ASSERT_TRUE(ok_);
  ASSERT_EQ(frames_.size(), 5u);
  const FixInfoRecord fix = neutralFixInfo();
  const std::string path = dir_ + "/cali.bin";
  CaliContext* a = Cali_Create(path.c_str(), nullptr, &fix, 100000);
  CaliCreateInfo info{path.c_str(), nullptr, &fix, 100000, 640, 512, 640, 512, 0, 0};
  CaliContext* b = Cali_CreateX(&info);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  for (const PyFrame& f : frames_) {
    SCOPED_TRACE(f.fpa);
    for (CaliContext* c : {a, b}) {
      Cali_InitEnvWhole(c, f.fpa, f.shell);
      std::vector<int16_t> frame = f.raw;
      Cali_Execute(c, frame.data());
      Cali_Com(c, frame.data());
      EXPECT_LE(worstError(frame, f.expected), 2);
    }
  }
  Cali_Free(&a);
  Cali_Free(&b);
  EXPECT_EQ(a, nullptr);
}

TEST_F(PythonRoundTrip, StepwiseUpdatesReachTheSameCodes) {
  ASSERT_TRUE(ok_);
  const FixInfoRecord fix = neutralFixInfo();
  const std::string path = dir_ + "/cali.bin";
  CaliContext* c = Cali_Create(path.c_str(), nullptr, &fix, frames_[0].fpa - 250);
  ASSERT_NE(c, nullptr);
  // A move of 250 m°C starts a stepwise update; 640 x 512 takes 128 steps.
  ASSERT_EQ(Cali_InitEnv(c, frames_[0].fpa, frames_[0].shell), 1);
  int steps = 0;
  while (Cali_InitEnv(c, frames_[0].fpa, frames_[0].shell) == 2) ++steps;
  EXPECT_EQ(steps, 128);
  std::vector<int16_t> frame = frames_[0].raw;
  Cali_Execute(c, frame.data());
  EXPECT_LE(worstError(frame, frames_[0].expected), 2);
  Cali_Free(&c);
}

TEST_F(PythonRoundTrip, CentreWindowEqualsTheRowsOfTheFullResult) {
  ASSERT_TRUE(ok_);
  const FixInfoRecord fix = neutralFixInfo();
  const std::string path = dir_ + "/cali.bin";
  CaliCreateInfo full{path.c_str(), nullptr, &fix, 30000, 640, 512, 640, 512, 0, 0};
  CaliCreateInfo crop = full;
  crop.windowHeight = 480;
  CaliContext* a = Cali_CreateX(&full);
  CaliContext* b = Cali_CreateX(&crop);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  const PyFrame& f = frames_[1];
  Cali_InitEnvWhole(a, f.fpa, f.shell);
  Cali_InitEnvWhole(b, f.fpa, f.shell);
  std::vector<int16_t> whole = f.raw;
  Cali_Execute(a, whole.data());
  std::vector<int16_t> window(f.raw.begin() + 16 * 640, f.raw.begin() + 496 * 640);
  Cali_Execute(b, window.data());
  EXPECT_TRUE(std::equal(window.begin(), window.end(), whole.begin() + 16 * 640));
  EXPECT_LE(worstError(window, f.expected, 16 * 640), 2);
  Cali_Free(&a);
  Cali_Free(&b);
}
