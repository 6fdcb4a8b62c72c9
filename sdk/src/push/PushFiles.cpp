#include "push/PushFiles.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/Helpers.h"
#include "ostrel/OstrelTypes.h"

namespace ostrel::push {

std::string cleanSender(const char* field, size_t capacity) {
  std::string s(field, strnlen(field, capacity));
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7f || (i == 0 && c == '.')) s[i] = '_';
  }
  return s;
}

LocalStamp localStamp(int64_t filetime) {
  LocalDate d = filetimeToLocalDate(filetime);
  return LocalStamp{d.year, d.month, d.day, d.hour, d.minute, d.second};
}

int writeWholeFile(const std::string& path, const void* data, uint64_t length, int* err) {
  *err = 0;
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  std::vector<char> tmp(dir.begin(), dir.end());
  if (slash == std::string::npos) tmp.push_back('/');
  static const char kPattern[] = ".push-XXXXXX";
  tmp.insert(tmp.end(), kPattern, kPattern + sizeof kPattern);  // with the NUL
  int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) {
    *err = errno;
    return OSTREL_E_OPEN;
  }
  fchmod(fd, 0644);
  const auto* p = static_cast<const uint8_t*>(data);
  uint64_t done = 0;
  int rc = 1;
  while (done < length) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(length - done, 0x7ffff000));
    ssize_t n = write(fd, p + done, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *err = n < 0 ? errno : ENOSPC;
      rc = OSTREL_E_WRITE;
      break;
    }
    done += static_cast<uint64_t>(n);
  }
  if (close(fd) != 0 && rc == 1) {
    *err = errno;
    rc = OSTREL_E_WRITE;
  }
  if (rc == 1 && rename(tmp.data(), path.c_str()) != 0) {
    *err = errno;
    rc = OSTREL_E_OPEN;  // e.g. a folder of that name
  }
  if (rc != 1) unlink(tmp.data());
  return rc;
}

}  // namespace ostrel::push
