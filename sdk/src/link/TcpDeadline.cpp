#include "link/TcpDeadline.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "OstrelSDK.h"

namespace ostrel::sdk::tcp {

int msUntil(Clock::time_point t) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
  return left < 0 ? 0 : int(std::min<long long>(left, 1 << 30));
}

Socket::~Socket() {
  if (fd >= 0) ::close(fd);
}

int openSocket() {
  return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

bool waitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int rc = ::poll(&p, 1, msUntil(deadline));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) return false;
  }
}

int connectTo(int fd, uint32_t ip, uint16_t port, Clock::time_point deadline) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(ip);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) return OSTREL_E_CONNECT;
    if (!waitFor(fd, POLLOUT, deadline)) return OSTREL_E_CONNECT;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return OSTREL_E_CONNECT;
  }
  return 0;
}

bool sendAll(int fd, const uint8_t* p, size_t n, Clock::time_point deadline) {
  while (n > 0) {
    ssize_t k = ::send(fd, p, n, MSG_NOSIGNAL);
    if (k > 0) {
      p += k;
      n -= size_t(k);
      continue;
    }
    if (k < 0 && errno == EINTR) continue;
    if (k < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline)) continue;
    return false;
  }
  return true;
}

size_t recvAll(int fd, uint8_t* p, size_t n, Clock::time_point deadline, int idleMs) {
  size_t got = 0;
  while (got < n) {
    ssize_t k = ::recv(fd, p + got, n - got, 0);
    if (k > 0) {
      got += size_t(k);
      if (idleMs > 0) deadline = Clock::now() + std::chrono::milliseconds(idleMs);
      continue;
    }
    if (k == 0) break;  // peer closed early
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLIN, deadline)) continue;
    break;
  }
  return got;
}

}  // namespace ostrel::sdk::tcp
