// One QApplication for the in-process cases; Qt Quick draws in software so windows render on the
// offscreen platform without a GPU.
#include <QApplication>
#include <QQuickWindow>

#include "QtTestKit.h"
#include "foundation/Logger.h"

namespace {

const auto* const kApp = ostrel::test::addAppEnvironment<QApplication>("test_workstation_shell", {}, [] {
  // The cases' own log lines stay in the build tree, wherever the program is started from.
  ostrel::logSetPathPrefix(ostrel::logDefault(), OSTREL_TEST_BINARY_DIR "/shell_cases");
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
});

}  // namespace
