// Day-file logger. Every line is built in the instance's fixed buffer under its lock; the file is
// chosen, rotated at local midnight, pruned and size-checked on each write.
#include "foundation/Logger.h"

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "foundation/Helpers.h"

namespace ostrel {

namespace {

constexpr char kColourReset[] = "\x1b[0m";
constexpr size_t kColourResetLength = sizeof kColourReset - 1;
constexpr int kPatternCapacity = 64;
// The first file of a run prunes day files back to this many days ago.
constexpr int kFirstRunLookBack = 30;
// A clock jump of more days than this prunes only this many (the rest are long gone anyway).
constexpr int kMaxPruneDays = 400;

struct LevelStyle {
  const char* word;
  const char* colour;
};

LevelStyle levelStyle(int level) {
  switch (level) {
    case LOG_DEBUG:
      return {"DEBUG", "\x1b[37m"};
    case LOG_INFO:
      return {"INFO ", "\x1b[32m"};
    case LOG_WARN:
      return {"WARN ", "\x1b[33m"};
    case LOG_ERROR:
      return {"ERROR", "\x1b[31m"};
    case LOG_FATAL:
      return {"FATAL", "\x1b[41;37m"};
  }
  return {"", ""};
}

// Days since 1970-01-01 of a proleptic Gregorian date (exact for any year).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

int64_t systemClockMs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The local wall-clock of one instant. The offset to UTC comes from localtime_r for this very
// instant, so half-hour zones and daylight-saving changes are right at every write.
struct LocalStamp {
  int64_t unixSeconds;
  tm fields;
  int milliseconds;
  int64_t dayNumber;  // local days since 1970-01-01
};

LocalStamp localStamp(int64_t unixMs) {
  LocalStamp s{};
  int64_t secs = unixMs / 1000;
  int64_t ms = unixMs % 1000;
  if (ms < 0) {
    ms += 1000;
    secs -= 1;
  }
  s.unixSeconds = secs;
  s.milliseconds = static_cast<int>(ms);
  time_t t = static_cast<time_t>(secs);
  if (!localtime_r(&t, &s.fields)) {
    std::memset(&s.fields, 0, sizeof s.fields);
    s.fields.tm_year = 70;
    s.fields.tm_mday = 1;
  }
  s.dayNumber = daysFromCivil(s.fields.tm_year + 1900LL, static_cast<unsigned>(s.fields.tm_mon + 1),
                              static_cast<unsigned>(s.fields.tm_mday));
  return s;
}

}  // namespace

struct Logger {
  std::mutex mutex;
  LogCallback callback = nullptr;  // guarded by mutex
  std::atomic<int> minLevel{LOG_DEBUG};
  bool colour = false;  // guarded by mutex (and the fields below)
  bool echo = false;
  bool flush = true;
  char pattern[kPatternCapacity] = {};
  char pathPrefix[kLogPrefixCapacity] = "zv";
  char filePath[kLogPrefixCapacity + 32] = {};
  FILE* file = nullptr;
  int64_t maxFileSize = kLogMaxFileSize;
  int keepDays = kLogKeepDays;
  int64_t openTime = 0;   // Unix seconds at which the current file was opened
  int64_t openDay = 0;    // its local day number
  bool pruned = false;    // whether old day files were pruned in this run
  int64_t prunedDay = 0;  // the local day of the last pruning
  int32_t sizeCheckCountdown = -1;
  LogClock clock = nullptr;
  char line[kLogBufferSize];
};

namespace {

// Formats "<prefix>_YYYY-MM-DD.log"; false when the name does not fit.
bool dayFileName(const Logger* log, int year, int month, int day, char* out, size_t capacity) {
  int n = safeSnprintf(out, capacity, "%s_%04d-%02d-%02d.log", log->pathPrefix, year, month, day);
  return n >= 0 && static_cast<size_t>(n) < capacity;
}

void removeDayFile(const Logger* log, int64_t dayNumber) {
  int y, m, d;
  civilFromDays(dayNumber, &y, &m, &d);
  char path[sizeof log->filePath];
  if (dayFileName(log, y, m, d, path, sizeof path)) unlink(path);  // a missing file is no error
}

// Removes the day files that fell out of the kept window since the last pruning: on the first
// file of a run those of 30 down to keepDays days ago, later one per local day that has passed,
// so a process that sat idle across several midnights still removes every stale file.
void pruneOldFiles(Logger* log, const LocalStamp& now) {
  if (log->keepDays < 0) return;
  int64_t from, to;  // inclusive range of "days ago"
  if (!log->pruned) {
    from = log->keepDays;
    to = log->keepDays > kFirstRunLookBack ? log->keepDays : kFirstRunLookBack;
  } else {
    int64_t passed = now.dayNumber - log->prunedDay;
    if (passed <= 0) return;
    if (passed > kMaxPruneDays) passed = kMaxPruneDays;
    from = log->keepDays;
    to = log->keepDays + passed - 1;
  }
  for (int64_t k = to; k >= from; --k) removeDayFile(log, now.dayNumber - k);
  log->pruned = true;
  log->prunedDay = now.dayNumber;
}

// Empties the file once it passes maxFileSize. The size is read only when the countdown runs
// out: after a check the next one waits for as many lines as could still fit at full length.
bool checkSize(Logger* log) {
  if (--log->sizeCheckCountdown >= 0) return true;
  if (fseeko(log->file, 0, SEEK_END) != 0) return true;
  off_t size = ftello(log->file);
  if (size < 0) return true;
  if (size > log->maxFileSize) {
    fclose(log->file);
    FILE* empty = fopen(log->filePath, "w");
    if (empty) fclose(empty);
    log->file = fopen(log->filePath, "ab");
    log->sizeCheckCountdown = -1;  // look again at the next write
    return log->file != nullptr;
  }
  int64_t lines = (log->maxFileSize - size) / static_cast<int64_t>(kLogBufferSize);
  log->sizeCheckCountdown = lines > INT32_MAX ? INT32_MAX : static_cast<int32_t>(lines);
  return true;
}

// Chooses the day file for `now` and writes. Called with the instance's lock held.
int writeLocked(Logger* log, const LocalStamp& now, const char* text, size_t length) {
  // Any change of the local date (forward at midnight, or backward when the clock is set back)
  // starts the file of the new date.
  if (log->file && now.dayNumber != log->openDay) {
    fclose(log->file);
    log->file = nullptr;
  }
  if (!log->file) {
    pruneOldFiles(log, now);
    if (!dayFileName(log, now.fields.tm_year + 1900, now.fields.tm_mon + 1, now.fields.tm_mday, log->filePath,
                     sizeof log->filePath))
      return 0;
    log->file = fopen(log->filePath, "ab");
    if (!log->file) return 0;  // dropped; tried again with the next line
    log->openTime = now.unixSeconds;
    log->openDay = now.dayNumber;
    log->sizeCheckCountdown = -1;
  }
  if (!checkSize(log)) return 0;
  size_t put = length ? fwrite(text, 1, length, log->file) : 0;
  if (put != length) return -197;
  if (log->flush && fflush(log->file) != 0) return -197;
  return static_cast<int>(put);
}

int64_t nowMs(const Logger* log) {
  return log->clock ? log->clock() : systemClockMs();
}

// Appends into the line buffer, never past `limit` bytes.
struct LineBuilder {
  char* buf;
  size_t pos;
  size_t limit;

