// Shows the SDK at work against a camera (normally ostrel-camsim): initialise, log in, print the
// camera's identity and sizes, show a few seconds of live temperature statistics, log out, free.
//   ostrel-demo [camera address, default 127.0.0.1] [seconds of live view, default 3]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "OstrelSDK.h"

namespace {

struct LiveStats {
  std::mutex mutex;
  long frames = 0;     // guarded by mutex
  FrameStats last{};   // guarded by mutex
  std::atomic<int> lost{0}, restored{0};
};

// Runs on the SDK's preview thread: copy what we show, nothing more.
void onFrame(int status, PreviewFrame* frame, void* user) {
  auto* live = static_cast<LiveStats*>(user);
  if (status == -17) ++live->lost;
  if (status == -18) ++live->restored;
  if (status != 0 || !frame) return;
  std::lock_guard<std::mutex> lk(live->mutex);
  ++live->frames;
  live->last = *static_cast<const FrameStats*>(frame->extra);
}

void showLive(int userId, int seconds) {
  LiveStats live;
  PreviewInfo preview{};
  preview.dataType = PREVIEW_TEMPERATURE;
  preview.callback = onFrame;
  preview.userData = &live;
  int id = Ostrel_StartPreview(userId, &preview);
  std::printf("Ostrel_StartPreview: %d\n", id);
  if (id < 0) return;
  long before = 0;
  for (int s = 0; s < seconds; ++s) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::lock_guard<std::mutex> lk(live.mutex);
    std::printf("live: %ld frames/s, max %.2f C at (%u,%u), min %.2f C at (%u,%u), mean %.2f C\n",
                live.frames - before, live.last.max, live.last.maxX, live.last.maxY, live.last.min, live.last.minX,
                live.last.minY, live.last.avg);
    before = live.frames;
  }
  std::printf("Ostrel_StopPreview: %d (%ld frames, %d lost, %d restored)\n", Ostrel_StopPreview(id), live.frames,
              live.lost.load(), live.restored.load());
}

}  // namespace

int main(int argc, char** argv) {
  const char* address = argc > 1 ? argv[1] : "127.0.0.1";
  int rc = Ostrel_InitSDK();
  std::printf("Ostrel_InitSDK: %d\n", rc);
  if (rc != 0) return 1;

  LoginInfo info{};
  std::snprintf(info.ip, sizeof info.ip, "%s", address);
  CameraBasicInfoRecord camera{};
  int userId = Ostrel_Login(&info, &camera);
  std::printf("Ostrel_Login(%s): %d\n", address, userId);
  if (userId >= 0) {
    std::printf("camera id: %.32s\n", camera.cameraId);
    std::printf("software id: %.32s\n", camera.softwareId);
    std::printf("data size: %u x %u at %u Hz\n", camera.dataWidth, camera.dataHeight, camera.dataFps);
    std::printf("image size: %u x %u\n", camera.imageWidth, camera.imageHeight);
    showLive(userId, argc > 2 ? std::atoi(argv[2]) : 3);
    std::printf("Ostrel_Logout: %d\n", Ostrel_Logout(userId));
  }
  Ostrel_FreeSDK();
  std::printf("Ostrel_FreeSDK: done\n");
  return userId >= 0 ? 0 : 1;
}
