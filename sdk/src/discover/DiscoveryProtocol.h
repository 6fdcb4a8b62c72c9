// The discovery datagrams on UDP 55501 / 55511: little-endian, header uint16 type + uint16 total
// size. Only these accessors touch datagram bytes; each takes the received length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/OstrelDiscover.h"

namespace ostrel::sdk::discovery {

constexpr uint16_t kSearchPort = 55501;  // searches and set-address requests go here
constexpr uint16_t kReplyPort = 55511;   // cameras broadcast mode-1 replies and confirmations here

constexpr uint16_t kTypeSearch = 0;
constexpr uint16_t kTypeSearchReply = 1;
constexpr uint16_t kTypeSetAddress = 82;
constexpr uint16_t kTypeSetAddressReply = 83;

constexpr size_t kSearchSize = 8;
constexpr size_t kSearchReplySize = 224;  // header + 216-byte record + uint32 address
constexpr size_t kSetAddressSize = 88;    // header + ConfigIpInfo
constexpr size_t kSetAddressReplySize = 36;
constexpr size_t kReceiveBuffer = 516;  // largest datagram a discovery receive takes

// Answer modes of a search: to the searching socket, or broadcast to kReplyPort.
constexpr uint32_t kAnswerToSender = 0;
constexpr uint32_t kAnswerToReplyPort = 1;

// Writes the 8-byte search into out (capacity checked); returns the size or 0.
size_t buildSearch(uint32_t answerMode, uint8_t* out, size_t capacity);
// Writes the 88-byte set-address request; returns the size or 0.
size_t buildSetAddress(const ConfigIpInfo& info, uint8_t* out, size_t capacity);

// A search reply counts only when the whole datagram is exactly one reply (length, size field
// and type agree). Fills the record and address; false for anything else.
bool parseSearchReply(const uint8_t* data, size_t length, CameraBasicInfoRecord* info, uint32_t* ipv4);
// True when the datagram is a complete set-address confirmation carrying `cameraId` (compared as
// text over at most 32 characters).
bool isSetAddressReplyFor(const uint8_t* data, size_t length, const char* cameraId);

// Type and size fields for log lines; 0xFFFF when the datagram is shorter than the header.
uint16_t headerType(const uint8_t* data, size_t length);
uint16_t headerSize(const uint8_t* data, size_t length);

// Trace-level dump of one datagram ("type %u size %u len %zu id %.32s").
void traceDatagram(const char* what, const uint8_t* data, size_t length);

}  // namespace ostrel::sdk::discovery
