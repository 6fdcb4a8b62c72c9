#include "camsim/ControlReplies.h"

#include <algorithm>
#include <cstring>

#include "camsim/CameraState.h"
#include "camsim/Wire.h"

namespace camsim {

namespace {
constexpr size_t kRecord = 68;
constexpr uint16_t kFpaQm = 120;
}  // namespace

std::vector<uint8_t> seededFpaInfoQm() {
  std::vector<uint8_t> r(132, 0);
  putU16(&r[0], 3276);   // gsk 4.000 V
  putU16(&r[2], 2457);   // gfid 3.000 V
  putU16(&r[4], 1638);   // vsk 2.000 V
  putU16(&r[6], 2867);   // vbus 3.501 V
  putU16(&r[8], 60);     // tint
  r[10] = 3;             // cint
  putU16(&r[12], 10);    // check_time_min
  putU16(&r[14], 819);   // check_vol_min
  putU16(&r[16], 20);    // check_tint_min
  putU16(&r[18], uint16_t(int16_t(-819)));  // vol_offset
  r[47] = 7;             // item_count
  for (int i = 0; i < 7; ++i) {
    uint8_t* item = &r[48 + 12 * size_t(i)];
    putU16(item + 0, uint16_t(int16_t(-20 + 10 * i)));
    putU16(item + 2, uint16_t(3000 + i));
    putU16(item + 4, uint16_t(50 + i));
    putU16(item + 6, uint16_t(2400 + i));
  }
  return r;
}

bool answerControlX(CameraState& state, uint8_t* record) {
  const int32_t type = readI32(record, kRecord, 0);
  if (type != 4 && type != 16) return false;
  const int32_t arg = readI32(record, kRecord, 4);
  uint8_t answer[kRecord] = {};
  putI32(answer, type);
  if (type == 16) {
    std::vector<uint8_t> fpa = state.record(kFpaQm);
    putU16(&fpa[18], uint16_t(int16_t(std::clamp<int32_t>(arg, INT16_MIN, INT16_MAX))));
    state.setRecord(kFpaQm, fpa);
  }
  std::memcpy(record, answer, kRecord);
  return true;
}

}  // namespace camsim
