// The recorder's naming rule: "-prefix", "-camera", "-YYYYMMDD-hhmmss", "-NNNN", "-suffix", each
// only when enabled, joined, the leading '-' dropped, under the save folder. Texts that come from
// a camera or a user become file-name safe first.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace recordcore {

struct NameSettings {
  bool prefixEnable = false;
  std::string prefix;
  bool countEnable = false;
  bool cameraIdentity = false;
  bool dateTime = true;
  bool suffixEnable = false;
  std::string suffix;
  std::string saveDir;
};

// Every byte outside [A-Za-z0-9._-] and non-ASCII UTF-8 kept, '/', '\\', control bytes and the
// rest of ASCII punctuation replaced by '_'; "." and ".." become "_".
std::string safeNamePart(const std::string& text);

struct RecordName {
  std::string base;       // saveDir + '/' + short base, no extension
  std::string shortBase;  // the name without folder and extension
  int counterUsed = -1;   // the counter value put into the name, -1 when counting is off
};

// Composes the name for local time `fileTime` (FILETIME). With counting on, the counter is taken
// and advanced atomically, so two callers never get the same value. When every part is off the
// date-time part is used, so a name never is only its extension.
RecordName composeName(const NameSettings& s, const std::string& cameraModel, int64_t fileTime,
                       std::atomic<int>* counter);

}  // namespace recordcore
