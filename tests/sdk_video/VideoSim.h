// A simulated camera with its video and mixed stream ports on one loopback address, and a
// logged-in SDK, for the video preview suites.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "OstrelSDK.h"
#include "VideoKit.h"
#include "camsim/CameraSim.h"
#include "camsim/VideoStreamServer.h"

namespace vpk {

class VideoSimFixture : public ::testing::Test {
 protected:
  void startCamera(const std::string& address, int width = 320, int height = 240, bool paced = true) {
    address_ = address;
    width_ = width;
    height_ = height;
    camsim::CameraSimOptions o;
    o.address = address;
    o.tempStream = false;
    o.identity.imageWidth = static_cast<uint16_t>(width);
    o.identity.imageHeight = static_cast<uint16_t>(height);
    sim_ = std::make_unique<camsim::CameraSim>(o);
    ASSERT_EQ(sim_->start(), 0);
    for (int k = 0; k < 2; ++k) {
      auto clip = std::make_shared<camsim::AnnexBClip>();
      const std::string path = clipPath(width, height, k == 1);
      ASSERT_FALSE(path.empty());
      ASSERT_TRUE(camsim::loadAnnexBClip(path, clip.get()));
      ASSERT_EQ(clip->units.size(), static_cast<size_t>(kClipFrames));
      camsim::VideoStreamConfig c;
      c.address = address;
      c.port = k == 0 ? 55506 : 55507;
      c.width = width;
      c.height = height;
      c.paced = paced;
      c.clip = clip;
      servers_[k] = std::make_unique<camsim::VideoStreamServer>(c);
      ASSERT_EQ(servers_[k]->start(), 0);
    }
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    LoginInfo login{};
    std::snprintf(login.ip, sizeof login.ip, "%s", address.c_str());
    CameraBasicInfoRecord basic{};
    user_ = Ostrel_Login(&login, &basic);
    ASSERT_GE(user_, 0);
  }
  int start(int dataType, Collector& c, PreviewInfo* out = nullptr, void* window = nullptr) {
    PreviewInfo info{};
    info.dataType = static_cast<uint8_t>(dataType);
    info.callback = &Collector::callback;
    info.userData = &c;
    info.window = window;
    int id = Ostrel_StartPreview(user_, &info);
    if (out) *out = info;
    return id;
  }
  camsim::VideoStreamServer& video() { return *servers_[0]; }
  camsim::VideoStreamServer& mixed() { return *servers_[1]; }
  void TearDown() override {
    Ostrel_FreeSDK();
    for (auto& s : servers_)
      if (s) s->stop();
    if (sim_) sim_->stop();
  }

  // Previews outlive a failed case's body until TearDown: their collectors live as long.
  Collector c_, m_;
  std::string address_;
  int width_ = 0, height_ = 0;
  std::unique_ptr<camsim::CameraSim> sim_;
  std::unique_ptr<camsim::VideoStreamServer> servers_[2];
  int user_ = -1;
};

}  // namespace vpk
