// Installs the Qt application every exporter test needs before the first case runs.
#include <QGuiApplication>

#include "ExporterSupport.h"

namespace {
const auto* const kApp = ostrel::test::addAppEnvironment<QGuiApplication>("test_exporter", [] { initPaintResources(); });
}  // namespace
