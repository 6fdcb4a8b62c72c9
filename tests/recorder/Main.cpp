// Installs the Qt application every recorder test needs before the first case runs.
#include <QGuiApplication>

#include "RecorderSupport.h"

namespace {
const auto* const kApp = ostrel::test::addAppEnvironment<QGuiApplication>("test_recorder", [] { initPaintResources(); });
}  // namespace
