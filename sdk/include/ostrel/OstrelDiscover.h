/* Camera discovery and network configuration. */
#ifndef OSTREL_DISCOVER_H
#define OSTREL_DISCOVER_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_DISCOVER_H */
