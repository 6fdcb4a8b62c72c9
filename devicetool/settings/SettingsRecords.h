// The GB/T 28181 client record the camera keeps as memory block 2, and the little writers the
// settings classes use to lay out their defaults.
#pragma once

#include <cstddef>
#include <cstdint>

// 280 bytes, little-endian, every text NUL-terminated within its array.
struct GB28181InfoRecord {
  int32_t headVersion;  // 20230222 in a record this tool defaults
  int32_t headEnable;   // 0 off, else on
  char serverId[32];    // SIP server id
  char serverIp[32];    // SIP server IPv4 address, dotted
  int32_t serverPort;   // SIP server port
  char deviceId[32];
  int32_t devicePort;     // the device's SIP port
  int32_t devicePortRtp;  // the device's RTP port
  char streamId[32];      // stream (channel) id
  char username[32];      // registration
  char password[32];
  int32_t keepAliveInterval;  // seconds
  uint8_t reserved216[64];    // never set here; kept as read from the camera
};
static_assert(offsetof(GB28181InfoRecord, serverPort) == 72);
static_assert(offsetof(GB28181InfoRecord, deviceId) == 76);
static_assert(offsetof(GB28181InfoRecord, streamId) == 116);
static_assert(offsetof(GB28181InfoRecord, keepAliveInterval) == 212);
static_assert(sizeof(GB28181InfoRecord) == 280);

namespace settingsrec {

void putLe16(uint8_t* p, uint16_t v);
void putLe32(uint8_t* p, uint32_t v);
void putF32(uint8_t* p, float v);
// A dotted address (which must parse) as the u32 the records hold, first part most significant.
void putIPv4(uint8_t* p, const char* dotted);
// Text cut to n - 1 bytes, zero-filled.
void putText(uint8_t* p, size_t n, const char* text);
// The defaults of a GB28181InfoRecord into a zeroed 280-byte image.
void gb28181Defaults(uint8_t* image);

}  // namespace settingsrec
