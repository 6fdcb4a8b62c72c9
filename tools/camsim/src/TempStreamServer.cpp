#include "camsim/TempStreamServer.h"

#include "camsim/Wire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace camsim {

namespace {

void put64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool sendAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

uint64_t fileTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return (static_cast<uint64_t>(ts.tv_sec) + 11644473600ULL) * 10000000ULL + static_cast<uint64_t>(ts.tv_nsec) / 100;
}

// Stream head, byte offsets of the wire format.
void writeHead(uint8_t* h, int width, int height, int32_t packedSize, uint16_t index, int scale, int offset) {
  std::memset(h, 0, 128);
  putU16(h + 0, static_cast<uint16_t>(width));
  putU16(h + 2, static_cast<uint16_t>(height));
  putU32(h + 4, static_cast<uint32_t>(packedSize));
  h[8] = 2;  // temperature codes
  putU16(h + 10, index);
  putU16(h + 12, static_cast<uint16_t>(scale));
  putU16(h + 14, static_cast<uint16_t>(static_cast<int16_t>(offset)));
  putU32(h + 16, 30125);  // detector 30.125 degC
  putU32(h + 20, 28500);  // shell 28.5 degC
  put64(h + 32, fileTimeNow());
  putU32(h + 40, 28750);
  float emi = 1.0f;
  uint32_t bits;
  std::memcpy(&bits, &emi, 4);
  putU32(h + 52, bits);
}

}  // namespace

void FrameContent::codes(const TempStreamConfig& c, uint32_t n, std::vector<int16_t>& out) {
  out.resize(static_cast<size_t>(c.width) * c.height);
  const int base = 2500 + static_cast<int>(n % 50);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) out[static_cast<size_t>(y) * c.width + x] = static_cast<int16_t>(base + (x + y) % 4);
  auto spot = [&](int cx, int cy, int16_t plateau, int16_t centre) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        int x = cx + dx, y = cy + dy;
        if (x < 0 || y < 0 || x >= c.width || y >= c.height) continue;
        out[static_cast<size_t>(y) * c.width + x] = (dx == 0 && dy == 0) ? centre : plateau;
      }
  };
  spot(hotX(c, n), hotY(c), kHotPlateau, kHotCentre);
  spot(coldX(c), coldY(c), kColdSpot, kColdCentre);
}

int packFrame(const int16_t* values, int count, std::vector<uint8_t>& out) {
  if (count <= 0) return 0;
  out.assign(static_cast<size_t>(2) * count + 16, 0);
  size_t block = 8;
  putU16(&out[block], static_cast<uint16_t>(values[0]));
  size_t pos = block + 6;
  for (int i = 1; i < count; ++i) {
    int d = values[i] - values[i - 1];
    if (d >= -128 && d <= 127) {
      out[pos++] = static_cast<uint8_t>(static_cast<int8_t>(d));
      continue;
    }
    putU32(&out[block + 2], static_cast<uint32_t>(pos - block - 6));
    block = pos;
    putU16(&out[block], static_cast<uint16_t>(values[i]));
    pos = block + 6;
    if (pos + static_cast<size_t>(count - 1 - i) >= static_cast<size_t>(2) * count) return 0;
  }
  putU32(&out[block + 2], static_cast<uint32_t>(pos - block - 6));
  putU32(&out[0], static_cast<uint32_t>(2 * count));
  putU32(&out[4], static_cast<uint32_t>(pos));
  out.resize(pos);
  return static_cast<int>(pos);
}

TempStreamServer::TempStreamServer(TempStreamConfig config) : config_(std::move(config)), paced_(config_.paced) {}

TempStreamServer::~TempStreamServer() { stop(); }

int TempStreamServer::openListener() {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(config_.port);
  if (inet_pton(AF_INET, config_.address.c_str(), &sa.sin_addr) != 1) return -EINVAL;
  if ((ntohl(sa.sin_addr.s_addr) >> 24) != 127) return -EADDRNOTAVAIL;  // loopback only
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -errno;
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0 || ::listen(fd, 16) < 0) {
    int e = errno;
    ::close(fd);
    return -e;
  }
  listenFd_ = fd;
  return 0;
}

int TempStreamServer::start() {
  if (running_) return 0;
  if (::pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) < 0) return -errno;
  int rc = openListener();
  if (rc < 0) {
    ::close(wakeFds_[0]);
    ::close(wakeFds_[1]);
    wakeFds_[0] = wakeFds_[1] = -1;
    return rc;
  }
  running_ = true;
  acceptThread_ = std::thread([this] { acceptLoop(); });
  return 0;
}

void TempStreamServer::stop() {
  if (!running_.exchange(false)) return;
  (void)!::write(wakeFds_[1], "x", 1);
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> clients;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
    clients.swap(clients_);
  }
  for (auto& t : clients) t.join();
  int fd = listenFd_.exchange(-1);
  if (fd >= 0) ::close(fd);
  ::close(wakeFds_[0]);
  ::close(wakeFds_[1]);
  wakeFds_[0] = wakeFds_[1] = -1;
}

void TempStreamServer::setFault(StreamFault fault, int param) {
  std::lock_guard<std::mutex> lk(mutex_);
  fault_ = fault;
  faultParam_ = param;
  if (fault == StreamFault::RefuseConnections) {
    for (int fd : clientFds_) ::shutdown(fd, SHUT_RDWR);
    (void)!::write(wakeFds_[1], "r", 1);
  }
}

