#include "camsim/VideoStreamServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "camsim/TcpServer.h"

namespace camsim {

namespace {

void putU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void putU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

bool sendAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

VideoStreamServer::VideoStreamServer(VideoStreamConfig config) : config_(std::move(config)), paced_(config_.paced) {}

VideoStreamServer::~VideoStreamServer() { stop(); }

int VideoStreamServer::openListener() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -errno;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(config_.port);
  inet_pton(AF_INET, config_.address.c_str(), &a.sin_addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 64) != 0) {
    int e = errno;
    ::close(fd);
    return -e;
  }
  listenFd_ = fd;
  return 0;
}

int VideoStreamServer::start() {
  if (!isLoopbackAddress(config_.address) || !config_.clip || config_.clip->units.empty()) return -EINVAL;
  if (::pipe2(wakeFds_, O_CLOEXEC) != 0) return -errno;
  int rc = openListener();
  if (rc != 0) {
    ::close(wakeFds_[0]);
    ::close(wakeFds_[1]);
    wakeFds_[0] = wakeFds_[1] = -1;
    return rc;
  }
  running_ = true;
  acceptThread_ = std::thread([this] { acceptLoop(); });
  return 0;
}

void VideoStreamServer::stop() {
  if (!running_.exchange(false)) return;
  (void)!::write(wakeFds_[1], "s", 1);
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> clients;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
    clients.swap(clients_);
  }
  for (auto& t : clients) t.join();
  int fd = listenFd_.exchange(-1);
  if (fd >= 0) ::close(fd);
  ::close(wakeFds_[0]);
  ::close(wakeFds_[1]);
  wakeFds_[0] = wakeFds_[1] = -1;
}

void VideoStreamServer::setFault(VideoFault fault, int param) {
  std::lock_guard<std::mutex> lk(mutex_);
  fault_ = fault;
  faultParam_ = param;
  if (fault == VideoFault::RefuseConnections) {
    for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
    (void)!::write(wakeFds_[1], "r", 1);
  }
}

bool VideoStreamServer::waitFaultTaken(int timeoutMs) {
  std::unique_lock<std::mutex> lk(mutex_);
  return faultCv_.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] { return fault_ == VideoFault::None; });
}

void VideoStreamServer::acceptLoop() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point reopenAt{};
  while (running_) {
    pollfd fds[2] = {{wakeFds_[0], POLLIN, 0}, {listenFd_.load(), POLLIN, 0}};
    int timeout = -1;
    if (fds[1].fd < 0)
      timeout = static_cast<int>(std::max<int64_t>(
          0, std::chrono::duration_cast<std::chrono::milliseconds>(reopenAt - Clock::now()).count()));
    int n = ::poll(fds, fds[1].fd >= 0 ? 2 : 1, timeout);
    if (!running_) break;
    if (n < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      char buf[16];
      ssize_t got = ::read(wakeFds_[0], buf, sizeof buf);
      bool refuse = false;
      {
        std::lock_guard<std::mutex> lk(mutex_);
        if (fault_ == VideoFault::RefuseConnections && got > 0) {
          refuse = true;
          reopenAt = Clock::now() + std::chrono::milliseconds(faultParam_);
          fault_ = VideoFault::None;
        }
      }
      if (refuse) {
        faultCv_.notify_all();
        int fd = listenFd_.exchange(-1);
        if (fd >= 0) ::close(fd);
      }
      continue;
    }
    if (listenFd_ < 0) {
      if (Clock::now() >= reopenAt) openListener();
      continue;
    }
    if (!(fds[1].revents & POLLIN)) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::lock_guard<std::mutex> lk(mutex_);
    clientFds_.push_back(fd);
    clients_.emplace_back([this, fd] { serve(fd); });
  }
}

bool VideoStreamServer::sendFrame(int fd, size_t unit) {
  VideoFault fault;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    fault = fault_;
    if (fault != VideoFault::RefuseConnections) fault_ = VideoFault::None;
  }
  if (fault != VideoFault::None && fault != VideoFault::RefuseConnections) faultCv_.notify_all();
  const std::vector<uint8_t>& au = config_.clip->units[unit];
  const int64_t pixels = int64_t{config_.width} * config_.height;
  uint8_t header[kHeaderSize] = {};
  putU16(header + 4, static_cast<uint16_t>(config_.width));
  putU16(header + 6, static_cast<uint16_t>(config_.height));
  switch (fault) {
    case VideoFault::EmptyUnit:
      putU32(header, kHeaderSize);
      return sendAll(fd, header, kHeaderSize);
    case VideoFault::Total1023:
      putU32(header, kHeaderSize - 1);
      return sendAll(fd, header, kHeaderSize);
    case VideoFault::Oversize:
      putU32(header, static_cast<uint32_t>(3 * pixels + 17408 + 1));
      sendAll(fd, header, kHeaderSize);
      return false;
    default:
      break;
  }
  putU32(header, static_cast<uint32_t>(kHeaderSize + au.size()));
  if (!sendAll(fd, header, kHeaderSize)) return false;
  if (fault == VideoFault::CloseMidUnit) {
    sendAll(fd, au.data(), au.size() / 2);
    return false;
  }
  return sendAll(fd, au.data(), au.size());
}

void VideoStreamServer::serve(int fd) {
  ++connections_;
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
  if (sendAll(fd, start, kStartSize)) {
    for (size_t unit = 0; running_; unit = (unit + 1) % config_.clip->units.size()) {
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
  std::lock_guard<std::mutex> lk(mutex_);
  clientFds_.erase(std::remove(clientFds_.begin(), clientFds_.end(), fd), clientFds_.end());
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

}  // namespace camsim
