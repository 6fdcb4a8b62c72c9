#include "preview/TempStreamChannel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "alg/frame/Compress.h"
#include "foundation/ByteOrder.h"
#include "foundation/Logger.h"
#include "link/TcpDeadline.h"

namespace ostrel::sdk {

namespace {
constexpr int kReceiverTimeoutMs = 2000;  // fixed: does not follow Ostrel_SetTimeout

// Byte offsets of the head fields the check reads.
constexpr size_t kHeadWidth = 0, kHeadHeight = 2, kHeadPackedSize = 4, kHeadScale = 12;
}  // namespace

TempHeadCheck checkTempFrameHead(const uint8_t* data, size_t length, int width, int height) {
  TempHeadCheck c;
  if (data == nullptr || length < kTempHeadSize) return c;
  c.width = bytes::readU16(data, length, kHeadWidth);
  c.height = bytes::readU16(data, length, kHeadHeight);
  c.packedSize = bytes::readI32(data, length, kHeadPackedSize);
  c.scale = bytes::readU16(data, length, kHeadScale);
  const int64_t raw = int64_t{2} * c.width * c.height;
  if (c.width == 0 || c.height == 0 || c.width > kTempMaxSide || c.height > kTempMaxSide || c.scale == 0 ||
      c.packedSize < 0 || c.packedSize >= raw)
    return c;
  c.packed = c.packedSize > 0;
  c.payloadBytes = c.packed ? static_cast<size_t>(c.packedSize) : static_cast<size_t>(raw);
  c.verdict = (c.width == width && c.height == height) ? TempHeadVerdict::Frame : TempHeadVerdict::OtherSize;
  return c;
}

int FrameRecverTcp::connect(uint32_t ip, uint16_t port) {
  disconnect();
  int fd = tcp::openSocket();
  if (fd < 0) return OSTREL_E_SOCKET;
  {
    std::lock_guard<std::mutex> lk(fdMutex_);
    if (shutDown_) {
      ::close(fd);
      return OSTREL_E_STATE;
    }
    fd_ = fd;  // published first, so shutdown() can interrupt the connect
  }
  const auto deadline = tcp::Clock::now() + std::chrono::milliseconds(kReceiverTimeoutMs);
  if (tcp::connectTo(fd, ip, port, deadline) != 0) {
    disconnect();
    return OSTREL_E_CONNECT;
  }
  return 0;
}

void FrameRecverTcp::disconnect() {
  std::lock_guard<std::mutex> lk(fdMutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void FrameRecverTcp::shutdown() {
  std::lock_guard<std::mutex> lk(fdMutex_);
  shutDown_ = true;
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

bool FrameRecverTcp::readExact(int fd, void* buffer, size_t size) {
  // The bound is on silence, not on the whole frame: a large frame may take longer to arrive.
  const auto deadline = tcp::Clock::now() + std::chrono::milliseconds(kReceiverTimeoutMs);
  return tcp::recvAll(fd, static_cast<uint8_t*>(buffer), size, deadline, kReceiverTimeoutMs) == size;
}

bool FrameRecverTcp::discard(int fd, size_t size) {
  uint8_t sink[4096];
  while (size > 0) {
    size_t chunk = size < sizeof sink ? size : sizeof sink;
    if (!readExact(fd, sink, chunk)) return false;
    size -= chunk;
  }
  return true;
}

int FrameRecverTcp::recv(PreviewFrame* record) {
  int fd;
  {
    std::lock_guard<std::mutex> lk(fdMutex_);
    fd = fd_;
  }
  if (fd < 0) return OSTREL_E_STATE;
  auto* headBytes = reinterpret_cast<uint8_t*>(record->head);
  if (!readExact(fd, headBytes, kTempHeadSize)) {
    OSTREL_LOG_AS("FrameRecverTcp", "recv header error, %d", errno);
    return OSTREL_E_REPLY;
  }
  const TempHeadCheck c = checkTempFrameHead(headBytes, kTempHeadSize, width_, height_);
  // An implausible head means the stream lost its framing: reconnect, since a new connection
  // starts at a frame boundary.
  if (c.verdict == TempHeadVerdict::Implausible) {
    OSTREL_LOG_AS("FrameRecverTcp", "implausible header, width %d, height %d, packed %d, scale %d", c.width,
                  c.height, c.packedSize, c.scale);
    ++dropped;
    return OSTREL_E_REPLY;
  }
  if (c.verdict == TempHeadVerdict::OtherSize) {
    OSTREL_LOG_AS("FrameRecverTcp", "invalid header, width %d, height %d", c.width, c.height);
    ++dropped;
    if (!discard(fd, c.payloadBytes)) {
      OSTREL_LOG_AS("FrameRecverTcp", "recv data error");
      return OSTREL_E_REPLY;
    }
    return OSTREL_E_MISMATCH;
  }
  const size_t pixels = static_cast<size_t>(c.width) * c.height;
  if (!c.packed) {
    if (!readExact(fd, record->data, pixels * 2)) {
      OSTREL_LOG_AS("FrameRecverTcp", "recv data error");
      return OSTREL_E_REPLY;
    }
  } else {
    // Below 2 x pixels bytes (the check made sure), so it fits the record's work area.
    if (!readExact(fd, record->work, c.payloadBytes)) {
      OSTREL_LOG_AS("FrameRecverTcp", "recv data error");
      return OSTREL_E_REPLY;
    }
    if (alg::uncompressBounded(reinterpret_cast<const uint8_t*>(record->work), c.payloadBytes, record->data,
                               pixels) != 0) {
      ++dropped;
      return OSTREL_E_MISMATCH;
    }
  }
  ++received;
  return 0;
}

}  // namespace ostrel::sdk
