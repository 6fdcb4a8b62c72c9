// ".c2m" base LUT files: any bytes load into a calibration or are refused with a code; a loaded
// base LUT is the second table's lines, saturated, and never read past the bytes there.
// Inputs with an even first byte take the calibration's identity, so the tables are reached.
// ctest-labels: alg_calibration_variants
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"

namespace {

const char kIdentity[] = "FUZZ-C2M-CALI";

// A calibration of 2 x 2 pixels, 2 FPA points and 2 blackbodies.
CaliContext* makeCali(const std::string& dir) {
  std::vector<uint8_t> f(128 + 64 + 64 + 32 + 32, 0);
  std::memcpy(f.data(), kIdentity, sizeof kIdentity - 1);
  const uint16_t w = 2, h = 2, scale = 10, c0 = 500;
  std::memcpy(f.data() + 36, &w, 2);
  std::memcpy(f.data() + 38, &h, 2);
  f[40] = 2;
  f[41] = 2;
  std::memcpy(f.data() + 42, &scale, 2);
  std::memcpy(f.data() + 44, &c0, 2);
  f[48] = 16;
  const int32_t fpa[4] = {10000, 40000, 10000, 40000};
  std::memcpy(f.data() + 192, fpa, sizeof fpa);
  const std::string path = dir + "/fuzz_c2m.cal";
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return nullptr;
  std::fwrite(f.data(), 1, f.size(), out);
  std::fclose(out);
  FixInfoRecord fix{};
  fix.globalEmissivity = 1;
  fix.infraredWindowTrans = 1;
  fix.atmosphericTemperature = 20;
  CaliContext* c = Cali_Create(path.c_str(), nullptr, &fix, 100000);
  std::remove(path.c_str());
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* tmp = std::getenv("TMPDIR");
  static const std::string dir = tmp && *tmp ? tmp : "/tmp";
  static CaliContext* cali = makeCali(dir);
  static const std::string path = dir + "/fuzz_c2m_" + std::to_string(getpid()) + ".c2m";
  if (!cali) std::abort();
  std::vector<uint8_t> bytes(data, data + size);
  if (size > 0 && (data[0] & 1) == 0) {
    bytes.resize(std::max<size_t>(size, 32));
    std::memset(bytes.data(), 0, 32);
    std::memcpy(bytes.data(), kIdentity, sizeof kIdentity - 1);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  cali->lay.lutCount = 0;
  const int rc = C2m_Load(cali, path.c_str());
  if (rc != 0 && rc != -194 && rc != -11) std::abort();
  if (rc == 0 && (cali->lay.lutCount < 2 || cali->lay.lutCount > 32 || C2m_Load(cali, path.c_str()) != -7)) std::abort();
  uint8_t head[128] = {};
  std::memcpy(head, cali->image, 128);
  C2m_CheckFile(path.c_str(), head);
  std::remove(path.c_str());
  return 0;
}
