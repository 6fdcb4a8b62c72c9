// ostrel-camsim: a simulated camera on one loopback address, until SIGINT or SIGTERM.
//   ostrel-camsim [--addr 127.0.0.N] [--id CAMERA_ID] [--software-id TEXT] [--size WxH] [--image WxH] [--fps N] [--unpaced]
//                 [--clip FILE] [--scene spots|room] [--discover] [--observe FILE] [--block N=FILE]... [--dump-blocks DIR]
//                 [--record TYPE=FILE]...
// With --clip, the H.264 clip (Annex-B) loops on the video and mixed stream ports. --scene picks
// what the temperature stream shows: "spots" (the default, the content tests check by hand) or
// "room" (a room with a warm body walking across it, a hot and a cold object).
// With --discover the camera answers discovery (UDP 55501) with its whole basic record and its own
// address, only to searches from loopback, and broadcasts its answers to 127.255.255.255; point the
// SDK there with OSTREL_DISCOVER_BROADCAST=127.255.255.255.
// With --observe, every message the camera receives is written to FILE in hex, one line each.
// --software-id sets the software id of the basic record (at most 31 bytes); the device tool reads
// a zoom gear for ids holding "QB" or "QF" and offers its detector utility for "V7R2K" with "QPX".
// --block N=FILE puts FILE's bytes in the camera's memory block N (calib_blocks.py writes the
// calibration tables' seeds, blocks 3, 4, 5 and 7); --dump-blocks DIR writes every memory block
// the camera holds when it stops to DIR/blockN.bin, for a scenario to read what was uploaded.
// --record TYPE=FILE serves FILE's bytes as the record of the command channel's get type TYPE (23
// the correction record, 31 the video output record, ...); the file must have the record's size.
// Each clock set the camera takes is reported on stderr ("clock set to SECONDS" since 1970, UTC).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

#include <arpa/inet.h>

#include "camsim/CameraSim.h"
#include "camsim/DiscoveryResponder.h"
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
               "usage: ostrel-camsim [--addr 127.0.0.N] [--id CAMERA_ID] [--software-id TEXT] [--size WxH] [--image WxH] [--fps N] "
               "[--unpaced] [--clip FILE] [--scene spots|room] [--discover] [--observe FILE] [--block N=FILE]... [--dump-blocks DIR] [--record TYPE=FILE]...\n");
  return 2;
}

// "N=FILE": the block number and the file's bytes.
bool readBlockArg(const char* arg, int32_t* block, std::vector<uint8_t>* bytes) {
  char* end = nullptr;
  const long n = std::strtol(arg, &end, 10);
  if (end == arg || *end != '=' || n < 0 || n > 1000) return false;
  std::ifstream in(end + 1, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  *block = int32_t(n);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  camsim::CameraSimOptions opt;
  std::string clipPath, observePath, dumpDir;
  std::vector<std::pair<int32_t, std::vector<uint8_t>>> blocks, records;
  bool discover = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (!std::strcmp(a, "--unpaced")) {
      opt.tempPaced = false;  // as fast as the peer reads
      continue;
    }
    if (!std::strcmp(a, "--discover")) {
      discover = true;
      continue;
    }
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!v) return usage();
    if (!std::strcmp(a, "--addr")) {
      opt.address = v;
    } else if (!std::strcmp(a, "--id")) {
      opt.identity.cameraId = v;
    } else if (!std::strcmp(a, "--software-id")) {
      if (std::strlen(v) > 31) return usage();
      opt.identity.softwareId = v;
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
    } else if (!std::strcmp(a, "--observe")) {
      observePath = v;
    } else if (!std::strcmp(a, "--dump-blocks")) {
      dumpDir = v;
    } else if (!std::strcmp(a, "--block")) {
      blocks.emplace_back();
      if (!readBlockArg(v, &blocks.back().first, &blocks.back().second)) return usage();
    } else if (!std::strcmp(a, "--record")) {
      records.emplace_back();
      if (!readBlockArg(v, &records.back().first, &records.back().second)) return usage();
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
  // What a camera ships with in its store: its log file and its GB/T 28181 settings.
  sim.command().transfers().putFile(3, camsim::cameraLogFile(opt.identity.cameraId));
  sim.command().transfers().putBlock(2, camsim::defaultGb28181Block());
  for (auto& [block, bytes] : blocks) sim.command().transfers().putBlock(block, std::move(bytes));
  for (const auto& [type, bytes] : records)
    if (!sim.state().setRecord(uint16_t(type), bytes)) {
      std::fprintf(stderr, "ostrel-camsim: no record of get type %d holds %zu bytes\n", int(type), bytes.size());
      return 2;
    }
  sim.command().clockGpio().setOnClockSet(
      [](int64_t t) { std::fprintf(stderr, "ostrel-camsim: clock set to %lld\n", static_cast<long long>(t)); });
  if (!observePath.empty() && !sim.log().writeTo(observePath)) {
    std::fprintf(stderr, "ostrel-camsim: cannot write %s: %s\n", observePath.c_str(), std::strerror(errno));
    return 1;
  }
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
  std::unique_ptr<camsim::DiscoveryResponder> responder;
  if (discover) {
    in_addr own{};
    inet_pton(AF_INET, opt.address.c_str(), &own);
    camsim::DiscoveryResponderConfig dc;
    dc.identity.cameraId = opt.identity.cameraId;
    dc.identity.ipv4 = ntohl(own.s_addr);
    dc.localAddr = ntohl(own.s_addr);
    dc.broadcastAddr = 0x7FFFFFFFu;
    dc.basicRecord = [&sim] { return sim.state().record(7); };
    responder = std::make_unique<camsim::DiscoveryResponder>(dc);
    if (!responder->start()) {
      std::fprintf(stderr, "ostrel-camsim: cannot answer discovery on UDP 55501 from %s\n", opt.address.c_str());
      return 1;
    }
    std::printf("ostrel-camsim: answering discovery from %s (broadcast 127.255.255.255)\n", opt.address.c_str());
  }
  std::printf("ostrel-camsim: camera %s on %s, command port %u, temperature stream port %u\n",
              opt.identity.cameraId.c_str(), opt.address.c_str(), opt.commandPort, opt.tempPort);
  std::fflush(stdout);
  while (!g_stop) ::usleep(100 * 1000);
  if (responder) responder->stop();
  sim.stop();
  for (int32_t b = 0; !dumpDir.empty() && b < 64; ++b) {
    std::vector<uint8_t> bytes;
    if (!sim.command().transfers().block(b, &bytes)) continue;
    std::ofstream out(dumpDir + "/block" + std::to_string(b) + ".bin", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::printf("ostrel-camsim: stopped after %llu connections\n",
              (unsigned long long)sim.command().connectionCount());
  return 0;
}
