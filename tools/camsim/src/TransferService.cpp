#include "camsim/TransferService.h"

#include <sys/socket.h>

#include <algorithm>
#include <chrono>

#include "camsim/Wire.h"
#include "camsim/XCaliSim.h"

namespace camsim {

namespace {
constexpr int kIdleMs = 30000;
constexpr int64_t kMaxUpload = int64_t(1) << 30;  // a camera refuses anything larger
constexpr int64_t kRecvChunk = 1 << 20;
}  // namespace

void TransferService::setFaults(const TransferFaults& f) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_ = f;
}

TransferFaults TransferService::faults() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_;
}

void TransferService::putFile(int32_t fileType, std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_[fileType] = std::move(bytes);
}

void TransferService::putBlock(int32_t blockType, std::vector<uint8_t> bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  blocks_[blockType] = std::move(bytes);
}

bool TransferService::file(int32_t fileType, std::vector<uint8_t>* out) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = files_.find(fileType);
  if (it == files_.end()) return false;
  *out = it->second;
  return true;
}

bool TransferService::block(int32_t blockType, std::vector<uint8_t>* out) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = blocks_.find(blockType);
  if (it == blocks_.end()) return false;
  *out = it->second;
  return true;
}

int32_t TransferService::fileParam(int32_t fileType) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = params_.find(fileType);
  return it == params_.end() ? -1 : it->second;
}

uint64_t TransferService::finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

uint64_t TransferService::bytesAfterRefusal() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return refusedBytes_;
}

bool TransferService::waitFinished(uint64_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return finished_ >= n; });
}

void TransferService::done(uint64_t refusedBytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++finished_;
  refusedBytes_ += refusedBytes;
  cv_.notify_all();
}

void TransferService::upload(const TcpServer& server, int fd, int64_t length, const TransferFaults& f,
                             std::vector<uint8_t>* out, bool* complete) {
  *complete = false;
  const int64_t take = f.closeMidTransfer ? length / 2 : length;
  // Grown as the bytes come: zeroing a large block up front would keep the peer waiting.
  out->clear();
  while (int64_t(out->size()) < take) {
    const size_t at = out->size();
    const size_t k = size_t(std::min<int64_t>(take - int64_t(at), kRecvChunk));
    out->resize(at + k);
    if (!server.recvAll(fd, out->data() + at, k, kIdleMs)) return;
  }
  *complete = !f.closeMidTransfer;
}

void TransferService::download(const TcpServer& server, int fd, uint16_t replyType,
                               const std::vector<uint8_t>* bytes, const TransferFaults& f) {
  uint8_t reply[12] = {};
  putU16(reply, replyType);
  putU16(reply + 2, 12);
  const bool refuse = f.status < 0 || !bytes;
  putI32(reply + 4, refuse ? (f.status < 0 ? f.status : -1) : 0);
  const int64_t size = bytes ? int64_t(bytes->size()) : 0;
  putI32(reply + 8, refuse ? 0 : f.negativeLength ? -1 : int32_t(size + f.missingBytes));
  const size_t chunk = f.splitWrites ? 1 : 0;
  if (!server.sendAll(fd, reply, sizeof reply, chunk) || refuse || f.negativeLength) return;
  const size_t send = f.closeMidTransfer ? size_t(size / 2) : size_t(size);
  if (send > 0) server.sendAll(fd, bytes->data(), send, chunk);
}

void TransferService::serve(const TcpServer& server, int fd, const uint8_t* msg, size_t size) {
  const TransferFaults f = faults();
  const uint16_t type = readU16(msg, size, 0);
  uint64_t refused = 0;
  if ((type == 35 || type == 80) && size == 12) {
    const bool isFile = type == 35;
    const int32_t kind = isFile ? int32_t(readU16(msg, size, 4)) : readI32(msg, size, 4);
    const int32_t param = isFile ? int32_t(readU16(msg, size, 6)) : 0;
    const int64_t length = readI32(msg, size, 8);
    uint8_t reply[8] = {};
    putU16(reply, uint16_t(type + 1));
    putU16(reply + 2, 8);
    const bool refuse = f.status < 0 || length < 0 || length > kMaxUpload;
    putI32(reply + 4, refuse ? (f.status < 0 ? f.status : -1) : 0);
    if (server.sendAll(fd, reply, sizeof reply, f.splitWrites ? 1 : 0)) {
      if (refuse) {
        // Whatever the peer still sends is counted: after a refusal it must send nothing.
        uint8_t sink[4096];
        while (server.waitReadable(fd, kIdleMs)) {
          const ssize_t got = ::recv(fd, sink, sizeof sink, 0);
          if (got <= 0) break;
          refused += uint64_t(got);
        }
      } else {
        std::vector<uint8_t> data;
        bool complete = false;
        upload(server, fd, length, f, &data, &complete);
        if (complete) {
          std::lock_guard<std::mutex> lock(mutex_);
          if (isFile) {
            files_[kind] = std::move(data);
            params_[kind] = param;
          } else if (kind == 9 && blocks_.count(8) != 0) {
            // An XCali update patches the calibration block the next download serves.
            applyXCaliUpdate(&blocks_[8], data);
            blocks_[kind] = std::move(data);
          } else {
            blocks_[kind] = std::move(data);
          }
        }
      }
    }
  } else if ((type == 50 || type == 78) && size == 8) {
    const int32_t kind = readI32(msg, size, 4);
    std::vector<uint8_t> bytes;
    const bool have = type == 50 ? file(kind, &bytes) : block(kind, &bytes);
    download(server, fd, uint16_t(type + 1), have ? &bytes : nullptr, f);
  }
  done(refused);
}

}  // namespace camsim
