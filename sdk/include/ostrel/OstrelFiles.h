/* Radiometric picture and stream files, thermal file access. */
#ifndef OSTREL_FILES_H
#define OSTREL_FILES_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

OSTREL_END_DECLS

#endif /* OSTREL_FILES_H */
