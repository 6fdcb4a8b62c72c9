// The machinery both push services share: a client worker that delivers queued items newest
// first, and a server that receives whole messages from several connections side by side, keeps
// them and hands them on one at a time. The alarm and business-data objects derive from these and
// add their wire format.
#pragma once

#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "push/PushWire.h"

namespace ostrel::push {

// Failed deliveries wait this long before the next attempt, so a server that is down is not
// flooded and the log and callback do not spin.
constexpr int kRetryPauseMs = 1000;

// Items ordered newest first. An item taken out for delivery and put back after a failure goes
// back to the place its age gives it: behind everything posted meanwhile, ahead of the older ones.
template <class T>
class NewestFirstQueue {
 public:
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void push(T item) { entries_.push_front(Entry{++lastSeq_, std::move(item)}); }
  bool take(T& item, uint64_t& seq) {
    if (entries_.empty()) return false;
    item = std::move(entries_.front().item);
    seq = entries_.front().seq;
    entries_.pop_front();
    return true;
  }
  void putBack(T item, uint64_t seq) {
    auto at = std::find_if(entries_.begin(), entries_.end(), [seq](const Entry& e) { return e.seq < seq; });
    entries_.insert(at, Entry{seq, std::move(item)});
  }
  void clear() { entries_.clear(); }

 private:
  struct Entry {
    uint64_t seq;
    T item;
  };
  std::deque<Entry> entries_;
  uint64_t lastSeq_ = 0;
};

// Thread, wake descriptor, lock and pauses of a client. The derived class keeps its queues under
// mutex_ and implements work().
class ClientBase {
 public:
  ClientBase() = default;
  ClientBase(const ClientBase&) = delete;
  ClientBase& operator=(const ClientBase&) = delete;
  virtual ~ClientBase() = default;  // the derived destructor calls stop()

  // 0 started; -7 running; -8 ip not a dotted IPv4 address; -5 no thread or descriptor.
  // `configure` runs under the control lock before the thread starts (store callback and limits).
  int start(const char* ip, size_t ipCapacity, uint16_t port, uint16_t timeoutMs,
            const std::function<void()>& configure);
  // Ends the worker and calls dropQueued(). 0; -7 from the worker itself.
  int stop();
  bool running() const { return running_.load(std::memory_order_acquire); }

 protected:
  // The worker's body; returns when running() turns false.
  virtual void work() = 0;
  // Frees every queued item (called after the worker has ended).
  virtual void dropQueued() = 0;

  // Pauses up to ms; false when the client is stopping.
  bool pause(int ms);
  // Waits up to ms until hasWork() (checked under mutex_) or stop.
  void idle(int ms, const std::function<bool()>& hasWork);
  // Wakes an idle worker after a post.
  void notifyPosted() { cv_.notify_all(); }
  // Connects to the server: 0 and *fd, or -100 / -99.
  int connectServer(int* fd);
  int wakeFd() const { return wakeFd_; }
  int timeoutMs() const { return timeoutMs_; }

  std::mutex mutex_;  // guards the derived class's queues

 private:
  std::mutex control_;  // serialises start and stop
  std::condition_variable cv_;
  std::atomic<bool> running_{false};
  std::thread thread_;
  int wakeFd_ = -1;
  in_addr ip_{};
  uint16_t port_ = 0;
  int timeoutMs_ = 0;
};

// How many connections a server receives from side by side. A peer that stalls holds one of them
// only until its deadline; the rest keep serving everyone else. A connection costs a descriptor
// and a 512-byte header area until its header has passed the check.
constexpr size_t kMaxPeers = 16;
// Whole messages waiting for the callback: while this many wait, no new connection is accepted,
// so a slow callback holds memory to a bound instead of queueing without end.
constexpr size_t kMaxWaiting = 16;
// After its header, a message must keep at least this average rate (bytes per second) for the
// rest of it: 16 MiB may take 16 s beyond the header's time-out.
constexpr uint64_t kFloorRate = 1 << 20;

// Listener, threads, wake descriptors and kept list of a server. A receiving thread takes the
// bytes of up to kMaxPeers connections as they come, each under a whole-message deadline (the
// header within the time-out, the body at kFloorRate or better, and no silence longer than the
// time-out); a delivering thread hands the whole messages to the derived class one at a time in
// the order they completed, so a callback never delays a receive.
class ServerBase {
 public:
  explicit ServerBase(const WireFormat& format) : format_(format) {}
  ServerBase(const ServerBase&) = delete;
  ServerBase& operator=(const ServerBase&) = delete;
  virtual ~ServerBase() = default;  // the derived destructor calls stop()

  // 0; -7 running; -96 the port cannot be bound; -5 no thread or descriptor.
  int start(uint16_t port, uint16_t timeoutMs, const std::function<void()>& configure);
  // Closes the listener, cuts off every receive in progress, ends both threads, frees the
  // messages not yet delivered and every kept one. 0; -7 from a callback.
  int stop();
  // Removes the message from the kept list and frees it; unknown pointers are left alone.
  void freeData(void* message);
  bool running() const { return running_.load(std::memory_order_acquire); }

 protected:
  // Logs the message and does what must happen before it is kept (saving). Delivering thread.
  virtual void received(const char* peer, int port, void* message) = 0;
  // Hands the kept message to the user's callback. Delivering thread.
  virtual void deliver(void* message) = 0;

 private:
  struct Peer;
  struct Arrival {
    void* message;
    char peer[INET_ADDRSTRLEN];
    int port;
  };

  void receiveLoop();
  void deliverLoop();
  // Accepts waiting connections while there is room; reads what each new one already holds.
  void acceptPeers(std::vector<std::unique_ptr<Peer>>& peers);
  // Reads from the peer; false once its receive has ended (whole or failed).
  bool serve(Peer& peer);
  // Closes the connection, logs the result and passes a whole message on.
  void finish(Peer& peer, int rc);
  bool roomToAccept(size_t peers);
  void stopThreads();

  const WireFormat& format_;
  MessageBlocks blocks_;
  std::mutex control_;  // serialises start and stop
  std::mutex mutex_;    // guards kept_
  std::list<void*> kept_;
  std::mutex readyMutex_;  // guards ready_ and throttled_
  std::condition_variable readyCv_;
  std::deque<Arrival> ready_;
  bool throttled_ = false;  // the receiver waits for ready_ to shrink
  std::atomic<bool> running_{false};
  std::thread receiver_;
  std::thread deliverer_;
  int listenFd_ = -1;
  int wakeFd_ = -1;  // stop
  int roomFd_ = -1;  // ready_ shrank below kMaxWaiting
  int timeoutMs_ = 0;
};

}  // namespace ostrel::push
