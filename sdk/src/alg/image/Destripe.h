// Destripe steps for callers that drive the filter frame by frame themselves (the preview and the
// player): refresh decision, row step, column step and subtraction, on one state.
#pragma once

#include <cstdint>

#include "ostrel/OstrelStretch.h"

namespace ostrel::alg {

// True when this frame refreshes the estimate (advances the frame counter when cadence is set).
bool destripShouldRefresh(DestripState* s, int cadence);
// Row step: the row-detail plane of the (reduced) frame. codes must have the configured size.
void destripRowStep(DestripState* s, const int16_t* codes);
// Column step: the stripe estimate from the row-detail plane.
void destripColumnStep(DestripState* s);
// Subtraction step: codes lose the estimate (saturating at the int16 limits).
void destripSubtract(DestripState* s, int16_t* codes);
// Configured size and type of a state (0 when unconfigured).
int destripWidth(const DestripState* s);
int destripHeight(const DestripState* s);
int destripType(const DestripState* s);
// Reduced row count and row reduction factor.
int destripReducedRows(const DestripState* s);
int destripRowFactor(const DestripState* s);

}  // namespace ostrel::alg
