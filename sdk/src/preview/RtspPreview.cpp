#include <chrono>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/Logger.h"
#include "preview/VideoPreview.h"

namespace ostrel::sdk {

namespace {
// A source that keeps failing would otherwise have its code called back as fast as the library
// returns it.
constexpr int kFailurePauseMs = 100;
}  // namespace

RtspPreviewInput::~RtspPreviewInput() {
  stop();
  Rtsp_Close(&stream_);
  FrameQueue_Free(queue_);
  render::videoRelease(&renderer_);
}

int RtspPreviewInput::open(const RtspRequest& request, uint32_t decoderCode, const PreviewInfo& info) {
  callback_ = info.callback;
  userData_ = info.userData;
  wantPlane_ = request.wantPlane;
  RtspOpenConfig cfg{};
  cfg.options = request.options;
  cfg.codec = decoderCode;
  stream_ = Rtsp_Open(request.url.c_str(), &cfg);
  if (!stream_) return OSTREL_E_WORKER;
  width_ = cfg.width;
  height_ = cfg.height;
  const size_t pixels = static_cast<size_t>(width_) * height_;
  bool ok = pixels > 0 && pixels <= kMaxPreviewPixels;
  if (ok) {
    try {
      snapshot_.resize(8 * pixels);
    } catch (...) {
      ok = false;
    }
  }
  if (ok) queue_ = FrameQueue_CreateRtsp(width_, height_);
  ok = ok && queue_ && render::videoCreate(&renderer_, width_, height_,
                                           reinterpret_cast<unsigned long>(info.window)) == 0;
  if (!ok) {
    Rtsp_Close(&stream_);
    FrameQueue_Free(queue_);
    queue_ = nullptr;
    render::videoRelease(&renderer_);
    return OSTREL_E_WORKER;
  }
  return 0;
}

int RtspPreviewInput::start() {
  running_ = true;
  try {
    worker_ = std::thread([this] { worker(); });
  } catch (...) {
    running_ = false;
    return OSTREL_E_WORKER;
  }
  return 0;
}

void RtspPreviewInput::stop() {
  running_ = false;
  {
    std::lock_guard<std::mutex> lk(sleepMutex_);
    sleepCv_.notify_all();
  }
  if (worker_.joinable()) worker_.join();
}

bool RtspPreviewInput::sleepFor(int ms) {
  std::unique_lock<std::mutex> lk(sleepMutex_);
  return !sleepCv_.wait_for(lk, std::chrono::milliseconds(ms), [&] { return !running_.load(); });
}

void RtspPreviewInput::worker() {
  while (running_) {
    PreviewFrame* f = queue_->beginFill();
    auto* extra = static_cast<uint8_t*>(f->extra);
    bytes::putU16(extra + 4, static_cast<uint16_t>(width_));
    bytes::putU16(extra + 6, static_cast<uint16_t>(height_));
    int rc = Rtsp_Read(stream_, reinterpret_cast<uint8_t*>(f->image), wantPlane_ ? extra + kRtspPlaneOffset : nullptr);
    if (rc != 0) {
      ++failures;
      if (callback_) callback_(rc, nullptr, userData_);
      sleepFor(kFailurePauseMs);
      continue;
    }
    if (paused_) continue;
    render::videoUpdate(&renderer_, f->image);
    if (callback_) callback_(0, f, userData_);
    ++delivered;
    queue_->commit();
    std::lock_guard<std::mutex> lk(lock_);
    lastDelivered_ = f;
  }
}

int RtspPreviewInput::beginSave(const char* path) {
  std::lock_guard<std::mutex> lk(lock_);
  if (recordState_ != 0) return OSTREL_E_FAILED;
  int rc = Rtsp_BeginSave(stream_, path);
  if (rc == 0) recordState_ = 2;
  return rc;
}

int RtspPreviewInput::endSave() {
  std::lock_guard<std::mutex> lk(lock_);
  if (recordState_ == 0) return OSTREL_E_STATE;
  recordState_ = 0;
  return Rtsp_EndSave(stream_);
}

int RtspPreviewInput::snapshot(const char* path) {
  std::lock_guard<std::mutex> lk(lock_);
  if (!lastDelivered_) return OSTREL_E_STATE;
  const size_t bytes = size_t{4} * width_ * height_;
  std::memcpy(snapshot_.data(), lastDelivered_->image, bytes);
  return render::saveBgra(reinterpret_cast<const uint32_t*>(snapshot_.data()), width_, height_,
                          snapshot_.data() + bytes, bytes, path) == 0
             ? 0
             : OSTREL_E_FAILED;
}

}  // namespace ostrel::sdk
