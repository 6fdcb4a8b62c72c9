// A simulated camera on its own loopback address plus an initialised SDK, per test case.
// Every case uses a distinct address (third byte 1, see NetKit.h): cases run in parallel on the fixed command port.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "NetKit.h"
#include "OstrelSDK.h"
#include "camsim/CameraSim.h"
#include "frame/SdkState.h"

namespace linktest {

inline std::string simAddress(int n) {
  return ostrel::test::loopbackAddress(1, n);
}

// The clock switch normally comes from the settings file; tests set it directly.
inline void setSyncTime(bool on) {
  const_cast<ostrel::sdk::SdkConfig&>(ostrel::sdk::sdkConfig()).syncTime = on;
}

struct LinkEnv {
  camsim::CameraSim sim;

  explicit LinkEnv(int n, camsim::CameraIdentity id = {}, bool syncTime = false)
      : sim(camsim::CameraSimOptions{simAddress(n), camsim::kCommandPort, id}) {
    EXPECT_EQ(sim.start(), 0) << simAddress(n);
    EXPECT_EQ(Ostrel_InitSDK(), 0);
    setSyncTime(syncTime);
  }
  ~LinkEnv() {
    Ostrel_FreeSDK();
    sim.stop();
  }

  int login(CameraBasicInfoRecord* out = nullptr) {
    LoginInfo info{};
    std::snprintf(info.ip, sizeof info.ip, "%s", sim.options().address.c_str());
    CameraBasicInfoRecord rec{};
    return Ostrel_Login(&info, out ? out : &rec);
  }
  uint64_t connections() { return sim.command().connectionCount(); }
  void faults(const camsim::CommandFaults& f) { sim.command().setFaults(f); }
  // The seeded bytes of the record of getType as the simulator stores them.
  std::vector<uint8_t> stored(uint16_t getType) { return sim.state().record(getType); }
};

inline std::vector<uint8_t> pattern(uint16_t getType, size_t size) {
  std::vector<uint8_t> v(size);
  for (size_t i = 0; i < size; ++i) v[i] = camsim::CameraState::patternByte(getType, i);
  return v;
}

template <typename T>
std::vector<uint8_t> bytesOf(const T& r) {
  const auto* p = reinterpret_cast<const uint8_t*>(&r);
  return std::vector<uint8_t>(p, p + sizeof r);
}

}  // namespace linktest
