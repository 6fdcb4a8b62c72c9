// Folder conversion: one-frame raw recordings to temperature recordings with a calibration file.
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/radiometry/FixInfoAccess.h"
#include "foundation/Helpers.h"

using namespace ostrel::alg;

namespace {

constexpr uint64_t kTempHeadAt = 1088, kFrameHeadAt = 1216, kDataAt = 1344;
constexpr uint8_t kKindRaw = 1, kKindTemp = 2;

FixInfoRecord folderFixInfo() {
  FixInfoRecord r{};
  r.atmosphericTemperature = 20;
  r.globalEmissivity = 0.97f;
  r.infraredWindowTrans = 1.0f;
  return r;
}

// Converts one recording in place: false when it is not a raw frame of this calibration.
bool convert(CaliContext* c, std::vector<uint8_t>& buf) {
  const uint64_t P = c->P;
  uint8_t* fh = buf.data() + P * 4 + kFrameHeadAt;
  const char* id = reinterpret_cast<const char*>(buf.data() + P * 4 + kTempHeadAt);
  if (rdU16(fh) != c->lay.width || rdU16(fh + 2) != c->lay.height || fh[8] != kKindRaw ||
      std::strncmp(id, reinterpret_cast<const char*>(c->image), 32) != 0) {
    return false;
  }
  Cali_InitEnvWhole(c, rdI32(fh + 16), rdI32(fh + 20));
  auto* codes = reinterpret_cast<int16_t*>(buf.data() + P * 4 + kDataAt);
  Cali_Execute(c, codes);
  Cali_Com(c, codes);
  fh[8] = kKindTemp;
  const uint16_t scale = uint16_t(c->scale);
  const int16_t offset = int16_t(-(c->c0 / c->scale));
  ostrel::bytes::putU16(fh + 12, scale);
  ostrel::bytes::putI16(fh + 14, offset);
  return true;
}

int convertFolder(CaliContext* c, const char* inDir, const char* outDir) {
  const uint64_t P = c->P;
  const size_t size = size_t(P * 6 + kDataAt);
  std::error_code ec;
  std::filesystem::directory_iterator it(std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(inDir))), ec);
  if (ec) return OSTREL_E_OPEN;
  std::vector<std::string> names;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code kindEc;
    if (it->is_regular_file(kindEc)) {
      const std::u8string u = it->path().filename().u8string();
      names.emplace_back(u.begin(), u.end());
    }
  }
  std::vector<uint8_t> buf(size);
  int count = 0;
  for (const std::string& name : names) {
    const std::string in = std::string(inDir) + "/" + name;
    if (ostrel::fileReadExact(in.c_str(), buf.data(), size) != 0 || !convert(c, buf)) continue;
    const std::string out = std::string(outDir) + "/" + name;
    if (ostrel::fileWriteAll(out.c_str(), buf.data(), size) == 1) ++count;
  }
  return count;
}

}  // namespace

extern "C" OSTREL_API int Cali_vd2temp(const char* caliPath, const char* inDir, const char* outDir) {
  if (!caliPath || !inDir || !outDir) return OSTREL_E_ARGUMENT;
  const FixInfoRecord fix = folderFixInfo();
  CaliContext* c = Cali_Create(caliPath, nullptr, &fix, 100000);
  if (!c) return OSTREL_E_OPEN;
  int rc = 0;
  // A calibration with a base LUT of its own belongs to another generation of converters.
  if (c->lay.lutCount == 0) {
    try {
      rc = convertFolder(c, inDir, outDir);
    } catch (const std::exception&) {
      rc = OSTREL_E_NO_MEMORY;
    }
  }
  Cali_Free(&c);
  return rc;
}
