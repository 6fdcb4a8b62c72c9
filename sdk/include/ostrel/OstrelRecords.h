/* Camera configuration records and command records (ControlInfo, ControlInfoX). */
#ifndef OSTREL_RECORDS_H
#define OSTREL_RECORDS_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_RECORDS_H */
