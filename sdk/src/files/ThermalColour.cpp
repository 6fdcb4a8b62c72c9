// Colouring and measurement of the thermal file handle.
#include "files/ThermalFileInternal.h"

namespace ostrel::files {

void tfApplyStretch(TFContext* c, const uint8_t ctl[64]) {
  (void)c;
  (void)ctl;
}

}  // namespace ostrel::files
