// Shared pieces of the chart suites: frames as a producer hands them over, a
// canvas that takes them, Python for the independent CSV reader, a log catcher and waits that run
// the event loop until a condition holds.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "QtTestKit.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "TempCanvas.h"
#include "foundation/Logger.h"

namespace charts {

using ostrel::test::spinUntil;

using namespace std::chrono_literals;

// A frame in a producer's buffers: head, codes and BGRA image. Scale 100: code = degrees * 100.
struct ProducerFrame {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  std::vector<uint32_t> bgra;
  FrameSlot ref{};

  ProducerFrame(int w, int h, uint16_t scale = 100, int16_t offset = 0) : codes(size_t(w) * h), bgra(size_t(w) * h) {
    head.width = uint16_t(w);
    head.height = uint16_t(h);
    head.kind = 2;
    head.scale = scale;
    head.offset = offset;
    head.globalEmi = 1.0f;
    ref = FrameSlot{&head, codes.data(), bgra.data()};
  }
  int16_t& at(int x, int y) { return codes[size_t(y) * head.width + x]; }
};

inline MeaItem rectItem(int x1, int y1, int x2, int y2, const char* name = "") {
  MeaItem d{};
  std::snprintf(d.name, sizeof d.name, "%s", name);
  d.meaType = 9;
  d.pointCount = 2;
  d.fixEmi = 1.0f;
  d.points[0] = MeaPoint{uint16_t(x1), uint16_t(y1)};
  d.points[1] = MeaPoint{uint16_t(x2), uint16_t(y2)};
  return d;
}

inline MeaItem lineItem(int x1, int y1, int x2, int y2) {
  MeaItem d = rectItem(x1, y1, x2, y2);
  d.meaType = 5;  // the canvas draws lines as polylines
  return d;
}

// Writes `script` to a file and runs it with the system Python; its exit status.
inline int runPython(const std::string& script, const std::string& env = std::string()) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/check.py";
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return -1;
  std::fputs(script.c_str(), f);
  std::fclose(f);
  const std::string cmd = env + (env.empty() ? "" : " ") + OSTREL_SYSTEM_PYTHON + " " + path;
  return std::system(cmd.c_str());
}

// The file-input suite's picture and stream files, written once per run with struct; empty
// when they could not be written.
inline const QString& fixtureDir() {
  static QTemporaryDir dir;
  static const bool made =
      std::system((std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/../file_inputs/make_fixtures.py " +
                   dir.path().toStdString() + " >/dev/null 2>&1")
                      .c_str()) == 0;
  static const QString path = made ? dir.path() : QString();
  return path;
}

// Collects the default logger's lines while alive.
class LogCatcher {
 public:
  LogCatcher() {
    std::lock_guard<std::mutex> lock(mutex());
    lines().clear();
    ostrel::logSetCallback(ostrel::logDefault(), &LogCatcher::take);
  }
  ~LogCatcher() { ostrel::logSetCallback(ostrel::logDefault(), nullptr); }
  bool contains(const std::string& text) const {
    std::lock_guard<std::mutex> lock(mutex());
    for (const std::string& l : lines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::vector<std::string>& lines() {
    static std::vector<std::string> l;
    return l;
  }
  static void take(int, const char* line, size_t length) {
    std::lock_guard<std::mutex> lock(mutex());
    lines().emplace_back(line, length);
  }
};

}  // namespace charts
