#include "camsim/TcpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace camsim {

bool isLoopbackAddress(const std::string& text) {
  in_addr a{};
  if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  return (ntohl(a.s_addr) >> 24) == 127;
}

int openLoopbackListener(const std::string& address, uint16_t port, int backlog) {
  if (!isLoopbackAddress(address)) return -EINVAL;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -errno;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, backlog) != 0) {
    int err = errno;
    ::close(fd);
    return -err;
  }
  return fd;
}

TcpServer::TcpServer(std::string address, uint16_t port, Handler handler)
    : address_(std::move(address)), port_(port), handler_(std::move(handler)) {}

TcpServer::~TcpServer() {
  stop();
}

int TcpServer::start() {
  if (running_) return 0;
  const int fd = openLoopbackListener(address_, port_, 128);
  if (fd < 0) return fd;
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    int err = errno;
    ::close(fd);
    return -err;
  }
  listenFd_ = fd;
  running_ = true;
  for (int i = 0; i < kWorkers; ++i) workers_.emplace_back([this] { workerLoop(); });
  return 0;
}

void TcpServer::stop() {
  if (!running_.exchange(false)) return;
  uint64_t one = 1;
  (void)!::write(wakeFd_, &one, sizeof one);
  // Shutting the listener down wakes every worker blocked in accept.
  ::shutdown(listenFd_, SHUT_RDWR);
  {
    std::lock_guard<std::mutex> lock(connMutex_);
    for (int fd : active_) ::shutdown(fd, SHUT_RDWR);
  }
  for (auto& t : workers_) t.join();
  workers_.clear();
  ::close(listenFd_);
  ::close(wakeFd_);
  listenFd_ = wakeFd_ = -1;
}

void TcpServer::workerLoop() {
  while (running_) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (!running_) break;
      if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) continue;
      // Out of descriptors or similar: wait a little instead of spinning.
      pollfd p{wakeFd_, POLLIN, 0};
      ::poll(&p, 1, 10);
      continue;
    }
    int one = 1;
    // Replies leave at once: Nagle would hold a small reply back behind the client's delayed ACK.
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ++connections_;
    {
      std::lock_guard<std::mutex> lock(connMutex_);
      if (!running_) {
        ::close(fd);
        break;
      }
      active_.insert(fd);
    }
    handler_(fd);
    {
      std::lock_guard<std::mutex> lock(connMutex_);
      active_.erase(fd);
    }
    ::close(fd);
  }
}

bool TcpServer::waitReadable(int fd, int timeoutMs) const {
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      wait = int(left.count());
    }
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    int rc = ::poll(p, 2, wait);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) return false;
    if (p[1].revents) return false;
    return true;
  }
}

bool TcpServer::recvAll(int fd, uint8_t* p, size_t n, int timeoutMs) const {
  size_t got = 0;
  while (got < n) {
    if (!waitReadable(fd, timeoutMs)) return false;
    ssize_t k = ::recv(fd, p + got, n - got, 0);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    got += size_t(k);
  }
  return true;
}

bool TcpServer::sendAll(int fd, const uint8_t* p, size_t n, size_t chunk) const {
  while (n > 0) {
    if (!running_) return false;
    size_t want = chunk ? std::min(chunk, n) : n;
    ssize_t k = ::send(fd, p, want, MSG_NOSIGNAL);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= size_t(k);
  }
  return true;
}

bool TcpServer::sleepFor(int ms) const {
  pollfd p{wakeFd_, POLLIN, 0};
  int rc = ::poll(&p, 1, ms);
  return rc == 0 && running_;
}

}  // namespace camsim
