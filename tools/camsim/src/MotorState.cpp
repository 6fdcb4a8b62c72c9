#include "camsim/MotorState.h"

#include "camsim/Wire.h"

#include <tuple>

namespace camsim {

namespace {
constexpr size_t kRecord = 68;
}  // namespace

bool MotorState::apply(uint8_t* r) {
  const int32_t type = readI32(r, kRecord, 0);
  std::lock_guard<std::mutex> lock(mutex_);
  switch (type) {
    case 14:
      if (r[4] == 18) {
        putI32(r + 8, pos_.pan);
        putI32(r + 12, pos_.tilt);
      } else if (r[4] == 15) {
        presets_[r[5]] = {pos_.pan, pos_.tilt};
      } else if (r[4] == 17) {
        if (auto it = presets_.find(r[5]); it != presets_.end()) std::tie(pos_.pan, pos_.tilt) = it->second;
      } else if (r[4] == 19) {
        pos_.pan = readI32(r, kRecord, 8);
        pos_.tilt = readI32(r, kRecord, 12);
        pos_.zoom = readI32(r, kRecord, 16);
      }
      return true;
    case 17:
      pos_.focus = readI32(r, kRecord, 4);
      putI32(r + 4, pos_.focus);
      return true;
    case 18:
      pos_.focus = int32_t(uint32_t(pos_.focus) + uint32_t(readI32(r, kRecord, 4)));
      putI32(r + 4, pos_.focus);
      return true;
    case 21:
      pos_.filter = 0;
      return true;
    case 22:
      if (readI32(r, kRecord, 4) != -1) pos_.filter = readI32(r, kRecord, 4);
      putI32(r + 4, pos_.filter);
      return true;
    default:
      return false;
  }
}

MotorPositions MotorState::positions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pos_;
}

void MotorState::setPositions(const MotorPositions& p) {
  std::lock_guard<std::mutex> lock(mutex_);
  pos_ = p;
}

}  // namespace camsim
