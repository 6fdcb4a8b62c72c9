// The H.264 previews: the video and the mixed stream (one TCP connection each, a start record
// then header-and-access-unit frames), decoded into BGRA by the video library, drawn, called
// back and optionally recorded as received; and the RTSP preview read through the video library.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OstrelFfmpeg.h"
#include "OstrelSDK.h"
#include "preview/FrameQueue.h"
#include "preview/TempPreview.h"
#include "preview/WindowRender.h"

namespace ostrel::sdk {

// Wire layout of the video and mixed streams.
constexpr size_t kH264StartSize = 256, kH264HeaderSize = 1024;
constexpr int kH264SetupMax = 64;

// The decoder set-up taken from a start record: codec, the preview's picture size (not the
// record's), the frame rate at 128/130 and the set-up bytes from 8, their length word (a camera
// value) clamped to 0..64.
H264DecConfig decoderSetupFromStart(const uint8_t* start, uint32_t codec, int width, int height);

class VideoPreviewInput {
 public:
  VideoPreviewInput() = default;
  VideoPreviewInput(const VideoPreviewInput&) = delete;
  VideoPreviewInput& operator=(const VideoPreviewInput&) = delete;
  ~VideoPreviewInput();

  // Connects to the stream port, reads the start record, sets up the decoder. dataType 3 uses
  // the settings' decoder code, 5 the software decoder. -13 on any failure.
  int open(const PreviewCamera& camera, int dataType, FrameQueue* queue, render::VideoRenderer* renderer,
           const PreviewInfo& info);
  int start();
  // Ends the worker: every wait (receive, recovery pause) ends at once.
  void stop();
  bool isWorkerThread() const { return std::this_thread::get_id() == worker_.get_id(); }
  void setPaused(bool paused) { paused_ = paused; }
  bool lost() const { return lost_.load(); }

  // Recording of the received packets: begin (a running one is ended first) -7 while lost, else
  // the video library's result; end: its result, 0 when none runs.
  int beginSave(const char* path);
  int endSave();

  std::atomic<uint64_t> delivered{0}, lostCount{0}, restoredCount{0}, recoverGiveUps{0};

 private:
  void worker();
  bool receiveOne();
  void loseConnection();
  void recover();
  bool sleepFor(int ms);
  // Connects a fresh socket and reads the start record into `start`: the socket, or -1.
  int connectAndReadStart(uint8_t* start, bool logFailure);
  void closeSocket();

  PreviewCamera camera_;
  int dataType_ = 0;
  int width_ = 0, height_ = 0;  // the picture size of the slot, expected from every start record
  FrameQueue* queue_ = nullptr;               // owned by the slot
  render::VideoRenderer* renderer_ = nullptr;  // owned by the slot
  PreviewCallback callback_ = nullptr;
  void* userData_ = nullptr;
  H264Decoder* decoder_ = nullptr;
  PreviewFrame* lastPicture_ = nullptr;  // worker thread only: the record of the last decoded picture

  std::mutex lock_;         // recording calls against the begin and end exports
  bool recording_ = false;  // guarded by lock_

  std::mutex fdMutex_;
  int fd_ = -1;            // guarded by fdMutex_; closed only by the worker
  bool shutDown_ = false;  // guarded by fdMutex_

  std::atomic<bool> running_{false}, paused_{false}, lost_{false};
  std::mutex sleepMutex_;
  std::condition_variable sleepCv_;
  std::thread worker_;
};

// The caller's RTSP request as it lies in memory (268 bytes): URL text in the first 256, the open
// options at 256, the plane request at 258.
struct RtspRequest {
  std::string url;
  uint32_t options = 0;
  bool wantPlane = false;
};

class RtspPreviewInput {
 public:
  RtspPreviewInput() = default;
  RtspPreviewInput(const RtspPreviewInput&) = delete;
  RtspPreviewInput& operator=(const RtspPreviewInput&) = delete;
  ~RtspPreviewInput();

  // Opens the stream, builds the snapshot buffer, the 8-record store and the renderer (a window
  // when given). -13 on any failure (everything made is released).
  int open(const RtspRequest& request, uint32_t decoderCode, const PreviewInfo& info);
  int start();
  void stop();
  bool isWorkerThread() const { return std::this_thread::get_id() == worker_.get_id(); }
  void setPaused(bool paused) { paused_ = paused; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Type 3 begin: 0 or the library's result, -1 when already recording. End: -7 when not
  // recording, else the library's result. Snapshot: -7 before the first picture, 0 or -1.
  int beginSave(const char* path);
  int endSave();
  int snapshot(const char* path);

  std::atomic<uint64_t> delivered{0}, failures{0};

 private:
  void worker();
  bool sleepFor(int ms);

  RtspStream* stream_ = nullptr;
  int width_ = 0, height_ = 0;
  bool wantPlane_ = false;
  FrameQueue* queue_ = nullptr;
  render::VideoRenderer renderer_;
  PreviewCallback callback_ = nullptr;
  void* userData_ = nullptr;
  std::vector<uint8_t> snapshot_;  // 8 x pixels: the picture copy, then PNG scratch

  std::mutex lock_;
  int recordState_ = 0;                   // guarded by lock_: 0 idle, 2 recording
  const PreviewFrame* lastDelivered_ = nullptr;  // guarded by lock_

  std::atomic<bool> running_{false}, paused_{false};
  std::mutex sleepMutex_;
  std::condition_variable sleepCv_;
  std::thread worker_;
};

}  // namespace ostrel::sdk
