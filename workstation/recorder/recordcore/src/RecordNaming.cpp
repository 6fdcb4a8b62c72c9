#include "recordcore/RecordNaming.h"

#include <cstdio>

#include "foundation/Helpers.h"

namespace recordcore {

std::string safeNamePart(const std::string& text) {
  std::string out = text;
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '_' || c == '-' || c >= 0x80;
    if (!ok) ch = '_';
  }
  if (out == "." || out == "..") out = "_";
  return out;
}

RecordName composeName(const NameSettings& s, const std::string& cameraModel, int64_t fileTime,
                       std::atomic<int>* counter) {
  std::string joined;
  const ostrel::LocalDate d = ostrel::filetimeToLocalDate(fileTime);
  char buf[64];
  auto dateTime = [&] {
    std::snprintf(buf, sizeof buf, "-%04d%02d%02d-%02d%02d%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
    joined += buf;
  };
  RecordName r;
  if (s.prefixEnable) joined += "-" + safeNamePart(s.prefix);
  if (s.cameraIdentity) joined += "-" + safeNamePart(cameraModel);
  if (s.dateTime) dateTime();
  if (s.countEnable && counter != nullptr) {
    r.counterUsed = counter->fetch_add(1, std::memory_order_acq_rel);
    std::snprintf(buf, sizeof buf, "-%04d", r.counterUsed);
    joined += buf;
  }
  if (s.suffixEnable) joined += "-" + safeNamePart(s.suffix);
  if (joined.empty()) dateTime();
  r.shortBase = joined.substr(1);
  r.base = s.saveDir + "/" + r.shortBase;
  return r;
}

}  // namespace recordcore
