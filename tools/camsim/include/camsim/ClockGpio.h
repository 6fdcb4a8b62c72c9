// A simulated camera's clock and GPIO outputs, answering the clock read (0), clock set (1) and
// GPIO output (128) requests of the 68-byte request-reply record. The clock runs from an offset
// to the host's clock. Thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace camsim {

class ClockGpio {
 public:
  // Applies the command of `record` (68 bytes, record offsets: type at 0). 0 writes the clock as
  // six i32 (year, month, day, hour, minute, second, UTC) from 4; 1 sets it from the same fields
  // (a date that does not exist leaves it alone); 128 sets the outputs named by the mask at 4 to
  // the bits of the values at 8. Returns whether the type was one of these.
  bool apply(uint8_t* record);

  // Seconds since 1970 (UTC) on the camera's clock.
  int64_t now() const;
  void setNow(int64_t epochSeconds);
  int32_t gpioOutputs() const;
  // Called (on a server thread) with the new time after each clock set request.
  void setOnClockSet(std::function<void(int64_t)> f);

 private:
  mutable std::mutex mutex_;
  int64_t offset_ = 0;   // guarded by mutex_: camera clock - host clock, seconds
  int32_t outputs_ = 0;  // guarded by mutex_
  std::function<void(int64_t)> onSet_;  // guarded by mutex_
};

// The camera's log file as its file store keeps it (file type 3): a few lines naming the camera.
std::vector<uint8_t> cameraLogFile(const std::string& cameraId);
// A GB/T 28181 settings block (memory block 2, 280 bytes) as a camera ships it.
std::vector<uint8_t> defaultGb28181Block();

}  // namespace camsim
