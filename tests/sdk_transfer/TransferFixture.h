// A simulated camera on its own address (third byte 29, see NetKit.h), an initialised SDK, a login and a scratch
// folder, per test case.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "NetKit.h"
#include "OstrelSDK.h"
#include "camsim/CameraSim.h"
#include "frame/SdkState.h"

namespace transfertest {

inline std::string simAddress(int n) {
  return ostrel::test::loopbackAddress(29, n);
}

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> randomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = uint8_t(rng());
  return v;
}

// Runs a Python snippet with the system interpreter; returns its exit status and stdout.
inline int runPython(const std::string& code, std::string* output = nullptr) {
  const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " -c '" + code + "'";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  if (output) *output = out;
  return status;
}

struct TransferEnv {
  camsim::CameraSim sim;
  std::string dir;
  int user = -1;

  explicit TransferEnv(int n, camsim::CameraIdentity id = {})
      : sim(camsim::CameraSimOptions{simAddress(n), camsim::kCommandPort, id, false}) {
    EXPECT_EQ(sim.start(), 0) << simAddress(n);
    EXPECT_EQ(Ostrel_InitSDK(), 0);
    const_cast<ostrel::sdk::SdkConfig&>(ostrel::sdk::sdkConfig()).syncTime = false;
    LoginInfo info{};
    std::snprintf(info.ip, sizeof info.ip, "%s", simAddress(n).c_str());
    CameraBasicInfoRecord rec{};
    user = Ostrel_Login(&info, &rec);
    EXPECT_GE(user, 0);
    dir = std::filesystem::temp_directory_path().string() + "/ostrel-transfer-" + std::to_string(getpid()) + "-" +
          std::to_string(n);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  ~TransferEnv() {
    Ostrel_FreeSDK();
    sim.stop();
    std::filesystem::remove_all(dir);
  }
  std::string path(const std::string& name) const { return dir + "/" + name; }
  camsim::TransferService& store() { return sim.command().transfers(); }
  // Waits until the camera has finished every transfer it was asked for: the SDK's upload
  // returns once its bytes left, before the camera has stored them.
  bool settled() {
    auto& log = sim.log();
    const size_t n = log.countType(35) + log.countType(50) + log.countType(78) + log.countType(80);
    return store().waitFinished(n, 10000);
  }
  uint64_t connections() { return sim.command().connectionCount(); }
  // Names in the scratch folder (a broken download must leave no temporary file behind).
  std::vector<std::string> names() const {
    std::vector<std::string> v;
    for (auto& e : std::filesystem::directory_iterator(dir)) v.push_back(e.path().filename().string());
    return v;
  }
};

}  // namespace transfertest
