// A simulated camera on one loopback address and an initialised SDK, for one test case: the
// simulator starts before the SDK and stops after it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "OstrelSDK.h"
#include "camsim/CameraSim.h"

namespace ostrel::test {

struct SimCameraEnv {
  std::unique_ptr<camsim::CameraSim> sim;

  explicit SimCameraEnv(const std::string& address, camsim::CameraIdentity id = {}, bool tempStream = true) {
    camsim::CameraSimOptions o;
    o.address = address;
    o.identity = id;
    o.tempStream = tempStream;
    sim = std::make_unique<camsim::CameraSim>(o);
    EXPECT_EQ(sim->start(), 0) << o.address;
    EXPECT_EQ(Ostrel_InitSDK(), 0);
  }
  ~SimCameraEnv() {
    Ostrel_FreeSDK();
    sim->stop();
  }
};

}  // namespace ostrel::test
