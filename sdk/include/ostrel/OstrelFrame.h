/* Start and end of the library, network time-outs. */
#ifndef OSTREL_FRAME_H
#define OSTREL_FRAME_H

#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* Initialises the library: reads "OstrelSDK.json" (at most 1023 bytes; keys "log", "encoder",
 * "decoder", "syncTime", "previewEnableInterProcess", "previewEnableThread2") from the running
 * executable's folder, sets up the library's own log (day files under the "log" prefix; without
 * one the library writes no log at all), then the sockets, the video library and the palette
 * table, and resets the three time-outs to 2000 ms. A missing or broken settings file keeps the
 * defaults and is no failure.
 * Returns 0 (also when already initialised, keeping the state) or the failing step's negative
 * code; after a failure every step already done is undone and the library stays uninitialised.
 * Main thread only, once at start-up; not to be called while another thread is inside an export.
 * Blocks only for local set-up. */
OSTREL_API int Ostrel_InitSDK(void);

/* Releases the library: first stops every running preview and logs out every session, then
 * frees the shared state, closing the library's log last. Does nothing when not initialised; a
 * later Ostrel_InitSDK starts clean. Pointers handed out by the library's Create functions stay
 * the caller's to free. Main thread only, once at exit, after the caller's other threads have
 * left the library. */
OSTREL_API void Ostrel_FreeSDK(void);

/* Network time-outs in milliseconds for connecting, sending and receiving. Each value within
 * 2000..8000 inclusive replaces the current one; a value outside keeps it. No status; works
 * before initialisation too, and Ostrel_InitSDK resets all three to 2000. Any thread; does not
 * block; applies to exchanges started afterwards. */
OSTREL_API void Ostrel_SetTimeout(int connectMs, int sendMs, int recvMs);

OSTREL_END_DECLS

#endif /* OSTREL_FRAME_H */
