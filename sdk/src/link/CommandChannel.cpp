#include "link/CommandChannel.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "OstrelSDK.h"
#include "foundation/Logger.h"
#include "frame/SdkState.h"

namespace ostrel::sdk {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until t, at least 0.
int msUntil(Clock::time_point t) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
  return left < 0 ? 0 : int(std::min<long long>(left, 1 << 30));
}

struct Socket {
  int fd = -1;
  ~Socket() {
    if (fd >= 0) ::close(fd);
  }
};

// Waits for events on fd until deadline; true when they came.
bool waitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int rc = ::poll(&p, 1, msUntil(deadline));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) return false;
  }
}

// Non-blocking connect bounded by deadline. "Writable" alone is not "connected": SO_ERROR tells.
int connectTo(Socket& s, uint32_t ip, uint16_t port, Clock::time_point deadline) {
  s.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (s.fd < 0) return OSTREL_E_CONNECT;
  int one = 1;
  ::setsockopt(s.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(ip);
  if (::connect(s.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) return OSTREL_E_CONNECT;
    if (!waitFor(s.fd, POLLOUT, deadline)) return OSTREL_E_CONNECT;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return OSTREL_E_CONNECT;
  }
  return 0;
}

// Sends all bytes before deadline; false on a failure or a time-out.
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

// Receives exactly n bytes before deadline; returns the count received (n on success).
size_t recvAll(int fd, uint8_t* p, size_t n, Clock::time_point deadline) {
  size_t got = 0;
  while (got < n) {
    ssize_t k = ::recv(fd, p + got, n - got, 0);
    if (k > 0) {
      got += size_t(k);
      continue;
    }
    if (k == 0) break;  // peer closed early
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLIN, deadline)) continue;
    break;
  }
  return got;
}

int validateRequest(const uint8_t* request, size_t requestSize, const CmdTableEntry** row) {
  if (!request || requestSize < kCmdHeaderSize) return OSTREL_E_ARGUMENT;
  *row = cmdLookup(bytes::readU16(request, requestSize, 0));
  if (!*row) return OSTREL_E_UNSUPPORTED;
  if (bytes::readU16(request, requestSize, 2) != (*row)->requestSize || requestSize != (*row)->requestSize)
    return OSTREL_E_ARGUMENT;
  return 0;
}

}  // namespace

int cmdTransact(uint32_t cameraIp, uint16_t port, const uint8_t* request, size_t requestSize, uint8_t* reply,
                size_t replyCapacity, int recvTimeoutMs) {
  const CmdTableEntry* row = nullptr;
  int rc = validateRequest(request, requestSize, &row);
  if (rc != 0) {
    if (reply) std::memset(reply, 0, replyCapacity);
    return rc;
  }
  if (row->replyType != 0 && (!reply || replyCapacity < row->replySize)) {
    if (reply) std::memset(reply, 0, replyCapacity);
    return OSTREL_E_ARGUMENT;
  }
  if (reply) std::memset(reply, 0, replyCapacity);

  const auto start = Clock::now();
  const int connectMs = sdkConnectTimeout();
  const int sendMs = sdkSendTimeout();
  const int recvMs = recvTimeoutMs > 0 ? recvTimeoutMs : sdkRecvTimeout();
  // One overall bound; each phase also keeps its own share of it.
  const auto overall = start + std::chrono::milliseconds(int64_t(connectMs) + sendMs + recvMs);

  Socket s;
  rc = connectTo(s, cameraIp, port, std::min(overall, start + std::chrono::milliseconds(connectMs)));
  if (rc != 0) return rc;
  if (!sendAll(s.fd, request, requestSize,
               std::min(overall, Clock::now() + std::chrono::milliseconds(sendMs))))
    return OSTREL_E_SEND;
  if (row->replyType == 0) return 0;

  const auto recvDeadline = std::min(overall, Clock::now() + std::chrono::milliseconds(recvMs));
  size_t got = recvAll(s.fd, reply, kCmdHeaderSize, recvDeadline);
  if (got == kCmdHeaderSize && bytes::readU16(reply, got, 0) == row->replyType)
    got += recvAll(s.fd, reply + kCmdHeaderSize, row->replySize - kCmdHeaderSize, recvDeadline);
  if (got != row->replySize || bytes::readU16(reply, got, 0) != row->replyType) {
    OSTREL_LOG("respSize %d, respType %d; recved %d", int(row->replySize), int(row->replyType), int(got));
    std::memset(reply, 0, replyCapacity);
    return OSTREL_E_REPLY;
  }
  return 0;
}

int cmdSendOnly(uint32_t cameraIp, uint16_t port, const uint8_t* request, size_t requestSize) {
  const CmdTableEntry* row = nullptr;
  int rc = validateRequest(request, requestSize, &row);
  if (rc != 0) return rc;
  const auto start = Clock::now();
  Socket s;
  rc = connectTo(s, cameraIp, port, start + std::chrono::milliseconds(sdkConnectTimeout()));
  if (rc != 0) return rc;
  if (!sendAll(s.fd, request, requestSize, Clock::now() + std::chrono::milliseconds(sdkSendTimeout())))
    return OSTREL_E_SEND;
  return 0;
}

}  // namespace ostrel::sdk
