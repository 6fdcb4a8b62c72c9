#include "camsim/Scene.h"

#include <algorithm>
#include <cmath>

namespace camsim {

namespace {

// Uniform in [-1, 1), fixed by pixel and frame so that a test can repeat a frame exactly.
double noise(int x, int y, uint32_t n) {
  uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u ^ n * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<double>(h) / 2147483648.0 - 1.0;
}

bool inside(const RoomScene::Box& b, int x, int y) {
  return x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h;
}

double roomAt(int width, int height, int bodyX, uint32_t n, int x, int y) {
  const double jitter = RoomScene::kNoise * noise(x, y, n);
  if (inside(RoomScene::hotBox(width, height), x, y)) return RoomScene::kHot + jitter;
  if (inside(RoomScene::coldBox(width, height), x, y)) return RoomScene::kCold + jitter;
  const double dx = double(x - bodyX) / RoomScene::bodyHalfWidth(width);
  const double dy = double(y - RoomScene::bodyY(height)) / RoomScene::bodyHalfHeight(height);
  const double r2 = dx * dx + dy * dy;
  if (r2 <= 1.0) {
    const double centre = RoomScene::bodyCentre(n);
    return centre - (centre - RoomScene::kBodyRim) * r2 + jitter;
  }
  return 21.0 + 2.0 * y / height + 1.0 * x / width + jitter;
}

}  // namespace

bool sceneFromName(const std::string& name, Scene* scene) {
  if (name == "spots") {
    *scene = Scene::Spots;
  } else if (name == "room") {
    *scene = Scene::Room;
  } else {
    return false;
  }
  return true;
}

double RoomScene::bodyCentre(uint32_t n) {
  constexpr double kTwoPi = 6.283185307179586;
  return kBodyCentre + 0.6 * std::sin(kTwoPi * (n % 125) / 125.0);
}

int RoomScene::bodyX(int width, uint32_t n) {
  const int left = bodyLeftmost(width), span = std::max(1, bodyRightmost(width) - left);
  const uint32_t walked = static_cast<uint32_t>((static_cast<uint64_t>(n) * kBodyStep) % (2u * span));
  const int p = static_cast<int>(walked);
  return p < span ? left + p : left + 2 * span - p;
}

double RoomScene::temperature(int width, int height, uint32_t n, int x, int y) {
  return roomAt(width, height, bodyX(width, n), n, x, y);
}

void RoomScene::codes(int width, int height, uint32_t n, int scale, int offset, std::vector<int16_t>& out) {
  out.resize(static_cast<size_t>(width) * height);
  const int bx = bodyX(width, n);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const long code = std::lround((roomAt(width, height, bx, n, x, y) - offset) * scale);
      out[static_cast<size_t>(y) * width + x] = static_cast<int16_t>(std::clamp(code, -32768L, 32767L));
    }
}

}  // namespace camsim
