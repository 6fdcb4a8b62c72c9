// Helpers of the push tests: temporary folders, the Python peer as a child process, callback
// inboxes and a log-line counter, each waiting for its event under a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace ostrel::test {

using Clock = std::chrono::steady_clock;

// Everything a test waits for is bounded by this (longer under the sanitizers).
constexpr int kWaitMs = 60000;

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> names() const;  // sorted entries

 private:
  std::string path_;
};

std::vector<uint8_t> readBytes(const std::string& path);
// n pseudo-random bytes from a seed.
std::vector<uint8_t> noise(size_t n, uint32_t seed);
// A blocking TCP connection to 127.0.0.1:port; -1 when refused.
int connectLoopback(int port);
void writeBytes(const std::string& path, const void* data, size_t length);
// Runs a shell command; its exit status and standard output.
int runCommand(const std::string& cmd, std::string* output = nullptr);
std::string pythonQuote(const std::string& s);
int64_t nowFileTimeForTest();

// The peer script (push_peer.py) under /usr/bin/python3, its standard output read line by line.
class PeerProcess {
 public:
  explicit PeerProcess(const std::vector<std::string>& args);
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;
  bool readLine(std::string& line, int timeoutMs = kWaitMs);
  // The next line as JSON (discarded JSON on time-out).
  nlohmann::json readJson(int timeoutMs = kWaitMs);
  // Exit status once the peer has ended; -1 when it has not ended within the time-out.
  int wait(int timeoutMs = kWaitMs);

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::string pending_;
};

// The peer serving `count` messages; its listening port is read from its first line.
struct ServingPeer {
  ServingPeer(const std::string& kind, int port, int count, const std::string& dir);
  PeerProcess process;
  int port = 0;
};
// Sends one message built from `message` and waits for the peer to finish; true when it did.
bool peerSend(const std::string& kind, int port, const nlohmann::json& message);

// One callback call: its result, a copy of the message (the header or the whole message) and
// the pointer it carried.
struct PushEvent {
  int result;
  std::vector<uint8_t> bytes;
  void* message;
  Clock::time_point at;
};

class Inbox {
 public:
  void add(int result, const void* message, size_t copyBytes);
  bool waitFor(size_t count, int timeoutMs = kWaitMs);
  std::vector<PushEvent> events();
  size_t size();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<PushEvent> events_;
};

// Captures the SDK logger's lines (instead of its day files) while alive.
class LogTap {
 public:
  LogTap();
  ~LogTap();
  // Times of the lines containing `needle`.
  std::vector<Clock::time_point> times(const std::string& needle);
  bool waitFor(const std::string& needle, size_t count, int timeoutMs = kWaitMs);
};

// Milliseconds between two time points.
inline double msBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace ostrel::test
