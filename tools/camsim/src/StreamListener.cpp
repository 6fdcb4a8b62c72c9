#include "camsim/StreamListener.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "camsim/TcpServer.h"

namespace camsim {

StreamListener::StreamListener(std::string address, uint16_t port, Handler handler)
    : address_(std::move(address)), port_(port), handler_(std::move(handler)) {}

StreamListener::~StreamListener() {
  stop();
}

bool StreamListener::sendAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int StreamListener::openSocket() {
  const int fd = openLoopbackListener(address_, port_, 64);
  if (fd < 0) return fd;
  listenFd_ = fd;
  return 0;
}

int StreamListener::start() {
  if (running_) return 0;
  if (!isLoopbackAddress(address_)) return -EINVAL;  // before any descriptor is made
  if (::pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) return -errno;
  int rc = openSocket();
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

void StreamListener::stop() {
  if (!running_.exchange(false)) return;
  (void)!::write(wakeFds_[1], "s", 1);
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> clients;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
    clients.swap(clients_);
    refuseMs_ = -1;
  }
  refusedCv_.notify_all();
  for (auto& t : clients) t.join();
  if (listenFd_ >= 0) ::close(listenFd_);
  listenFd_ = -1;
  ::close(wakeFds_[0]);
  ::close(wakeFds_[1]);
  wakeFds_[0] = wakeFds_[1] = -1;
}

void StreamListener::refuseFor(int ms) {
  std::unique_lock<std::mutex> lk(mutex_);
  if (!running_) return;
  for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
  refuseMs_ = std::max(0, ms);
  (void)!::write(wakeFds_[1], "r", 1);
  refusedCv_.wait(lk, [&] { return refuseMs_ < 0; });
}

void StreamListener::acceptLoop() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point reopenAt{};
  while (running_) {
    pollfd fds[2] = {{wakeFds_[0], POLLIN, 0}, {listenFd_, POLLIN, 0}};
    int timeout = -1;
    if (listenFd_ < 0)
      timeout = static_cast<int>(std::max<int64_t>(
          0, std::chrono::duration_cast<std::chrono::milliseconds>(reopenAt - Clock::now()).count()));
    int n = ::poll(fds, listenFd_ >= 0 ? 2 : 1, timeout);
    if (!running_) break;
    if (n < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      char buf[16];
      while (::read(wakeFds_[0], buf, sizeof buf) > 0) {
      }
      std::lock_guard<std::mutex> lk(mutex_);
      if (refuseMs_ >= 0) {
        reopenAt = Clock::now() + std::chrono::milliseconds(refuseMs_);
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        refuseMs_ = -1;
        refusedCv_.notify_all();
      }
      continue;
    }
    if (listenFd_ < 0) {
      if (Clock::now() >= reopenAt) openSocket();
      continue;
    }
    if (!(fds[1].revents & POLLIN)) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ++connections_;
    std::lock_guard<std::mutex> lk(mutex_);
    clientFds_.push_back(fd);
    clients_.emplace_back([this, fd] {
      handler_(fd);
      std::lock_guard<std::mutex> done(mutex_);
      clientFds_.erase(std::remove(clientFds_.begin(), clientFds_.end(), fd), clientFds_.end());
      ::shutdown(fd, SHUT_RDWR);
      ::close(fd);
    });
  }
}

}  // namespace camsim
