// One-way and request-reply camera commands, serial data, and the built-in hardware table.
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "OstrelSDK.h"
#include "link/CommandChannel.h"
#include "link/LoginSessions.h"

using namespace ostrel::sdk;

extern "C" OSTREL_API int Ostrel_SendControl(int userId, const ControlInfo* command) {
  if (!command) return OSTREL_E_ARGUMENT;
  uint8_t req[14];
  cmdPutHeader(req, cmd::kControl, sizeof req);
  std::memcpy(req + 4, command, sizeof *command);
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  return cmdTransact(t.cameraIp, t.cmdPort, req, sizeof req, nullptr, 0);
}

extern "C" OSTREL_API int Ostrel_SendControlX(int userId, ControlInfoX* command) {
  if (!command) return OSTREL_E_ARGUMENT;
  uint8_t req[72];
  uint8_t reply[72];
  cmdPutHeader(req, cmd::kControlX, sizeof req);
  std::memcpy(req + 4, command, sizeof *command);
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  rc = cmdTransact(t.cameraIp, t.cmdPort, req, sizeof req, reply, sizeof reply, kControlXRecvTimeoutMs);
  if (rc != 0) return rc;
  std::memcpy(command, reply + 4, sizeof *command);
  return ostrel::bytes::readI32(reply, sizeof reply, 4) == ostrel::bytes::readI32(req, sizeof req, 4) ? 0 : OSTREL_E_FAILED;
}

extern "C" OSTREL_API int Ostrel_WriteSerialPortData(int userId, const uint8_t data[32]) {
  if (!data) return OSTREL_E_ARGUMENT;
  uint8_t req[36];
  cmdPutHeader(req, cmd::kSerialData, sizeof req);
  std::memcpy(req + 4, data, 32);
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  return cmdTransact(t.cameraIp, t.cmdPort, req, sizeof req, nullptr, 0);
}

