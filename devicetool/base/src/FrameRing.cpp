#include "devicetool/FrameRing.h"

#include <cstring>

FrameRing::FrameRing() = default;

int FrameRing::indexOf(const LiveFrame* frame) const {
  for (int i = 0; i < kSlots; ++i)
    if (frame == &slots_[size_t(i)].record) return i;
  return -1;
}

LiveFrame* FrameRing::put(const DataFrameHead* head, const int16_t* data, const uint32_t* image) {
  if (head == nullptr || data == nullptr) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  const size_t pixels = size_t(head->width) * size_t(head->height);
  if (pixels == 0 || pixels > kMaxPixels) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  Slot* slot = nullptr;
  for (int k = 0; k < kSlots && slot == nullptr; ++k) {
    Slot& s = slots_[(next_ + unsigned(k)) % kSlots];
    int expected = Free;
    if (s.state.compare_exchange_strong(expected, Writing, std::memory_order_acquire)) slot = &s;
  }
  if (slot == nullptr) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return nullptr;
  }
  next_ = unsigned(slot - slots_.data() + 1) % kSlots;

  const size_t codeBytes = pixels * sizeof(int16_t);
  if (slot->headAndData.size() < sizeof(DataFrameHead) + codeBytes)
    slot->headAndData.resize(sizeof(DataFrameHead) + codeBytes);
  std::memcpy(slot->headAndData.data(), head, sizeof(DataFrameHead));
  std::memcpy(slot->headAndData.data() + sizeof(DataFrameHead), data, codeBytes);
  slot->record.head = reinterpret_cast<DataFrameHead*>(slot->headAndData.data());
  slot->record.data = reinterpret_cast<int16_t*>(slot->headAndData.data() + sizeof(DataFrameHead));
  if (image != nullptr) {
    if (slot->image.size() < pixels) slot->image.resize(pixels);
    std::memcpy(slot->image.data(), image, pixels * sizeof(uint32_t));
    slot->record.image = slot->image.data();
  } else {
    slot->record.image = nullptr;
  }
  written_.fetch_add(1, std::memory_order_relaxed);
  slot->state.store(Queued, std::memory_order_release);
  return &slot->record;
}

bool FrameRing::take(const LiveFrame* frame) {
  const int i = indexOf(frame);
  if (i < 0) return false;
  int expected = Queued;
  return slots_[size_t(i)].state.compare_exchange_strong(expected, Held, std::memory_order_acquire);
}

void FrameRing::release(const LiveFrame* frame) {
  const int i = indexOf(frame);
  if (i < 0) return;
  int expected = Held;
  slots_[size_t(i)].state.compare_exchange_strong(expected, Free, std::memory_order_release);
}
