// RTSP reader: connects to (or listens for) an RTSP source, decodes its H.264 video into BGRA
// and records its packets on request.
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "OstrelFfmpeg.h"
#include "VlInternal.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace {
int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

struct RtspStream {
  AVFormatContext* fmt = nullptr;
  int video = -1;
  AVCodecContext* ctx = nullptr;
  AVPacket* pkt = nullptr;
  AVFrame* frame = nullptr;
  vl::PictureOut out;
  int width = 0;
  int height = 0;
  // Every blocking FFmpeg call runs under a deadline checked by FFmpeg's interrupt callback, so
  // a dead or silent server cannot hold the caller.
  std::atomic<int64_t> deadlineMs{0};
  bool ended = false;

  std::mutex saveMutex;    // Rtsp_BeginSave/EndSave may run on another thread than Rtsp_Read
  vl::PacketRecorder rec;  // guarded by saveMutex
  vl::ParamSets params;    // guarded by saveMutex

  ~RtspStream() {
    avcodec_free_context(&ctx);
    av_packet_free(&pkt);
    av_frame_free(&frame);
    if (fmt) avformat_close_input(&fmt);
  }
};

namespace {

int interruptCheck(void* opaque) {
  auto* s = static_cast<RtspStream*>(opaque);
  return nowMs() > s->deadlineMs.load() ? 1 : 0;
}

void armDeadline(RtspStream* s, int ms) {
  s->deadlineMs.store(nowMs() + ms);
}

// Takes one decoded picture if the decoder has one ready. True when bgra was written.
bool takePicture(RtspStream* s, uint8_t* bgra, uint8_t* plane) {
  while (avcodec_receive_frame(s->ctx, s->frame) >= 0) {
    bool ok = s->out.write(s->frame, bgra, plane);
    av_frame_unref(s->frame);
    if (ok) return true;
  }
  return false;
}

}  // namespace

extern "C" OSTREL_FFMPEG_API RtspStream* Rtsp_Open(const char* url, RtspOpenConfig* config) {
  if (!url || !config) return nullptr;
  vl::installFfmpegLogHook();
  vl::noteHardwareFallback(false, config->codec);
  RtspStream* s = new (std::nothrow) RtspStream;
  if (!s) return nullptr;
  s->pkt = av_packet_alloc();
  s->frame = av_frame_alloc();
  s->fmt = avformat_alloc_context();
  if (!s->pkt || !s->frame || !s->fmt) {
    delete s;
    return nullptr;
  }
  s->fmt->interrupt_callback.callback = interruptCheck;
  s->fmt->interrupt_callback.opaque = s;
  // Enough to learn the picture size from the first key frame; the default five seconds would
  // delay every start.
  s->fmt->max_analyze_duration = 2 * AV_TIME_BASE;
  // Nor wait for 20 pictures to measure the frame rate: a slow source would hold the open for
  // many seconds. Recordings keep the source's own time stamps.
  s->fmt->fps_probe_size = 0;
  AVDictionary* opts = nullptr;
  if (config->options & OSTREL_RTSP_TCP) av_dict_set(&opts, "rtsp_transport", "tcp", 0);
  if (config->options & OSTREL_RTSP_LISTEN) {
    av_dict_set(&opts, "rtsp_flags", "listen", 0);
    av_dict_set_int(&opts, "listen_timeout", (OSTREL_RTSP_OPEN_TIMEOUT_MS + 999) / 1000, 0);
  }
  armDeadline(s, OSTREL_RTSP_OPEN_TIMEOUT_MS);
  int err = avformat_open_input(&s->fmt, url, nullptr, &opts);
  av_dict_free(&opts);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "Rtsp_Open: cannot open %s: %s", url, vl::avErrorText(err).c_str());
    s->fmt = nullptr;  // freed by avformat_open_input on failure
    delete s;
    return nullptr;
  }
  err = avformat_find_stream_info(s->fmt, nullptr);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "Rtsp_Open: no stream information from %s: %s", url,
             vl::avErrorText(err).c_str());
    delete s;
    return nullptr;
  }
  s->video = av_find_best_stream(s->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (s->video < 0 || s->fmt->streams[s->video]->codecpar->codec_id != AV_CODEC_ID_H264) {
    vl::logf(OSTREL_FF_LOG_ERROR, "Rtsp_Open: %s has no H.264 video", url);
    delete s;
    return nullptr;
  }
  for (unsigned i = 0; i < s->fmt->nb_streams; ++i)
    if (static_cast<int>(i) != s->video) s->fmt->streams[i]->discard = AVDISCARD_ALL;
  const AVCodecParameters* par = s->fmt->streams[s->video]->codecpar;
  if (par->width <= 0 || par->height <= 0 || par->width > vl::kMaxSide || par->height > vl::kMaxSide) {
    vl::logf(OSTREL_FF_LOG_ERROR, "Rtsp_Open: %s has an unusable picture size %d x %d", url, par->width,
             par->height);
    delete s;
    return nullptr;
  }
  s->ctx = vl::openLiveDecoder(par, nullptr, 0);
  if (!s->ctx) {
    delete s;
    return nullptr;
  }
  if (par->extradata_size > 0) s->params.scan(par->extradata, static_cast<size_t>(par->extradata_size));
  s->width = par->width;
  s->height = par->height;
  s->out.setSize(s->width, s->height);
  config->width = static_cast<uint16_t>(s->width);
  config->height = static_cast<uint16_t>(s->height);
  vl::logf(OSTREL_FF_LOG_INFO, "Rtsp_Open: %s, %d x %d", url, s->width, s->height);
  return s;
}

