/* Stretch engine, detail enhancement, denoise and destripe filters. */
#ifndef OSTREL_STRETCH_H
#define OSTREL_STRETCH_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_STRETCH_H */
