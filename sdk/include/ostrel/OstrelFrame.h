/* Start and end of the library, network time-outs. */
#ifndef OSTREL_FRAME_H
#define OSTREL_FRAME_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* Initialises the library: reads "OstrelSDK.json" from the running executable's folder, sets up
 * logging, the video library and the palette table. Returns 0 (also when already initialised)
 * or the failing step's code; after a failure the library stays uninitialised.
 * Call once from the program's main thread before any other export. */
OSTREL_API int Ostrel_InitSDK(void);

/* Stops every running preview, logs out every session and releases the library's shared state,
 * closing its log last. Safe to call when not initialised. Main thread only. */
OSTREL_API void Ostrel_FreeSDK(void);

/* Network time-outs in milliseconds. Each value within 2000..8000 replaces the current one;
 * a value outside keeps it. Ostrel_InitSDK resets all three to 2000. Any thread. */
OSTREL_API void Ostrel_SetTimeout(int connectMs, int sendMs, int recvMs);

OSTREL_END_DECLS

#endif /* OSTREL_FRAME_H */
