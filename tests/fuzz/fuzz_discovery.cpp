// Discovery datagrams as received: every accessor must stay inside (data, size).
// ctest-labels: discovery
#include <cstddef>
#include <cstdint>

#include "discover/DiscoveryProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace dp = ostrel::sdk::discovery;
  CameraBasicInfoRecord info;
  uint32_t ip = 0;
  if (dp::parseSearchReply(data, size, &info, &ip)) {
    volatile char c = info.cameraId[31];
    (void)c;
  }
  dp::isSetAddressReplyFor(data, size, "CAM-1");
  dp::headerType(data, size);
  dp::headerSize(data, size);
  dp::traceDatagram("fuzz", data, size);
  return 0;
}
