// H.264 encoder into a container file, for the temperature preview's video recording and the
// workstation's MP4 export.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "OstrelFfmpeg.h"
#include "VlInternal.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace {

// One open output file with its own encoder, so each file starts with an IDR picture and the
// encoder's state never crosses files.
struct EncodedFile {
  AVFormatContext* fmt = nullptr;
  AVStream* st = nullptr;
  AVCodecContext* ctx = nullptr;
  SwsContext* sws = nullptr;
  AVFrame* frame = nullptr;
  AVFrame* src = nullptr;        // wraps the caller's picture for the conversion
  AVPacket* current = nullptr;   // the packet handed out by the last Encode
  bool currentPending = false;   // handed out and not yet written
  std::vector<AVPacket*> extra;  // further packets of the same Encode, written after it
  int srcWidth = 0;              // width of the caller's pictures (row stride / 4)
  int64_t nextPts = 0;           // in ctx->time_base (one tick per frame)
  int64_t lastPts = -1;
  std::string path;
};

void freeFile(EncodedFile& f) {
  for (AVPacket*& p : f.extra) av_packet_free(&p);
  f.extra.clear();
  av_packet_free(&f.current);
  av_frame_free(&f.frame);
  av_frame_free(&f.src);
  sws_freeContext(f.sws);
  f.sws = nullptr;
  avcodec_free_context(&f.ctx);
  if (f.fmt) {
    if (f.fmt->pb && !(f.fmt->oformat->flags & AVFMT_NOFILE)) avio_closep(&f.fmt->pb);
    avformat_free_context(f.fmt);
  }
  f = EncodedFile();
}

}  // namespace

struct H264Encoder {
  H264EncConfig config{};
  bool configured = false;
  EncodedFile file;
  bool open = false;
};

namespace {

// Writes one packet (time stamps in the encoder's time base) to the file.
int writeToFile(EncodedFile& f, AVPacket* pkt) {
  AVPacket* out = av_packet_clone(pkt);
  if (!out) return OSTREL_FF_E_NO_MEMORY;
  out->stream_index = f.st->index;
  // Each packet is one frame long, set before rescaling: the MP4 muxer derives the last
  // sample's length (and the edit list) from it and would otherwise drop the last frame.
  out->duration = 1;
  av_packet_rescale_ts(out, f.ctx->time_base, f.st->time_base);
  f.lastPts = pkt->pts;
  int err = av_interleaved_write_frame(f.fmt, out);
  av_packet_free(&out);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "writing %s failed: %s", f.path.c_str(), vl::avErrorText(err).c_str());
    return OSTREL_FF_E_WRITE;
  }
  return OSTREL_FF_OK;
}

// The caller's picture lent to the colour conversion stays the caller's.
void keepCallerPicture(void*, uint8_t*) {}

int flushExtra(EncodedFile& f) {
  int result = OSTREL_FF_OK;
  for (AVPacket*& p : f.extra) {
    int r = writeToFile(f, p);
    if (r < 0) result = r;
    av_packet_free(&p);
  }
  f.extra.clear();
  return result;
}

int closeFile(H264Encoder* enc) {
  if (!enc->open) return OSTREL_FF_OK;
  EncodedFile& f = enc->file;
  int result = OSTREL_FF_OK;
  // A packet handed out but never written, and any extra, still belong in the file.
  if (f.currentPending) {
    result = writeToFile(f, f.current);
    f.currentPending = false;
  }
  if (flushExtra(f) < 0) result = OSTREL_FF_E_WRITE;
  // Drain: the encoder may still hold pictures; without this they would be lost.
  int err = avcodec_send_frame(f.ctx, nullptr);
  if (err >= 0) {
    AVPacket* pkt = av_packet_alloc();
    while (pkt && avcodec_receive_packet(f.ctx, pkt) >= 0) {
      if (writeToFile(f, pkt) < 0) result = OSTREL_FF_E_WRITE;
      av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
  }
  err = av_write_trailer(f.fmt);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "finishing %s failed: %s", f.path.c_str(), vl::avErrorText(err).c_str());
    result = OSTREL_FF_E_WRITE;
  }
  if (f.fmt->pb && !(f.fmt->oformat->flags & AVFMT_NOFILE)) {
    if (avio_closep(&f.fmt->pb) < 0) result = OSTREL_FF_E_WRITE;
  }
  freeFile(f);
  enc->open = false;
  return result;
}

