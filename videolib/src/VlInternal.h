// Internal helpers of the video library: logging, FFmpeg error mapping, H.264 byte-stream
// scanning, picture conversion and the packet recorder shared by decoder and RTSP recordings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/rational.h>
#include <libswscale/swscale.h>
}

namespace vl {

constexpr int kMaxSide = 8192;

// Routes FFmpeg's own messages into the log callback (once per process; idempotent).
void installFfmpegLogHook();
// printf-style message to the installed log callback (nothing when none is installed).
void logf(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// FFmpeg's text for an AVERROR code.
std::string avErrorText(int err);
// Logs once per process that a hardware codec code was asked for and software is used.
void noteHardwareFallback(bool encoder, uint32_t code);

// Frame rate from a caller's numerator and denominator: either 0 gives 25/1.
AVRational frameRate(unsigned num, unsigned den);

// Annex-B NAL units of a buffer: calls fn(type, nal, size) for each unit (start code removed).
template <typename Fn>
void forEachNal(const uint8_t* data, size_t size, Fn&& fn);
// True when the Annex-B buffer holds a NAL unit of an IDR picture (type 5).
bool hasIdr(const uint8_t* data, size_t size);

// Keeps the latest SPS and PPS seen in a byte stream, as Annex-B bytes for extradata.
class ParamSets {
 public:
  void scan(const uint8_t* data, size_t size);
  bool complete() const { return !sps_.empty() && !pps_.empty(); }
  // SPS then PPS, each behind a 4-byte start code.
  std::vector<uint8_t> annexB() const;

 private:
  std::vector<uint8_t> sps_;
  std::vector<uint8_t> pps_;
};

// Opens an H.264 software decoder for live use: one slice-threaded context with low delay, so
// each packet's picture comes out with it. par (optional) supplies stream parameters.
AVCodecContext* openLiveDecoder(const AVCodecParameters* par, const uint8_t* extra, int extraSize);

// Converts decoded frames to BGRA (and optionally a luma plane) of a fixed output size.
class PictureOut {
 public:
  PictureOut() = default;
  PictureOut(const PictureOut&) = delete;
  PictureOut& operator=(const PictureOut&) = delete;
  ~PictureOut();
  void setSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  // Scales frame into bgra (width x height x 4) and, when plane is not null, its luma into plane
  // (width x height). False when the frame's format cannot be converted.
  bool write(const AVFrame* frame, uint8_t* bgra, uint8_t* plane);

 private:
  int width_ = 0;
  int height_ = 0;
  SwsContext* bgraCtx_ = nullptr;
  SwsContext* grayCtx_ = nullptr;
};

// Writes H.264 access units, unchanged, into a container file, starting with the first key
// frame. Time stamps are either the source's (rescaled) or made from a fixed frame rate.
class PacketRecorder {
 public:
  PacketRecorder() = default;
  PacketRecorder(const PacketRecorder&) = delete;
  PacketRecorder& operator=(const PacketRecorder&) = delete;
  ~PacketRecorder() { abandon(); }

  // Creates the file (the header follows with the first key frame). par may be null; width
  // and height are used when par gives none. Returns 0 or a negative library code.
  int open(const char* path, const AVCodecParameters* par, int width, int height, AVRational rate);
  bool isOpen() const { return fmt_ != nullptr; }
  // Appends one access unit. pts/duration in tb (AV_NOPTS_VALUE: made from the frame count);
  // key says whether it starts a decodable sequence. params supplies SPS/PPS when the stream
  // carries none in the file header. Returns 0 (stored or skipped) or -197.
  int write(const uint8_t* data, int size, bool key, int64_t pts, int64_t duration, AVRational tb,
            const ParamSets* params);
  // Finishes and closes the file. Returns 0, -7 (no key frame arrived, file removed) or -197.
  int close();

 private:
  int startFile(const uint8_t* data, int size, const ParamSets* params);
  void abandon();

  AVFormatContext* fmt_ = nullptr;
  AVStream* st_ = nullptr;
  std::string path_;
  AVRational rate_{25, 1};
  bool started_ = false;
  bool failed_ = false;
  int64_t frames_ = 0;
  int64_t firstPts_ = AV_NOPTS_VALUE;  // in the source time base
  int64_t lastDts_ = AV_NOPTS_VALUE;   // in the stream time base
};

// Container for a path: from its extension, MP4 when unknown. Null when FFmpeg has no muxer.
const AVOutputFormat* outputFormatFor(const char* path);

template <typename Fn>
void forEachNal(const uint8_t* data, size_t size, Fn&& fn) {
  size_t i = 0;
  // Find the first start code.
  auto nextStart = [&](size_t from, size_t* codeLen) -> size_t {
    for (size_t k = from; k + 3 <= size; ++k) {
      if (data[k] == 0 && data[k + 1] == 0) {
        if (data[k + 2] == 1) {
          *codeLen = 3;
          return k;
        }
        if (k + 4 <= size && data[k + 2] == 0 && data[k + 3] == 1) {
          *codeLen = 4;
          return k;
        }
      }
    }
    *codeLen = 0;
    return size;
  };
  size_t codeLen = 0;
  i = nextStart(0, &codeLen);
  while (i < size) {
    size_t begin = i + codeLen;
    size_t nextLen = 0;
    size_t next = nextStart(begin, &nextLen);
    size_t end = next;
    // Trailing zero bytes before the next start code belong to neither unit.
    while (end > begin && data[end - 1] == 0 && next < size) --end;
    if (end > begin) fn(data[begin] & 0x1f, data + begin, end - begin);
    i = next;
    codeLen = nextLen;
  }
}

}  // namespace vl
