// Installs the Qt application every workspace test needs before the first case runs.
#include <QGuiApplication>

#include "WorkspaceSupport.h"

namespace {
const auto* const kApp = ostrel::test::addAppEnvironment<QGuiApplication>("test_workspace", [] { initPaintResources(); });
}  // namespace
