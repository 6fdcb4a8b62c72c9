#include "preview/VideoPreview.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/Logger.h"
#include "frame/SdkState.h"
#include "link/TcpDeadline.h"

namespace ostrel::sdk {

namespace {
constexpr int kStreamTimeoutMs = 2000;
constexpr int kRecoverIntervalMs = 1000;
constexpr int kRecoverTries = 10;  // connected but unusable attempts before the recovery starts over
}  // namespace

H264DecConfig decoderSetupFromStart(const uint8_t* start, uint32_t codec, int width, int height) {
  H264DecConfig c{};
  c.codec = codec;
  c.width = static_cast<uint16_t>(width);
  c.height = static_cast<uint16_t>(height);
  c.fpsNum = bytes::readU16(start, kH264StartSize, 128);
  c.fpsDen = bytes::readU16(start, kH264StartSize, 130);
  // The length is the camera's word: a negative one would reach the copy as a huge size.
  const int32_t length = bytes::readI32(start, kH264StartSize, 0);
  c.extraLength = std::clamp<int32_t>(length, 0, kH264SetupMax);
  std::memcpy(c.extra, start + 8, static_cast<size_t>(c.extraLength));
  return c;
}

// ---- VideoPreviewInput ------------------------------------------------------------------------

VideoPreviewInput::~VideoPreviewInput() {
  stop();
  {
    std::lock_guard<std::mutex> lk(lock_);
    if (recording_) H264Dec_EndSave(decoder_);
    recording_ = false;
  }
  H264Dec_Free(&decoder_);
  closeSocket();
}

void VideoPreviewInput::closeSocket() {
  std::lock_guard<std::mutex> lk(fdMutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int VideoPreviewInput::connectAndReadStart(uint8_t* start, bool logFailure) {
  int fd = tcp::openSocket();
  if (fd < 0) return -1;
  {
    std::lock_guard<std::mutex> lk(fdMutex_);
    if (shutDown_) {
      ::close(fd);
      return -1;
    }
    fd_ = fd;  // published, so a stop can wake the waits below
  }
  const auto deadline = tcp::Clock::now() + std::chrono::milliseconds(kStreamTimeoutMs);
  if (tcp::connectTo(fd, camera_.ip, camera_.port, deadline) != 0) {
    closeSocket();
    return -2;
  }
  const size_t got = tcp::recvAll(fd, start, kH264StartSize, deadline, kStreamTimeoutMs);
  if (got != kH264StartSize) {
    if (logFailure) OSTREL_LOG_AS("VideoPreviewInput", "recv H264FrameStart error, %d", errno);
    closeSocket();
    return -3;
  }
  return fd;
}

int VideoPreviewInput::open(const PreviewCamera& camera, int dataType, FrameQueue* queue,
                            render::VideoRenderer* renderer, const PreviewInfo& info) {
  camera_ = camera;
  dataType_ = dataType;
  queue_ = queue;
  renderer_ = renderer;
  callback_ = info.callback;
  userData_ = info.userData;
  width_ = queue->width;
  height_ = queue->height;
  auto* start = static_cast<uint8_t*>(queue_->at(queue_->write)->extra);
  if (connectAndReadStart(start, true) < 0) return OSTREL_E_WORKER;
  const uint32_t codec = dataType == PREVIEW_VIDEO ? static_cast<uint32_t>(sdkConfig().decoder) : 0;
  H264DecConfig cfg = decoderSetupFromStart(start, codec, width_, height_);
  decoder_ = H264Dec_Create();
  if (!decoder_ || H264Dec_SetConfig(decoder_, &cfg) < 0) {
    H264Dec_Free(&decoder_);
    closeSocket();
    return OSTREL_E_WORKER;
  }
  return 0;
}

int VideoPreviewInput::start() {
  running_ = true;
  try {
    worker_ = std::thread([this] { worker(); });
  } catch (...) {
    running_ = false;
    return OSTREL_E_WORKER;
  }
  return 0;
}

void VideoPreviewInput::stop() {
  running_ = false;
  {
    std::lock_guard<std::mutex> lk(sleepMutex_);
    sleepCv_.notify_all();
  }
  {
    std::lock_guard<std::mutex> lk(fdMutex_);
    shutDown_ = true;
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
  }
  if (worker_.joinable()) worker_.join();
}

bool VideoPreviewInput::sleepFor(int ms) {
  std::unique_lock<std::mutex> lk(sleepMutex_);
  return !sleepCv_.wait_for(lk, std::chrono::milliseconds(ms), [&] { return !running_.load(); });
}

int VideoPreviewInput::beginSave(const char* path) {
  std::lock_guard<std::mutex> lk(lock_);
  if (lost_) return OSTREL_E_STATE;
  if (recording_) H264Dec_EndSave(decoder_);
  recording_ = false;
  int rc = H264Dec_BeginSave(decoder_, path);
  recording_ = rc == 0;
  return rc;
}

int VideoPreviewInput::endSave() {
  std::lock_guard<std::mutex> lk(lock_);
  if (!recording_) return 0;
  recording_ = false;
  return H264Dec_EndSave(decoder_);
}

void VideoPreviewInput::loseConnection() {
  closeSocket();
  lost_ = true;
  if (running_ && callback_) {
    ++lostCount;
    callback_(OSTREL_E_CONN_LOST, nullptr, userData_);
  }
}

// A fresh socket for every attempt: a socket whose connect failed, or one connected to a camera
// that sent an unusable start record, cannot be connected again.
void VideoPreviewInput::recover() {
  int tries = 0;
  uint8_t start[kH264StartSize];
  while (running_) {
    if (!sleepFor(kRecoverIntervalMs)) break;
    int fd = connectAndReadStart(start, false);
    if (fd == -2) continue;  // not connected: not counted
    if (fd >= 0 && bytes::readU16(start, sizeof start, 132) == width_ &&
        bytes::readU16(start, sizeof start, 134) == height_) {
      lost_ = false;
      break;
    }
    if (fd >= 0) closeSocket();
    if (++tries > kRecoverTries) {
      OSTREL_LOG_AS("VideoPreviewInput", "recover tryCount exceed");
      ++recoverGiveUps;
      break;
    }
  }
  if (lost_) {
    closeSocket();
    return;
  }
  if (running_ && callback_) {
    ++restoredCount;
    callback_(OSTREL_E_CONN_RESTORED, nullptr, userData_);
  }
}

bool VideoPreviewInput::receiveOne() {
  int fd;
  {
    std::lock_guard<std::mutex> lk(fdMutex_);
    fd = fd_;
  }
  PreviewFrame* f = queue_->beginFill();
  auto* extra = static_cast<uint8_t*>(f->extra);
  const auto deadline = tcp::Clock::now() + std::chrono::milliseconds(kStreamTimeoutMs);
  if (fd < 0 || tcp::recvAll(fd, extra, kH264HeaderSize, deadline, kStreamTimeoutMs) != kH264HeaderSize) {
    if (dataType_ == PREVIEW_VIDEO)
      OSTREL_LOG_AS("VideoPreviewInput", "recv H264FrameHeader error, %d", errno);
    else
      OSTREL_LOG_AS("MixPreview", "recv H264FrameHeader error");
    return false;
  }
  const int32_t total = bytes::readI32(extra, kH264HeaderSize, 0);
  if (total < static_cast<int32_t>(kH264HeaderSize) || static_cast<uint32_t>(total) > queue_->payloadCapacity) {
    OSTREL_LOG_AS("VideoPreviewInput", "invalid H264FrameHeader, Size %d, Width %d, Height %d", total,
                  bytes::readU16(extra, kH264HeaderSize, 4), bytes::readU16(extra, kH264HeaderSize, 6));
    return false;
  }
  const size_t length = static_cast<size_t>(total) - kH264HeaderSize;
  uint8_t* payload = extra + kH264HeaderSize;
  if (length > 0 && tcp::recvAll(fd, payload, length, deadline, kStreamTimeoutMs) != length) {
    OSTREL_LOG_AS("VideoPreviewInput", "recv data error");
    return false;
  }
  auto* image = reinterpret_cast<uint8_t*>(f->image);
  if (H264Dec_Decode(decoder_, payload, static_cast<int>(length), image) == 0) {
    lastPicture_ = f;
  } else if (lastPicture_ && lastPicture_ != f) {
    // No new picture (an empty unit, a unit that does not decode): the record would show the
    // picture of 16 frames ago, so it gets the last decoded one.
    std::memcpy(image, lastPicture_->image, size_t{4} * width_ * height_);
    lastPicture_ = f;
  }
  {
    std::lock_guard<std::mutex> lk(lock_);
    if (recording_) H264Dec_SavePacket(decoder_, payload, static_cast<int>(length));
  }
  if (!paused_) {
    if (renderer_) render::videoUpdate(renderer_, f->image);
    if (callback_) callback_(0, f, userData_);
    ++delivered;
    queue_->commit();
  }
  return true;
}

void VideoPreviewInput::worker() {
  while (running_) {
    if (lost_) {
      recover();
      continue;
    }
    if (!receiveOne() && running_) loseConnection();
  }
}

}  // namespace ostrel::sdk
