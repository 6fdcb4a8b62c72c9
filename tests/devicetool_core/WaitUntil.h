// The device tool tests' wait: events are processed until a condition holds, under a deadline
// that the slower sanitizer lanes stretch.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace devicetest {

#ifdef OSTREL_SANITIZER_LANE
constexpr int kDeadlineMs = 60000;
#else
constexpr int kDeadlineMs = 20000;
#endif

// False when the deadline passes first.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = kDeadlineMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace devicetest
