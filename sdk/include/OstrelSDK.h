/* OstrelSDK: the camera SDK's flat C interface. Include this header only.
 *
 * Threading: unless a function's comment says otherwise it may be called from any thread and
 * blocks the caller for its network exchange. Records are plain structs, little-endian on the
 * wire, laid out as their static assertions state. */
#ifndef OSTREL_SDK_H
#define OSTREL_SDK_H

#include "ostrel/OstrelTypes.h"
#include "ostrel/OstrelFrame.h"
#include "ostrel/OstrelRecords.h"
#include "ostrel/OstrelLink.h"
#include "ostrel/OstrelDiscover.h"
#include "ostrel/OstrelPreview.h"
#include "ostrel/OstrelAlgFrame.h"
#include "ostrel/OstrelStretch.h"
#include "ostrel/OstrelRadiometry.h"
#include "ostrel/OstrelCalibration.h"
#include "ostrel/OstrelCalibrationVariants.h"
#include "ostrel/OstrelFiles.h"
#include "ostrel/OstrelAlgTools.h"
#include "ostrel/OstrelPush.h"
#include "ostrel/OstrelPlayback.h"

#endif /* OSTREL_SDK_H */