namespace {

struct HwRow {
  uint16_t id, code2, code3;
  uint16_t s1w, s1h, s2w, s2h, s3w, s3h;
  int32_t v1, v2;
  int modeSet;  // 0 none, 1..4 the window-mode lists below, 5 640x512@120, 6 640x512@400
};

constexpr HwRow kRows[34] = {
    {100, 500, 30, 1280, 1024, 1280, 1024, 1280, 1024, -14670, 354090, 0},
    {200, 501, 50, 384, 288, 384, 288, 640, 480, -24554, 395740, 0},
    {300, 502, 50, 640, 512, 640, 512, 640, 512, -22418, 397070, 0},
    {301, 502, 50, 640, 512, 640, 480, 640, 480, -22418, 397070, 0},
    {302, 502, 50, 640, 512, 384, 288, 640, 480, -22418, 397070, 0},
    {303, 502, 50, 384, 288, 384, 288, 640, 480, -22418, 397070, 0},
    {304, 502, 30, 640, 512, 640, 512, 640, 512, -22418, 397070, 0},
    {400, 503, 126, 384, 288, 384, 288, 640, 480, 14383, -270680, 0},
    {401, 503, 126, 384, 288, 256, 192, 640, 480, 14383, -270680, 0},
    {402, 503, 126, 384, 288, 384, 288, 640, 480, 18415, -276790, 0},
    {500, 504, 74, 640, 512, 640, 512, 640, 512, 14383, -270680, 0},
    {501, 504, 74, 640, 512, 640, 480, 640, 480, 14383, -270680, 0},
    {502, 504, 74, 640, 512, 640, 512, 640, 512, 18415, -276790, 0},
    {503, 504, 74, 640, 512, 640, 512, 640, 512, 14383, -270680, 0},
    {600, 505, 30, 1280, 1024, 1280, 1024, 1280, 1024, 17188, -256670, 0},
    {601, 505, 30, 1280, 1024, 1280, 1024, 1280, 1024, 14383, -270680, 0},
    {700, 506, 50, 1280, 1024, 1280, 1024, 1280, 1024, 17188, -256670, 0},
    {701, 506, 50, 1280, 1024, 1280, 1024, 1280, 1024, 14383, -270680, 0},
    {800, 508, 120, 640, 512, 640, 512, 640, 512, 0, 0, 5},
    {801, 509, 200, 640, 512, 640, 512, 640, 512, 0, 0, 1},
    {802, 510, 120, 640, 512, 640, 512, 640, 512, 0, 0, 5},
    {803, 511, 201, 640, 512, 640, 512, 640, 512, 0, 0, 2},
    {804, 512, 200, 640, 512, 640, 512, 640, 512, 0, 0, 1},
    {1000, 502, 50, 384, 288, 384, 288, 640, 480, -22418, 397070, 0},
    {1100, 502, 50, 640, 512, 640, 512, 640, 512, -22418, 397070, 0},
    {1200, 503, 126, 384, 288, 384, 288, 640, 480, 14383, -270680, 0},
    {1201, 503, 126, 384, 288, 384, 288, 640, 480, 18415, -276790, 0},
    {1300, 504, 74, 640, 512, 640, 512, 640, 512, 14383, -270680, 0},
    {1301, 504, 74, 640, 512, 640, 512, 640, 512, 18415, -276790, 0},
    {2000, 600, 400, 640, 512, 640, 512, 640, 512, 0, 0, 6},
    {2001, 601, 400, 640, 512, 640, 512, 640, 512, 0, 0, 6},
    {2002, 602, 400, 640, 512, 640, 512, 640, 512, 0, 0, 6},
    {2003, 603, 400, 640, 512, 640, 512, 640, 512, 0, 0, 6},
    {2004, 604, 400, 640, 512, 640, 512, 640, 512, 0, 0, 6},
};

struct Mode {
  uint16_t w, h, fps;
};
constexpr Mode kModes200[] = {{640, 512, 200},  {480, 384, 330}, {320, 256, 637}, {240, 192, 973},
                              {160, 128, 1632}, {128, 96, 2163}, {128, 64, 2759}};
constexpr Mode kModes201[] = {{640, 512, 200},  {480, 384, 343}, {320, 256, 713}, {240, 192, 1166},
                              {160, 128, 2193}, {128, 96, 3134}, {128, 64, 4182}};
constexpr Mode kModes120[] = {{640, 512, 120}};
constexpr Mode kModes400[] = {{640, 512, 400}};

void fillModes(HwStaticConfig& c, const Mode* m, size_t n) {
  for (size_t i = 0; i < n; ++i) c.modes[i] = HwWindowMode{m[i].w, m[i].h, m[i].fps, 1};
}

}  // namespace

extern "C" OSTREL_API HwStaticConfig* HW_GetStaticConfigArray(int* count) {
  if (!count) return nullptr;
  auto* table = static_cast<HwStaticConfig*>(std::calloc(34, sizeof(HwStaticConfig)));
  if (!table) return nullptr;
  for (int i = 0; i < 34; ++i) {
    const HwRow& r = kRows[i];
    HwStaticConfig& c = table[i];
    c.configId = r.id;
    c.secondCode = r.code2;
    c.thirdCode = r.code3;
    c.one8 = 1;
    c.firstSize[0] = r.s1w, c.firstSize[1] = r.s1h;
    c.secondSize[0] = r.s2w, c.secondSize[1] = r.s2h;
    c.thirdSize[0] = r.s3w, c.thirdSize[1] = r.s3h;
    c.firstValue = r.v1;
    c.secondValue = r.v2;
    switch (r.modeSet) {
      case 1:
        fillModes(c, kModes200, std::size(kModes200));
        break;
      case 2:
        fillModes(c, kModes201, std::size(kModes201));
        break;
      case 5:
        fillModes(c, kModes120, 1);
        break;
      case 6:
        fillModes(c, kModes400, 1);
        break;
      default:
        break;
    }
  }
  *count = 34;
  return table;
}

// The copy is one malloc block, released by the SDK's shared free under the name HW_Free.
