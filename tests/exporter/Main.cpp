// Installs the Qt application every exporter test needs before the first case runs.
#include "ExporterSupport.h"

namespace {
const auto* const kApp = ::testing::AddGlobalTestEnvironment(new exporter::AppEnvironment);
}  // namespace
