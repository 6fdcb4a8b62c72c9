#include "camsim/ClockGpio.h"

#include <chrono>
#include <ctime>

#include "camsim/Wire.h"

namespace camsim {

namespace {

constexpr size_t kRecord = 68;

int64_t hostNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

bool ClockGpio::apply(uint8_t* record) {
  const int32_t type = readI32(record, kRecord, 0);
  if (type == 0) {
    const time_t t = time_t(now());
    struct tm u {};
    gmtime_r(&t, &u);
    const int32_t fields[6] = {u.tm_year + 1900, u.tm_mon + 1, u.tm_mday, u.tm_hour, u.tm_min, u.tm_sec};
    for (int i = 0; i < 6; ++i) putI32(record + 4 + 4 * i, fields[i]);
    return true;
  }
  if (type == 1) {
    struct tm u {};
    u.tm_year = readI32(record, kRecord, 4) - 1900;
    u.tm_mon = readI32(record, kRecord, 8) - 1;
    u.tm_mday = readI32(record, kRecord, 12);
    u.tm_hour = readI32(record, kRecord, 16);
    u.tm_min = readI32(record, kRecord, 20);
    u.tm_sec = readI32(record, kRecord, 24);
    struct tm check = u;
    const time_t t = timegm(&check);
    // timegm folds 31 February into March: such a date is not one.
    if (check.tm_year == u.tm_year && check.tm_mon == u.tm_mon && check.tm_mday == u.tm_mday &&
        check.tm_hour == u.tm_hour && check.tm_min == u.tm_min && check.tm_sec == u.tm_sec) {
      setNow(int64_t(t));
      std::function<void(int64_t)> f;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        f = onSet_;
      }
      if (f) f(int64_t(t));
    }
    return true;
  }
  if (type == 128) {
    const int32_t mask = readI32(record, kRecord, 4), values = readI32(record, kRecord, 8);
    std::lock_guard<std::mutex> lock(mutex_);
    outputs_ = (outputs_ & ~mask) | (values & mask);
    return true;
  }
  return false;
}

int64_t ClockGpio::now() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hostNow() + offset_;
}

void ClockGpio::setNow(int64_t epochSeconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  offset_ = epochSeconds - hostNow();
}

int32_t ClockGpio::gpioOutputs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return outputs_;
}

void ClockGpio::setOnClockSet(std::function<void(int64_t)> f) {
  std::lock_guard<std::mutex> lock(mutex_);
  onSet_ = std::move(f);
}

std::vector<uint8_t> cameraLogFile(const std::string& cameraId) {
  const std::string text = "[boot] camera " + cameraId +
                           " started\n[net] link up, 1000 Mb/s\n[ffc] shutter calibrated\n"
                           "[stream] temperature stream ready\n";
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> defaultGb28181Block() {
  std::vector<uint8_t> b(280, 0);
  putI32(&b[0], 20230222);
  putText(&b[8], 32, "34020000002000000001");
  putText(&b[40], 32, "127.0.0.1");
  putI32(&b[72], 15060);
  putText(&b[76], 32, "34020000001320000001");
  putI32(&b[108], 5060);
  putI32(&b[112], 5070);
  putText(&b[116], 32, "34020000001320000002");
  putText(&b[148], 32, "34020000002000000001");
  putText(&b[180], 32, "12345678");
  putI32(&b[212], 60);
  for (size_t i = 216; i < 280; ++i) b[i] = uint8_t(i);  // the camera's own bytes
  return b;
}

}  // namespace camsim