void TempStreamServer::acceptLoop() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point reopenAt{};
  while (running_) {
    pollfd fds[2] = {{wakeFds_[0], POLLIN, 0}, {listenFd_.load(), POLLIN, 0}};
    int timeout = -1;
    if (fds[1].fd < 0)
      timeout = static_cast<int>(std::max<int64_t>(
          0, std::chrono::duration_cast<std::chrono::milliseconds>(reopenAt - Clock::now()).count()));
    int n = ::poll(fds, fds[1].fd >= 0 ? 2 : 1, timeout);
    if (!running_) break;
    if (n < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      char buf[16];
      ssize_t got = ::read(wakeFds_[0], buf, sizeof buf);
      bool refuse = false;
      {
        std::lock_guard<std::mutex> lk(mutex_);
        if (fault_ == StreamFault::RefuseConnections && got > 0) {
          refuse = true;
          reopenAt = Clock::now() + std::chrono::milliseconds(faultParam_);
          fault_ = StreamFault::None;
        }
      }
      if (refuse) faultCv_.notify_all();
      if (refuse) {
        int fd = listenFd_.exchange(-1);
        if (fd >= 0) ::close(fd);
      }
      continue;
    }
    if (listenFd_ < 0) {
      if (Clock::now() >= reopenAt) openListener();
      continue;
    }
    if (!(fds[1].revents & POLLIN)) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ++connections_;
    std::lock_guard<std::mutex> lk(mutex_);
    clientFds_.push_back(fd);
    clients_.emplace_back([this, fd] { serve(fd); });
  }
}

bool TempStreamServer::sendFrame(int fd, uint32_t n, std::vector<int16_t>& codes, std::vector<uint8_t>& wire) {
  StreamFault fault;
  int param;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    fault = fault_;
    param = faultParam_;
    if (fault != StreamFault::RefuseConnections) fault_ = StreamFault::None;
  }
  if (fault != StreamFault::None && fault != StreamFault::RefuseConnections) faultCv_.notify_all();
  const int w = config_.width, h = config_.height;
  const size_t pixels = static_cast<size_t>(w) * h;
  uint8_t head[128];
  switch (fault) {
    case StreamFault::WrongSizeHead: {
      const int hw = w / 2, hh = h / 2;
      writeHead(head, hw, hh, 0, static_cast<uint16_t>(n), config_.scale, config_.offset);
      std::vector<uint8_t> payload(static_cast<size_t>(hw) * hh * 2, 0x10);
      return sendAll(fd, head, 128) && sendAll(fd, payload.data(), payload.size());
    }
    case StreamFault::PackedSizeOutOfRange:
      writeHead(head, w, h, static_cast<int32_t>(2 * pixels + 100), static_cast<uint16_t>(n), config_.scale,
                config_.offset);
      return sendAll(fd, head, 128);
    case StreamFault::ScaleZero:
      writeHead(head, w, h, 0, static_cast<uint16_t>(n), 0, config_.offset);
      return sendAll(fd, head, 128);
    case StreamFault::Stall:
      std::this_thread::sleep_for(std::chrono::milliseconds(param));
      break;
    default:
      break;
  }
  FrameContent::codes(config_, n, codes);
  bool packed = fault == StreamFault::BlockPastEnd ||
                (config_.packEvery > 0 && n % static_cast<uint32_t>(config_.packEvery) == 0);
  int32_t packedSize = 0;
  if (packed) {
    packedSize = packFrame(codes.data(), static_cast<int>(pixels), wire);
    if (packedSize > 0 && fault == StreamFault::BlockPastEnd) putU32(&wire[8 + 2], static_cast<uint32_t>(packedSize));
  }
  if (packedSize <= 0) {
    wire.resize(pixels * 2);
    for (size_t i = 0; i < pixels; ++i) putU16(&wire[2 * i], static_cast<uint16_t>(codes[i]));
  }
  writeHead(head, w, h, packedSize, static_cast<uint16_t>(n), config_.scale, config_.offset);
  if (config_.headTimeStep != 0)
    put64(head + 32, static_cast<uint64_t>(config_.headTimeBase + static_cast<int64_t>(n) * config_.headTimeStep));
  head[25] = digitalInput_.at(n);
  if (!sendAll(fd, head, 128)) return false;
  if (fault == StreamFault::CloseMidFrame) {
    sendAll(fd, wire.data(), wire.size() / 2);
    return false;
  }
  return sendAll(fd, wire.data(), wire.size());
}

void TempStreamServer::serve(int fd) {
  using Clock = std::chrono::steady_clock;
  std::vector<int16_t> codes;
  std::vector<uint8_t> wire;
  const auto period = std::chrono::microseconds(1000000 / std::max(1, config_.fps));
  auto next = Clock::now();
  while (running_) {
    uint32_t n = nextIndex_++;
    if (!sendFrame(fd, n, codes, wire)) break;
    ++framesSent_;
    if (paced_) {
      next += period;
      auto now = Clock::now();
      if (next < now - period) next = now;  // after a stall, keep the rate instead of bursting
      std::this_thread::sleep_until(next);
    }
  }
  std::lock_guard<std::mutex> lk(mutex_);
  clientFds_.erase(std::remove(clientFds_.begin(), clientFds_.end(), fd), clientFds_.end());
  ::close(fd);
}

}  // namespace camsim
