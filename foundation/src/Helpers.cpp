#include "foundation/Helpers.h"

#include <unistd.h>

#include <cstring>
#include <ctime>

namespace ostrel {

int fileReadExact(const char* path, void* buffer, size_t length) {
  FILE* f = fopenUtf8(path, "rb");
  if (!f) return -200;
  size_t got = length ? fread(buffer, 1, length, f) : 0;
  fclose(f);
  return got == length ? 0 : -198;
}

int fileWriteAll(const char* path, const void* data, size_t length) {
  FILE* f = fopenUtf8(path, "wb");
  if (!f) return -200;
  size_t put = length ? fwrite(data, 1, length, f) : 0;
  int closed = fclose(f);
  return (put == length && closed == 0) ? 1 : -197;
}

FILE* fopenUtf8(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  return fopen(path, mode);
}

int64_t unixToFileTime(int64_t seconds, int64_t nanoseconds) {
  return (seconds + 11644473600LL) * 10000000LL + nanoseconds / 100;
}

int64_t nowFileTime() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return unixToFileTime(ts.tv_sec, ts.tv_nsec);
}

LocalDate filetimeToLocalDate(int64_t filetime) {
  LocalDate d{};
  int64_t ticks = filetime - kFileTimeUnixEpoch;
  int64_t secs = ticks / 10000000LL;
  int64_t rem = ticks % 10000000LL;
  if (rem < 0) {
    rem += 10000000LL;
    secs -= 1;
  }
  time_t t = static_cast<time_t>(secs);
  tm lt{};
  if (!localtime_r(&t, &lt)) return d;
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
  char path[4096];
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
