// A TCP listener on one loopback address and port served by a fixed set of worker threads, each
// blocking in accept and handling one connection at a time (no thread is created per connection,
// which keeps an exchange in the tens of microseconds).
// The building block of every simulated camera port (command channel now; preview streams and
// snapshots can reuse it). stop() is immediate: handlers wait through waitReadable/sendAll, which
// also watch a wake-up descriptor.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace camsim {

// True when text is a dotted IPv4 address in 127.0.0.0/8; the simulator binds nothing else.
bool isLoopbackAddress(const std::string& text);

// A listening TCP socket (close-on-exec, address reuse) on a loopback address and port; the
// descriptor, or -errno (-EINVAL for an address outside 127.0.0.0/8).
int openLoopbackListener(const std::string& address, uint16_t port, int backlog);

class TcpServer {
 public:
  // Runs on the connection's own thread; the server closes fd after it returns.
  using Handler = std::function<void(int fd)>;

  // Connections served at the same time; further ones wait in the listen backlog.
  static constexpr int kWorkers = 16;

  TcpServer(std::string address, uint16_t port, Handler handler);
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Binds and starts listening; 0, or -errno (-EINVAL for a non-loopback address).
  int start();
  // Closes the listener and every connection, joins all threads. Idempotent.
  void stop();
  bool running() const { return running_.load(); }
  // Connections accepted since construction.
  uint64_t connectionCount() const { return connections_.load(); }

  // For handlers: waits until fd is readable; false on stop or after timeoutMs (-1: no limit).
  bool waitReadable(int fd, int timeoutMs) const;
  // For handlers: receives exactly n bytes; false on close, error or stop.
  bool recvAll(int fd, uint8_t* p, size_t n, int timeoutMs) const;
  // For handlers: sends all bytes (MSG_NOSIGNAL); chunk > 0 splits into writes of that size.
  bool sendAll(int fd, const uint8_t* p, size_t n, size_t chunk = 0) const;
  // For handlers: sleeps up to ms; false when the server stops meanwhile.
  bool sleepFor(int ms) const;

 private:
  void workerLoop();

  std::string address_;
  uint16_t port_;
  Handler handler_;
  int listenFd_ = -1;
  int wakeFd_ = -1;  // eventfd, readable once stop() runs
  std::atomic<bool> running_{false};
  std::atomic<uint64_t> connections_{0};
  std::vector<std::thread> workers_;
  std::mutex connMutex_;
  std::set<int> active_;  // connections being served; guarded by connMutex_
};

}  // namespace camsim
