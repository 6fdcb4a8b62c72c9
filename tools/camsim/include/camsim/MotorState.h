// The motorised parts of a simulated camera: pan-tilt head, lens focus motor and filter wheel.
// Answers the motor commands of the 68-byte request-reply record from positions it keeps.
// Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>

namespace camsim {

struct MotorPositions {
  int32_t pan = 0;
  int32_t tilt = 0;
  int32_t zoom = 0;
  int32_t focus = 0;
  int32_t filter = 0;
};

class MotorState {
 public:
  // Applies the command of `record` (68 bytes, record offsets: type at 0) and writes the answer
  // fields into it: 14/18 pan at 8 and tilt at 12; 14/19 takes pan, tilt, zoom from 8, 12, 16;
  // 14/15 stores pan and tilt as the preset of the id byte at 5, 14/17 moves to a stored preset
  // (an unknown id leaves the head where it is); 17 focus to the position at 4; 18 focus by the step at 4; 21 filter reset; 22 filter to the
  // position at 4 (-1 only reads). 17, 18 and 22 answer the current position at 4. Returns
  // whether the type was a motor command.
  bool apply(uint8_t* record);

  MotorPositions positions() const;
  void setPositions(const MotorPositions& p);

 private:
  mutable std::mutex mutex_;
  MotorPositions pos_;  // guarded by mutex_
  std::map<uint8_t, std::pair<int32_t, int32_t>> presets_;  // guarded by mutex_
};

}  // namespace camsim
