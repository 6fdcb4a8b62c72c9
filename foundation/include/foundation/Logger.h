// Process-wide file logger: one instance per process and one inside the SDK library.
//
// Lines go to day files "<prefix>_YYYY-MM-DD.log" (local date), kept for 7 days and emptied when
// they pass 16 MiB, or to a callback instead. Every line is built in one 16384-byte buffer and
// never grows past it. Any thread may log; all building and writing of a line runs under the
// instance's lock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel {

enum LogLevel : int { LOG_DEBUG = 1, LOG_INFO = 2, LOG_WARN = 3, LOG_ERROR = 4, LOG_FATAL = 5 };

// Receives each finished line instead of the file. Called inside the logger's lock.
using LogCallback = void (*)(int level, const char* line, size_t length);
// Current UTC time in milliseconds since 1970-01-01; replaces the system clock in tests.
using LogClock = int64_t (*)();

struct Logger;

constexpr size_t kLogBufferSize = 16384;        // bytes of one line, terminating NUL included
constexpr size_t kLogPrefixCapacity = 1024;     // bytes of the path prefix, NUL included
constexpr int64_t kLogMaxFileSize = 0x1000000;  // a day file past this many bytes is emptied
constexpr int kLogKeepDays = 7;
constexpr const char* kLogDefaultPattern = "%y-%m-%d %H:%M:%S.%z %L %s";

// The instance, created on first use (thread-safe). Returns null once logDestroyDefault ran.
Logger* logDefault();
// Destroys the default instance; idempotent. Later logDefault() calls return null. No other
// thread may be logging through the instance while it is destroyed.
void logDestroyDefault();
// Re-arms the default instance after logDestroyDefault (used by Ostrel_InitSDK and tests).
void logResetDefault();

// A separate instance with every default (tests, tools); free it with logDestroy.
Logger* logCreate();
// Flushes and closes the file and frees the instance; null does nothing.
void logDestroy(Logger* log);

// Copies at most kLogPrefixCapacity - 1 bytes; a final ".log" is cut off.
void logSetPathPrefix(Logger* log, const char* prefix);
void logSetCallback(Logger* log, LogCallback cb);
void logSetMinLevel(Logger* log, int level);
// At most 63 characters are kept. Directives: %% %y %m %d %H %M %S %z (ms) %Z (us) %L %l %s.
void logSetPattern(Logger* log, const char* pattern);
void logSetEcho(Logger* log, bool echo);
void logSetColour(Logger* log, bool colour);
// Null restores the system clock.
void logSetClock(Logger* log, LogClock clock);

// Length of the line, or -10 when level is below the minimum. A null logger writes nothing.
int logPrintf(Logger* log, int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
// Writes text as it stands to the current day file (choosing, rotating and size-checking it
// first). Returns the bytes written; 0 when no file can be opened; -197 when the write or the
// flush fails.
int logWriteRaw(Logger* log, const char* text, size_t length);

}  // namespace ostrel

// The system's message form: source path, line and function, then the message and an empty line.
#define OSTREL_LOG(fmt, ...)                                                                           \
  ::ostrel::logPrintf(::ostrel::logDefault(), ::ostrel::LOG_DEBUG, "%s,%d,%s:\n" fmt "\n\n", __FILE__, \
                      __LINE__, __func__ __VA_OPT__(, ) __VA_ARGS__)
// Same, with an explicit function (or source module) name.
#define OSTREL_LOG_AS(name, fmt, ...)                                                                  \
  ::ostrel::logPrintf(::ostrel::logDefault(), ::ostrel::LOG_DEBUG, "%s,%d,%s:\n" fmt "\n\n", __FILE__, \
                      __LINE__, name __VA_OPT__(, ) __VA_ARGS__)
