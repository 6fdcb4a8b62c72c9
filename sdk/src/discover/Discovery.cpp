#include "discover/Discovery.h"

#include <arpa/inet.h>
#include <errno.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

#include "discover/DiscoveryProtocol.h"
#include "foundation/Logger.h"
#include "frame/SdkState.h"
#include "ostrel/OstrelDiscover.h"

namespace ostrel::sdk {

namespace {

using Clock = std::chrono::steady_clock;
namespace dp = discovery;

constexpr int kDrainLimit = 4096;

struct DiscoverState {
  // Serialises discovery calls, open and close: two calls at once would take each other's
  // replies from the shared sockets.
  std::mutex mutex;
  int searchFd = -1;         // guarded by mutex
  int listenerFd = -1;       // guarded by mutex
  int recvTimeoutMs = 2000;  // guarded by mutex; the receive time-out at open
  DiscoverRoute route;       // guarded by mutex
};

DiscoverState& state() {
  static DiscoverState s;
  return s;
}

void setTimeouts(int fd, int sendMs, int recvMs) {
  timeval snd{sendMs / 1000, (sendMs % 1000) * 1000};
  timeval rcv{recvMs / 1000, (recvMs % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &snd, sizeof snd);
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &rcv, sizeof rcv);
}

sockaddr_in makeAddr(uint32_t hostOrderAddr, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(hostOrderAddr);
  a.sin_port = htons(port);
  return a;
}

std::string idKey(const char* id) {
  return std::string(id, strnlen(id, 32));
}

// Receives datagrams until the deadline: complete search replies from cameras not yet listed are
// appended at *tail; everything else is skipped. Returns false when a node could not be allocated.
bool collect(int fd, Clock::time_point deadline, DiscoverNode**& tail,
             std::unordered_set<std::string>& seen) {
  uint8_t buf[dp::kReceiveBuffer];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    pollfd p{fd, POLLIN, 0};
    int r = poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return true;
    // MSG_TRUNC gives the datagram's real length, so an oversized one is not mistaken for a reply.
    ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return true;
    }
    size_t len = static_cast<size_t>(n);
    if (len > sizeof buf) len = sizeof buf + 1;  // never parsed: too long for any reply
    CameraBasicInfoRecord info;
    uint32_t ipv4 = 0;
    if (!dp::parseSearchReply(buf, len, &info, &ipv4)) {
      dp::traceDatagram("discover, skipped", buf, len > sizeof buf ? sizeof buf : len);
      continue;
    }
    if (!seen.insert(idKey(info.cameraId)).second) continue;
    auto* node = new (std::nothrow) DiscoverNode{};
    if (node == nullptr) return false;
    node->info = info;
    node->ipv4 = ipv4;
    *tail = node;
    tail = &node->next;
  }
}

}  // namespace

int discoverOpen() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (s.searchFd >= 0) return 0;
  if (const char* env = std::getenv("OSTREL_DISCOVER_BROADCAST"); env != nullptr && *env != '\0') {
    // A simulator set on this host's loopback answers at 127.255.255.255; a text that is not one
    // dotted IPv4 address is logged and the default route kept.
    in_addr a{};
    if (inet_pton(AF_INET, env, &a) == 1) {
      s.route.broadcastAddr = ntohl(a.s_addr);
      s.route.loopbackOnly = (s.route.broadcastAddr >> 24) == 127;
      OSTREL_LOG("discover broadcast %s, loopbackOnly %d", env, s.route.loopbackOnly ? 1 : 0);
    } else {
      OSTREL_LOG("discover broadcast %.64s is not an IPv4 address", env);
    }
  }
  int sendMs = sdkSendTimeout(), recvMs = sdkRecvTimeout();
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  int on = 1;
  if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    OSTREL_LOG("wsae %d", errno);
    if (fd >= 0) close(fd);
    return -1;
  }
  setTimeouts(fd, sendMs, recvMs);
  s.searchFd = fd;
  s.recvTimeoutMs = recvMs;

  int lfd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (lfd >= 0) {
    sockaddr_in a = makeAddr(INADDR_ANY, dp::kReplyPort);
    if (setsockopt(lfd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        bind(lfd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      OSTREL_LOG("Discover Broadcast2, wsae %d", errno);
      close(lfd);
    } else {
      setTimeouts(lfd, sendMs, recvMs);
      s.listenerFd = lfd;
      OSTREL_LOG("Discover Broadcast2");
    }
  }
  return 0;
}

void discoverClose() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (s.searchFd >= 0) close(s.searchFd);
  if (s.listenerFd >= 0) close(s.listenerFd);
  s.searchFd = s.listenerFd = -1;
}

bool discoverSearchSocketOpen() {
  std::lock_guard lock(state().mutex);
  return state().searchFd >= 0;
}

bool discoverListenerOpen() {
  std::lock_guard lock(state().mutex);
  return state().listenerFd >= 0;
}

void discoverSetRoute(const DiscoverRoute& route) {
  std::lock_guard lock(state().mutex);
  state().route = route;
}

DiscoverRoute discoverRoute() {
  std::lock_guard lock(state().mutex);
  return state().route;
}

