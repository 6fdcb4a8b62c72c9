// The device tool's process-wide folders and the values its settings push into the process:
// "<exe>/Calorset-Config", "-Data" and "-Log", the debug settings of "debug.json", the chart
// sampling interval and length and the display frame-rate cap. Set on the GUI thread at start-up
// and by the settings manager; the cap is also read on the SDK's receiver thread.
#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace calorset {

// Forms the folders below `dir` (the executable's folder when empty), creates them and points the
// default logger at "Calorset-Log/Calorset". The length of the folder text, or -1 when the
// executable's folder cannot be had (the folder texts stay empty, nothing is created).
int initAppDirs(const QString& dir = QString());

QString appDir();
const char* appDirUtf8();  // at most 1023 bytes
QString configDir();
QString dataDir();
QString logDir();

// The start-up's settings files are read only when they are regular files no larger than this: a
// named pipe, a device or a folder put in their place must not stop the start.
constexpr size_t kSettingsFileMax = size_t(1) << 20;
// True when `path` (UTF-8) names a regular file of at most kSettingsFileMax bytes.
bool isSettingsFile(const char* path);
// Reads a whole regular file into a new malloc buffer the caller frees. 0; -200 not opened or not
// a regular file; -198 empty or short (no buffer); -8 larger than kSettingsFileMax; -5 no memory.
int fileReadWhole(const char* path, char** out, size_t* size);
// Parses "debug.json" text: the integers "netdEnable", "netdFrameCount", "netdCalcInterval" into
// out[0..2]. 0; -11 for text that is not JSON, a missing key or a value that is not an integer
// (out unchanged then).
int parseDebugConfig(int out[3], const char* text, size_t length);
// Reads "debug.json" of the configuration folder; only a whole valid file replaces the three
// values (0, 0, 0 otherwise). Nothing is reported.
void loadDebugSettings();
int debugNetdEnable();
int debugNetdFrameCount();
int debugNetdCalcInterval();

// "<saveDir>/YYYYMMDD_hhmmss<suffix>" of the local time, in a shared buffer valid until the next
// call. GUI thread only. The save folder is the current settings' (set by the settings manager).
const char* makeTimeFileName(const char* suffix);
void setSaveDirUtf8(const QByteArray& dir);
QByteArray saveDirUtf8();

// Applied by the settings manager; read by the live device.
extern std::atomic<int64_t> chartSampleInterval;  // 100-ns ticks, 0 until applied
extern std::atomic<int> chartLength;              // samples, 0 until applied
extern std::atomic<int> displayFpsCap;            // 10..100, 100 until applied
extern std::atomic<int> streamTransType;          // transType of the settings, 0 until applied

}  // namespace calorset
