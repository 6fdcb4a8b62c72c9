#include "preview/TempPreview.h"

#include <chrono>
#include <cstring>

#include "foundation/Logger.h"
#include "frame/SdkState.h"

namespace ostrel::sdk {

namespace {
constexpr int kRecoverIntervalMs = 1000;
}  // namespace

// ---- PreviewTempInput -------------------------------------------------------------------

int PreviewTempInput::open(const PreviewCamera& camera, FrameQueue* queue, int transform, bool twoThread,
                           bool colouring, render::TempRenderer* renderer, const PreviewInfo& info,
                           const uint32_t* palette) {
  camera_ = camera;
  queue_ = queue;
  renderer_ = renderer;
  callback_ = info.callback;
  userData_ = info.userData;
  transform_ = transform;
  twoThread_ = twoThread;
  colouring_ = colouring;
  width_ = camera.basic.dataWidth;
  height_ = camera.basic.dataHeight;
  palette_ = palette;
  const size_t pixels = static_cast<size_t>(width_) * height_;
  if (twoThread_) handoff_ = new (std::nothrow) FrameHandoff;
  receiver_ = new (std::nothrow) FrameRecverTcp(width_, height_);
  stretch_ = strCreate();
  mask_.assign(pixels, 0);
  if ((twoThread_ && !handoff_) || !receiver_ || !stretch_) return OSTREL_E_WORKER;
  // The recorder writes frames as delivered: transforms 1 and 3 swap their sides.
  const bool swapped = transform_ == 1 || transform_ == 3;
  if (recorder_.open(camera_, swapped ? height_ : width_, swapped ? width_ : height_, sdkConfig().encoder) != 0)
    return OSTREL_E_WORKER;
  if (receiver_->connect(camera_.ip, camera_.port) != 0) return OSTREL_E_WORKER;
  if (camera_.destrip.type != 0) {
    camera_.destrip.width = static_cast<uint16_t>(width_);
    camera_.destrip.height = static_cast<uint16_t>(height_);
    destrip_ = IRDestrip_Create();
    if (destrip_ && IRDestrip_SetConfig(destrip_, &camera_.destrip) != 0) IRDestrip_Free(&destrip_);
    const auto& d = camera_.destrip;
    OSTREL_LOG_AS("TempPreviewInput",
                  "!enableDestrip %.32s, type %d, s0_radius %d, s0_regular %d, s1_radius %d, s1_regular %d, sub_y %d, "
                  "sub_t %d",
                  camera_.basic.cameraId, d.type, d.s0_radius, d.s0_regular, d.s1_radius, d.s1_regular, d.sub_y,
                  d.sub_t);
  }
  if (camera_.denoise.type != 0) {
    camera_.denoise.width = static_cast<uint16_t>(width_);
    camera_.denoise.height = static_cast<uint16_t>(height_);
    denoise_ = IRDenoise_Create();
    if (denoise_ && IRDenoise_SetConfig(denoise_, &camera_.denoise) != 0) IRDenoise_Free(&denoise_);
    OSTREL_LOG_AS("TempPreviewInput", "!enableDenoise %.32s, type %d, gf_radius %d, gf_regular %d",
                  camera_.basic.cameraId, camera_.denoise.type, camera_.denoise.gf_radius, camera_.denoise.gf_regular);
  }
  return 0;
}

PreviewTempInput::~PreviewTempInput() {
  stop();
  delete handoff_;
  delete receiver_;
  strFree(stretch_);
  IRDestrip_Free(&destrip_);
  IRDenoise_Free(&denoise_);
}

int PreviewTempInput::start(const char* cameraId) {
  running_ = true;
  try {
    if (twoThread_) {
      OSTREL_LOG_AS("TempPreviewInput", "!enableThread2 %.32s", cameraId);
      worker_ = std::thread([this] { receiveThread(); });
      second_ = std::thread([this] { deliverThread(); });
    } else if (transform_ > 0) {
      worker_ = std::thread([this] { transformWorker(); });
    } else {
      worker_ = std::thread([this] { delayWorker(); });
    }
  } catch (...) {
    stop();
    return OSTREL_E_THREAD;
  }
  return 0;
}

bool PreviewTempInput::isWorkerThread() const {
  auto self = std::this_thread::get_id();
  return self == worker_.get_id() || self == second_.get_id();
}

void PreviewTempInput::stop() {
  running_ = false;
  {
    std::lock_guard<std::mutex> lk(sleepMutex_);
    sleepCv_.notify_all();
  }
  if (receiver_) receiver_->shutdown();
  if (handoff_) handoff_->stop();  // a receiver blocked in a push goes on and sees the stop
  if (worker_.joinable()) worker_.join();
  if (handoff_) handoff_->pushEnd();  // the delivering thread takes the end marker and ends
  if (second_.joinable()) second_.join();
}

void PreviewTempInput::setPalette(const uint32_t* colours) {
  palette_ = colours;
  if (renderer_) render::tempSetPalette(renderer_, colours);
}

bool PreviewTempInput::sleepFor(int ms) {
  std::unique_lock<std::mutex> lk(sleepMutex_);
  return !sleepCv_.wait_for(lk, std::chrono::milliseconds(ms), [&] { return !running_.load(); });
}

void PreviewTempInput::recover() {
  while (running_) {
    if (!sleepFor(kRecoverIntervalMs)) break;
    if (receiver_->connect(camera_.ip, camera_.port) == 0) {
      lost_ = false;
      if (running_ && callback_) {
        ++restoredCount;
        callback_(OSTREL_E_CONN_RESTORED, nullptr, userData_);
      }
      return;
    }
  }
  receiver_->disconnect();
}

PreviewFrame* PreviewTempInput::receiveOne() {
  if (lost_) {
    recover();
    return nullptr;
  }
  PreviewFrame* f = queue_->beginFill();
  int rc = receiver_->recv(f);
  if (rc == OSTREL_E_REPLY) {
    receiver_->disconnect();
    lost_ = true;
    if (running_ && callback_) {
      ++lostCount;
      callback_(OSTREL_E_CONN_LOST, nullptr, userData_);
    }
    return nullptr;
  }
  if (rc != 0) return nullptr;
  maskStep(f);
  return f;
}

void PreviewTempInput::maskStep(PreviewFrame* f) {
  if (!maskEnabled_) return;
  const size_t pixels = static_cast<size_t>(f->head->width) * f->head->height;
  if (pixels != mask_.size()) return;
  if (maskCaptured_) {
    for (size_t i = 0; i < pixels; ++i)
      f->data[i] = static_cast<int16_t>(static_cast<uint16_t>(f->data[i]) - static_cast<uint16_t>(mask_[i]));
  } else {
    std::memcpy(mask_.data(), f->data, pixels * 2);
    maskCaptured_ = true;
  }
}

// Only the two-thread mode filters. The model probe turns that mode on for exactly the cameras
// whose frames need destripe or denoise, and those filters cost enough per frame that one thread
// could not also colour and deliver within a frame period: the receiving thread filters while the
// delivering thread colours. The transform variant zeroes both filter records, and the one-thread
// modes keep their per-frame work to what one thread can do at the camera's rate.
void PreviewTempInput::filterStep(PreviewFrame* f) {
  if (f->head->kind != 2) return;
  const int w = f->head->width, h = f->head->height;
  if (destrip_ && w == camera_.destrip.width && h == camera_.destrip.height) {
    // The stripe estimate is refreshed on the first frame and then every sub_t-th frame: the
    // state counts the frames itself when asked to keep its cadence.
    IRDestrip_Execute(destrip_, f->data, w, h, 1);
  }
  if (denoise_) IRDenoise_Execute(denoise_, f->data, w, h);
}

void PreviewTempInput::colourStep(PreviewFrame* f) {
  if (!colouring_) return;
  MtResult r{};
  if (mtGetResult_GMO(f->head, f->data, &r) >= 0) {
    auto* stats = static_cast<FrameStats*>(f->extra);
    stats->max = r.max;
    stats->min = r.min;
    stats->avg = r.avg;
    stats->maxX = r.maxX;
    stats->maxY = r.maxY;
    stats->minX = r.minX;
    stats->minY = r.minY;
  }
  const uint32_t* palette = palette_.load();
  if (palette) strTemp2Bgra(stretch_, f->data, f->head, f->image, palette);
}

void PreviewTempInput::deliver(PreviewFrame* f) {
  if (renderer_ && renderer_->presenter)
    render::tempUpdate(renderer_, f->image, static_cast<const FrameStats*>(f->extra));
  if (callback_) callback_(0, f, userData_);
  ++delivered;
}

void PreviewTempInput::transformWorker() {
  while (running_) {
    PreviewFrame* f = receiveOne();
    if (!f) continue;
    Alg_Transform(f->head, f->data, f->work, transform_);
    colourStep(f);
    recorder_.step(f);
    if (!paused_) {
      deliver(f);
      queue_->commit();
    }
  }
}

void PreviewTempInput::delayWorker() {
  while (running_) {
    PreviewFrame* f = receiveOne();
    if (!f) continue;
    colourStep(f);
    recorder_.step(f);
    if (paused_) continue;
    queue_->commit();
    const unsigned d = delay_;
    PreviewFrame* out = f;
    if (d != 0) {
      if (delayCount_ < 16) ++delayCount_;
      // From the 16th frame on, deliver the frame d frames older than the newest.
      if (delayCount_ >= 16) out = queue_->at(queue_->write - d - 1);
    }
    deliver(out);
  }
}

void PreviewTempInput::receiveThread() {
  while (running_) {
    PreviewFrame* f = receiveOne();
    if (!f) continue;
    filterStep(f);
    queue_->commit();
    if (!handoff_->push(f)) break;
  }
}

void PreviewTempInput::deliverThread() {
  for (;;) {
    PreviewFrame* f = handoff_->pop();
    if (!f) break;
    if (!running_) continue;  // drain until the end marker
    colourStep(f);
    recorder_.step(f);
    if (!paused_) deliver(f);
  }
}

}  // namespace ostrel::sdk
