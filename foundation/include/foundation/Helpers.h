// Whole-file reads and writes, time conversions, the executable's folder, bounded text.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ostrel {

// Reads exactly `length` bytes from the start of the file (a longer file is fine).
// 0 on success, -200 when the file cannot be opened, -198 when fewer bytes are there (the
// buffer content is then unspecified).
int fileReadExact(const char* path, void* buffer, size_t length);
// Creates or replaces the file with `length` bytes. The bytes go to a temporary file beside it
// that is renamed over the target only when complete, so a failed write leaves the old file.
// 1 on success (not 0), -200 when it cannot be opened, -197 on a short write.
int fileWriteAll(const char* path, const void* data, size_t length);
// Paths and modes are UTF-8; on Linux this is fopen.
FILE* fopenUtf8(const char* path, const char* mode);

// FILETIME: 100-ns ticks since 1601-01-01 UTC.
constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;
int64_t nowFileTime();
int64_t unixToFileTime(int64_t seconds, int64_t nanoseconds);
struct LocalDate {
  int year, month, day, hour, minute, second, milliseconds;
};
// Local time of a FILETIME; all fields 0 when the conversion fails (negative ticks, or a year
// past 30827, the last one a FILETIME calendar date can hold).
LocalDate filetimeToLocalDate(int64_t filetime);

// The running executable's folder (from /proc/self/exe): its full path with everything from the
// last '/' cut off, copied with strCopyN. Returns the length of what was stored; -8 for a null
// buffer or zero capacity.
int moduleDir(char* buffer, size_t capacity);

// Copies at most n - 1 characters and a NUL; n >= 1 (n == 0 writes nothing). A null source
// copies as an empty text.
char* strCopyN(char* dst, const char* src, size_t n);

// C99 truncation: never past the buffer, always NUL-terminated, result = needed length; -1 on a
// formatting error (the buffer then holds an empty text).
int safeSnprintf(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
int safeVsnprintf(char* buffer, size_t size, const char* format, va_list args);
// The sized form for arrays whose size the compiler knows.
template <size_t N>
__attribute__((format(printf, 2, 3))) int safeSprintf(char (&buffer)[N], const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = safeVsnprintf(buffer, N, format, ap);
  va_end(ap);
  return n;
}

}  // namespace ostrel
