// What a preview takes from a login and the command channel: the camera's address, ports and
// records, and single record reads for the model probe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "OstrelSDK.h"
#include "link/CommandTypes.h"

namespace ostrel::sdk {

struct LoginPorts {
  uint16_t cmdPort, tempPort, videoPort, mixPort;
};

// Copies the login's camera data. The caller holds sdkLock(). False for a bad id or a free slot.
bool copyLogin(int userId, uint32_t* ip, LoginPorts* ports, CameraBasicInfoRecord* basic, FixInfoRecord* fix);

// Reads one record by its get request (e.g. cmd::kGetDestripInfo, cmd::kGetDenoiseInfo): the reply's payload after
// its 4-byte header goes to `out` (at most `size` bytes). Network exchange: never under the lock.
// 0 or the channel's code.
int readCameraRecord(uint32_t ip, uint16_t cmdPort, uint16_t requestType, void* out, size_t size);

}  // namespace ostrel::sdk
