// Installs the Qt application and the measurement engine before the first case runs.
#include <QGuiApplication>

#include "ChartsSupport.h"

namespace {
const auto* const kApp = ostrel::test::addAppEnvironment<QGuiApplication>("test_charts", [] {
  initPaintResources();
  ASSERT_EQ(VEZ2024_Init(), 0);
});
}  // namespace
