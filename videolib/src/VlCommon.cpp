// Library start and stop, the log route, and the helpers shared by decoder, encoder and RTSP
// (the recorder of access units is in VlRecorder.cpp).
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "OstrelFfmpeg.h"
#include "VlInternal.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

namespace vl {
namespace {

struct LogTarget {
  OstrelFfmpegLogCallback callback = nullptr;
  void* user = nullptr;
  int minLevel = OSTREL_FF_LOG_DEBUG;
};

std::mutex& logMutex() {
  static std::mutex m;
  return m;
}
LogTarget& logTarget() {  // guarded by logMutex()
  static LogTarget t;
  return t;
}

void emit(int level, const char* text) {
  LogTarget t;
  {
    std::lock_guard<std::mutex> lock(logMutex());
    t = logTarget();
  }
  if (t.callback && level >= t.minLevel) t.callback(level, text, t.user);
}

// FFmpeg's messages: only warnings and errors, without the trailing newline. FFmpeg calls this
// on any of its threads.
void ffmpegLog(void* avcl, int level, const char* format, va_list args) {
  if (level > AV_LOG_WARNING) return;
  char line[1024];
  int printPrefix = 1;
  va_list copy;
  va_copy(copy, args);
  av_log_format_line2(avcl, level, format, copy, line, sizeof line, &printPrefix);
  va_end(copy);
  size_t n = strlen(line);
  while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = '\0';
  if (n == 0) return;
  emit(level <= AV_LOG_ERROR ? OSTREL_FF_LOG_ERROR : OSTREL_FF_LOG_WARN, line);
}

std::mutex initMutex;
int initCount = 0;  // guarded by initMutex

std::atomic<bool> hwNotedEncoder{false};
std::atomic<bool> hwNotedDecoder{false};

}  // namespace

void installFfmpegLogHook() {
  // FFmpeg's default writes to stderr; the library's messages belong to the caller's logger.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_callback(ffmpegLog); });
}

void logf(int level, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  emit(level, text);
}

std::string avErrorText(int err) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
  av_strerror(err, buf, sizeof buf);
  return buf;
}

void noteHardwareFallback(bool encoder, uint32_t code) {
  if (code == 0) return;
  std::atomic<bool>& noted = encoder ? hwNotedEncoder : hwNotedDecoder;
  if (noted.exchange(true)) return;
  logf(OSTREL_FF_LOG_INFO, "%s codec code %u asks for hardware, which is not available; using software H.264",
       encoder ? "encoder" : "decoder", code);
}

AVRational frameRate(unsigned num, unsigned den) {
  if (num == 0 || den == 0) return AVRational{25, 1};
  AVRational r{static_cast<int>(num), static_cast<int>(den)};
  av_reduce(&r.num, &r.den, r.num, r.den, 65535);
  return r;
}

bool hasIdr(const uint8_t* data, size_t size) {
  bool idr = false;
  forEachNal(data, size, [&](int type, const uint8_t*, size_t) { idr = idr || type == 5; });
  return idr;
}

void ParamSets::scan(const uint8_t* data, size_t size) {
  forEachNal(data, size, [&](int type, const uint8_t* nal, size_t n) {
    if (type == 7) sps_.assign(nal, nal + n);
    if (type == 8) pps_.assign(nal, nal + n);
  });
}

std::vector<uint8_t> ParamSets::annexB() const {
  std::vector<uint8_t> out;
  static const uint8_t kStart[4] = {0, 0, 0, 1};
  for (const auto* unit : {&sps_, &pps_}) {
    if (unit->empty()) continue;
    out.insert(out.end(), kStart, kStart + 4);
    out.insert(out.end(), unit->begin(), unit->end());
  }
  return out;
}

