#include "camsim/ObservationLog.h"

#include <algorithm>

namespace camsim {

ObservationLog::~ObservationLog() {
  if (file_) std::fclose(file_);
}

bool ObservationLog::writeTo(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = f;
  return true;
}

void ObservationLog::add(Observation o) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) {
      // Flushed per message: a reader may look while the simulator runs, or after it was killed.
      static const char kHex[] = "0123456789abcdef";
      std::string line;
      line.reserve(o.bytes.size() * 2 + 1);
      for (uint8_t b : o.bytes) {
        line.push_back(kHex[b >> 4]);
        line.push_back(kHex[b & 15]);
      }
      line.push_back('\n');
      std::fwrite(line.data(), 1, line.size(), file_);
      std::fflush(file_);
    }
    entries_.push_back(std::move(o));
  }
  cv_.notify_all();
}

std::vector<Observation> ObservationLog::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_;
}

void ObservationLog::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

size_t ObservationLog::count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

size_t ObservationLog::countType(uint16_t type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return size_t(
      std::count_if(entries_.begin(), entries_.end(), [&](const Observation& o) { return o.type == type; }));
}

bool ObservationLog::waitForType(uint16_t type, int timeoutMs) const {
  return waitForTypeCount(type, 1, timeoutMs);
}

bool ObservationLog::waitForTypeCount(uint16_t type, size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return size_t(std::count_if(entries_.begin(), entries_.end(),
                                [&](const Observation& o) { return o.type == type; })) >= n;
  });
}

}  // namespace camsim