int openFile(H264Encoder* enc, const char* path) {
  const H264EncConfig& c = enc->config;
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) {
    vl::logf(OSTREL_FF_LOG_ERROR, "FFmpeg has no libx264 encoder");
    return OSTREL_FF_E_UNSUPPORTED;
  }
  const AVOutputFormat* ofmt = vl::outputFormatFor(path);
  if (!ofmt) return OSTREL_FF_E_UNSUPPORTED;
  EncodedFile& f = enc->file;
  f.path = path;
  f.srcWidth = c.width;
  if (avformat_alloc_output_context2(&f.fmt, ofmt, nullptr, path) < 0 || !f.fmt) {
    freeFile(f);
    return OSTREL_FF_E_FAILED;
  }
  AVRational rate = vl::frameRate(c.fpsNum, c.fpsDen);
  f.ctx = avcodec_alloc_context3(codec);
  f.frame = av_frame_alloc();
  f.current = av_packet_alloc();
  if (!f.ctx || !f.frame || !f.current) {
    freeFile(f);
    return OSTREL_FF_E_NO_MEMORY;
  }
  AVCodecContext* ctx = f.ctx;
  // 4:2:0 needs even sizes: an odd last column or row is cropped.
  ctx->width = c.width & ~1;
  ctx->height = c.height & ~1;
  ctx->pix_fmt = AV_PIX_FMT_YUV420P;
  ctx->time_base = av_inv_q(rate);
  ctx->framerate = rate;
  ctx->gop_size =
      c.keyInterval > 0 ? c.keyInterval : std::max(1, static_cast<int>(std::lround(av_q2d(rate))));
  ctx->max_b_frames = 0;
  ctx->thread_count = 0;
  if (c.bitRate > 0) ctx->bit_rate = static_cast<int64_t>(c.bitRate) * 1000;
  if (ofmt->flags & AVFMT_GLOBALHEADER) ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(ctx->priv_data, "preset", "veryfast", 0);
  // Live recording: no look-ahead, every picture gives its packet at once.
  av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
  if (c.bitRate == 0) av_opt_set(ctx->priv_data, "crf", "23", 0);
  int err = avcodec_open2(ctx, codec, nullptr);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "avcodec_open2(libx264) failed: %s", vl::avErrorText(err).c_str());
    freeFile(f);
    return OSTREL_FF_E_FAILED;
  }
  f.frame->format = ctx->pix_fmt;
  f.frame->width = ctx->width;
  f.frame->height = ctx->height;
  // The colour conversion runs on as many threads as the processor has (as the ffmpeg command
  // does); at 1280 x 1024 it costs about as much as the encoding itself.
  f.sws = sws_alloc_context();
  if (f.sws) {
    av_opt_set_int(f.sws, "srcw", ctx->width, 0);
    av_opt_set_int(f.sws, "srch", ctx->height, 0);
    av_opt_set_int(f.sws, "src_format", AV_PIX_FMT_BGRA, 0);
    av_opt_set_int(f.sws, "dstw", ctx->width, 0);
    av_opt_set_int(f.sws, "dsth", ctx->height, 0);
    av_opt_set_int(f.sws, "dst_format", AV_PIX_FMT_YUV420P, 0);
    av_opt_set_int(f.sws, "sws_flags", SWS_BICUBIC, 0);
    av_opt_set_int(f.sws, "threads", 0, 0);
    if (sws_init_context(f.sws, nullptr, nullptr) < 0) {
      sws_freeContext(f.sws);
      f.sws = nullptr;
    }
  }
  f.src = av_frame_alloc();
  if (av_frame_get_buffer(f.frame, 0) < 0 || !f.sws || !f.src) {
    freeFile(f);
    return OSTREL_FF_E_NO_MEMORY;
  }
  f.st = avformat_new_stream(f.fmt, nullptr);
  if (!f.st || avcodec_parameters_from_context(f.st->codecpar, ctx) < 0) {
    freeFile(f);
    return OSTREL_FF_E_NO_MEMORY;
  }
  f.st->time_base = ctx->time_base;
  f.st->avg_frame_rate = rate;
  f.st->r_frame_rate = rate;
  if (!(ofmt->flags & AVFMT_NOFILE)) {
    err = avio_open(&f.fmt->pb, path, AVIO_FLAG_WRITE);
    if (err < 0) {
      vl::logf(OSTREL_FF_LOG_ERROR, "cannot create %s: %s", path, vl::avErrorText(err).c_str());
      freeFile(f);
      return OSTREL_FF_E_OPEN;
    }
  }
  err = avformat_write_header(f.fmt, nullptr);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "cannot write the header of %s: %s", path, vl::avErrorText(err).c_str());
    freeFile(f);
    ::remove(path);
    return OSTREL_FF_E_WRITE;
  }
  enc->open = true;
  return OSTREL_FF_OK;
}

}  // namespace

extern "C" OSTREL_FFMPEG_API H264Encoder* H264Enc_Create(void) {
  vl::installFfmpegLogHook();
  return new (std::nothrow) H264Encoder;
}

extern "C" OSTREL_FFMPEG_API int H264Enc_SetConfig(H264Encoder* enc, const H264EncConfig* config) {
  if (!enc) return OSTREL_FF_E_HANDLE;
  if (!config || config->width < 2 || config->height < 2 || config->width > vl::kMaxSide ||
      config->height > vl::kMaxSide)
    return OSTREL_FF_E_ARGUMENT;
  vl::noteHardwareFallback(true, config->codec);
  enc->config = *config;
  enc->configured = true;
  return OSTREL_FF_OK;
}

extern "C" OSTREL_FFMPEG_API int H264Enc_OpenFile(H264Encoder* enc, const char* path) {
  if (!enc) return OSTREL_FF_E_HANDLE;
  if (!path || !*path) return OSTREL_FF_E_ARGUMENT;
  if (!enc->configured) return OSTREL_FF_E_STATE;
  closeFile(enc);
  return openFile(enc, path);
}

