#include "camsim/AnnexB.h"

#include <cstdio>

namespace camsim {

namespace {
enum NalType { kSliceNonIdr = 1, kSliceIdr = 5, kSei = 6, kSps = 7, kPps = 8, kDelimiter = 9 };
}

AnnexBClip splitAnnexB(const std::vector<uint8_t>& s) {
  // Start-code positions: where the 00 00 01 (or 00 00 00 01) begins.
  std::vector<size_t> starts;
  for (size_t i = 0; i + 3 <= s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      starts.push_back(i > 0 && s[i - 1] == 0 ? i - 1 : i);
      i += 2;
    }
  }
  AnnexBClip clip;
  std::vector<uint8_t> cur;
  bool haveSlice = false, curIdr = false, haveSps = false, havePps = false;
  auto flush = [&] {
    clip.units.push_back(std::move(cur));
    clip.idr.push_back(curIdr);
    cur.clear();
    haveSlice = curIdr = false;
  };
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t b = starts[k];
    const size_t e = k + 1 < starts.size() ? starts[k + 1] : s.size();
    const size_t hdr = s[b + 2] == 1 ? b + 3 : b + 4;
    if (hdr >= e) continue;
    const int type = s[hdr] & 0x1F;
    const bool slice = type == kSliceNonIdr || type == kSliceIdr;
    const bool firstSlice = slice && hdr + 1 < e && (s[hdr + 1] & 0x80);
    const bool opens = type == kDelimiter || type == kSps || type == kPps || type == kSei || firstSlice;
    if (opens && haveSlice) flush();
    cur.insert(cur.end(), s.begin() + static_cast<long>(b), s.begin() + static_cast<long>(e));
    if (slice) haveSlice = true;
    if (type == kSliceIdr) curIdr = true;
    if ((type == kSps && !haveSps) || (type == kPps && !havePps)) {
      clip.parameterSets.insert(clip.parameterSets.end(), s.begin() + static_cast<long>(b),
                                s.begin() + static_cast<long>(e));
      (type == kSps ? haveSps : havePps) = true;
    }
  }
  if (!cur.empty()) flush();
  return clip;
}

bool loadAnnexBClip(const std::string& path, AnnexBClip* clip) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  *clip = splitAnnexB(bytes);
  for (bool idr : clip->idr)
    if (idr) return true;
  return false;
}

}  // namespace camsim
