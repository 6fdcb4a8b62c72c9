// Process-wide file logger: one instance per process and one inside the SDK library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel {

enum LogLevel : int { LOG_DEBUG = 1, LOG_INFO = 2, LOG_WARN = 3, LOG_ERROR = 4, LOG_FATAL = 5 };

// Receives each finished line instead of the file. Called inside the logger's lock.
using LogCallback = void (*)(int level, const char* line, size_t length);

struct Logger;

// The instance, created on first use (thread-safe). Returns null once logDestroyDefault ran.
Logger* logDefault();
// Destroys the default instance; idempotent. Later logDefault() calls return null.
void logDestroyDefault();
// Re-arms the default instance after logDestroyDefault (used by Ostrel_InitSDK and tests).
void logResetDefault();

void logSetPathPrefix(Logger* log, const char* prefix);
void logSetCallback(Logger* log, LogCallback cb);
void logSetMinLevel(Logger* log, int level);
void logSetPattern(Logger* log, const char* pattern);
void logSetEcho(Logger* log, bool echo);
void logSetColour(Logger* log, bool colour);

// Length of the line, or -10 when level is below the minimum. A null logger writes nothing.
int logPrintf(Logger* log, int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
int logWriteRaw(Logger* log, const char* text, size_t length);

}  // namespace ostrel

// The system's message form: source path, line and function, then the message and an empty line.
#define OSTREL_LOG(fmt, ...)                                                                     \
  ::ostrel::logPrintf(::ostrel::logDefault(), ::ostrel::LOG_DEBUG, "%s,%d,%s:\n" fmt "\n\n", __FILE__, \
                      __LINE__, __func__ __VA_OPT__(, ) __VA_ARGS__)
// Same, with an explicit function (or source module) name.
#define OSTREL_LOG_AS(name, fmt, ...)                                                            \
  ::ostrel::logPrintf(::ostrel::logDefault(), ::ostrel::LOG_DEBUG, "%s,%d,%s:\n" fmt "\n\n", __FILE__, \
                      __LINE__, name __VA_OPT__(, ) __VA_ARGS__)
