/* Camera discovery and network configuration by UDP broadcast (no login needed). */
#ifndef OSTREL_DISCOVER_H
#define OSTREL_DISCOVER_H

#include "OstrelRecords.h"
#include "OstrelTypes.h"

OSTREL_BEGIN_DECLS

/* One camera found by Ostrel_DiscoverCameras. Callers read `info` and `ipv4` directly, so the
 * layout is fixed: 216 bytes of record, the address behind them, `next` on the following 8-byte
 * boundary. */
typedef struct DiscoverNode {
  CameraBasicInfoRecord info;
  uint32_t ipv4;             /* address the camera reported; first octet in the most significant byte */
  struct DiscoverNode* next; /* null at the end of the list */
} DiscoverNode;
OSTREL_STATIC_ASSERT(offsetof(DiscoverNode, ipv4) == 216, "DiscoverNode.ipv4 offset");
OSTREL_STATIC_ASSERT(offsetof(DiscoverNode, next) == 224, "DiscoverNode.next offset");
OSTREL_STATIC_ASSERT(sizeof(DiscoverNode) == 232, "DiscoverNode size");

/* New network settings for the camera whose id is `cameraId` (84 bytes). */
typedef struct ConfigIpInfo {
  char cameraId[32]; /* NUL-terminated within 32 bytes, or exactly 32 characters */
  CameraNetworkInfoRecord network;
} ConfigIpInfo;
OSTREL_STATIC_ASSERT(offsetof(ConfigIpInfo, network) == 32, "ConfigIpInfo.network offset");
OSTREL_STATIC_ASSERT(sizeof(ConfigIpInfo) == 84, "ConfigIpInfo size");

/* Broadcasts a search on the local IPv4 networks and returns the cameras that answered, each
 * listed once (by cameraId; the first answer wins and keeps its place and address), or null when
 * the SDK is not initialised or nothing answered. `reserved` is not read (pass 0).
 * Runs two passes (replies to the search socket, then replies broadcast to UDP 55511), each ending
 * one receive time-out (Ostrel_SetTimeout's value at Ostrel_InitSDK, 2000 ms by default) after its
 * send: blocks for about two receive time-outs. Any thread; concurrent discovery calls run one
 * after the other. The list belongs to the caller until it passes it to
 * Ostrel_DiscoverCamerasFree. */
OSTREL_API DiscoverNode* Ostrel_DiscoverCameras(int reserved);

/* Frees every node of *list and sets *list to null. A null list or *list is allowed. Any
 * thread. */
OSTREL_API void Ostrel_DiscoverCamerasFree(DiscoverNode** list);

/* Broadcasts new network settings to the camera named in `info` and waits, up to one receive
 * time-out, for its confirmation. Returns 0 when the camera confirmed; 0 with nothing sent when
 * `info` is null; -7 when the SDK has no reply listener (not initialised, or UDP port 55511 could
 * not be bound); -98 when the request went out on no interface; -97 when no confirmation from
 * that camera arrived in time (other datagrams, confirmations of other cameras among them, are
 * skipped). Blocks; any thread; serialised with Ostrel_DiscoverCameras. `info` stays the
 * caller's. */
OSTREL_API int Ostrel_DiscoverConfigIP(const ConfigIpInfo* info);

OSTREL_END_DECLS

#endif /* OSTREL_DISCOVER_H */
