#include "push/PushSocket.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "ostrel/OstrelTypes.h"

namespace ostrel::push {

namespace {

// Largest count one send, receive or sendfile call is given (the kernel's own limit for sendfile).
constexpr uint64_t kMaxChunk = 0x7ffff000;
// Socket buffer of each push connection (the kernel doubles it, within its own limits).
constexpr int kSocketBuffer = 1 << 20;

}  // namespace

int makeWakeFd() { return eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

void signalWake(int wakeFd) {
  if (wakeFd < 0) return;
  uint64_t one = 1;
  ssize_t n = write(wakeFd, &one, sizeof one);
  (void)n;  // the counter only saturates after 2^64 - 2 signals
}

bool parseIpv4(const char* text, size_t capacity, in_addr* out) {
  char buf[17] = {};
  size_t n = strnlen(text, capacity);
  if (n == 0 || n >= sizeof buf) return false;
  memcpy(buf, text, n);
  return inet_pton(AF_INET, buf, out) == 1;
}

Io waitFor(int fd, short events, int wakeFd, int timeoutMs) {
  pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
  nfds_t count = wakeFd >= 0 ? 2 : 1;
  for (;;) {
    int r = poll(fds, count, timeoutMs);
    if (r < 0) {
      if (errno == EINTR) continue;
      return Io::Failed;
    }
    if (r == 0) return Io::TimedOut;
    if (count == 2 && fds[1].revents) return Io::Woken;
    return Io::Done;  // readiness or an error: the next call on fd tells which
  }
}

int connectTo(const in_addr& ip, uint16_t port, int timeoutMs, int wakeFd, int* fdOut) {
  *fdOut = -1;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return OSTREL_E_SOCKET;
  // A fresh connection starts with a small window; fixed buffers let a whole alarm move without
  // waiting for the window to grow (one connection per message).
  setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBuffer, sizeof kSocketBuffer);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr = ip;
  addr.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (errno != EINPROGRESS || waitFor(fd, POLLOUT, wakeFd, timeoutMs) != Io::Done) {
      close(fd);
      return OSTREL_E_CONNECT;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
      close(fd);
      return OSTREL_E_CONNECT;
    }
  }
  *fdOut = fd;
  return 0;
}

int listenOn(uint16_t port, int backlog, int* fdOut) {
  *fdOut = -1;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return OSTREL_E_BIND;
  int on = 1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(port);
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kSocketBuffer, sizeof kSocketBuffer);  // inherited by accepted sockets
  if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, backlog) != 0) {
    close(fd);
    return OSTREL_E_BIND;
  }
  *fdOut = fd;
  return 0;
}

Io sendAll(int fd, const void* data, uint64_t length, int wakeFd, int timeoutMs) {
  const auto* p = static_cast<const uint8_t*>(data);
  uint64_t done = 0;
  while (done < length) {
    size_t chunk = static_cast<size_t>(std::min(length - done, kMaxChunk));
    ssize_t n = send(fd, p + done, chunk, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<uint64_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      Io w = waitFor(fd, POLLOUT, wakeFd, timeoutMs);
      if (w != Io::Done) return w;
      continue;
    }
    return Io::Failed;
  }
  return Io::Done;
}

Io recvAll(int fd, void* data, uint64_t length, int wakeFd, int timeoutMs) {
  auto* p = static_cast<uint8_t*>(data);
  uint64_t done = 0;
  while (done < length) {
    size_t chunk = static_cast<size_t>(std::min(length - done, kMaxChunk));
    ssize_t n = recv(fd, p + done, chunk, 0);
    if (n > 0) {
      done += static_cast<uint64_t>(n);
      continue;
    }
    if (n == 0) return Io::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      Io w = waitFor(fd, POLLIN, wakeFd, timeoutMs);
      if (w != Io::Done) return w;
      continue;
    }
    return Io::Failed;
  }
  return Io::Done;
}

Io sendFileAll(int fd, int fileFd, uint64_t length, int wakeFd, int timeoutMs) {
  off_t offset = 0;
  uint64_t done = 0;
  while (done < length) {
    size_t chunk = static_cast<size_t>(std::min(length - done, kMaxChunk));
    ssize_t n = sendfile(fd, fileFd, &offset, chunk);
    if (n > 0) {
      done += static_cast<uint64_t>(n);
      continue;
    }
    if (n == 0) return Io::Closed;  // end of file before `length`
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      Io w = waitFor(fd, POLLOUT, wakeFd, timeoutMs);
      if (w != Io::Done) return w;
      continue;
    }
    return Io::Failed;
  }
  return Io::Done;
}

void awaitPeerClose(int fd, int wakeFd, int timeoutMs) {
  shutdown(fd, SHUT_WR);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  uint8_t sink[256];
  for (;;) {
    ssize_t n = recv(fd, sink, sizeof sink, 0);
    const int err = n < 0 ? errno : 0;
    if (n == 0 || (n < 0 && err != EINTR && err != EAGAIN && err != EWOULDBLOCK)) return;
    // The server sends nothing; whatever it does send is ignored.
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    if ((err == EAGAIN || err == EWOULDBLOCK) &&
        waitFor(fd, POLLIN, wakeFd, static_cast<int>(left.count()) + 1) != Io::Done)
      return;
  }
}

}  // namespace ostrel::push
