// What a simulated camera received, in arrival order, for tests to assert on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <string>
#include <mutex>
#include <vector>

namespace camsim {

struct Observation {
  std::chrono::system_clock::time_point time;  // when the whole message had arrived
  uint16_t type = 0;                           // header type
  uint16_t size = 0;                           // header total size
  std::vector<uint8_t> bytes;                  // the whole message, header included
};

class ObservationLog {
 public:
  ObservationLog() = default;
  ~ObservationLog();
  ObservationLog(const ObservationLog&) = delete;
  ObservationLog& operator=(const ObservationLog&) = delete;

  // From now on every message is also written to the file, one line each: the whole message,
  // header included, as lower-case hex pairs. The file is created anew; false when it cannot be.
  bool writeTo(const std::string& path);
  void add(Observation o);
  std::vector<Observation> snapshot() const;
  void clear();
  size_t count() const;
  size_t countType(uint16_t type) const;
  // Waits until a message of this type has been logged; true when one came within timeoutMs.
  bool waitForType(uint16_t type, int timeoutMs) const;
  // Waits until at least n messages of this type have been logged; true when they came in time.
  // A message is logged after its connection was counted, so once this returns true the
  // server's connection count includes the connection that carried the n-th message.
  bool waitForTypeCount(uint16_t type, size_t n, int timeoutMs) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  std::vector<Observation> entries_;  // guarded by mutex_
  std::FILE* file_ = nullptr;         // guarded by mutex_
};

}  // namespace camsim
