/* Login sessions, configuration exchanges and control commands. */
#ifndef OSTREL_LINK_H
#define OSTREL_LINK_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_LINK_H */
