#include "push/PushCore.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <system_error>

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
  if (wake < 0) {
    close(fd);
    return OSTREL_E_NO_MEMORY;
  }
  listenFd_ = fd;
  wakeFd_ = wake;
  timeoutMs_ = effectiveTimeout(timeoutMs);
  configure();
  running_.store(true, std::memory_order_release);
  try {
    thread_ = std::thread([this] { loop(); });
  } catch (const std::system_error&) {
    running_.store(false);
    close(listenFd_);
    close(wakeFd_);
    listenFd_ = wakeFd_ = -1;
    return OSTREL_E_NO_MEMORY;
  }
  return 0;
}

int ServerBase::stop() {
  std::lock_guard<std::mutex> control(control_);
  if (!thread_.joinable()) return 0;
  if (thread_.get_id() == std::this_thread::get_id()) return OSTREL_E_STATE;
  running_.store(false, std::memory_order_release);
  // Closing a listener does not wake a poll or accept blocked on it; the wake descriptor does,
  // and it also ends a receive in progress.
  signalWake(wakeFd_);
  thread_.join();
  close(listenFd_);
  close(wakeFd_);
  listenFd_ = wakeFd_ = -1;
  std::list<void*> kept;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    kept.swap(kept_);
  }
  for (void* m : kept) std::free(m);
  return 0;
}

void ServerBase::freeData(void* message) {
  if (!message) return;
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (*it == message) {
      kept_.erase(it);
      std::free(message);
      return;
    }
  }
}

size_t ServerBase::keptCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return kept_.size();
}

void ServerBase::loop() {
  OSTREL_LOG_AS("work_loop", "work_loop enter");
  while (running()) {
    Io w = waitFor(listenFd_, POLLIN, wakeFd_, -1);
    if (w == Io::Woken || !running()) break;
    if (w != Io::Done) continue;
    sockaddr_in peer{};
    socklen_t peerLen = sizeof peer;
    int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &peerLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) continue;
    accepted_.fetch_add(1);
    char peerText[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &peer.sin_addr, peerText, sizeof peerText);
    int peerPort = ntohs(peer.sin_port);
    OSTREL_LOG_AS("work_loop", "accept client %s:%d", peerText, peerPort);

    void* message = nullptr;
    int rc = receive(fd, wakeFd_, timeoutMs_, &message);
    OSTREL_LOG_AS("recvData", "recvData, ret %d", rc);
    close(fd);
    if (rc != 0 || !message) {
      std::free(message);
      OSTREL_LOG_AS("work_loop", "recv client %s:%d, null", peerText, peerPort);
      continue;
    }
    received(peerText, peerPort, message);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      kept_.push_back(message);
    }
    deliver(message);
  }
  OSTREL_LOG_AS("work_loop", "work_loop leave");
}

}  // namespace ostrel::push
