// Installs the Qt application every recorder test needs before the first case runs.
#include "RecorderSupport.h"

namespace {
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new rectest::AppEnvironment);
}  // namespace
