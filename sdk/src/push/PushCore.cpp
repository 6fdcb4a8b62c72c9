#include "push/PushCore.h"

#include <arpa/inet.h>
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

#include "foundation/Logger.h"
#include "ostrel/OstrelTypes.h"
#include "push/PushSocket.h"

namespace ostrel::push {

// ---- client ----

int ClientBase::start(const char* ip, size_t ipCapacity, uint16_t port, uint16_t timeoutMs,
                      const std::function<void()>& configure) {
  std::lock_guard<std::mutex> control(control_);
  if (running()) return OSTREL_E_STATE;
  in_addr addr{};
  if (!parseIpv4(ip, ipCapacity, &addr)) return OSTREL_E_ARGUMENT;
  int wake = makeWakeFd();
  if (wake < 0) return OSTREL_E_NO_MEMORY;
  ip_ = addr;
  port_ = port;
  timeoutMs_ = effectiveTimeout(timeoutMs);
  wakeFd_ = wake;
  configure();
  running_.store(true, std::memory_order_release);
  try {
    thread_ = std::thread([this] {
      OSTREL_LOG_AS("work_loop", "work_loop enter");
      work();
      OSTREL_LOG_AS("work_loop", "work_loop leave");
    });
  } catch (const std::system_error&) {
    running_.store(false);
    close(wakeFd_);
    wakeFd_ = -1;
    return OSTREL_E_NO_MEMORY;
  }
  return 0;
}

int ClientBase::stop() {
  std::lock_guard<std::mutex> control(control_);
  if (!thread_.joinable()) return 0;
  if (thread_.get_id() == std::this_thread::get_id()) return OSTREL_E_STATE;
  {
    // Under the lock, so a worker between its check and its wait cannot miss the change.
    std::lock_guard<std::mutex> lock(mutex_);
    running_.store(false, std::memory_order_release);
  }
  cv_.notify_all();
  signalWake(wakeFd_);
  thread_.join();
  close(wakeFd_);
  wakeFd_ = -1;
  dropQueued();
  return 0;
}

bool ClientBase::pause(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !running(); });
  return running();
}

void ClientBase::idle(int ms, const std::function<bool()>& hasWork) {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !running() || hasWork(); });
}

int ClientBase::connectServer(int* fd) { return connectTo(ip_, port_, timeoutMs_, wakeFd_, fd); }

// ---- server ----

namespace {

using Clock = std::chrono::steady_clock;

// Bytes one connection may take before the others get their turn.
constexpr uint64_t kReadBudget = 8 << 20;

int msUntil(Clock::time_point at, Clock::time_point now) {
  if (at <= now) return 0;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at - now).count() + 1;
  return static_cast<int>(std::min<int64_t>(ms, 1 << 30));
}

void drainWake(int fd) {
  uint64_t count = 0;
  ssize_t n = read(fd, &count, sizeof count);
  (void)n;  // non-blocking: nothing to read is fine
}

}  // namespace

struct ServerBase::Peer {
  Peer(int fd, const sockaddr_in& from, const WireFormat& format, MessageBlocks* blocks, int timeoutMs)
      : fd(fd), port(ntohs(from.sin_port)), reader(format, blocks), timeout(timeoutMs) {
    inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    start = lastProgress = Clock::now();
  }
  // The whole-message deadline: the header within the time-out, then the body at the floor rate.
  Clock::time_point deadline() const {
    auto body = std::chrono::milliseconds(static_cast<int64_t>(reader.bodyBytes() * 1000 / kFloorRate));
    return start + timeout + body;
  }
  // The earlier of the deadline and the end of the allowed silence.
  Clock::time_point expiry() const { return std::min(deadline(), lastProgress + timeout); }

  int fd;
  char text[INET_ADDRSTRLEN] = "?";
  int port;
  MessageReader reader;
  std::chrono::milliseconds timeout;
  Clock::time_point start;
  Clock::time_point lastProgress;
};

