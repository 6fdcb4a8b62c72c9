// Installs the Qt application and the measurement engine before the first case runs.
#include "ChartsSupport.h"

namespace {
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new charts::AppEnvironment);
}  // namespace
