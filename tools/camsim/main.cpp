// ostrel-camsim: a simulated camera on one loopback address, until SIGINT or SIGTERM.
//   ostrel-camsim [--addr 127.0.0.N] [--id CAMERA_ID] [--size WxH] [--image WxH] [--fps N] [--unpaced]
//                 [--clip FILE] [--scene spots|room]
// With --clip, the H.264 clip (Annex-B) loops on the video and mixed stream ports. --scene picks
// what the temperature stream shows: "spots" (the default, the content tests check by hand) or
// "room" (a room with a warm body walking across it, a hot and a cold object).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

#include "camsim/CameraSim.h"
#include "camsim/VideoStreamServer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
  g_stop = 1;
}

bool parseSize(const char* s, uint16_t* w, uint16_t* h) {
  unsigned a = 0, b = 0;
  if (std::sscanf(s, "%ux%u", &a, &b) != 2 || a > 65535 || b > 65535) return false;
  *w = uint16_t(a);
  *h = uint16_t(b);
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: ostrel-camsim [--addr 127.0.0.N] [--id CAMERA_ID] [--size WxH] [--image WxH] [--fps N] "
               "[--unpaced] [--clip FILE] [--scene spots|room]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  camsim::CameraSimOptions opt;
  std::string clipPath;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (!std::strcmp(a, "--unpaced")) {
      opt.tempPaced = false;  // as fast as the peer reads
      continue;
    }
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!v) return usage();
    if (!std::strcmp(a, "--addr")) {
      opt.address = v;
    } else if (!std::strcmp(a, "--id")) {
      opt.identity.cameraId = v;
    } else if (!std::strcmp(a, "--size")) {
      if (!parseSize(v, &opt.identity.dataWidth, &opt.identity.dataHeight)) return usage();
    } else if (!std::strcmp(a, "--fps")) {
      char* end = nullptr;
      const long fps = std::strtol(v, &end, 10);
      if (end == v || *end != '\0' || fps < 1 || fps > 1000) return usage();
      opt.identity.dataFps = uint16_t(fps);
    } else if (!std::strcmp(a, "--image")) {
      if (!parseSize(v, &opt.identity.imageWidth, &opt.identity.imageHeight)) return usage();
    } else if (!std::strcmp(a, "--clip")) {
      clipPath = v;
    } else if (!std::strcmp(a, "--scene")) {
      if (!camsim::sceneFromName(v, &opt.tempScene)) return usage();
    } else {
      return usage();
    }
    ++i;
  }
  if (!camsim::isLoopbackAddress(opt.address)) {
    std::fprintf(stderr, "ostrel-camsim: %s is not a loopback address (127.0.0.0/8)\n", opt.address.c_str());
    return 2;
  }
  if (!clipPath.empty() && opt.identity.imageWidth == 0) {
    // The video streams need a picture size in the camera's record.
    opt.identity.imageWidth = opt.identity.dataWidth;
    opt.identity.imageHeight = opt.identity.dataHeight;
  }
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  camsim::CameraSim sim(opt);
  int rc = sim.start();
  if (rc != 0) {
    std::fprintf(stderr, "ostrel-camsim: cannot listen on %s (ports %u, %u): %s\n", opt.address.c_str(),
                 opt.commandPort, opt.tempPort, std::strerror(-rc));
    return 1;
  }
  std::unique_ptr<camsim::VideoStreamServer> videoServers[2];
  if (!clipPath.empty()) {
    auto clip = std::make_shared<camsim::AnnexBClip>();
    if (!camsim::loadAnnexBClip(clipPath, clip.get())) {
      std::fprintf(stderr, "ostrel-camsim: %s is not an H.264 clip with an IDR picture\n", clipPath.c_str());
      return 1;
    }
    const uint16_t ports[2] = {55506, 55507};
    for (int k = 0; k < 2; ++k) {
      camsim::VideoStreamConfig vc;
      vc.address = opt.address;
      vc.port = ports[k];
      vc.width = opt.identity.imageWidth;
      vc.height = opt.identity.imageHeight;
      vc.clip = clip;
      videoServers[k] = std::make_unique<camsim::VideoStreamServer>(vc);
      if (videoServers[k]->start() != 0) {
        std::fprintf(stderr, "ostrel-camsim: cannot listen on %s port %u\n", opt.address.c_str(), ports[k]);
        return 1;
      }
    }
    std::printf("ostrel-camsim: clip of %zu frames on video port 55506 and mixed port 55507\n", clip->units.size());
  }
  std::printf("ostrel-camsim: camera %s on %s, command port %u, temperature stream port %u\n",
              opt.identity.cameraId.c_str(), opt.address.c_str(), opt.commandPort, opt.tempPort);
  std::fflush(stdout);
  while (!g_stop) ::usleep(100 * 1000);
  sim.stop();
  std::printf("ostrel-camsim: stopped after %llu connections\n",
              (unsigned long long)sim.command().connectionCount());
  return 0;
}