int ServerBase::start(uint16_t port, uint16_t timeoutMs, const std::function<void()>& configure) {
  std::lock_guard<std::mutex> control(control_);
  if (running()) return OSTREL_E_STATE;
  int fd = -1;
  int rc = listenOn(port, 8, &fd);
  if (rc != 0) {
    OSTREL_LOG("listen on port %d failed: %d", port, rc);
    return rc;
  }
  int wake = makeWakeFd();
  int room = makeWakeFd();
  if (wake < 0 || room < 0) {
    close(fd);
    if (wake >= 0) close(wake);
    if (room >= 0) close(room);
    return OSTREL_E_NO_MEMORY;
  }
  listenFd_ = fd;
  wakeFd_ = wake;
  roomFd_ = room;
  timeoutMs_ = effectiveTimeout(timeoutMs);
  throttled_ = false;
  configure();
  running_.store(true, std::memory_order_release);
  // Start returns once both threads run, so a stop right after it never waits for a thread that
  // has yet to be scheduled for the first time.
  int entered = 0;
  std::condition_variable enteredCv;
  auto enter = [&] {
    std::lock_guard<std::mutex> lock(readyMutex_);
    ++entered;
    enteredCv.notify_all();
  };
  try {
    receiver_ = std::thread([this, enter] {
      enter();
      receiveLoop();
    });
    deliverer_ = std::thread([this, enter] {
      enter();
      deliverLoop();
    });
  } catch (const std::system_error&) {
    stopThreads();
    return OSTREL_E_NO_MEMORY;
  }
  std::unique_lock<std::mutex> lock(readyMutex_);
  enteredCv.wait(lock, [&] { return entered == 2; });
  return 0;
}

int ServerBase::stop() {
  std::lock_guard<std::mutex> control(control_);
  if (!receiver_.joinable()) return 0;
  if (deliverer_.get_id() == std::this_thread::get_id()) return OSTREL_E_STATE;
  stopThreads();
  std::list<void*> kept;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    kept.swap(kept_);
  }
  for (void* m : kept) blocks_.give(m);
  blocks_.clear();
  return 0;
}

void ServerBase::stopThreads() {
  {
    // Under the lock, so the deliverer between its check and its wait cannot miss the change.
    std::lock_guard<std::mutex> lock(readyMutex_);
    running_.store(false, std::memory_order_release);
  }
  readyCv_.notify_all();
  // Closing a listener does not wake a poll blocked on it; the wake descriptor does, and it also
  // cuts off every receive in progress.
  signalWake(wakeFd_);
  if (receiver_.joinable()) receiver_.join();
  if (deliverer_.joinable()) deliverer_.join();
  for (Arrival& a : ready_) blocks_.give(a.message);
  ready_.clear();
  close(listenFd_);
  close(wakeFd_);
  close(roomFd_);
  listenFd_ = wakeFd_ = roomFd_ = -1;
}

void ServerBase::freeData(void* message) {
  if (!message) return;
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (*it == message) {
      kept_.erase(it);
      blocks_.give(message);
      return;
    }
  }
}

bool ServerBase::roomToAccept(size_t peers) {
  if (peers >= kMaxPeers) return false;
  std::lock_guard<std::mutex> lock(readyMutex_);
  throttled_ = ready_.size() >= kMaxWaiting;
  return !throttled_;
}

