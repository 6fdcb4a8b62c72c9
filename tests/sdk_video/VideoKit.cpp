#include "VideoKit.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "OstrelFfmpeg.h"

namespace vpk {

std::vector<uint8_t> clipPicture(int width, int height, int n, bool mixed) {
  std::vector<uint8_t> p(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < p.size(); i += 4) {
    p[i] = p[i + 1] = p[i + 2] = 128;
    p[i + 3] = 255;
  }
  for (int k = 0; k < 9; ++k) {
    const bool white = k < 8 ? ((n >> k) & 1) != 0 : mixed;
    const uint8_t v = white ? 255 : 0;
    for (int y = Square::kTop; y < Square::kTop + Square::kSide && y < height; ++y)
      for (int x = Square::kLeft + k * Square::kPitch; x < Square::kLeft + k * Square::kPitch + Square::kSide; ++x) {
        uint8_t* q = &p[(static_cast<size_t>(y) * width + x) * 4];
        q[0] = q[1] = q[2] = v;
      }
  }
  return p;
}

std::string clipPath(int width, int height, bool mixed, bool remake) {
  const std::string dir = std::string(OSTREL_TEST_BINARY_DIR) + "/clips";
  std::filesystem::create_directories(dir);
  const std::string path =
      dir + "/" + (mixed ? "mixed-" : "video-") + std::to_string(width) + "x" + std::to_string(height) + ".h264";
  if (!remake && std::filesystem::exists(path)) return path;
  // Made under a private name and renamed, so cases started together never see half a clip.
  const std::string tmp = path + "." + std::to_string(getpid()) + ".h264";
  H264Encoder* enc = H264Enc_Create();
  H264EncConfig cfg{};
  cfg.width = static_cast<uint16_t>(width);
  cfg.height = static_cast<uint16_t>(height);
  cfg.fpsNum = 25;
  cfg.fpsDen = 1;
  cfg.keyInterval = kClipKeyInterval;
  bool ok = enc && H264Enc_SetConfig(enc, &cfg) == 0 && H264Enc_OpenFile(enc, tmp.c_str()) == 0;
  for (int n = 0; ok && n < kClipFrames; ++n) {
    auto pic = clipPicture(width, height, n, mixed);
    uint8_t* packet = nullptr;
    int length = 0;
    int rc = H264Enc_Encode(enc, pic.data(), &packet, &length);
    if (rc == 0) ok = H264Enc_WritePacket(enc, packet, length) == 0;
    else ok = rc == 1;
  }
  ok = ok && H264Enc_CloseFile(enc) == 0;
  H264Enc_Free(&enc);
  if (!ok) return "";
  std::filesystem::rename(tmp, path);
  return path;
}

bool readSquares(const uint32_t* bgra, int width, int* frame, bool* mixedSquare) {
  int bits = 0;
  for (int k = 0; k < 9; ++k) {
    int sum = 0, count = 0;
    // The inner 12 x 12 of the square: away from the encoder's smear at the edges.
    for (int y = Square::kTop + 6; y < Square::kTop + 18; ++y)
      for (int x = Square::kLeft + k * Square::kPitch + 6; x < Square::kLeft + k * Square::kPitch + 18; ++x) {
        sum += (bgra[static_cast<size_t>(y) * width + x] >> 8) & 0xFF;
        ++count;
      }
    const int mean = sum / count;
    if (mean > 60 && mean < 195) return false;
    if (mean >= 195) bits |= 1 << k;
  }
  *frame = bits & 0xFF;
  *mixedSquare = (bits >> 8) & 1;
  return true;
}

int run(const std::string& cmd, std::string* out, int seconds) {
  std::string full = "timeout " + std::to_string(seconds) + " " + cmd + " 2>&1";
  FILE* p = popen(full.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ffmpeg() { return std::string(OSTREL_FFMPEG_CMD) + " -nostdin -hide_banner"; }
std::string ffprobe() { return std::string(OSTREL_FFPROBE_CMD) + " -hide_banner"; }
std::string python() { return OSTREL_SYSTEM_PYTHON; }
std::string scriptPath(const std::string& name) { return std::string(OSTREL_TEST_SOURCE_DIR) + "/" + name; }

std::string scratchDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string dir =
      std::string(OSTREL_TEST_BINARY_DIR) + "/scratch/" + info->test_suite_name() + "." + info->name();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

std::string probeValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "";
}

std::vector<std::vector<uint8_t>> ffmpegDecode(const std::string& path, int width, int height) {
  // A private name: cases in other processes may decode the same clip at the same time.
  const std::string raw = path + "." + std::to_string(getpid()) + ".bgra";
  std::string out;
  if (run(ffmpeg() + " -v error -i " + path + " -f rawvideo -pix_fmt bgra -y " + raw, &out) != 0) return {};
  auto bytes = readFile(raw);
  std::filesystem::remove(raw);
  const size_t frame = static_cast<size_t>(width) * height * 4;
  std::vector<std::vector<uint8_t>> frames;
  for (size_t off = 0; off + frame <= bytes.size(); off += frame)
    frames.emplace_back(bytes.begin() + static_cast<long>(off), bytes.begin() + static_cast<long>(off + frame));
  return frames;
}

void Collector::callback(int status, PreviewFrame* frame, void* user) {
  auto* c = static_cast<Collector*>(user);
  Seen s;
  s.status = status;
  s.at = std::chrono::steady_clock::now();
  if (frame) {
    if (c->imageBytes) {
      auto* p = reinterpret_cast<const uint8_t*>(frame->image);
      s.image.assign(p, p + c->imageBytes);
    }
    if (c->extraBytes) {
      auto* p = static_cast<const uint8_t*>(frame->extra);
      s.extra.assign(p, p + c->extraBytes);
    }
    if (c->tempBytes) {
      auto* h = reinterpret_cast<const uint8_t*>(frame->head);
      auto* d = reinterpret_cast<const uint8_t*>(frame->data);
      s.head.assign(h, h + 128);
      s.head.insert(s.head.end(), d, d + (c->tempBytes - 128));
    }
  }
  std::lock_guard<std::mutex> lk(c->mutex);
  c->seen.push_back(std::move(s));
  c->cv.notify_all();
}

bool Collector::waitFrames(size_t count, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lk(mutex);
  return cv.wait_for(lk, limit, [&] {
    size_t n = 0;
    for (auto& s : seen) n += s.status == 0;
    return n >= count;
  });
}

bool Collector::waitStatus(int status, int count, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lk(mutex);
  return cv.wait_for(lk, limit, [&] {
    int n = 0;
    for (auto& s : seen) n += s.status == status;
    return n >= count;
  });
}

int Collector::count(int status) {
  std::lock_guard<std::mutex> lk(mutex);
  int n = 0;
  for (auto& s : seen) n += s.status == status;
  return n;
}

std::vector<Seen> Collector::frames() {
  std::lock_guard<std::mutex> lk(mutex);
  std::vector<Seen> out;
  for (auto& s : seen)
    if (s.status == 0) out.push_back(s);
  return out;
}

}  // namespace vpk
