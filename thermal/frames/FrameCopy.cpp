#include "FrameCopy.h"

#include <cstring>

bool FrameCopy::assign(const FrameSlot& src) {
  if (src.head == nullptr || src.data == nullptr) return false;
  const size_t pixels = size_t{src.head->width} * src.head->height;
  if (pixels == 0 || pixels > kMaxPixels) return false;
  const size_t dataBytes = pixels * sizeof(int16_t);
  if (headAndData_.size() < sizeof(DataFrameHead) + dataBytes)
    headAndData_.resize(sizeof(DataFrameHead) + dataBytes);
  std::memcpy(headAndData_.data(), src.head, sizeof(DataFrameHead));
  std::memcpy(headAndData_.data() + sizeof(DataFrameHead), src.data, dataBytes);
  record_.head = reinterpret_cast<DataFrameHead*>(headAndData_.data());
  record_.data = reinterpret_cast<int16_t*>(headAndData_.data() + sizeof(DataFrameHead));
  if (src.image != nullptr) {
    if (image_.size() < pixels) image_.resize(pixels);
    std::memcpy(image_.data(), src.image, pixels * sizeof(uint32_t));
    record_.image = image_.data();
  } else {
    record_.image = nullptr;
  }
  record_.frameIndex = src.frameIndex;
  record_.frameNumber = src.frameNumber;
  return true;
}

void FrameCopy::reserve(int width, int height) {
  if (width <= 0 || height <= 0) return;
  const size_t pixels = size_t(width) * size_t(height);
  if (pixels > kMaxPixels) return;
  if (headAndData_.size() < sizeof(DataFrameHead) + pixels * 2)
    headAndData_.resize(sizeof(DataFrameHead) + pixels * 2);
  if (image_.size() < pixels) image_.resize(pixels);
}
