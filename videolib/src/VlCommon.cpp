// Library start and stop, the log route, and the helpers shared by decoder, encoder and RTSP.
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

// ---- Output files ------------------------------------------------------------------------

const AVOutputFormat* outputFormatFor(const char* path) {
  const AVOutputFormat* fmt = av_guess_format(nullptr, path, nullptr);
  if (!fmt) fmt = av_guess_format("mp4", nullptr, nullptr);
  return fmt;
}

int PacketRecorder::open(const char* path, const AVCodecParameters* par, int width, int height,
                         AVRational rate) {
  close();
  const AVOutputFormat* ofmt = outputFormatFor(path);
  if (!ofmt) return OSTREL_FF_E_UNSUPPORTED;
  AVFormatContext* fmt = nullptr;
  if (avformat_alloc_output_context2(&fmt, ofmt, nullptr, path) < 0 || !fmt) return OSTREL_FF_E_FAILED;
  AVStream* st = avformat_new_stream(fmt, nullptr);
  if (!st) {
    avformat_free_context(fmt);
    return OSTREL_FF_E_NO_MEMORY;
  }
  if (par) {
    if (avcodec_parameters_copy(st->codecpar, par) < 0) {
      avformat_free_context(fmt);
      return OSTREL_FF_E_NO_MEMORY;
    }
  } else {
    st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    st->codecpar->codec_id = AV_CODEC_ID_H264;
  }
  st->codecpar->codec_tag = 0;
  if (st->codecpar->width <= 0 || st->codecpar->height <= 0) {
    st->codecpar->width = width;
    st->codecpar->height = height;
  }
  st->time_base = av_inv_q(rate);
  st->avg_frame_rate = rate;
  st->r_frame_rate = rate;
  if (!(ofmt->flags & AVFMT_NOFILE)) {
    int err = avio_open(&fmt->pb, path, AVIO_FLAG_WRITE);
    if (err < 0) {
      logf(OSTREL_FF_LOG_ERROR, "cannot create %s: %s", path, avErrorText(err).c_str());
      avformat_free_context(fmt);
      return OSTREL_FF_E_OPEN;
    }
  }
  fmt_ = fmt;
  st_ = st;
  path_ = path;
  rate_ = rate;
  started_ = false;
  failed_ = false;
  frames_ = 0;
  firstPts_ = AV_NOPTS_VALUE;
  lastDts_ = AV_NOPTS_VALUE;
  return OSTREL_FF_OK;
}

int PacketRecorder::startFile(const uint8_t* data, int size, const ParamSets* params) {
  AVCodecParameters* par = st_->codecpar;
  if (par->extradata_size <= 0) {
    // The container's header needs the parameter sets: from the stream seen so far, else from
    // this unit itself.
    ParamSets own;
    own.scan(data, static_cast<size_t>(size));
    const ParamSets* use = own.complete() ? &own : (params && params->complete() ? params : nullptr);
    if (!use) return OSTREL_FF_PENDING;
    std::vector<uint8_t> extra = use->annexB();
    par->extradata = static_cast<uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!par->extradata) return OSTREL_FF_E_NO_MEMORY;
    memcpy(par->extradata, extra.data(), extra.size());
    par->extradata_size = static_cast<int>(extra.size());
  }
  int err = avformat_write_header(fmt_, nullptr);
  if (err < 0) {
    logf(OSTREL_FF_LOG_ERROR, "cannot write the header of %s: %s", path_.c_str(), avErrorText(err).c_str());
    failed_ = true;
    return OSTREL_FF_E_WRITE;
  }
  started_ = true;
  return OSTREL_FF_OK;
}

int PacketRecorder::write(const uint8_t* data, int size, bool key, int64_t pts, int64_t duration,
                          AVRational tb, const ParamSets* params) {
  if (!fmt_ || size <= 0) return OSTREL_FF_OK;
  if (failed_) return OSTREL_FF_E_WRITE;
  if (!started_) {
    // The file starts at a key frame so that it decodes from its first picture.
    if (!key) return OSTREL_FF_OK;
    int r = startFile(data, size, params);
    if (r == OSTREL_FF_PENDING) return OSTREL_FF_OK;
    if (r < 0) return r;
  }
  AVPacket* pkt = av_packet_alloc();
  if (!pkt || av_new_packet(pkt, size) < 0) {
    av_packet_free(&pkt);
    return OSTREL_FF_E_NO_MEMORY;
  }
  memcpy(pkt->data, data, static_cast<size_t>(size));
  pkt->stream_index = st_->index;
  if (key) pkt->flags |= AV_PKT_FLAG_KEY;
  AVRational frameTb = av_inv_q(rate_);
  if (pts == AV_NOPTS_VALUE) {
    pkt->pts = pkt->dts = frames_;
    pkt->duration = 1;
    tb = frameTb;
  } else {
    if (firstPts_ == AV_NOPTS_VALUE) firstPts_ = pts;
    pkt->pts = pkt->dts = pts - firstPts_;
    pkt->duration = duration > 0 ? duration : av_rescale_q(1, frameTb, tb);
  }
  // The duration must be set before rescaling: the MP4 muxer sizes the last sample (and the
  // edit list) from it, and without it the last frame is cut off.
  av_packet_rescale_ts(pkt, tb, st_->time_base);
  if (lastDts_ != AV_NOPTS_VALUE && pkt->dts <= lastDts_) pkt->pts = pkt->dts = lastDts_ + 1;
  lastDts_ = pkt->dts;
  ++frames_;
  int err = av_interleaved_write_frame(fmt_, pkt);
  av_packet_free(&pkt);
  if (err < 0) {
    logf(OSTREL_FF_LOG_ERROR, "writing %s failed: %s", path_.c_str(), avErrorText(err).c_str());
    return OSTREL_FF_E_WRITE;
  }
  return OSTREL_FF_OK;
}

int PacketRecorder::close() {
  if (!fmt_) return OSTREL_FF_E_STATE;
  int result = OSTREL_FF_OK;
  bool remove = false;
  if (started_) {
    int err = av_write_trailer(fmt_);
    if (err < 0) {
      logf(OSTREL_FF_LOG_ERROR, "finishing %s failed: %s", path_.c_str(), avErrorText(err).c_str());
      result = OSTREL_FF_E_WRITE;
    }
  } else {
    logf(OSTREL_FF_LOG_WARN, "no key frame arrived; %s removed", path_.c_str());
    result = failed_ ? OSTREL_FF_E_WRITE : OSTREL_FF_E_STATE;
    remove = true;
  }
  if (fmt_->pb && !(fmt_->oformat->flags & AVFMT_NOFILE)) {
    if (avio_closep(&fmt_->pb) < 0 && result == OSTREL_FF_OK) result = OSTREL_FF_E_WRITE;
  }
  avformat_free_context(fmt_);
  fmt_ = nullptr;
  st_ = nullptr;
  if (remove) ::remove(path_.c_str());
  return result;
}

void PacketRecorder::abandon() {
  if (fmt_) close();
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
