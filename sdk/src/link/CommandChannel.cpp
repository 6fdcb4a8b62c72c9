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
#include "link/TcpDeadline.h"

namespace ostrel::sdk {

namespace {

using tcp::Clock;
using tcp::recvAll;
using tcp::sendAll;

int validateRequest(const uint8_t* request, size_t requestSize, const CmdTableEntry** row) {
  if (!request || requestSize < kCmdHeaderSize) return OSTREL_E_ARGUMENT;
  *row = cmdLookup(bytes::readU16(request, requestSize, 0));
  if (!*row) return OSTREL_E_UNSUPPORTED;
  if (bytes::readU16(request, requestSize, 2) != (*row)->requestSize || requestSize != (*row)->requestSize)
    return OSTREL_E_ARGUMENT;
  return 0;
}

}  // namespace

int connectTo(tcp::Socket& s, uint32_t ip, uint16_t port, tcp::Clock::time_point deadline) {
  s.fd = tcp::openSocket();
  if (s.fd < 0) return OSTREL_E_CONNECT;
  int one = 1;
  ::setsockopt(s.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return tcp::connectTo(s.fd, ip, port, deadline);
}

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

  tcp::Socket s;
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
  tcp::Socket s;
  rc = connectTo(s, cameraIp, port, start + std::chrono::milliseconds(sdkConnectTimeout()));
  if (rc != 0) return rc;
  if (!sendAll(s.fd, request, requestSize, Clock::now() + std::chrono::milliseconds(sdkSendTimeout())))
    return OSTREL_E_SEND;
  return 0;
}

}  // namespace ostrel::sdk
