// Installs the Qt application and the fixture files before the first case runs.
#include "FileInputsSupport.h"

namespace {
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new fileinputs::AppEnvironment);
}  // namespace
