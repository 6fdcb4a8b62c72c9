// The camera's snapshot port (TCP 55505 by default): on every connection it sends one complete
// radiometric picture at once and closes: a 32-byte head {n, width, height}, the TEMP block of the
// frame, then a 24-bit BMP picture of the same frame. Everything is laid out by byte offset.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "camsim/TcpServer.h"

namespace camsim {

constexpr uint16_t kSnapshotPort = 55505;

// Misbehaviour on demand; may be changed between test steps.
struct SnapshotFaults {
  int widthDelta = 0;            // the head announces width + widthDelta
  bool tooShortForTemp = false;  // the head's n is smaller than head + TEMP block
  bool closeMidTransfer = false; // send half the message, then close
  int32_t missingBytes = 0;      // announce this many more bytes than are sent
  bool splitWrites = false;      // 1-byte writes (the head and the first 4096 bytes)
};

class SnapshotServer {
 public:
  SnapshotServer(const std::string& address, uint16_t port, const std::string& cameraId, uint16_t width,
                 uint16_t height);

  int start() { return server_.start(); }
  void stop() { server_.stop(); }
  uint64_t connectionCount() const { return server_.connectionCount(); }

  void setFaults(const SnapshotFaults& f);
  // The capture time (FILETIME) written into the block's head; 0 asks the receiver to fill it.
  void setCaptureTime(int64_t filetime);

  // The code at (x, y) of the serial-th snapshot served (serial counts from 0).
  static int16_t code(int x, int y, uint32_t serial) { return int16_t(2000 + x + 3 * y + 100 * int(serial)); }
  static constexpr int64_t kDefaultCaptureTime = 133000000000000000LL;
  // Snapshots served so far (the next one gets this serial).
  uint32_t served() const;
  // The whole message of snapshot `serial` without faults, as it would go out.
  std::vector<uint8_t> message(uint32_t serial) const;
  // The BMP picture part alone.
  std::vector<uint8_t> picture(uint32_t serial) const;

 private:
  void serve(int fd);

  std::string cameraId_;
  uint16_t width_, height_;
  mutable std::mutex mutex_;
  SnapshotFaults faults_;                        // guarded by mutex_
  int64_t captureTime_ = kDefaultCaptureTime;    // guarded by mutex_
  uint32_t served_ = 0;                          // guarded by mutex_
  TcpServer server_;
};

}  // namespace camsim
