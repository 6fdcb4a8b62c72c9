// The camera's side of the four transfer exchanges on the command port (file upload 35, file
// download 50, memory download 78, memory upload 80): a status reply, then the raw bytes. The
// camera keeps one stored file per file type and one block per block type.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "camsim/TcpServer.h"

namespace camsim {

// Misbehaviour on demand; may be changed between test steps.
struct TransferFaults {
  int32_t status = 0;            // the reply's status; negative: the camera refuses
  bool closeMidTransfer = false; // stop after half the data bytes and close
  int32_t missingBytes = 0;      // downloads: announce this many more bytes than are sent
  bool splitWrites = false;      // send replies and data in 1-byte writes
  bool negativeLength = false;   // downloads: announce a length of -1
};

class TransferService {
 public:
  static bool isRequest(uint16_t type) { return type == 35 || type == 50 || type == 78 || type == 80; }

  // Serves one exchange whose request (msg, size bytes, already logged) arrived on fd.
  void serve(const TcpServer& server, int fd, const uint8_t* msg, size_t size);

  void setFaults(const TransferFaults& f);
  TransferFaults faults() const;

  void putFile(int32_t fileType, std::vector<uint8_t> bytes);
  void putBlock(int32_t blockType, std::vector<uint8_t> bytes);
  // Stored bytes; false when there are none for the type.
  bool file(int32_t fileType, std::vector<uint8_t>* out) const;
  bool block(int32_t blockType, std::vector<uint8_t>* out) const;
  // The fileParam of the last complete upload of fileType (-1 when none).
  int32_t fileParam(int32_t fileType) const;

  // Exchanges finished (complete or not) and data bytes that arrived after a refusal.
  uint64_t finished() const;
  uint64_t bytesAfterRefusal() const;
  // Waits until n exchanges have finished; true when they did within timeoutMs.
  bool waitFinished(uint64_t n, int timeoutMs) const;

 private:
  void upload(const TcpServer& server, int fd, int64_t length, const TransferFaults& f,
              std::vector<uint8_t>* out, bool* complete);
  void download(const TcpServer& server, int fd, uint16_t replyType, const std::vector<uint8_t>* bytes,
                const TransferFaults& f);
  void done(uint64_t refusedBytes);

  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  TransferFaults faults_;                             // guarded by mutex_
  std::map<int32_t, std::vector<uint8_t>> files_;     // guarded by mutex_
  std::map<int32_t, std::vector<uint8_t>> blocks_;    // guarded by mutex_
  std::map<int32_t, int32_t> params_;                 // guarded by mutex_
  uint64_t finished_ = 0, refusedBytes_ = 0;          // guarded by mutex_
};

}  // namespace camsim