void ServerBase::receiveLoop() {
  OSTREL_LOG_AS("work_loop", "work_loop enter");
  std::vector<std::unique_ptr<Peer>> peers;
  std::vector<pollfd> fds;
  while (running()) {
    const bool room = roomToAccept(peers.size());
    fds.clear();
    fds.push_back({wakeFd_, POLLIN, 0});
    fds.push_back({roomFd_, POLLIN, 0});
    fds.push_back({room ? listenFd_ : -1, POLLIN, 0});  // poll skips a negative descriptor
    Clock::time_point next = blocks_.trim(Clock::now());
    for (auto& p : peers) {
      fds.push_back({p->fd, POLLIN, 0});
      next = std::min(next, p->expiry());
    }
    const int timeout = next == Clock::time_point::max() ? -1 : msUntil(next, Clock::now());
    if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
      OSTREL_LOG_AS("work_loop", "poll failed: %s", strerror(errno));
      break;
    }
    if (fds[0].revents || !running()) break;
    if (fds[1].revents) drainWake(roomFd_);
    const auto now = Clock::now();
    for (size_t i = 0; i < peers.size(); ++i) {
      Peer& p = *peers[i];
      bool open = fds[3 + i].revents ? serve(p) : true;
      if (open && now >= p.expiry()) {
        OSTREL_LOG_AS("recvData", "client %s:%d too slow: %llu of %llu bytes after %lld ms", p.text, p.port,
                      static_cast<unsigned long long>(p.reader.receivedBytes()),
                      static_cast<unsigned long long>(p.reader.bodyBytes() + (p.reader.headerWhole() ? PUSH_HEADER_SIZE : 0)),
                      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - p.start).count()));
        finish(p, OSTREL_E_REPLY);
        open = false;
      }
      if (!open) peers[i].reset();
    }
    peers.erase(std::remove(peers.begin(), peers.end(), nullptr), peers.end());
    if (room && fds[2].revents) acceptPeers(peers);
  }
  // Stop cuts off what is still arriving; those messages are lost as a broken connection's are.
  for (auto& p : peers) finish(*p, OSTREL_E_REPLY);
  OSTREL_LOG_AS("work_loop", "work_loop leave");
}

void ServerBase::acceptPeers(std::vector<std::unique_ptr<Peer>>& peers) {
  while (peers.size() < kMaxPeers) {
    sockaddr_in from{};
    socklen_t fromLen = sizeof from;
    int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&from), &fromLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // nothing waiting (or out of descriptors: the backlog keeps them for later)
    }
    std::unique_ptr<Peer> peer;
    try {
      peer = std::make_unique<Peer>(fd, from, format_, &blocks_, timeoutMs_);
    } catch (const std::bad_alloc&) {
      close(fd);
      return;
    }
    OSTREL_LOG_AS("work_loop", "accept client %s:%d", peer->text, peer->port);
    // The peer has usually sent its message right after connecting: take it without a round
    // through poll.
    if (serve(*peer)) peers.push_back(std::move(peer));
  }
}

bool ServerBase::serve(Peer& peer) {
  const uint64_t before = peer.reader.receivedBytes();
  MessageReader::State s = peer.reader.readFrom(peer.fd, kReadBudget);
  if (peer.reader.receivedBytes() != before) peer.lastProgress = Clock::now();
  switch (s) {
    case MessageReader::State::Reading: return true;
    case MessageReader::State::Whole: finish(peer, 0); return false;
    case MessageReader::State::Failed: finish(peer, peer.reader.status()); return false;
  }
  return false;
}

void ServerBase::finish(Peer& peer, int rc) {
  OSTREL_LOG_AS("recvData", "recvData, ret %d", rc);
  close(peer.fd);
  peer.fd = -1;
  void* message = rc == 0 ? peer.reader.release() : nullptr;
  if (!message) {
    OSTREL_LOG_AS("work_loop", "recv client %s:%d, null", peer.text, peer.port);
    return;
  }
  Arrival a{message, {}, peer.port};
  memcpy(a.peer, peer.text, sizeof a.peer);
  {
    std::lock_guard<std::mutex> lock(readyMutex_);
    ready_.push_back(a);
  }
  readyCv_.notify_one();
}

void ServerBase::deliverLoop() {
  for (;;) {
    Arrival a{};
    bool wasThrottled = false;
    {
      std::unique_lock<std::mutex> lock(readyMutex_);
      readyCv_.wait(lock, [this] { return !running() || !ready_.empty(); });
      if (!running()) return;
      a = ready_.front();
      ready_.pop_front();
      wasThrottled = std::exchange(throttled_, false);
    }
    if (wasThrottled) signalWake(roomFd_);
    received(a.peer, a.port, a.message);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      kept_.push_back(a.message);
    }
    deliver(a.message);
  }
}

}  // namespace ostrel::push
