#include "SettingsRecords.h"

#include <cstring>

#include "devicetool/ValueConvert.h"

namespace settingsrec {

void putLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void putLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void putF32(uint8_t* p, float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  putLe32(p, u);
}

void putIPv4(uint8_t* p, const char* dotted) {
  putLe32(p, valueconv::parseIPv4(dotted).value_or(0));
}

void putText(uint8_t* p, size_t n, const char* text) {
  valueconv::storeTextIfChanged(p, n, text);
}

void gb28181Defaults(uint8_t* image) {
  putLe32(image + offsetof(GB28181InfoRecord, headVersion), 20230222);
  putText(image + offsetof(GB28181InfoRecord, serverId), 32, "34020000002000000001");
  putText(image + offsetof(GB28181InfoRecord, serverIp), 32, "192.168.1.12");
  putLe32(image + offsetof(GB28181InfoRecord, serverPort), 15060);
  putText(image + offsetof(GB28181InfoRecord, deviceId), 32, "34020000002220000001");
  putLe32(image + offsetof(GB28181InfoRecord, devicePort), 5060);
  putLe32(image + offsetof(GB28181InfoRecord, devicePortRtp), 5070);
  putText(image + offsetof(GB28181InfoRecord, streamId), 32, "34020000002220000002");
  putText(image + offsetof(GB28181InfoRecord, username), 32, "34020000002000000001");
  putText(image + offsetof(GB28181InfoRecord, password), 32, "40718263");
  putLe32(image + offsetof(GB28181InfoRecord, keepAliveInterval), 60);
}

}  // namespace settingsrec
