// What every Qt test program needs once: its application object, made before the first case and
// deleted after the last, and a wait that runs the event loop until a condition holds.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace ostrel::test {

// `App` is QCoreApplication, QGuiApplication or QApplication. `before` runs before the application
// object is made (what must precede it: graphics back end, log path), `after` once it exists
// (paint resources, libraries, fixtures; may use ASSERT_*).
template <class App>
class AppEnvironment : public ::testing::Environment {
 public:
  explicit AppEnvironment(std::string name, std::function<void()> after = {}, std::function<void()> before = {})
      : name_(std::move(name)), after_(std::move(after)), before_(std::move(before)) {}

  void SetUp() override {
    if (before_) before_();
    // The application keeps argc and argv for its whole life: they are members.
    argv_[0] = name_.data();
    app_ = std::make_unique<App>(argc_, argv_);
    if (after_) after_();
  }
  void TearDown() override { app_.reset(); }

 private:
  std::string name_;
  std::function<void()> after_, before_;
  int argc_ = 1;
  char* argv_[2] = {nullptr, nullptr};
  std::unique_ptr<App> app_;
};

// Registers the environment of the program; for a namespace-scope constant in Main.cpp.
template <class App>
::testing::Environment* addAppEnvironment(std::string name, std::function<void()> after = {},
                                          std::function<void()> before = {}) {
  return ::testing::AddGlobalTestEnvironment(
      new AppEnvironment<App>(std::move(name), std::move(after), std::move(before)));
}

// Runs the event loop until `pred` holds or `limit` passes; whether it holds.
template <class Pred>
bool spinUntil(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  QDeadlineTimer deadline(limit.count());
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace ostrel::test