extern "C" OSTREL_FFMPEG_API int H264Enc_Encode(H264Encoder* enc, const uint8_t* bgra, uint8_t** packet,
                                                int* length) {
  if (packet) *packet = nullptr;
  if (length) *length = 0;
  if (!enc) return OSTREL_FF_E_HANDLE;
  if (!bgra || !packet || !length) return OSTREL_FF_E_ARGUMENT;
  if (!enc->open) return OSTREL_FF_E_STATE;
  EncodedFile& f = enc->file;
  // A packet handed out last time and never written would otherwise be lost.
  if (f.currentPending) {
    writeToFile(f, f.current);
    f.currentPending = false;
  }
  flushExtra(f);
  av_packet_unref(f.current);
  if (av_frame_make_writable(f.frame) < 0) return OSTREL_FF_E_NO_MEMORY;
  f.src->format = AV_PIX_FMT_BGRA;
  f.src->width = f.ctx->width;
  f.src->height = f.ctx->height;
  f.src->data[0] = const_cast<uint8_t*>(bgra);  // read only
  f.src->linesize[0] = f.srcWidth * 4;
  // The conversion takes a reference to its source; a frame without a buffer would be copied
  // whole for it on every picture, so the caller's picture is lent as a buffer that is never
  // freed here. The conversion is synchronous: no reference outlives this call.
  f.src->buf[0] = av_buffer_create(const_cast<uint8_t*>(bgra), f.src->linesize[0] * f.src->height, keepCallerPicture,
                                   nullptr, AV_BUFFER_FLAG_READONLY);
  int serr = f.src->buf[0] ? sws_scale_frame(f.sws, f.frame, f.src) : AVERROR(ENOMEM);
  av_buffer_unref(&f.src->buf[0]);
  f.src->data[0] = nullptr;
  if (serr < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "H264Enc_Encode: colour conversion failed: %s",
             vl::avErrorText(serr).c_str());
    return OSTREL_FF_E_FAILED;
  }
  f.frame->pts = f.nextPts++;
  int err = avcodec_send_frame(f.ctx, f.frame);
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "H264Enc_Encode: encoder refused the picture: %s",
             vl::avErrorText(err).c_str());
    return OSTREL_FF_E_FAILED;
  }
  err = avcodec_receive_packet(f.ctx, f.current);
  if (err == AVERROR(EAGAIN)) return OSTREL_FF_PENDING;
  if (err < 0) {
    vl::logf(OSTREL_FF_LOG_ERROR, "H264Enc_Encode: encoding failed: %s", vl::avErrorText(err).c_str());
    return OSTREL_FF_E_FAILED;
  }
  // More than one packet per picture does not happen without look-ahead, but none is lost if it
  // does: the others follow the handed-out one into the file.
  for (;;) {
    AVPacket* more = av_packet_alloc();
    if (!more) break;
    if (avcodec_receive_packet(f.ctx, more) < 0) {
      av_packet_free(&more);
      break;
    }
    f.extra.push_back(more);
  }
  f.currentPending = true;
  *packet = f.current->data;
  *length = f.current->size;
  return OSTREL_FF_OK;
}

extern "C" OSTREL_FFMPEG_API int H264Enc_WritePacket(H264Encoder* enc, const uint8_t* packet, int length) {
  if (!enc) return OSTREL_FF_E_HANDLE;
  if (length < 0) return OSTREL_FF_E_ARGUMENT;
  if (!enc->open) return OSTREL_FF_E_STATE;
  if (!packet || length == 0) return OSTREL_FF_OK;
  EncodedFile& f = enc->file;
  if (f.current && packet == f.current->data && length == f.current->size) {
    if (!f.currentPending) return OSTREL_FF_OK;  // already written
    f.currentPending = false;
    int r = writeToFile(f, f.current);
    int r2 = flushExtra(f);
    return r < 0 ? r : r2;
  }
  // Bytes from elsewhere: the next frame's access unit.
  AVPacket* pkt = av_packet_alloc();
  if (!pkt || av_new_packet(pkt, length) < 0) {
    av_packet_free(&pkt);
    return OSTREL_FF_E_NO_MEMORY;
  }
  memcpy(pkt->data, packet, static_cast<size_t>(length));
  pkt->pts = pkt->dts = std::max(f.lastPts + 1, f.nextPts);
  f.nextPts = pkt->pts + 1;
  if (vl::hasIdr(packet, static_cast<size_t>(length))) pkt->flags |= AV_PKT_FLAG_KEY;
  int r = writeToFile(f, pkt);
  av_packet_free(&pkt);
  return r;
}

extern "C" OSTREL_FFMPEG_API int H264Enc_CloseFile(H264Encoder* enc) {
  if (!enc) return OSTREL_FF_E_HANDLE;
  return closeFile(enc);
}

extern "C" OSTREL_FFMPEG_API void H264Enc_Free(H264Encoder** enc) {
  if (!enc || !*enc) return;
  closeFile(*enc);
  delete *enc;
  *enc = nullptr;
}
