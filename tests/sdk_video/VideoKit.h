// Helpers of the video preview and recording suites: the test clip (made by the video library),
// reading its frame-number squares back, the ffmpeg/ffprobe/Python peers, scratch folders and a
// callback collector.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "OstrelSDK.h"

namespace vpk {

// Bound of every wait: only a failing case reaches it.
constexpr std::chrono::milliseconds kLimit{60000};

constexpr int kClipFrames = 50;
constexpr int kClipKeyInterval = 25;

// Square geometry: nine squares of 24 x 24 on a row at y 100, square i at x 16 + 32 i. Squares
// 0..7 are white where bit i of the frame number is set, square 8 is black on the video clip and
// white on the mixed clip.
struct Square {
  static constexpr int kSide = 24, kTop = 100, kLeft = 16, kPitch = 32;
};

// The clip file of `width` x `height` (Annex-B H.264, kClipFrames frames, an IDR picture every
// kClipKeyInterval): made once by the video library's encoder and kept in the build folder.
// `mixed` selects the stream square. `remake` encodes it again even when it exists (the clip
// fixture does so once per test run; the file is replaced whole). Empty on failure.
std::string clipPath(int width, int height, bool mixed, bool remake = false);
// The BGRA picture of clip frame n before encoding.
std::vector<uint8_t> clipPicture(int width, int height, int n, bool mixed);
// Reads the nine squares of a BGRA picture: frame number (0..255) and stream bit; false when a
// square is neither clearly black nor clearly white.
bool readSquares(const uint32_t* bgra, int width, int* frame, bool* mixedSquare);

int run(const std::string& cmd, std::string* out = nullptr, int seconds = 120);
std::string ffmpeg();
std::string ffprobe();
std::string python();
std::string scriptPath(const std::string& name);
std::string scratchDir();
std::vector<uint8_t> readFile(const std::string& path);
std::string probeValue(const std::string& text, const std::string& key);
// Every frame of a video file decoded by the ffmpeg command as BGRA.
std::vector<std::vector<uint8_t>> ffmpegDecode(const std::string& path, int width, int height);

// What a preview's callback saw, copied on its thread.
struct Seen {
  int status = 0;
  std::chrono::steady_clock::time_point at;
  std::vector<uint8_t> image;  // copy of the picture (when asked for)
  std::vector<uint8_t> extra;  // copy of the first bytes of extra (when asked for)
  std::vector<uint8_t> head;   // temperature: head + codes as delivered
};

struct Collector {
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<Seen> seen;
  size_t imageBytes = 0;  // picture bytes to copy
  size_t extraBytes = 0;
  size_t tempBytes = 0;   // temperature: head + codes bytes to copy

  static void callback(int status, PreviewFrame* frame, void* user);
  bool waitFrames(size_t count, std::chrono::milliseconds limit = kLimit);
  bool waitStatus(int status, int count, std::chrono::milliseconds limit = kLimit);
  int count(int status);
  std::vector<Seen> frames();
};

}  // namespace vpk
