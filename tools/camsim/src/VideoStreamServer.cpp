#include "camsim/VideoStreamServer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "foundation/ByteOrder.h"

namespace camsim {

using ostrel::bytes::putU16;
using ostrel::bytes::putU32;

VideoStreamServer::VideoStreamServer(VideoStreamConfig config)
    : config_(std::move(config)), paced_(config_.paced), listener_(config_.address, config_.port, [this](int fd) {
        serve(fd);
      }) {}

VideoStreamServer::~VideoStreamServer() { stop(); }

int VideoStreamServer::start() {
  if (!config_.clip || config_.clip->units.empty()) return -EINVAL;
  return listener_.start();
}

void VideoStreamServer::stop() { listener_.stop(); }

void VideoStreamServer::setFault(VideoFault fault, int param) {
  if (fault == VideoFault::RefuseConnections) {
    listener_.refuseFor(param);
    return;
  }
  std::lock_guard<std::mutex> lk(mutex_);
  fault_ = fault;
}

bool VideoStreamServer::waitFaultTaken(int timeoutMs) {
  std::unique_lock<std::mutex> lk(mutex_);
  return faultCv_.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] { return fault_ == VideoFault::None; });
}

bool VideoStreamServer::sendFrame(int fd, size_t unit) {
  VideoFault fault;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    fault = fault_;
    fault_ = VideoFault::None;
  }
  if (fault != VideoFault::None) faultCv_.notify_all();
  const std::vector<uint8_t>& au = config_.clip->units[unit];
  const int64_t pixels = int64_t{config_.width} * config_.height;
  uint8_t header[kHeaderSize] = {};
  putU16(header + 4, static_cast<uint16_t>(config_.width));
  putU16(header + 6, static_cast<uint16_t>(config_.height));
  switch (fault) {
    case VideoFault::EmptyUnit:
      putU32(header, kHeaderSize);
      return StreamListener::sendAll(fd, header, kHeaderSize);
    case VideoFault::Total1023:
      putU32(header, kHeaderSize - 1);
      return StreamListener::sendAll(fd, header, kHeaderSize);
    case VideoFault::Oversize:
      putU32(header, static_cast<uint32_t>(3 * pixels + 17408 + 1));
      StreamListener::sendAll(fd, header, kHeaderSize);
      return false;
    default:
      break;
  }
  putU32(header, static_cast<uint32_t>(kHeaderSize + au.size()));
  if (!StreamListener::sendAll(fd, header, kHeaderSize)) return false;
  if (fault == VideoFault::CloseMidUnit) {
    StreamListener::sendAll(fd, au.data(), au.size() / 2);
    return false;
  }
  return StreamListener::sendAll(fd, au.data(), au.size());
}

void VideoStreamServer::serve(int fd) {
  uint8_t start[kStartSize] = {};
  const std::vector<uint8_t>& ps = config_.clip->parameterSets;
  const size_t setup = std::min<size_t>(ps.size(), kStartSize - 8 - 128);
  std::memcpy(start + 8, ps.data(), setup);
  const int32_t lengthWord = setupLength_.load();
  putU32(start, static_cast<uint32_t>(lengthWord == INT32_MIN ? static_cast<int32_t>(setup) : lengthWord));
  putU16(start + 128, static_cast<uint16_t>(config_.fps));
  putU16(start + 130, 1);
  int w = config_.width, h = config_.height;
  int left = otherSizeStarts_.load();
  while (left > 0 && !otherSizeStarts_.compare_exchange_weak(left, left - 1)) {
  }
  if (left > 0) {
    w += 16;
    h += 16;
    ++otherSized_;
  }
  putU16(start + 132, static_cast<uint16_t>(w));
  putU16(start + 134, static_cast<uint16_t>(h));
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::microseconds(1000000 / std::max(1, config_.fps));
  auto next = Clock::now();
  if (StreamListener::sendAll(fd, start, kStartSize)) {
    for (size_t unit = 0; listener_.running(); unit = (unit + 1) % config_.clip->units.size()) {
      if (!sendFrame(fd, unit)) break;
      ++framesSent_;
      if (paced_) {
        next += period;
        auto now = Clock::now();
        if (next < now - period) next = now;
        std::this_thread::sleep_until(next);
      }
    }
  }
}

}  // namespace camsim
