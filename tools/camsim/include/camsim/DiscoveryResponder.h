// The simulated camera's side of discovery: answers searches on UDP 55501 and applies
// set-address requests. Messages are encoded from the protocol's byte offsets, independently of
// the SDK's structs.
#pragma once

#include <netinet/in.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camsim {

struct DiscoveryIdentity {
  std::string cameraId;  // at most 32 bytes on the wire
  std::string cameraName = "camsim";
  std::string cameraType = "SIM640";
  std::string softwareId = "camsim-1.0";
  uint16_t dataWidth = 640;
  uint16_t dataHeight = 512;
  uint16_t dataFps = 25;
  uint32_t ipv4 = 0x7F000001;  // reported address, first octet in the most significant byte
};

struct DiscoveryFaults {
  bool answerToSender = true;        // answer searches of mode 0 (to the searching socket)
  bool answerToReplyPort = true;     // answer searches of mode 1 (broadcast to 55511)
  bool strayFirst = false;           // send an unrelated datagram before every answer
  bool shortReplyFirst = false;      // send a reply cut off after 100 bytes before every answer
  bool foreignConfirmation = false;  // confirm a set-address with another camera's id
  bool noConfirmation = false;       // apply a set-address without confirming it
  int floodPerSecond = 0;            // after a search, repeat the reply at this rate until the next search
  int floodSeconds = 5;              // for at most this long
};

struct DiscoveryResponderConfig {
  DiscoveryIdentity identity;
  DiscoveryFaults faults;
  // Where mode-1 answers and confirmations are broadcast (255.255.255.255 on a real network;
  // 127.255.255.255 keeps them on a host's loopback).
  uint32_t broadcastAddr = 0xFFFFFFFFu;
  // The camera's whole 216-byte basic record at the time of each answer; when set it replaces the
  // fields of `identity`, so discovery lists exactly what a login returns.
  std::function<std::vector<uint8_t>()> basicRecord;
  // When not 0 (host order, in 127.0.0.0/8): searches from outside loopback are ignored and every
  // answer leaves from this address, so a camera of a host's simulator set answers as itself.
  uint32_t localAddr = 0;
};

class DiscoveryResponder {
 public:
  explicit DiscoveryResponder(DiscoveryResponderConfig config);
  ~DiscoveryResponder();
  DiscoveryResponder(const DiscoveryResponder&) = delete;
  DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

  // Binds 0.0.0.0:55501 (shared with other responders) and starts the thread. true when running.
  bool start();
  void stop();

  int searchesSeen() const { return searches_.load(); }
  int setAddressSeen() const { return setAddresses_.load(); }
  // Source address (host order) of the last search, 0 before the first.
  uint32_t lastSearchSource() const { return lastSource_.load(); }
  // The 52 network bytes of the last set-address request addressed to this camera.
  std::array<uint8_t, 52> networkRecord() const;
  bool hasNetworkRecord() const;
  // Wait for what the responder's thread counts; true when it happened within timeoutMs.
  bool waitForSearches(int n, int timeoutMs) const;
  bool waitForNetworkRecord(int timeoutMs) const;

 private:
  void run();
  void answer(uint32_t mode, const sockaddr_in& from);
  void buildReply(uint8_t* out) const;
  void sendTo(const void* data, size_t len, uint32_t addr, uint16_t port);

  DiscoveryResponderConfig config_;
  int fd_ = -1;
  int sendFd_ = -1;  // fd_, or a socket bound to localAddr
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::atomic<int> searches_{0};
  std::atomic<int> setAddresses_{0};
  std::atomic<uint32_t> lastSource_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable seen_;  // notified after each search or applied record
  std::array<uint8_t, 52> network_{};  // guarded by mutex_
  bool hasNetwork_ = false;            // guarded by mutex_
};

}  // namespace camsim
