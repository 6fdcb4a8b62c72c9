// Shows the SDK at work against a camera (normally ostrel-camsim): initialise, log in, print the
// camera's identity and sizes, log out, free.
//   ostrel-demo [camera address, default 127.0.0.1]
#include <cstdio>
#include <cstring>

#include "OstrelSDK.h"

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
    std::printf("Ostrel_Logout: %d\n", Ostrel_Logout(userId));
  }
  Ostrel_FreeSDK();
  std::printf("Ostrel_FreeSDK: done\n");
  return userId >= 0 ? 0 : 1;
}
