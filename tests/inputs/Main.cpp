// Installs the Qt application every input test needs before the first case runs.
#include "InputsSupport.h"

namespace {
const auto* const kApp = ostrel::test::addAppEnvironment<QCoreApplication>("test_inputs");
}  // namespace
