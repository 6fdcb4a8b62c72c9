#include "AppFolders.h"

#include <QDateTime>
#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace calorset {

std::atomic<int64_t> chartSampleInterval{0};
std::atomic<int> chartLength{0};
std::atomic<int> displayFpsCap{100};
std::atomic<int> streamTransType{0};

namespace {

QString g_appDir, g_configDir, g_dataDir, g_logDir;
char g_appDirUtf8[1024];
char g_pathBuffer[1024];  // file names formatted for start-up, the settings and snapshots
QByteArray g_saveDir;
int g_debug[3] = {0, 0, 0};

}  // namespace

int initAppDirs(const QString& dir) {
  QString base = dir;
  if (base.isEmpty()) {
    char exe[1024];
    if (ostrel::moduleDir(exe, sizeof exe) <= 0) return -1;
    base = QString::fromLocal8Bit(exe);
  }
  g_appDir = base;
  ostrel::strCopyN(g_appDirUtf8, base.toUtf8().constData(), sizeof g_appDirUtf8);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorset-Config", g_appDirUtf8);
  g_configDir = QString::fromUtf8(g_pathBuffer);
  QDir().mkpath(g_configDir);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorset-Data", g_appDirUtf8);
  g_dataDir = QString::fromUtf8(g_pathBuffer);
  QDir().mkpath(g_dataDir);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorset-Log", g_appDirUtf8);
  g_logDir = QString::fromUtf8(g_pathBuffer);
  QDir().mkpath(g_logDir);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorset-Log/Calorset", g_appDirUtf8);
  ostrel::logSetPathPrefix(ostrel::logDefault(), g_pathBuffer);
  return int(std::strlen(g_appDirUtf8));
}

QString appDir() { return g_appDir; }
const char* appDirUtf8() { return g_appDirUtf8; }
QString configDir() { return g_configDir; }
QString dataDir() { return g_dataDir; }
QString logDir() { return g_logDir; }

bool isSettingsFile(const char* path) {
  struct stat st {};
  return path != nullptr && ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= kSettingsFileMax;
}

int fileReadWhole(const char* path, char** out, size_t* size) {
  *out = nullptr;
  *size = 0;
  if (path == nullptr) return -200;
  // Opened without blocking, so a named pipe nobody writes to is seen (and refused) at once.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -200;
  struct stat st {};
  int rc = -198;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    rc = -200;
  } else if (uint64_t(st.st_size) > kSettingsFileMax) {
    rc = -8;
  } else if (st.st_size > 0) {
    const size_t len = size_t(st.st_size);
    char* buf = static_cast<char*>(std::malloc(len));
    if (buf == nullptr) {
      rc = -5;
    } else {
      size_t got = 0;
      while (got < len) {
        const ssize_t n = ::read(fd, buf + got, len - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
      }
      if (got == len) {
        *out = buf;
        *size = len;
        rc = 0;
      } else {
        std::free(buf);
      }
    }
  }
  ::close(fd);
  return rc;
}

int parseDebugConfig(int out[3], const char* text, size_t length) {
  const nlohmann::json root = nlohmann::json::parse(text, text + length, nullptr, false);
  if (root.is_discarded() || !root.is_object()) return -11;
  static const char* const kKeys[3] = {"netdEnable", "netdFrameCount", "netdCalcInterval"};
  int v[3];
  for (int i = 0; i < 3; ++i) {
    const auto it = root.find(kKeys[i]);
    if (it == root.end() || !it->is_number_integer()) return -11;
    const int64_t n = it->get<int64_t>();
    if (n < INT32_MIN || n > INT32_MAX) return -11;
    v[i] = int(n);
  }
  std::memcpy(out, v, sizeof v);
  return 0;
}

void loadDebugSettings() {
  ostrel::safeSprintf(g_pathBuffer, "%s/debug.json", g_configDir.toUtf8().constData());
  char* text = nullptr;
  size_t size = 0;
  if (fileReadWhole(g_pathBuffer, &text, &size) != 0) return;
  int v[3] = {0, 0, 0};
  if (parseDebugConfig(v, text, size) == 0) std::memcpy(g_debug, v, sizeof v);
  std::free(text);
}

int debugNetdEnable() { return g_debug[0]; }
int debugNetdFrameCount() { return g_debug[1]; }
int debugNetdCalcInterval() { return g_debug[2]; }

void setSaveDirUtf8(const QByteArray& dir) {
  g_saveDir = dir;
}

QByteArray saveDirUtf8() {
  return g_saveDir;
}

const char* makeTimeFileName(const char* suffix) {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  ostrel::safeSprintf(g_pathBuffer, "%s/%04d%02d%02d_%02d%02d%02d%s", g_saveDir.constData(), d.year(), d.month(),
                      d.day(), t.hour(), t.minute(), t.second(), suffix ? suffix : "");
  return g_pathBuffer;
}

}  // namespace calorset
