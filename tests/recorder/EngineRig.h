// A recording engine fed with hand-made frames: heads carry the index (byte 10), the digital
// input (byte 25) and a time of 40 ms per index (byte 32); codes and picture follow the index.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "recordcore/RecordEngine.h"

namespace rectest {

inline void put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

inline int16_t codeAt(uint32_t index, size_t i) { return int16_t((index * 7 + i) % 3000); }
inline uint8_t pictureAt(uint32_t index, size_t i) { return uint8_t(index + i * 3); }
constexpr int64_t kTime0 = 133000000000000000LL;

inline void makeFrame(uint32_t w, uint32_t h, uint32_t index, uint8_t io, std::vector<uint8_t>& bytes,
                      std::vector<uint8_t>& bgra) {
  const size_t p = size_t(w) * h;
  bytes.assign(2 * p + 128, 0);
  put16(&bytes[0], uint16_t(w));
  put16(&bytes[2], uint16_t(h));
  bytes[8] = 2;
  put16(&bytes[10], uint16_t(index));
  put16(&bytes[12], 100);
  bytes[25] = io;
  const int64_t t = kTime0 + int64_t(index) * 400000;
  std::memcpy(&bytes[32], &t, 8);
  for (size_t i = 0; i < p; ++i) {
    const int16_t c = codeAt(index, i);
    std::memcpy(&bytes[128 + 2 * i], &c, 2);
  }
  bgra.resize(4 * p);
  for (size_t i = 0; i < 4 * p; ++i) bgra[i] = pictureAt(index, i);
}

class TempFolder {
 public:
  TempFolder() {
    char tmpl[] = "/tmp/recorder-test-XXXXXX";
    path_ = ::mkdtemp(tmpl);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// One engine on this thread with its pool and counter; remembers every notification.
struct EngineRig {
  recordcore::FramePool pool;
  std::atomic<int> counter{1};
  std::vector<std::pair<int, int>> transitions;
  recordcore::RecordStats last;
  int activeChanges = 0;
  recordcore::RecordEngine engine{&pool, &counter,
                                  recordcore::RecordEngine::Hooks{
                                      [this](int o, int n, const recordcore::RecordStats& s) {
                                        if (o != n) transitions.emplace_back(o, n);
                                        last = s;
                                      },
                                      [this](bool) { ++activeChanges; },
                                      {},
                                      {}}};
  std::vector<uint8_t> bytes, bgra;
  uint32_t w = 0, h = 0;

  // One frame is out at a time here: the smallest pool will do (and keeps the sanitizer lanes
  // from shadowing a large one).
  EngineRig() { engine.setPoolBudget(0); }

  recordcore::RecordSettings settings(uint32_t width, uint32_t height, const std::string& dir) {
    w = width;
    h = height;
    recordcore::RecordSettings s;
    s.width = width;
    s.height = height;
    s.fpsNum = 25;
    s.fpsDen = 1;
    s.naming.saveDir = dir;
    s.naming.prefixEnable = true;
    s.naming.prefix = "rec";
    s.naming.countEnable = true;
    s.naming.dateTime = false;
    std::strcpy(s.capture.cameraId, "CAM-TEST");
    return s;
  }
  // Hands frame `index` over as the receiving thread would; false when the pool refused it.
  bool feed(uint32_t index, uint8_t io = 0) {
    makeFrame(w, h, index, io, bytes, bgra);
    recordcore::PoolFrame* f = pool.fill(bytes.data(), uint32_t(bytes.size()), bgra.data(), uint32_t(bgra.size()));
    if (f == nullptr) return false;
    engine.frame(f);
    return true;
  }
  void feedRange(uint32_t from, uint32_t to, uint8_t io = 0) {
    for (uint32_t i = from; i < to; ++i) ASSERT_TRUE(feed(i, io));
  }
};

// The frames the SDK reads back: their head indices, and whether each one's codes are its own.
struct SdkRead {
  int opened = -1;
  int count = 0;
  std::vector<uint32_t> indices;
  int wrongCodes = 0;
};

inline SdkRead readWithSdk(const std::string& path, uint32_t w, uint32_t h) {
  SdkRead r;
  TFContext* ctx = TF_Create();
  if (ctx == nullptr) return r;
  r.opened = TF_Open(ctx, path.c_str(), TfOpenType_Stream);
  if (r.opened == 0) {
    TFRaw raw{};
    if (TF_ReadRaw(ctx, &raw) == 0 && raw.conf != nullptr) r.count = raw.conf->frameCount;
    for (int i = 0; i < r.count; ++i) {
      TFFrame f{};
      if (TF_ReadFrame(ctx, i, &f) != 0) {
        ++r.wrongCodes;
        continue;
      }
      r.indices.push_back(f.head->frameIndex);
      for (size_t k = 0; k < size_t(w) * h; k += 97)
        if (f.data[k] != codeAt(f.head->frameIndex, k)) {
          ++r.wrongCodes;
          break;
        }
    }
  }
  TF_Free(&ctx);
  return r;
}

}  // namespace rectest
