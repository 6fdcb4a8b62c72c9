// H.264 decoder of the camera's video and mixed streams, with recording of the received units.
#include <cstring>
#include <mutex>

#include "OstrelFfmpeg.h"
#include "VlInternal.h"

struct H264Decoder {
  H264DecConfig config{};
  bool configured = false;
  AVCodecContext* ctx = nullptr;
  AVPacket* pkt = nullptr;
  AVFrame* frame = nullptr;
  vl::PictureOut out;

  // The save functions may run on another thread than Decode; this lock guards the recorder
  // and the parameter sets, which both paths touch.
  std::mutex saveMutex;
  vl::ParamSets params;    // guarded by saveMutex
  vl::PacketRecorder rec;  // guarded by saveMutex

  ~H264Decoder() {
    avcodec_free_context(&ctx);
    av_packet_free(&pkt);
    av_frame_free(&frame);
  }
};

extern "C" OSTREL_FFMPEG_API H264Decoder* H264Dec_Create(void) {
  vl::installFfmpegLogHook();
  H264Decoder* dec = new (std::nothrow) H264Decoder;
  if (!dec) return nullptr;
  dec->pkt = av_packet_alloc();
  dec->frame = av_frame_alloc();
  if (!dec->pkt || !dec->frame) {
    delete dec;
    return nullptr;
  }
  return dec;
}

extern "C" OSTREL_FFMPEG_API int H264Dec_SetConfig(H264Decoder* dec, const H264DecConfig* config) {
  if (!dec) return OSTREL_FF_E_HANDLE;
  if (!config || config->width == 0 || config->height == 0 || config->width > vl::kMaxSide ||
      config->height > vl::kMaxSide || config->extraLength < 0 ||
      config->extraLength > static_cast<int>(sizeof config->extra))
    return OSTREL_FF_E_ARGUMENT;
  {
    std::lock_guard<std::mutex> lock(dec->saveMutex);
    if (dec->rec.isOpen()) return OSTREL_FF_E_STATE;
  }
  vl::noteHardwareFallback(false, config->codec);
  avcodec_free_context(&dec->ctx);
  dec->configured = false;
  AVCodecContext* ctx = vl::openLiveDecoder(nullptr, config->extra, config->extraLength);
  if (!ctx) return avcodec_find_decoder_by_name("h264") ? OSTREL_FF_E_FAILED : OSTREL_FF_E_UNSUPPORTED;
  dec->ctx = ctx;
  dec->config = *config;
  dec->out.setSize(config->width, config->height);
  {
    std::lock_guard<std::mutex> lock(dec->saveMutex);
    dec->params = vl::ParamSets();
    if (config->extraLength > 0) dec->params.scan(config->extra, static_cast<size_t>(config->extraLength));
  }
  dec->configured = true;
  return OSTREL_FF_OK;
}

extern "C" OSTREL_FFMPEG_API int H264Dec_Decode(H264Decoder* dec, const uint8_t* data, int length,
                                                uint8_t* bgra) {
  if (!dec) return OSTREL_FF_E_HANDLE;
  if (length < 0 || (length > 0 && !data) || !bgra) return OSTREL_FF_E_ARGUMENT;
  if (!dec->configured) return OSTREL_FF_E_STATE;
  // An empty packet means "drain" to FFmpeg, after which the decoder refuses every packet: a
  // frame without payload is skipped instead.
  if (length == 0) return OSTREL_FF_PENDING;
  {
    std::lock_guard<std::mutex> lock(dec->saveMutex);
    dec->params.scan(data, static_cast<size_t>(length));
  }
  if (av_new_packet(dec->pkt, length) < 0) return OSTREL_FF_E_NO_MEMORY;
  memcpy(dec->pkt->data, data, static_cast<size_t>(length));
  int result = OSTREL_FF_PENDING;
  // Takes every picture the decoder has ready; the last one of the unit wins (normally there is
  // exactly one).
  auto takePictures = [&] {
    int e;
    while ((e = avcodec_receive_frame(dec->ctx, dec->frame)) >= 0) {
      if (dec->out.write(dec->frame, bgra, nullptr))
        result = OSTREL_FF_OK;
      else if (result != OSTREL_FF_OK)
        result = OSTREL_FF_E_DATA;
      av_frame_unref(dec->frame);
    }
    // A drained decoder would refuse all further packets: reset it (not reached, as no empty
    // packet is ever sent).
    if (e == AVERROR_EOF) avcodec_flush_buffers(dec->ctx);
  };
  int err = avcodec_send_packet(dec->ctx, dec->pkt);
  if (err == AVERROR(EAGAIN)) {
    // Only when pictures were left waiting: take them, then the packet fits.
    takePictures();
    err = avcodec_send_packet(dec->ctx, dec->pkt);
  }
  av_packet_unref(dec->pkt);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_DEBUG, "H264Dec_Decode: packet of %d bytes refused: %s", length,
             vl::avErrorText(err).c_str());
    return result == OSTREL_FF_OK ? result : OSTREL_FF_E_DATA;
  }
  takePictures();
  return result;
}

extern "C" OSTREL_FFMPEG_API int H264Dec_BeginSave(H264Decoder* dec, const char* path) {
  if (!dec) return OSTREL_FF_E_HANDLE;
  if (!path || !*path) return OSTREL_FF_E_ARGUMENT;
  if (!dec->configured) return OSTREL_FF_E_STATE;
  std::lock_guard<std::mutex> lock(dec->saveMutex);
  if (dec->rec.isOpen()) dec->rec.close();
  // The decoder's picture size is the stream's once it has decoded; else the configured one.
  int w = dec->ctx && dec->ctx->width > 0 ? dec->ctx->width : dec->config.width;
  int h = dec->ctx && dec->ctx->height > 0 ? dec->ctx->height : dec->config.height;
  return dec->rec.open(path, nullptr, w, h, vl::frameRate(dec->config.fpsNum, dec->config.fpsDen));
}

extern "C" OSTREL_FFMPEG_API int H264Dec_SavePacket(H264Decoder* dec, const uint8_t* data, int length) {
  if (!dec) return OSTREL_FF_E_HANDLE;
  if (length < 0 || (length > 0 && !data)) return OSTREL_FF_E_ARGUMENT;
  if (length == 0) return OSTREL_FF_OK;
  std::lock_guard<std::mutex> lock(dec->saveMutex);
  if (!dec->rec.isOpen()) return OSTREL_FF_OK;
  dec->params.scan(data, static_cast<size_t>(length));
  bool key = vl::hasIdr(data, static_cast<size_t>(length));
  return dec->rec.write(data, length, key, AV_NOPTS_VALUE, 0, AVRational{1, 1}, &dec->params);
}

extern "C" OSTREL_FFMPEG_API int H264Dec_EndSave(H264Decoder* dec) {
  if (!dec) return OSTREL_FF_E_HANDLE;
  std::lock_guard<std::mutex> lock(dec->saveMutex);
  return dec->rec.close();
}

extern "C" OSTREL_FFMPEG_API void H264Dec_Free(H264Decoder** dec) {
  if (!dec || !*dec) return;
  {
    std::lock_guard<std::mutex> lock((*dec)->saveMutex);
    if ((*dec)->rec.isOpen()) (*dec)->rec.close();
  }
  delete *dec;
  *dec = nullptr;
}
