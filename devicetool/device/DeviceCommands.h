// The device tool's command builders on top of the shared command table: those that convert an
// edited value by the device tool's own value rules.
#pragma once

#include "ControlCommands.h"

namespace control {

// 16: the offset in volts x 4095 / 5, truncated and clamped to the detector's signed 16-bit
// offset register. False (record untouched) for a value that is not finite.
bool requestVoltageOffset(double volts, ControlInfoX* out);

}  // namespace control
