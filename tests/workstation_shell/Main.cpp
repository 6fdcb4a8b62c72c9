// One QApplication for the in-process cases; Qt Quick draws in software so windows render on the
// offscreen platform without a GPU.
#include <gtest/gtest.h>

#include <QApplication>
#include <QQuickWindow>

#include "foundation/Logger.h"

namespace {

class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_workstation_shell";
    static char* argv[] = {name, nullptr};
    // The cases' own log lines stay in the build tree, wherever the program is started from.
    ostrel::logSetPathPrefix(ostrel::logDefault(), OSTREL_TEST_BINARY_DIR "/shell_cases");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
};

const auto* const kApp = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace
