#include "foundation/Helpers.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

namespace ostrel {

namespace {

constexpr int64_t kTicksPerSecond = 10000000LL;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kFileTimeEpochSeconds = 11644473600LL;
// A FILETIME calendar date ends with the year 30827.
constexpr int kFileTimeLastYear = 30827;

bool writeFully(int fd, const unsigned char* p, size_t length) {
  while (length > 0) {
    ssize_t n = write(fd, p, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int fileReadExact(const char* path, void* buffer, size_t length) {
  FILE* f = fopenUtf8(path, "rb");
  if (!f) return -200;
  size_t got = (length && buffer) ? fread(buffer, 1, length, f) : 0;
  fclose(f);
  return got == length ? 0 : -198;
}

int fileWriteAll(const char* path, const void* data, size_t length) {
  if (!path || (!data && length)) return -200;
  static std::atomic<unsigned> counter{0};
  std::string tmp = std::string(path) + ".tmp." + std::to_string(getpid()) + "." +
                    std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return -200;
  bool ok = writeFully(fd, static_cast<const unsigned char*>(data), length);
  if (close(fd) != 0) ok = false;
  if (!ok) {
    unlink(tmp.c_str());
    return -197;
  }
  if (rename(tmp.c_str(), path) != 0) {  // e.g. the target is a folder
    unlink(tmp.c_str());
    return -200;
  }
  return 1;
}

FILE* fopenUtf8(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  return fopen(path, mode);
}

int64_t unixToFileTime(int64_t seconds, int64_t nanoseconds) {
  return (seconds + kFileTimeEpochSeconds) * kTicksPerSecond + nanoseconds / 100;
}

int64_t nowFileTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return unixToFileTime(ts.tv_sec, ts.tv_nsec);
}

LocalDate filetimeToLocalDate(int64_t filetime) {
  LocalDate d{};
  if (filetime < 0) return d;
  int64_t secs = filetime / kTicksPerSecond - kFileTimeEpochSeconds;
  int64_t rem = filetime % kTicksPerSecond;  // non-negative: filetime >= 0
  time_t t = static_cast<time_t>(secs);
  tm lt{};
  if (!localtime_r(&t, &lt)) return d;
  if (lt.tm_year + 1900 > kFileTimeLastYear) return d;
  d.year = lt.tm_year + 1900;
  d.month = lt.tm_mon + 1;
  d.day = lt.tm_mday;
  d.hour = lt.tm_hour;
  d.minute = lt.tm_min;
  d.second = lt.tm_sec;
  d.milliseconds = static_cast<int>(rem / 10000);
  return d;
}

int moduleDir(char* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return -8;
  char path[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n < 0) n = 0;
  path[n] = '\0';
  char* slash = strrchr(path, '/');
  if (slash) *slash = '\0';
  strCopyN(buffer, path, capacity);
  return static_cast<int>(strlen(buffer));
}

char* strCopyN(char* dst, const char* src, size_t n) {
  if (!dst || n == 0) return dst;
  size_t i = 0;
  if (src)
    for (; i + 1 < n && src[i]; ++i) dst[i] = src[i];
  dst[i] = '\0';
  return dst;
}

int safeVsnprintf(char* buffer, size_t size, const char* format, va_list args) {
  if (!format) {
    if (buffer && size) buffer[0] = '\0';
    return -1;
  }
  if (!buffer) size = 0;
  int n = vsnprintf(buffer, size, format, args);
  if (n < 0 && buffer && size) buffer[0] = '\0';
  return n < 0 ? -1 : n;
}

int safeSnprintf(char* buffer, size_t size, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = safeVsnprintf(buffer, size, format, ap);
  va_end(ap);
  return n;
}

}  // namespace ostrel
