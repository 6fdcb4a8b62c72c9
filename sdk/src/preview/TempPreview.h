// The temperature preview: the stream channel's receiver (preview/TempStreamChannel), the worker threads that unpack, mask,
// transform, filter, measure and colour each frame, deliver it to the window and the callback,
// and recover a lost connection.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "OstrelSDK.h"
#include "preview/FrameQueue.h"
#include "preview/TempRecording.h"
#include "preview/TempStreamChannel.h"
#include "preview/WindowRender.h"

namespace ostrel::sdk {

// The camera side of one preview, copied from its login at the start: the preview does not
// depend on the login afterwards.
struct PreviewCamera {
  uint32_t ip = 0;  // host order
  uint16_t port = 0;
  CameraBasicInfoRecord basic{};
  FixInfoRecord fix{};
  DestripInfoRecord destrip{};
  DenoiseInfoRecord denoise{};
};

class PreviewTempInput {
 public:
  // Sets up receiver, stretch context, filters and the hand-off ring; -13 on failure.
  int open(const PreviewCamera& camera, FrameQueue* queue, int transform, bool twoThread, bool colouring,
           render::TempRenderer* renderer, const PreviewInfo& info, const uint32_t* palette);
  // Starts the worker thread(s); running from then on.
  int start(const char* cameraId);
  // Ends the threads: wakes every wait, joins. Safe from any thread but the preview's own.
  void stop();
  bool isWorkerThread() const;
  ~PreviewTempInput();

  void setPaused(bool paused) { paused_ = paused; }
  void enableMask(bool enable) {
    maskCaptured_ = false;
    maskEnabled_ = enable;
  }
  void setDelay(unsigned delay) { delay_ = delay; }
  void setPalette(const uint32_t* colours);
  StretchContext* stretch() { return stretch_; }
  TempRecorder& recorder() { return recorder_; }
  bool lost() const { return lost_.load(); }

  std::atomic<uint64_t> delivered{0}, lostCount{0}, restoredCount{0};

 private:
  void transformWorker();
  void delayWorker();
  void receiveThread();
  void deliverThread();
  // Receives into the next record. Returns the record, or null when nothing is to be delivered
  // this pass (dropped frame, lost connection handled).
  PreviewFrame* receiveOne();
  void recover();
  void maskStep(PreviewFrame* f);
  void filterStep(PreviewFrame* f);
  void colourStep(PreviewFrame* f);
  void deliver(PreviewFrame* f);
  bool sleepFor(int ms);  // false when woken by stop

  PreviewCamera camera_;
  FrameQueue* queue_ = nullptr;  // owned by the slot
  render::TempRenderer* renderer_ = nullptr;  // owned by the slot
  PreviewCallback callback_ = nullptr;
  void* userData_ = nullptr;
  int transform_ = 0;
  bool twoThread_ = false;
  bool colouring_ = true;
  int width_ = 0, height_ = 0;

  FrameRecverTcp* receiver_ = nullptr;
  StretchContext* stretch_ = nullptr;
  DestripState* destrip_ = nullptr;
  DenoiseState* denoise_ = nullptr;
  FrameHandoff* handoff_ = nullptr;
  std::vector<int16_t> mask_;
  TempRecorder recorder_;

  std::atomic<const uint32_t*> palette_{nullptr};
  std::atomic<bool> running_{false}, paused_{false}, lost_{false};
  std::atomic<bool> maskEnabled_{false}, maskCaptured_{false};
  std::atomic<unsigned> delay_{0};
  unsigned delayCount_ = 0;

  std::mutex sleepMutex_;
  std::condition_variable sleepCv_;
  std::thread worker_, second_;
};

}  // namespace ostrel::sdk
