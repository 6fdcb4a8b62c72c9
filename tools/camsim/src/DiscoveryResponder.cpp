#include "camsim/DiscoveryResponder.h"

#include "camsim/Wire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace camsim {

namespace {

// Wire layout of discovery (little-endian): header u16 type, u16 total size.
constexpr uint16_t kPortSearch = 55501;
constexpr uint16_t kPortReply = 55511;
constexpr uint16_t kSearch = 0, kSearchReply = 1, kSetAddress = 82, kSetAddressReply = 83;
constexpr size_t kSearchLen = 8, kReplyLen = 224, kSetAddressLen = 88, kConfirmLen = 36;

// A fixed field filled to its full width (no terminator needed when the text fills it).
void putField(uint8_t* p, size_t width, const std::string& s) {
  std::memcpy(p, s.data(), s.size() < width ? s.size() : width);
}

}  // namespace

DiscoveryResponder::DiscoveryResponder(DiscoveryResponderConfig config) : config_(std::move(config)) {}

DiscoveryResponder::~DiscoveryResponder() {
  stop();
}

bool DiscoveryResponder::start() {
  if (fd_ >= 0) return true;
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  int on = 1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(kPortSearch);
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  if (setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
      bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || pipe2(wake_, O_CLOEXEC) != 0) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  sendFd_ = fd_;
  if (config_.localAddr != 0) {
    // Answers leave from the camera's own address; searches still arrive on the shared port,
    // because a socket bound to a unicast address never sees broadcasts.
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in own{};
    own.sin_family = AF_INET;
    own.sin_addr.s_addr = htonl(config_.localAddr);
    if (s < 0 || (config_.localAddr >> 24) != 127 || setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        bind(s, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0) {
      if (s >= 0) close(s);
      close(fd_);
      close(wake_[0]);
      close(wake_[1]);
      fd_ = sendFd_ = wake_[0] = wake_[1] = -1;
      return false;
    }
    sendFd_ = s;
  }
  thread_ = std::thread([this] { run(); });
  return true;
}

void DiscoveryResponder::stop() {
  if (fd_ < 0) return;
  char c = 1;
  (void)!write(wake_[1], &c, 1);
  if (thread_.joinable()) thread_.join();
  if (sendFd_ != fd_) close(sendFd_);
  close(fd_);
  close(wake_[0]);
  close(wake_[1]);
  fd_ = sendFd_ = wake_[0] = wake_[1] = -1;
}

std::array<uint8_t, 52> DiscoveryResponder::networkRecord() const {
  std::lock_guard lock(mutex_);
  return network_;
}

bool DiscoveryResponder::hasNetworkRecord() const {
  std::lock_guard lock(mutex_);
  return hasNetwork_;
}

bool DiscoveryResponder::waitForSearches(int n, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return seen_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return searches_.load() >= n; });
}

bool DiscoveryResponder::waitForNetworkRecord(int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return seen_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return hasNetwork_; });
}

void DiscoveryResponder::buildReply(uint8_t* out) const {
  const auto& id = config_.identity;
  std::memset(out, 0, kReplyLen);
  putU16(out, kSearchReply);
  putU16(out + 2, kReplyLen);
  uint8_t* rec = out + 4;  // CameraBasicInfoRecord, 216 bytes
  putU32(out + 220, id.ipv4);
  if (config_.basicRecord) {
    const std::vector<uint8_t> whole = config_.basicRecord();
    if (whole.size() == 216) {
      std::memcpy(rec, whole.data(), 216);
      return;
    }
  }
  putField(rec + 0, 32, id.cameraId);
  putField(rec + 32, 32, id.cameraName);
  putField(rec + 64, 16, id.cameraType);
  putField(rec + 144, 32, id.softwareId);
  putU16(rec + 176, id.dataWidth);
  putU16(rec + 178, id.dataHeight);
  putU16(rec + 180, id.dataFps);
}

