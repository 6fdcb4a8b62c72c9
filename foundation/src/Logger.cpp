// Minimal first cut: lines go to the day file named by the prefix. Retention, size checks and
// the header pattern language follow.
#include "foundation/Logger.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

#include "foundation/Helpers.h"

namespace ostrel {

struct Logger {
  std::mutex mutex;
  LogCallback callback = nullptr;
  int minLevel = 1;
  char prefix[256] = "zv";
  char line[16384];
};

namespace {
std::mutex g_defaultMutex;
Logger* g_default = nullptr;
bool g_destroyed = false;
}  // namespace

Logger* logDefault() {
  std::lock_guard<std::mutex> lk(g_defaultMutex);
  if (!g_default && !g_destroyed) g_default = new Logger;
  return g_default;
}

void logDestroyDefault() {
  std::lock_guard<std::mutex> lk(g_defaultMutex);
  delete g_default;
  g_default = nullptr;
  g_destroyed = true;
}

void logResetDefault() {
  std::lock_guard<std::mutex> lk(g_defaultMutex);
  g_destroyed = false;
}

void logSetPathPrefix(Logger* log, const char* prefix) {
  if (!log || !prefix) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  strCopyN(log->prefix, prefix, sizeof log->prefix);
  char* dot = strrchr(log->prefix, '.');
  if (dot && strcmp(dot, ".log") == 0) *dot = '\0';
}

void logSetCallback(Logger* log, LogCallback cb) {
  if (!log) return;
  std::lock_guard<std::mutex> lk(log->mutex);
  log->callback = cb;
}

void logSetMinLevel(Logger* log, int level) {
  if (log) log->minLevel = level;
}
void logSetPattern(Logger*, const char*) {}
void logSetEcho(Logger*, bool) {}
void logSetColour(Logger*, bool) {}

int logWriteRaw(Logger* log, const char* text, size_t length) {
  if (!log) return 0;
  time_t now = time(nullptr);
  tm lt{};
  localtime_r(&now, &lt);
  char path[300];
  safeSnprintf(path, sizeof path, "%s_%04d-%02d-%02d.log", log->prefix, lt.tm_year + 1900, lt.tm_mon + 1,
               lt.tm_mday);
  FILE* f = fopen(path, "ab");
  if (!f) return 0;
  size_t n = fwrite(text, 1, length, f);
  fclose(f);
  return static_cast<int>(n);
}

int logPrintf(Logger* log, int level, const char* format, ...) {
  if (!log) return 0;
  if (level < log->minLevel) return -10;
  std::lock_guard<std::mutex> lk(log->mutex);
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(log->line, sizeof log->line, format, ap);
  va_end(ap);
  if (n < 0) return 0;
  size_t len = static_cast<size_t>(n) < sizeof log->line ? static_cast<size_t>(n) : sizeof log->line - 1;
  if (log->callback)
    log->callback(level, log->line, len);
  else
    logWriteRaw(log, log->line, len);
  return static_cast<int>(len);
}

}  // namespace ostrel
