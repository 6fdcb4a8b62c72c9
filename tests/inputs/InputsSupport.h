// Shared pieces of the input tests: the Qt application, a simulated camera on this suite's own
// loopback range, a frame consumer that records what it was handed, and small file helpers.
#pragma once

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "NetKit.h"
#include "SimCameraEnv.h"
#include "QtTestKit.h"
#include "OstrelSDK.h"
#include "camsim/CameraSim.h"
#include "FrameSlot.h"

namespace inputs {

using namespace std::chrono_literals;

// An address of this suite on the run's loopback range.
inline std::string address(int host) {
  return ostrel::test::loopbackAddress(16, host);
}

// Runs a Python script with the system interpreter; its exit status.
inline int runPython(const std::string& script) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/script.py";
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return -1;
  std::fputs(script.c_str(), f);
  std::fclose(f);
  return std::system((std::string(OSTREL_SYSTEM_PYTHON) + " " + path).c_str());
}

// The radiometric goldens, written by the thermal-file suite's generator into `dir`.
inline bool makeGoldens(const QString& dir) {
  const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR +
                          "/../sdk_files/make_golden.py " + dir.toStdString() + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

inline QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline timespec mtimeOf(const QString& path) {
  struct stat st {};
  ::stat(path.toUtf8().constData(), &st);
  return st.st_mtim;
}

// Puts the file's modification time far in the past, so that any rewrite shows.
inline void ageFile(const QString& path) {
  timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, path.toUtf8().constData(), times, 0);
}

// What the consumer was handed, in order.
struct Handed {
  int status;
  FrameSlot* slot;
  uint32_t sequence;
  DataFrameHead* head;  // copied from the slot at hand-over time
  uint16_t frameIndex;
  uint16_t width;
};

class Consumer {
 public:
  static void callback(int status, FrameSlot* slot, void* user, uint32_t sequence) {
    auto* c = static_cast<Consumer*>(user);
    Handed h{status, slot, sequence, nullptr, 0, 0};
    if (slot != nullptr && slot->head != nullptr) {
      h.head = slot->head;
      h.frameIndex = slot->head->frameIndex;
      h.width = slot->head->width;
      // The frame store keeps the codes directly behind the head; the recorder relies on it.
      if (reinterpret_cast<uint8_t*>(slot->data) != reinterpret_cast<uint8_t*>(slot->head) + 128)
        c->dataNotBehindHead_ = true;
    }
    std::lock_guard<std::mutex> lk(c->mutex_);
    c->seen_.push_back(h);
    c->cv_.notify_all();
  }

  // Waits until `pred(entries)` holds, up to `limit`.
  template <class Pred>
  bool waitFor(Pred pred, std::chrono::milliseconds limit = 20s) {
    std::unique_lock<std::mutex> lk(mutex_);
    return cv_.wait_for(lk, limit, [&] { return pred(seen_); });
  }
  bool waitFrames(size_t n, std::chrono::milliseconds limit = 20s) {
    return waitFor([n](const std::vector<Handed>& s) { return countStatus(s, 0) >= n; }, limit);
  }
  std::vector<Handed> seen() {
    std::lock_guard<std::mutex> lk(mutex_);
    return seen_;
  }
  static size_t countStatus(const std::vector<Handed>& s, int status) {
    size_t n = 0;
    for (const Handed& h : s) n += h.status == status;
    return n;
  }
  bool dataNotBehindHead() const { return dataNotBehindHead_; }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<Handed> seen_;
  std::atomic<bool> dataNotBehindHead_{false};
};

// A simulated camera on address(host) and an initialised SDK for one test case.
struct CameraEnv : ostrel::test::SimCameraEnv {
  explicit CameraEnv(int host, camsim::CameraIdentity id = {}, bool tempStream = true)
      : SimCameraEnv(address(host), id, tempStream) {}
};

}  // namespace inputs