extern "C" OSTREL_FFMPEG_API int Rtsp_Read(RtspStream* s, uint8_t* bgra, uint8_t* plane) {
  if (!s) return OSTREL_FF_E_HANDLE;
  if (!bgra) return OSTREL_FF_E_ARGUMENT;
  if (s->ended) {
    // The stream is gone for good; callers retry at once, so pace them.
    std::this_thread::sleep_for(std::chrono::milliseconds(OSTREL_RTSP_FAIL_PAUSE_MS));
    return OSTREL_FF_E_STREAM_END;
  }
  if (takePicture(s, bgra, plane)) return OSTREL_FF_OK;
  int64_t deadline = nowMs() + OSTREL_RTSP_READ_TIMEOUT_MS;
  s->deadlineMs.store(deadline);
  AVStream* st = s->fmt->streams[s->video];
  for (;;) {
    int err = av_read_frame(s->fmt, s->pkt);
    if (err < 0) {
      if (nowMs() > deadline) return OSTREL_FF_E_TIMEOUT;
      vl::logf(OSTREL_FF_LOG_WARN, "Rtsp_Read: stream ended: %s", vl::avErrorText(err).c_str());
      s->ended = true;
      return OSTREL_FF_E_STREAM_END;
    }
    if (s->pkt->stream_index != s->video || s->pkt->size <= 0) {
      av_packet_unref(s->pkt);
      continue;
    }
    {
      std::lock_guard<std::mutex> lock(s->saveMutex);
      s->params.scan(s->pkt->data, static_cast<size_t>(s->pkt->size));
      if (s->rec.isOpen()) {
        bool key =
            (s->pkt->flags & AV_PKT_FLAG_KEY) || vl::hasIdr(s->pkt->data, static_cast<size_t>(s->pkt->size));
        int64_t pts = s->pkt->pts != AV_NOPTS_VALUE ? s->pkt->pts : s->pkt->dts;
        s->rec.write(s->pkt->data, s->pkt->size, key, pts, s->pkt->duration, st->time_base, &s->params);
      }
    }
    err = avcodec_send_packet(s->ctx, s->pkt);
    av_packet_unref(s->pkt);
    if (err < 0 && err != AVERROR(EAGAIN))
      vl::logf(OSTREL_FF_LOG_DEBUG, "Rtsp_Read: packet refused: %s", vl::avErrorText(err).c_str());
    if (takePicture(s, bgra, plane)) return OSTREL_FF_OK;
    if (nowMs() > deadline) return OSTREL_FF_E_TIMEOUT;
  }
}

extern "C" OSTREL_FFMPEG_API int Rtsp_BeginSave(RtspStream* s, const char* path) {
  if (!s) return OSTREL_FF_E_HANDLE;
  if (!path || !*path) return OSTREL_FF_E_ARGUMENT;
  std::lock_guard<std::mutex> lock(s->saveMutex);
  if (s->rec.isOpen()) return OSTREL_FF_E_STATE;
  const AVStream* st = s->fmt->streams[s->video];
  AVRational rate =
      st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate : st->r_frame_rate;
  return s->rec.open(path, st->codecpar, s->width, s->height,
                     rate.num > 0 && rate.den > 0 ? rate : AVRational{25, 1});
}

extern "C" OSTREL_FFMPEG_API int Rtsp_EndSave(RtspStream* s) {
  if (!s) return OSTREL_FF_E_HANDLE;
  std::lock_guard<std::mutex> lock(s->saveMutex);
  return s->rec.close();
}

extern "C" OSTREL_FFMPEG_API void Rtsp_Close(RtspStream** s) {
  if (!s || !*s) return;
  {
    std::lock_guard<std::mutex> lock((*s)->saveMutex);
    if ((*s)->rec.isOpen()) (*s)->rec.close();
  }
  // The goodbye to the server must not block longer than a read.
  armDeadline(*s, OSTREL_RTSP_READ_TIMEOUT_MS);
  delete *s;
  *s = nullptr;
}
