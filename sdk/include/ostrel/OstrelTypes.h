/* Common definitions of the OstrelSDK interface: export macro, status codes, layout checks.
 * Every exported function returns one of these codes (0 or a positive count or id is success)
 * unless its comment says otherwise. Nothing is thrown across the interface. */
#ifndef OSTREL_TYPES_H
#define OSTREL_TYPES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define OSTREL_EXTERN_C extern "C"
#define OSTREL_BEGIN_DECLS extern "C" {
#define OSTREL_END_DECLS }
#define OSTREL_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define OSTREL_EXTERN_C
#define OSTREL_BEGIN_DECLS
#define OSTREL_END_DECLS
#define OSTREL_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* Exported functions carry OSTREL_API; everything else in the library is hidden. */
#define OSTREL_API __attribute__((visibility("default")))

/* Status codes shared by the SDK and both programs. */
enum OstrelErrorCode {
  OSTREL_OK = 0,
  OSTREL_E_FAILED = -1,           /* generic failure */
  OSTREL_E_UNSUPPORTED = -2,      /* unknown command, refused transfer, unsupported option */
  OSTREL_E_NOT_INIT = -4,         /* SDK not initialised */
  OSTREL_E_NO_MEMORY = -5,        /* out of memory, or a caller buffer too small */
  OSTREL_E_NO_SLOT = -6,          /* no free login or preview slot */
  OSTREL_E_STATE = -7,            /* not open, not started, wrong state */
  OSTREL_E_ARGUMENT = -8,         /* invalid argument, range check */
  OSTREL_E_HANDLE = -10,          /* invalid user or preview id */
  OSTREL_E_MISMATCH = -11,        /* content or header does not match */
  OSTREL_E_RECEIVER = -12,        /* preview start: no stream receiver / frame store */
  OSTREL_E_WORKER = -13,          /* preview start: no worker */
  OSTREL_E_THREAD = -14,          /* preview start: worker thread or renderer failed */
  OSTREL_E_CONN_LOST = -17,       /* preview callback: connection lost, recovery starts */
  OSTREL_E_CONN_RESTORED = -18,   /* preview callback: connection restored */
  OSTREL_E_SNAP_HEAD = -95,       /* snapshot head does not fit the login; push message header not valid */
  OSTREL_E_BIND = -96,            /* socket could not be bound or prepared */
  OSTREL_E_REPLY = -97,           /* reply missing, short or of the wrong type */
  OSTREL_E_SEND = -98,            /* request could not be sent */
  OSTREL_E_CONNECT = -99,         /* connection to the camera failed */
  OSTREL_E_SOCKET = -100,         /* socket could not be created */
  OSTREL_E_SEEK = -193,           /* file seek failed */
  OSTREL_E_FRAME_HEADER = -194,   /* frame header in a file does not match */
  OSTREL_E_SAVE_TYPE = -195,      /* save type not allowed for this preview */
  OSTREL_E_WRITE = -197,          /* file write failed */
  OSTREL_E_READ = -198,           /* file read failed */
  OSTREL_E_OPEN = -200            /* file could not be opened */
};

#endif /* OSTREL_TYPES_H */
