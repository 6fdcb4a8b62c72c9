// PacketRecorder: H.264 access units written unchanged into a container file, and the choice of
// container for a path.
#include <cstdio>
#include <cstring>

#include "OstrelFfmpeg.h"
#include "VlInternal.h"

namespace vl {

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
