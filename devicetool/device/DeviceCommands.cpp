#include "DeviceCommands.h"

#include <cstdint>

#include "devicetool/ValueConvert.h"

namespace control {

bool requestVoltageOffset(double volts, ControlInfoX* out) {
  int64_t count = 0;
  if (!valueconv::voltsToCount(volts, valueconv::kCountsPerVoltCommand16, INT16_MIN, INT16_MAX, &count)) return false;
  *out = requestI32(kVoltageOffset, int32_t(count));
  return true;
}

}  // namespace control