namespace {

int broadcastSendAllLocked(const DiscoverRoute& route, const void* data, size_t length) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return -1;
  int sent = 0;
  for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
    if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET || !(it->ifa_flags & IFF_UP)) continue;
    if (route.loopbackOnly && !(it->ifa_flags & IFF_LOOPBACK)) continue;
    sockaddr_in from = *reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
    from.sin_port = htons(dp::kSearchPort);
    char fromText[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &from.sin_addr, fromText, sizeof fromText);
    int ret = 0;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    if (fd < 0) {
      ret = OSTREL_E_SOCKET;
    } else if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
               bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
               setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
      // SO_REUSEADDR: a camera simulator or another program may hold 0.0.0.0:55501 already.
      ret = OSTREL_E_BIND;
    } else {
      sockaddr_in to = makeAddr(route.broadcastAddr, dp::kSearchPort);
      ssize_t n = sendto(fd, data, length, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to), sizeof to);
      if (n < 0 || static_cast<size_t>(n) != length) ret = OSTREL_E_SEND;
    }
    if (fd >= 0) close(fd);
    OSTREL_LOG("broadcast, fromAddr %s, dataSize %d, ret %d", fromText, static_cast<int>(length), ret);
    if (ret == 0) ++sent;
  }
  freeifaddrs(list);
  return sent;
}

}  // namespace

int broadcastSendAll(const void* data, size_t length) {
  return broadcastSendAllLocked(discoverRoute(), data, length);
}

void drainSocket(int fd) {
  uint8_t buf[128];
  for (int i = 0; i < kDrainLimit; ++i) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return;
    if (recv(fd, buf, sizeof buf, MSG_DONTWAIT) < 0 && errno != EINTR) return;
  }
}

}  // namespace ostrel::sdk

using namespace ostrel::sdk;
namespace dp = ostrel::sdk::discovery;

extern "C" OSTREL_API DiscoverNode* Ostrel_DiscoverCameras(int /*reserved*/) {
  if (!sdkInitialised()) return nullptr;
  auto& s = state();
  std::lock_guard lock(s.mutex);
  DiscoverNode* head = nullptr;
  DiscoverNode** tail = &head;
  std::unordered_set<std::string> seen;
  uint8_t search[dp::kSearchSize];
  const auto timeout = std::chrono::milliseconds(s.recvTimeoutMs);
  bool memoryOk = true;

  // First pass: cameras answer the searching socket directly.
  if (s.searchFd >= 0) {
    drainSocket(s.searchFd);
    size_t len = dp::buildSearch(dp::kAnswerToSender, search, sizeof search);
    sockaddr_in to = makeAddr(s.route.broadcastAddr, dp::kSearchPort);
    ssize_t n = sendto(s.searchFd, search, len, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to), sizeof to);
    // One deadline from the send: replies arriving closer together than the time-out (several
    // searching hosts, a flood) cannot keep the pass open.
    if (n == static_cast<ssize_t>(len)) memoryOk = collect(s.searchFd, Clock::now() + timeout, tail, seen);
  }
  // Second pass: from every interface, answers broadcast to the listener (reaches cameras whose
  // address lies outside the PC's networks).
  if (s.listenerFd >= 0 && memoryOk) {
    drainSocket(s.listenerFd);
    size_t len = dp::buildSearch(dp::kAnswerToReplyPort, search, sizeof search);
    if (broadcastSendAllLocked(s.route, search, len) > 0)
      collect(s.listenerFd, Clock::now() + timeout, tail, seen);
  }
  return head;
}

extern "C" OSTREL_API void Ostrel_DiscoverCamerasFree(DiscoverNode** list) {
  if (list == nullptr) return;
  DiscoverNode* node = *list;
  while (node != nullptr) {
    DiscoverNode* next = node->next;
    delete node;
    node = next;
  }
  *list = nullptr;
}

extern "C" OSTREL_API int Ostrel_DiscoverConfigIP(const ConfigIpInfo* info) {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (s.listenerFd < 0) return OSTREL_E_STATE;
  if (info == nullptr) return OSTREL_OK;
  drainSocket(s.listenerFd);
  uint8_t request[dp::kSetAddressSize];
  size_t len = dp::buildSetAddress(*info, request, sizeof request);
  int count = broadcastSendAllLocked(s.route, request, len);
  if (count <= 0) {
    OSTREL_LOG("configIP, sendCount %d", count);
    return OSTREL_E_SEND;
  }
  char id[33] = {};
  std::memcpy(id, info->cameraId, 32);
  // Keep reading until the deadline: a stray datagram or another camera's confirmation is not
  // the answer, and the right one may still come.
  const auto deadline = Clock::now() + std::chrono::milliseconds(s.recvTimeoutMs);
  uint8_t buf[dp::kReceiveBuffer];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{s.listenerFd, POLLIN, 0};
    int r = poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    ssize_t n = recv(s.listenerFd, buf, sizeof buf, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      break;
    }
    if (dp::isSetAddressReplyFor(buf, static_cast<size_t>(n), id)) return OSTREL_OK;
    dp::traceDatagram("configIP, skipped", buf,
                      static_cast<size_t>(n) > sizeof buf ? sizeof buf : static_cast<size_t>(n));
  }
  OSTREL_LOG("configIP, no confirmation from %s", id);
  return OSTREL_E_REPLY;
}