void DiscoveryResponder::sendTo(const void* data, size_t len, uint32_t addr, uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(addr);
  sendto(sendFd_, data, len, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void DiscoveryResponder::answer(uint32_t mode, const sockaddr_in& from) {
  uint8_t reply[kReplyLen];
  buildReply(reply);
  uint32_t addr = mode == 0 ? ntohl(from.sin_addr.s_addr) : config_.broadcastAddr;
  uint16_t port = mode == 0 ? ntohs(from.sin_port) : kPortReply;
  if (config_.faults.strayFirst) {
    uint8_t stray[12] = {};
    putU16(stray, 0x55);
    putU16(stray + 2, sizeof stray);
    sendTo(stray, sizeof stray, addr, port);
  }
  if (config_.faults.shortReplyFirst) sendTo(reply, 100, addr, port);
  sendTo(reply, kReplyLen, addr, port);
}

void DiscoveryResponder::run() {
  using Clock = std::chrono::steady_clock;
  uint8_t buf[600];
  // Flood state: the last search's destination, repeated until floodEnd.
  bool flooding = false;
  uint32_t floodMode = 0;
  sockaddr_in floodFrom{};
  Clock::time_point floodEnd{}, floodNext{};
  for (;;) {
    int waitMs = -1;
    if (flooding) {
      auto now = Clock::now();
      if (now >= floodEnd) {
        flooding = false;
      } else {
        waitMs =
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(floodNext - now).count());
        if (waitMs < 0) waitMs = 0;
      }
    }
    pollfd p[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    int r = poll(p, 2, waitMs);
    if (r < 0) continue;
    if (p[1].revents) return;
    if (r == 0 && flooding) {
      answer(floodMode, floodFrom);
      floodNext += std::chrono::microseconds(1000000 / config_.faults.floodPerSecond);
      continue;
    }
    if (!(p[0].revents & POLLIN)) continue;
    sockaddr_in from{};
    socklen_t fl = sizeof from;
    ssize_t n = recvfrom(fd_, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fl);
    if (n < 4) continue;
    if (config_.localAddr != 0 && (ntohl(from.sin_addr.s_addr) >> 24) != 127) continue;
    uint16_t type = readU16(buf, size_t(n), 0), size = readU16(buf, size_t(n), 2);
    if (type == kSearch && size == kSearchLen && n == static_cast<ssize_t>(kSearchLen)) {
      uint32_t mode = readU32(buf, size_t(n), 4);
      {
        // Under the lock, so a waiter cannot miss the notification between its check and its wait.
        std::lock_guard lock(mutex_);
        lastSource_ = ntohl(from.sin_addr.s_addr);
        ++searches_;
      }
      seen_.notify_all();
      if ((mode == 0 && !config_.faults.answerToSender) || (mode != 0 && !config_.faults.answerToReplyPort))
        continue;
      answer(mode == 0 ? 0 : 1, from);
      if (config_.faults.floodPerSecond > 0) {
        flooding = true;
        floodMode = mode == 0 ? 0 : 1;
        floodFrom = from;
        floodNext = Clock::now() + std::chrono::microseconds(1000000 / config_.faults.floodPerSecond);
        floodEnd = Clock::now() + std::chrono::seconds(config_.faults.floodSeconds);
      }
    } else if (type == kSetAddress && size == kSetAddressLen && n == static_cast<ssize_t>(kSetAddressLen)) {
      char id[33] = {};
      std::memcpy(id, buf + 4, 32);
      if (config_.identity.cameraId.compare(0, 32, id) != 0) continue;
      ++setAddresses_;
      {
        std::lock_guard lock(mutex_);
        std::memcpy(network_.data(), buf + 36, 52);
        hasNetwork_ = true;
      }
      seen_.notify_all();
      if (config_.faults.noConfirmation) continue;
      uint8_t confirm[kConfirmLen] = {};
      putU16(confirm, kSetAddressReply);
      putU16(confirm + 2, kConfirmLen);
      putField(confirm + 4, 32,
              config_.faults.foreignConfirmation ? config_.identity.cameraId + "-other"
                                                 : config_.identity.cameraId);
      if (config_.faults.strayFirst) {
        uint8_t stray[8] = {0x55, 0, 8, 0, 0, 0, 0, 0};
        sendTo(stray, sizeof stray, config_.broadcastAddr, kPortReply);
      }
      sendTo(confirm, kConfirmLen, config_.broadcastAddr, kPortReply);
    }
  }
}

}  // namespace camsim