  void put(const char* s, size_t n) {
    if (n > limit - pos) n = limit - pos;
    std::memcpy(buf + pos, s, n);
    pos += n;
  }
  void put(const char* s) { put(s, std::strlen(s)); }
  void putChar(char c) {
    if (pos < limit) buf[pos++] = c;
  }
  void putNumber(int64_t v, int digits) {
    char tmp[24];
    bool negative = v < 0;
    uint64_t u = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    int n = 0;
    do {
      tmp[n++] = static_cast<char>('0' + u % 10);
      u /= 10;
    } while (u != 0);
    while (n < digits) tmp[n++] = '0';
    if (negative) putChar('-');
    while (n > 0) putChar(tmp[--n]);
  }
  void putMessage(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    // vsnprintf may use every byte up to `limit` plus the NUL slot at buf[limit].
    int n = vsnprintf(buf + pos, limit - pos + 1, format, copy);
    va_end(copy);
    if (n < 0) {
      buf[pos] = '\0';
      return;
    }
    size_t room = limit - pos;
    pos += static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room;
  }
};

std::mutex g_defaultMutex;
std::atomic<Logger*> g_default{nullptr};
std::atomic<bool> g_destroyed{false};  // guarded by g_defaultMutex for writes
bool g_atexitRegistered = false;       // guarded by g_defaultMutex

void destroyDefaultAtExit() {
  logDestroyDefault();
}

}  // namespace

Logger* logCreate() {
  Logger* log = new Logger;
  strCopyN(log->pattern, kLogDefaultPattern, sizeof log->pattern);
  log->line[0] = '\0';
  return log;
}

void logDestroy(Logger* log) {
  if (!log) return;
  {
    std::lock_guard<std::mutex> lk(log->mutex);
    if (log->file) {
      fflush(log->file);
      fclose(log->file);
      log->file = nullptr;
    }
  }
  delete log;
}

Logger* logDefault() {
  Logger* log = g_default.load(std::memory_order_acquire);
  if (log || g_destroyed.load(std::memory_order_acquire)) return log;
  std::lock_guard<std::mutex> lk(g_defaultMutex);
  log = g_default.load(std::memory_order_acquire);
  if (!log && !g_destroyed.load(std::memory_order_relaxed)) {
    log = logCreate();
    g_default.store(log, std::memory_order_release);
    if (!g_atexitRegistered) {
      g_atexitRegistered = true;
      std::atexit(destroyDefaultAtExit);
    }
  }
  return log;
}

void logDestroyDefault() {
  Logger* log;
  {
    std::lock_guard<std::mutex> lk(g_defaultMutex);
    g_destroyed.store(true, std::memory_order_release);
    log = g_default.exchange(nullptr, std::memory_order_acq_rel);
  }
  logDestroy(log);
}

void logResetDefault() {
  std::lock_guard<std::mutex> lk(g_defaultMutex);
  g_destroyed.store(false, std::memory_order_release);
}

void logSetPathPrefix(Logger* log, const char* prefix) {
  if (!log || !prefix) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  strCopyN(log->pathPrefix, prefix, sizeof log->pathPrefix);
  char* dot = std::strrchr(log->pathPrefix, '.');
  if (dot && std::strcmp(dot, ".log") == 0) *dot = '\0';
  // The next line opens the file under the new name.
  if (log->file) {
    fclose(log->file);
    log->file = nullptr;
  }
}

void logSetCallback(Logger* log, LogCallback cb) {
  if (!log) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  log->callback = cb;
}

void logSetMinLevel(Logger* log, int level) {
  if (log) log->minLevel.store(level, std::memory_order_relaxed);
}

void logSetPattern(Logger* log, const char* pattern) {
  if (!log) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  strCopyN(log->pattern, pattern ? pattern : "", sizeof log->pattern);
}

void logSetEcho(Logger* log, bool echo) {
  if (!log) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  log->echo = echo;
}

void logSetColour(Logger* log, bool colour) {
  if (!log) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  log->colour = colour;
}

void logSetClock(Logger* log, LogClock clock) {
  if (!log) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  log->clock = clock;
}

int logWriteRaw(Logger* log, const char* text, size_t length) {
  if (!log || (!text && length)) return 0;
  std::lock_guard<std::mutex> lk(log->mutex);
  return writeLocked(log, localStamp(nowMs(log)), text, length);
}

int logPrintf(Logger* log, int level, const char* format, ...) {
  if (!log) return 0;
  if (level < log->minLevel.load(std::memory_order_relaxed)) return -10;
  if (!format) format = "";
  const LevelStyle style = levelStyle(level);

  std::lock_guard<std::mutex> lk(log->mutex);
  const LocalStamp now = localStamp(nowMs(log));
  const tm& t = now.fields;
  // Room for the reset code is kept back, so a cut line still ends its colour; one byte stays
  // for the NUL.
  LineBuilder b{log->line, 0, kLogBufferSize - 1 - (log->colour ? kColourResetLength : 0)};
  if (log->colour) b.put(style.colour);

  va_list args;
  va_start(args, format);
  if (log->pattern[0]) {
    for (const char* p = log->pattern; *p; ++p) {
      if (*p != '%') {
        b.putChar(*p);
        continue;
      }
      if (!*++p) break;  // a lone '%' at the end writes nothing
      switch (*p) {
        case '%':
          b.putChar('%');
          break;
        case 'y':
          b.putNumber(t.tm_year + 1900, 4);
          break;
        case 'm':
          b.putNumber(t.tm_mon + 1, 2);
          break;
        case 'd':
          b.putNumber(t.tm_mday, 2);
          break;
        case 'H':
          b.putNumber(t.tm_hour, 2);
          break;
        case 'M':
          b.putNumber(t.tm_min, 2);
          break;
        case 'S':
          b.putNumber(t.tm_sec, 2);
          break;
        case 'z':
          b.putNumber(now.milliseconds, 3);
          break;
        case 'Z':
          b.putNumber(now.milliseconds * 1000, 6);
          break;
        case 'L':
          b.put(style.word);
          break;
        case 'l':
          b.put(style.word, style.word[0] ? 1 : 0);
          break;
        case 's':
          b.putMessage(format, args);
          break;
        default:
          break;  // unknown directive: both characters dropped
      }
    }
  } else {
    b.putNumber(t.tm_year + 1900, 4);
    b.putChar('-');
    b.putNumber(t.tm_mon + 1, 2);
    b.putChar('-');
    b.putNumber(t.tm_mday, 2);
    b.putChar(' ');
    b.putNumber(t.tm_hour, 2);
    b.putChar(':');
    b.putNumber(t.tm_min, 2);
    b.putChar(':');
    b.putNumber(t.tm_sec, 2);
    b.putChar('.');
    b.putNumber(now.milliseconds, 3);
    b.putChar(' ');
    b.put(style.word);
    b.putChar(' ');
    b.putMessage(format, args);
  }
  va_end(args);

  if (log->colour) {
    b.limit += kColourResetLength;
    b.put(kColourReset, kColourResetLength);
  }
  log->line[b.pos] = '\0';

  if (log->callback) {
    log->callback(level, log->line, b.pos);
  } else {
    writeLocked(log, now, log->line, b.pos);
    if (log->echo) {
      fwrite(log->line, 1, b.pos, stdout);
      fflush(stdout);
    }
  }
  return static_cast<int>(b.pos);
}

}  // namespace ostrel
