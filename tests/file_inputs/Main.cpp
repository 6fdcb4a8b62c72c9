// Installs the Qt application and the fixture files before the first case runs.
#include <QGuiApplication>

#include "FileInputsSupport.h"

namespace {
const auto* const kApp = ostrel::test::addAppEnvironment<QGuiApplication>("test_file_inputs", [] {
  initPaintResources();
  ASSERT_EQ(VEZ2024_Init(), 0);
  ASSERT_TRUE(fileinputs::Fixtures::get().ok());
});
}  // namespace
