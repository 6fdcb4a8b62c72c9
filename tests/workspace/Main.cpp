// Installs the Qt application every workspace test needs before the first case runs.
#include "WorkspaceSupport.h"

namespace {
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new workspace::AppEnvironment);
}  // namespace
