#include "CaliRecords.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/Helpers.h"

namespace calirec {

int readFileExact(const std::string& path, void* out, size_t length) {
  FILE* f = ostrel::fopenUtf8(path.c_str(), "rb");
  if (!f) return -200;
  // One byte more than wanted tells a longer file from an exact one.
  std::vector<uint8_t> scratch(length + 1);
  const size_t got = fread(scratch.data(), 1, scratch.size(), f);
  fclose(f);
  if (got < length) return -198;
  if (got > length) return -194;
  std::memcpy(out, scratch.data(), length);
  return 0;
}

bool weijuFileValid(const WeiJuRecord& r) {
  return r.tag == kWeiJuTag && r.len1EnvCount <= kWeiJuShells && r.len1BbCount <= kWeiJuRows &&
         r.len2BbCount <= kWeiJuRows;
}

bool fixdistFileValid(const FixDistRecord& r) {
  return r.distCount >= 0 && r.distCount <= kFixDistDists && r.bbCount >= 0 && r.bbCount <= kFixDistRows;
}

}  // namespace calirec
