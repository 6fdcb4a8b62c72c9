// One QApplication for the in-process cases, and the device tool's folders in the build tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QQuickWindow>

#include "AppFolders.h"
#include "OstrelSDK.h"
#include "foundation/Logger.h"

namespace {

class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_devicetool_core";
    static char* argv[] = {name, nullptr};
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    app_ = new QApplication(argc, argv);
    const QString dir = QStringLiteral(OSTREL_TEST_BINARY_DIR "/app_%1").arg(QCoreApplication::applicationPid());
    QDir(dir).removeRecursively();
    calorset::initAppDirs(dir);
    ASSERT_EQ(Ostrel_InitSDK(), 0);
  }
  void TearDown() override {
    Ostrel_FreeSDK();
    QDir(calorset::appDir()).removeRecursively();
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
};

const auto* const kApp = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace
