#include "preview/TempRecording.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <ctime>

#include "foundation/Logger.h"
#include "preview/TempPreview.h"

namespace ostrel::sdk {

namespace {
int64_t fileTimeNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return (static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100) + 116444736000000000LL;
}
}  // namespace

TempRecorder::~TempRecorder() {
  endStream();
  H264Enc_Free(&encoder_);
}

int TempRecorder::open(const PreviewCamera& camera, int width, int height, int encoderCode) {
  if (TempStream_Geometry(width, height, 1, 0x1000000, &geometry_) != 0) return OSTREL_E_WORKER;
  TempFileHead head{};
  std::memcpy(head.cameraId, camera.basic.cameraId, sizeof head.cameraId);
  static_assert(sizeof camera.fix <= sizeof head.fixInfo);
  std::memcpy(head.fixInfo, &camera.fix, sizeof camera.fix);
  head.fpsNum = camera.basic.dataFps;
  head.fpsDiv = static_cast<uint16_t>(camera.basic.dataRatio * camera.basic.sendRatio);
  head.paletteIndex = 5;
  head.version = 1;
  try {
    headArea_.resize(static_cast<size_t>(geometry_.firstFrame));
  } catch (...) {
    return OSTREL_E_WORKER;
  }
  if (TempStream_BuildHeadArea(&geometry_, &head, headArea_.data(), geometry_.firstFrame) != 0)
    return OSTREL_E_WORKER;
  encoder_ = H264Enc_Create();
  if (!encoder_) return OSTREL_E_WORKER;
  H264EncConfig cfg{};
  cfg.codec = static_cast<uint32_t>(encoderCode);
  cfg.width = static_cast<uint16_t>(width);
  cfg.height = static_cast<uint16_t>(height);
  cfg.fpsNum = camera.basic.dataFps;
  cfg.fpsDen = static_cast<uint16_t>(camera.basic.dataRatio * camera.basic.sendRatio);
  int rc = H264Enc_SetConfig(encoder_, &cfg);
  if (rc < 0) OSTREL_LOG_AS("TempPreviewInput", "H264Enc_SetConfig failed, %d", rc);
  return 0;
}

void TempRecorder::setFix(const FixInfoRecord& fix) {
  std::lock_guard<std::mutex> lk(mutex_);
  const size_t at = size_t(geometry_.headOffset) + offsetof(TempFileHead, fixInfo);
  static_assert(sizeof fix <= sizeof(TempFileHead::fixInfo));
  if (headArea_.size() >= at + sizeof fix) std::memcpy(headArea_.data() + at, &fix, sizeof fix);
}

int TempRecorder::beginStream(const char* path, int cadence) {
  if (cadence < -100 || cadence > 100) return OSTREL_E_ARGUMENT;
  if (!path || !*path) return OSTREL_E_OPEN;
  std::lock_guard<std::mutex> lk(mutex_);
  if (streamOn_) {
    writer_.close();
    streamOn_ = false;
  }
  const int64_t now = fileTimeNow();
  std::memcpy(headArea_.data() + geometry_.headOffset + 32, &now, sizeof now);
  int rc = writer_.create(path, geometry_, headArea_.data());
  if (rc == 0) {
    path_ = path;
    streamOn_ = true;
    streamResult_ = 0;
    cadence_ = cadence;
    gap_ = -static_cast<int64_t>(cadence) * 10000000;
    counter_ = 0;
    lastTime_ = 0;
    written_ = false;
  }
  updateActiveLocked();
  return rc;
}

int TempRecorder::beginVideo(const char* path) {
  std::lock_guard<std::mutex> lk(mutex_);
  if (videoOn_) H264Enc_CloseFile(encoder_);
  videoOn_ = false;
  int rc = H264Enc_OpenFile(encoder_, path);
  videoOn_ = rc == 0;
  videoResult_ = 0;
  updateActiveLocked();
  return rc;
}

int TempRecorder::endStream() {
  std::lock_guard<std::mutex> lk(mutex_);
  if (!streamOn_) {
    // A file cut after a failed write was closed already; its failure is still the answer.
    int rc = streamResult_;
    streamResult_ = 0;
    return rc;
  }
  int rc = writer_.close();
  if (rc != 0 && streamResult_ == 0) {
    streamResult_ = rc;
    cutStreamLocked();
  }
  streamOn_ = false;
  rc = streamResult_;
  streamResult_ = 0;
  updateActiveLocked();
  return rc;
}

int TempRecorder::endVideo() {
  std::lock_guard<std::mutex> lk(mutex_);
  if (!videoOn_) return 0;
  int rc = H264Enc_CloseFile(encoder_);
  videoOn_ = false;
  updateActiveLocked();
  return videoResult_ != 0 ? videoResult_ : rc;
}

// A write that failed part-way leaves a partial frame behind, and every later frame would sit
// shifted by it: the file is cut back to its last whole frame and no longer written.
void TempRecorder::cutStreamLocked() {
  writer_.close();
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && st.st_size > geometry_.firstFrame) {
    const int64_t whole = (st.st_size - geometry_.firstFrame) / geometry_.frameSize;
    if (::truncate(path_.c_str(), geometry_.firstFrame + whole * geometry_.frameSize) != 0)
      OSTREL_LOG_AS("TempPreviewInput", "cannot cut %s back to its last whole frame", path_.c_str());
  }
  OSTREL_LOG_AS("TempPreviewInput", "stream file write failed, recording stopped at a whole frame");
}

void TempRecorder::writeStreamFrame(const PreviewFrame* f) {
  int rc = 0;
  if (!written_) rc = writer_.writeCover(f->image);
  if (rc == 0) rc = writer_.appendFrame(f->head, f->data);
  if (rc == 0) {
    written_ = true;
    return;
  }
  streamResult_ = OSTREL_E_WRITE;
  cutStreamLocked();
  streamOn_ = false;
  updateActiveLocked();
}

void TempRecorder::step(const PreviewFrame* f) {
  if (!active()) return;
  std::lock_guard<std::mutex> lk(mutex_);
  if (streamOn_ && f->head->width == geometry_.width && f->head->height == geometry_.height) {
    bool keep = true;
    if (cadence_ > 0) {
      keep = counter_ % static_cast<uint64_t>(cadence_) == 0;
      ++counter_;
    } else if (cadence_ < 0) {
      // Camera times in full 64 bits: the low word alone wraps every 429 s.
      const int64_t t = f->head->time;
      const int64_t diff = t >= lastTime_ ? t - lastTime_ : lastTime_ - t;
      keep = !written_ || diff > gap_;
      if (keep) lastTime_ = t;
    }
    if (keep) writeStreamFrame(f);
  }
  if (videoOn_ && videoResult_ == 0) {
    uint8_t* packet = nullptr;
    int length = 0;
    if (H264Enc_Encode(encoder_, reinterpret_cast<const uint8_t*>(f->image), &packet, &length) == 0) {
      int rc = H264Enc_WritePacket(encoder_, packet, length);
      if (rc != 0) videoResult_ = rc;
    }
  }
}

}  // namespace ostrel::sdk
