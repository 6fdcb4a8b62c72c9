/* Radiometric corrections and the measurement engine. */
#ifndef OSTREL_RADIOMETRY_H
#define OSTREL_RADIOMETRY_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_RADIOMETRY_H */
