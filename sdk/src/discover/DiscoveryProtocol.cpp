#include "discover/DiscoveryProtocol.h"

#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/Logger.h"

namespace ostrel::sdk::discovery {

namespace {

using bytes::putU16;
using bytes::putU32;
using bytes::readU16;
using bytes::readU32;

bool headerIs(const uint8_t* data, size_t length, uint16_t type, size_t size) {
  return data != nullptr && length == size && readU16(data, length, 0) == type && readU16(data, length, 2) == size;
}

}  // namespace

size_t buildSearch(uint32_t answerMode, uint8_t* out, size_t capacity) {
  if (out == nullptr || capacity < kSearchSize) return 0;
  putU16(out, kTypeSearch);
  putU16(out + 2, kSearchSize);
  putU32(out + 4, answerMode);
  return kSearchSize;
}

size_t buildSetAddress(const ConfigIpInfo& info, uint8_t* out, size_t capacity) {
  if (out == nullptr || capacity < kSetAddressSize) return 0;
  putU16(out, kTypeSetAddress);
  putU16(out + 2, kSetAddressSize);
  // The record is little-endian on the wire and in memory on every supported host.
  std::memcpy(out + 4, &info, sizeof info);
  return kSetAddressSize;
}

bool parseSearchReply(const uint8_t* data, size_t length, CameraBasicInfoRecord* info, uint32_t* ipv4) {
  if (!headerIs(data, length, kTypeSearchReply, kSearchReplySize)) return false;
  if (info != nullptr) std::memcpy(info, data + 4, sizeof *info);
  if (ipv4 != nullptr) *ipv4 = readU32(data, length, 4 + sizeof(CameraBasicInfoRecord));
  return true;
}

bool isSetAddressReplyFor(const uint8_t* data, size_t length, const char* cameraId) {
  if (cameraId == nullptr || !headerIs(data, length, kTypeSetAddressReply, kSetAddressReplySize))
    return false;
  return std::strncmp(reinterpret_cast<const char*>(data + 4), cameraId, 32) == 0;
}

uint16_t headerType(const uint8_t* data, size_t length) {
  return (data != nullptr && length >= 4) ? readU16(data, length, 0) : 0xFFFF;
}
uint16_t headerSize(const uint8_t* data, size_t length) {
  return (data != nullptr && length >= 4) ? readU16(data, length, 2) : 0xFFFF;
}

void traceDatagram(const char* what, const uint8_t* data, size_t length) {
  char id[33] = {};
  if (data != nullptr && length >= 36) std::memcpy(id, data + 4, 32);
  ::ostrel::logPrintf(::ostrel::logDefault(), 0 /* trace, below DEBUG */,
                      "%s: type %u size %u len %zu id %s\n", what, headerType(data, length),
                      headerSize(data, length), length, id);
}

}  // namespace ostrel::sdk::discovery
