/* Frame compression, transforms, legacy measurement tools, palettes and export utilities. */
#ifndef OSTREL_ALGFRAME_H
#define OSTREL_ALGFRAME_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_ALGFRAME_H */
