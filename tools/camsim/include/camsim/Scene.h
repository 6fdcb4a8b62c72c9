// What the simulated temperature stream shows. "spots" is the content tests check by hand
// (FrameContent); "room" is a picture a person recognises: a room with a warm body walking across
// it, a hot and a cold object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace camsim {

enum class Scene { Spots, Room };

// "spots" or "room"; false for any other name.
bool sceneFromName(const std::string& name, Scene* scene);

// The room, for a width x height picture (the numbers below are for 640 x 512):
// - background 21 degC at the top-left corner rising to 24 degC at the bottom-right (2 degC over
//   the height, 1 degC over the width), with a noise of +-0.12 degC;
// - a body, an upright ellipse of half-axes bodyHalfWidth (24) and bodyHalfHeight (18), warmest at
//   its centre (bodyCentre: 36 degC +- 0.6 over 125 frames, so a maximum reading moves) and 32 degC
//   at its rim, centred on row bodyY (height / 3) and moving two columns a frame between
//   bodyLeftmost (48) and bodyRightmost (592) and back;
// - a hot object of 80 degC and a cold object of 0 degC, each a hotBox/coldBox block of
//   width / 10 x height / 10 centred on row 2 * height / 3, at a quarter and three quarters of the
//   width.
// Temperatures become codes through the stream's scale and offset, code = (T - offset) x scale.
struct RoomScene {
  struct Box {
    int x, y, w, h;
  };
  static constexpr double kBodyCentre = 36.0, kBodyRim = 32.0;
  static constexpr double kHot = 80.0, kCold = 0.0;
  static constexpr double kNoise = 0.12;
  static constexpr int kBodyStep = 2;  // columns a frame

  static int bodyHalfWidth(int width) { return width * 3 / 80; }
  static int bodyHalfHeight(int height) { return height * 9 / 256; }
  static int bodyLeftmost(int width) { return 2 * bodyHalfWidth(width); }
  static int bodyRightmost(int width) { return width - 2 * bodyHalfWidth(width); }
  static int bodyX(int width, uint32_t n);
  static double bodyCentre(uint32_t n);
  static int bodyY(int height) { return height / 3; }
  static Box hotBox(int width, int height) { return block(width / 4, width, height); }
  static Box coldBox(int width, int height) { return block(3 * width / 4, width, height); }

  // Degrees Celsius of pixel (x, y) of frame n.
  static double temperature(int width, int height, uint32_t n, int x, int y);
  // Codes of frame n at the given scale and offset.
  static void codes(int width, int height, uint32_t n, int scale, int offset, std::vector<int16_t>& out);

 private:
  static Box block(int centreX, int width, int height) {
    const int w = width / 10, h = height / 10;
    return {centreX - w / 2, 2 * height / 3 - h / 2, w, h};
  }
};

}  // namespace camsim