namespace {

// avcC set-up bytes (first byte 1) as Annex-B SPS and PPS, because the camera's packets are
// Annex-B and FFmpeg's decoder expects length-prefixed packets after avcC extradata. Empty when
// the record is malformed.
std::vector<uint8_t> avccToAnnexB(const uint8_t* p, size_t n) {
  std::vector<uint8_t> out;
  if (n < 7 || p[0] != 1) return {};
  size_t pos = 5;
  for (int list = 0; list < 2; ++list) {
    if (pos >= n) return {};
    int count = list == 0 ? (p[pos] & 0x1f) : p[pos];
    ++pos;
    for (int k = 0; k < count; ++k) {
      if (pos + 2 > n) return {};
      size_t len = (size_t(p[pos]) << 8) | p[pos + 1];
      pos += 2;
      if (len > n - pos) return {};
      const uint8_t start[4] = {0, 0, 0, 1};
      out.insert(out.end(), start, start + 4);
      out.insert(out.end(), p + pos, p + pos + len);
      pos += len;
    }
  }
  return out;
}

AVCodecContext* tryOpen(const AVCodec* codec, const AVCodecParameters* par, const uint8_t* extra,
                        size_t extraSize) {
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  if (!ctx) return nullptr;
  if (par && avcodec_parameters_to_context(ctx, par) < 0) {
    avcodec_free_context(&ctx);
    return nullptr;
  }
  if (extraSize > 0) {
    av_freep(&ctx->extradata);
    ctx->extradata = static_cast<uint8_t*>(av_mallocz(extraSize + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!ctx->extradata) {
      avcodec_free_context(&ctx);
      return nullptr;
    }
    memcpy(ctx->extradata, extra, extraSize);
    ctx->extradata_size = static_cast<int>(extraSize);
  }
  // Live decoding: frame threading would hold pictures back by one packet per thread, so use
  // slice threads only, and output each picture as soon as it is complete.
  ctx->flags |= AV_CODEC_FLAG_LOW_DELAY;
  ctx->thread_type = FF_THREAD_SLICE;
  ctx->thread_count = 0;
  int err = avcodec_open2(ctx, codec, nullptr);
  if (err < 0) {
    logf(OSTREL_FF_LOG_ERROR, "avcodec_open2(h264) failed: %s", avErrorText(err).c_str());
    avcodec_free_context(&ctx);
    return nullptr;
  }
  return ctx;
}

}  // namespace

AVCodecContext* openLiveDecoder(const AVCodecParameters* par, const uint8_t* extra, int extraSize) {
  const AVCodec* codec = avcodec_find_decoder_by_name("h264");
  if (!codec) {
    logf(OSTREL_FF_LOG_ERROR, "FFmpeg has no h264 decoder");
    return nullptr;
  }
  std::vector<uint8_t> annexB;
  if (extra && extraSize > 0) {
    if (extra[0] == 1) {
      annexB = avccToAnnexB(extra, static_cast<size_t>(extraSize));
      if (annexB.empty()) logf(OSTREL_FF_LOG_WARN, "codec set-up bytes are a malformed avcC record; ignored");
    } else {
      annexB.assign(extra, extra + extraSize);
    }
  }
  AVCodecContext* ctx = tryOpen(codec, par, annexB.data(), annexB.size());
  if (!ctx && !annexB.empty()) {
    logf(OSTREL_FF_LOG_WARN, "codec set-up bytes refused by the decoder; decoding without them");
    ctx = tryOpen(codec, par, nullptr, 0);
  }
  return ctx;
}

// ---- PictureOut --------------------------------------------------------------------------

PictureOut::~PictureOut() {
  sws_freeContext(bgraCtx_);
  sws_freeContext(grayCtx_);
}

bool PictureOut::write(const AVFrame* frame, uint8_t* bgra, uint8_t* plane) {
  if (width_ <= 0 || height_ <= 0 || frame->width <= 0 || frame->height <= 0) return false;
  AVPixelFormat fmt = static_cast<AVPixelFormat>(frame->format);
  // The deprecated full-range formats are their plain twins with a full source range.
  int fullRange = frame->color_range == AVCOL_RANGE_JPEG;
  switch (fmt) {
    case AV_PIX_FMT_YUVJ420P:
      fmt = AV_PIX_FMT_YUV420P;
      fullRange = 1;
      break;
    case AV_PIX_FMT_YUVJ422P:
      fmt = AV_PIX_FMT_YUV422P;
      fullRange = 1;
      break;
    case AV_PIX_FMT_YUVJ444P:
      fmt = AV_PIX_FMT_YUV444P;
      fullRange = 1;
      break;
    default:
      break;
  }
  if (!sws_isSupportedInput(fmt)) {
    logf(OSTREL_FF_LOG_ERROR, "decoded pixel format %s cannot be converted",
         av_get_pix_fmt_name(fmt) ? av_get_pix_fmt_name(fmt) : "?");
    return false;
  }
  // Always the caller's size, whatever the stream says, so the caller's buffer is never overrun.
  bgraCtx_ = sws_getCachedContext(bgraCtx_, frame->width, frame->height, fmt, width_, height_,
                                  AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!bgraCtx_) return false;
  if (fullRange) {
    const int* coeffs = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(bgraCtx_, coeffs, 1, coeffs, 1, 0, 1 << 16, 1 << 16);
  }
  uint8_t* dst[4] = {bgra, nullptr, nullptr, nullptr};
  int dstStride[4] = {width_ * 4, 0, 0, 0};
  sws_scale(bgraCtx_, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
  if (plane) {
    grayCtx_ = sws_getCachedContext(grayCtx_, frame->width, frame->height, fmt, width_, height_,
                                    AV_PIX_FMT_GRAY8, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!grayCtx_) return false;
    uint8_t* gdst[4] = {plane, nullptr, nullptr, nullptr};
    int gstride[4] = {width_, 0, 0, 0};
    sws_scale(grayCtx_, frame->data, frame->linesize, 0, frame->height, gdst, gstride);
  }
  return true;
}

}  // namespace vl

// ---- Exported start, stop and logging ------------------------------------------------------

extern "C" OSTREL_FFMPEG_API void OstrelFfmpeg_SetLogCallback(OstrelFfmpegLogCallback callback, void* user,
                                                              int minLevel) {
  std::lock_guard<std::mutex> lock(vl::logMutex());
  vl::logTarget() = vl::LogTarget{callback, user, minLevel};
}

extern "C" OSTREL_FFMPEG_API int OstrelFfmpeg_Init(void) {
  std::lock_guard<std::mutex> lock(vl::initMutex);
  vl::installFfmpegLogHook();
  if (vl::initCount++ == 0) avformat_network_init();
  return OSTREL_FF_OK;
}

extern "C" OSTREL_FFMPEG_API int OstrelFfmpeg_Uninit(void) {
  std::lock_guard<std::mutex> lock(vl::initMutex);
  if (vl::initCount == 0) return OSTREL_FF_OK;
  if (--vl::initCount == 0) avformat_network_deinit();
  return OSTREL_FF_OK;
}
