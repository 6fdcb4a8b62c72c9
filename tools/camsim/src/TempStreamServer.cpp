#include "camsim/TempStreamServer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>

#include "foundation/ByteOrder.h"

namespace camsim {

namespace {

using ostrel::bytes::putU16;
using ostrel::bytes::putU32;

// The head's 64-bit time, as two little-endian halves.
void putTime(uint8_t* p, uint64_t v) {
  putU32(p, static_cast<uint32_t>(v));
  putU32(p + 4, static_cast<uint32_t>(v >> 32));
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
  putTime(h + 32, fileTimeNow());
  putU32(h + 40, 28750);
  ostrel::bytes::putF32(h + 52, 1.0f);  // emissivity
}

}  // namespace

void FrameContent::codes(const TempStreamConfig& c, uint32_t n, std::vector<int16_t>& out) {
  if (c.scene == Scene::Room) {
    RoomScene::codes(c.width, c.height, n, c.scale, c.offset, out);
    return;
  }
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

TempStreamServer::TempStreamServer(TempStreamConfig config)
    : config_(std::move(config)), paced_(config_.paced), listener_(config_.address, config_.port, [this](int fd) {
        serve(fd);
      }) {}

TempStreamServer::~TempStreamServer() { stop(); }

int TempStreamServer::start() { return listener_.start(); }

void TempStreamServer::stop() { listener_.stop(); }

void TempStreamServer::setFault(StreamFault fault, int param) {
  if (fault == StreamFault::RefuseConnections) {
    listener_.refuseFor(param);
    return;
  }
  std::lock_guard<std::mutex> lk(mutex_);
  fault_ = fault;
  faultParam_ = param;
}

bool TempStreamServer::sendFrame(int fd, uint32_t n, std::vector<int16_t>& codes, std::vector<uint8_t>& wire) {
  StreamFault fault;
  int param;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    fault = fault_;
    param = faultParam_;
    fault_ = StreamFault::None;
  }
  if (fault != StreamFault::None) faultCv_.notify_all();
  const int w = config_.width, h = config_.height;
  const size_t pixels = static_cast<size_t>(w) * h;
  uint8_t head[128];
  switch (fault) {
    case StreamFault::WrongSizeHead: {
      const int hw = w / 2, hh = h / 2;
      writeHead(head, hw, hh, 0, static_cast<uint16_t>(n), config_.scale, config_.offset);
      std::vector<uint8_t> payload(static_cast<size_t>(hw) * hh * 2, 0x10);
      return StreamListener::sendAll(fd, head, 128) && StreamListener::sendAll(fd, payload.data(), payload.size());
    }
    case StreamFault::PackedSizeOutOfRange:
      writeHead(head, w, h, static_cast<int32_t>(2 * pixels + 100), static_cast<uint16_t>(n), config_.scale,
                config_.offset);
      return StreamListener::sendAll(fd, head, 128);
    case StreamFault::ScaleZero:
      writeHead(head, w, h, 0, static_cast<uint16_t>(n), 0, config_.offset);
      return StreamListener::sendAll(fd, head, 128);
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
    putTime(head + 32, static_cast<uint64_t>(config_.headTimeBase + static_cast<int64_t>(n) * config_.headTimeStep));
  head[25] = digitalInput_.at(n);
  if (!StreamListener::sendAll(fd, head, 128)) return false;
  if (fault == StreamFault::CloseMidFrame) {
    StreamListener::sendAll(fd, wire.data(), wire.size() / 2);
    return false;
  }
  return StreamListener::sendAll(fd, wire.data(), wire.size());
}

void TempStreamServer::serve(int fd) {
  using Clock = std::chrono::steady_clock;
  std::vector<int16_t> codes;
  std::vector<uint8_t> wire;
  const auto period = std::chrono::microseconds(1000000 / std::max(1, config_.fps));
  auto next = Clock::now();
  while (listener_.running()) {
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
}

}  // namespace camsim
