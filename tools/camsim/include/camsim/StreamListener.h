// The accepting side of the simulator's stream ports (temperature, video, mixed): a listener on
// one loopback address and port whose connections each get their own thread, because a stream
// never ends on its own. Unlike TcpServer it can close its listening socket for a while, so that
// connections are refused and a client's recovery can be tested.
#pragma once

#include <atomic>
#include <cstddef>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camsim {

class StreamListener {
 public:
  // Serves one connection on its own thread; the listener closes fd after it returns.
  using Handler = std::function<void(int fd)>;

  StreamListener(std::string address, uint16_t port, Handler handler);
  ~StreamListener();
  StreamListener(const StreamListener&) = delete;
  StreamListener& operator=(const StreamListener&) = delete;

  // Binds and starts accepting; 0, or -errno (-EINVAL for an address outside 127.0.0.0/8).
  int start();
  // Closes the listener, shuts every connection down and joins every thread. Idempotent.
  void stop();
  bool running() const { return running_.load(); }
  // Ends every open connection and refuses new ones for ms milliseconds; returns once the
  // listening socket is closed.
  void refuseFor(int ms);
  // Connections accepted since construction.
  int connections() const { return connections_.load(); }

  // For handlers: sends every byte (MSG_NOSIGNAL); false once the peer or stop() ended the
  // connection.
  static bool sendAll(int fd, const uint8_t* data, size_t size);

 private:
  int openSocket();
  void acceptLoop();

  std::string address_;
  uint16_t port_;
  Handler handler_;
  std::atomic<bool> running_{false};
  std::atomic<int> connections_{0};
  int listenFd_ = -1;  // owned by the accepting thread while it runs
  int wakeFds_[2] = {-1, -1};
  std::thread acceptThread_;
  std::mutex mutex_;
  std::condition_variable refusedCv_;
  std::vector<std::thread> clients_;  // guarded by mutex_
  std::vector<int> clientFds_;        // guarded by mutex_
  int refuseMs_ = -1;                 // guarded by mutex_; a pending refuseFor, -1 when none
};

}  // namespace camsim
