// Thermistor tables: any bytes give a table or null; a table answers every reading, and readings
// past the divider's full scale read its coldest end.
// ctest-labels: alg_calibration_variants
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OstrelSDK.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* tmp = std::getenv("TMPDIR");
  static const std::string path =
      std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_rt_" + std::to_string(getpid()) + ".rt";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  RtTable* rt = rtCreate(path.c_str());
  std::remove(path.c_str());
  if (!rt) return 0;
  // Accepted only as 128 + 8 n bytes with n >= 2, temperatures falling.
  int32_t n, b;
  std::memcpy(&n, data + 32, 4);
  std::memcpy(&b, data + 40, 4);
  if (n < 2 || size != 128 + 8 * size_t(n)) std::abort();
  int32_t coldest;
  std::memcpy(&coldest, data + 128 + 8 * size_t(n - 1), 4);
  volatile int64_t sum = 0;
  for (int32_t j = 0; j < 65536; j += 7) sum = sum + rtGet(rt, j);
  const double full = b / 1000.0;
  if (full >= 1 && full < 65535 && rtGet(rt, 65535) != coldest) std::abort();
  rtFree(&rt);
  return 0;
}
