// The player of a stream input: one thread that reads the file's frames at the recorded rate,
// forwards, backwards or four at a time, takes seeks, image settings and whole-file measurement
// requests between two frames, and hands each frame to one consumer.
//
// The GUI thread only writes requests (atomics, or fields under the request lock); the thermal-file
// handle is used by the player thread alone while it runs, except through withHandle, which holds
// the handle lock the player takes for every tick. At most one frame is in flight: after a frame is
// delivered nothing further is read until the consumer calls consumed(), so the frame's ring slot
// cannot be refilled under the consumer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "OstrelSDK.h"
#include "FrameSlot.h"

using StreamFrameFn = void (*)(int status, FrameSlot* slot, void* consumer);
using StreamMeaFn = void (*)(int status, MeaResultData* data, void* consumer);

class StreamPlayer {
 public:
  static constexpr int kRingSize = 16;
  static constexpr int kFastStep = 4;

  explicit StreamPlayer(TFContext* tf) : tf_(tf) {}
  ~StreamPlayer() { stop(); }
  StreamPlayer(const StreamPlayer&) = delete;
  StreamPlayer& operator=(const StreamPlayer&) = delete;

  // Starts the thread in forward mode from before the first frame. -7 when it runs; -8 without a
  // frame callback or with no frames.
  int start(int frameCount, int fpsNum, int fpsDiv, void* consumer, StreamFrameFn frameFn, StreamMeaFn meaFn);
  // Clears run, wakes and joins the thread; frees a request it did not take. Nothing when stopped.
  void stop();
  bool running() const { return running_.load(std::memory_order_acquire); }

  void setMode(int mode);
  int mode() const { return mode_.load(); }
  void seek(int index);
  int request(MeaItemList* list);
  void setImage(int palette, const StretchCtl* ctl);
  void consumed();

  int frameCount() const { return frameCount_.load(); }
  int fps() const { return fps_; }
  // The wait between two ticks, in milliseconds.
  int periodMs() const { return sliceMs_ * slices_; }
  int index() const { return index_.load(); }

  // Runs `fn(tf)` while the player does not touch the handle.
  template <class Fn>
  auto withHandle(Fn fn) {
    std::lock_guard<std::mutex> lock(handleMutex_);
    return fn(tf_);
  }

 private:
  void run();
  void tick();
  int chooseIndex(bool* fromSeek);

  TFContext* tf_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> run_{false};
  std::atomic<int> mode_{1};
  std::atomic<int> step_{1};
  std::atomic<int> seek_{-1};
  std::atomic<MeaItemList*> request_{nullptr};
  std::atomic<bool> inFlight_{false};
  std::atomic<int> index_{-1};
  std::atomic<int> frameCount_{0};

  void* consumer_ = nullptr;
  StreamFrameFn frameFn_ = nullptr;
  StreamMeaFn meaFn_ = nullptr;
  int fps_ = 0;
  int sliceMs_ = 10;
  int slices_ = 10;

  FrameSlot ring_[kRingSize];
  uint32_t counter_ = 0;

  std::mutex handleMutex_;
  // Wakes the player's wait (stop, seek, consumed) and guards the image-settings request.
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  bool imagePending_ = false;
  int imagePalette_ = -1;
  bool imageHasCtl_ = false;
  StretchCtl imageCtl_{};
};
