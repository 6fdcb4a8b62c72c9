// TCP client steps bounded by deadlines, shared by every camera channel (the command channel,
// the temperature stream). Sockets are non-blocking; every wait is a poll that ends at the
// deadline, so a silent camera can never hold a thread longer than its bound, and a
// shutdown(2) from another thread wakes any wait at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace ostrel::sdk::tcp {

using Clock = std::chrono::steady_clock;

// Milliseconds left until t, at least 0.
int msUntil(Clock::time_point t);

// A descriptor closed when the holder goes.
struct Socket {
  int fd = -1;
  Socket() = default;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket();
};

// A new non-blocking, close-on-exec TCP socket, or -1.
int openSocket();

// Waits for events on fd until deadline; true when they came.
bool waitFor(int fd, short events, Clock::time_point deadline);

// Connects fd (from openSocket) to ip (host order):port before deadline. "Writable" alone is not
// "connected": SO_ERROR tells. 0, or -99 (OSTREL_E_CONNECT).
int connectTo(int fd, uint32_t ip, uint16_t port, Clock::time_point deadline);

// Sends all bytes before deadline; false on a failure or a time-out.
bool sendAll(int fd, const uint8_t* p, size_t n, Clock::time_point deadline);

// Receives exactly n bytes before deadline; returns the count received (n on success, less when
// the peer closed, the read failed or the deadline passed). With idleMs > 0 the deadline moves
// to idleMs after every arrival, so it bounds the silence between bytes instead of the whole read.
size_t recvAll(int fd, uint8_t* p, size_t n, Clock::time_point deadline, int idleMs = 0);

}  // namespace ostrel::sdk::tcp
