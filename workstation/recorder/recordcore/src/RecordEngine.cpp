#include "recordcore/RecordEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace recordcore {

namespace {

int64_t get64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return static_cast<int64_t>(v);
}

constexpr size_t kHeadTime = 32, kHeadInput = 25;

}  // namespace

RecordEngine::RecordEngine(FramePool* pool, std::atomic<int>* counter, Hooks hooks)
    : pool_(pool), counter_(counter), hooks_(std::move(hooks)) {}

RecordEngine::~RecordEngine() {
  if (state_ == 2) end(0);
}

int64_t RecordEngine::now() const { return hooks_.now ? hooks_.now() : ostrel::nowFileTime(); }

void RecordEngine::setActive(bool a) {
  if (a == active_) return;
  active_ = a;
  if (hooks_.activeChanged) hooks_.activeChanged(a);
}

void RecordEngine::notify(int oldState, int newState) {
  stats_.state = state_;
  if (hooks_.stateChanged) hooks_.stateChanged(oldState, newState, stats_);
}

void RecordEngine::configure(const RecordSettings& s) {
  if (state_ != 0) return;
  s_ = s;
  g_ = StreamGeometry{s.width, s.height};
  const uint64_t p = g_.pixels();
  bool ok = p > 0 && p <= kMaxPixels;
  const bool buffers = s.preEnable || s.postEnable || s.stopTrigger == kAutoDelayStop;
  // A rate of n/0 frames per second makes every buffer length meaningless.
  if (buffers && s.fpsDen == 0) ok = false;
  auto frames = [&](bool on, int seconds) -> uint64_t {
    if (!on || seconds <= 0 || s.fpsDen == 0) return 0;
    return uint64_t(s.fpsNum) * uint64_t(seconds) / s.fpsDen;
  };
  const uint64_t pre = frames(s.preEnable, s.preSeconds);
  const uint64_t post = frames(s.postEnable, s.postSeconds);
  const uint64_t delay = frames(s.stopTrigger == kAutoDelayStop, s.autoDelaySeconds);
  frameLen_ = ok ? uint32_t(g_.frameLen()) : 0;
  const uint64_t need = pre * frameLen_;
  if (pre > UINT32_MAX || post > UINT32_MAX || delay > UINT32_MAX || need >= ByteRing::kMaxSize) ok = false;
  if (ok) {
    // Room for the held frames, one 4 MiB write piece and the frame that arrives meanwhile, so a
    // recording never has to refuse a frame.
    const uint64_t size = ByteRing::roundUpPow2(std::max<uint64_t>(need + kWriteThreshold + frameLen_, kMinRing));
    if (size == 0 || (size != ring_.size() && ring_.resize(size) != 0)) ok = false;
  }
  if (ok && headCapacity_ < g_.headLen()) {
    head_.reset(new (std::nothrow) uint8_t[g_.headLen()]);
    headCapacity_ = head_ ? g_.headLen() : 0;
    if (head_) std::memset(head_.get(), 0, g_.headLen());
    ok = head_ != nullptr;
  }
  if (ok && pool_->configure(frameLen_, poolBudget_, 8, 512, uint32_t(4 * p)) != 0) ok = false;
  preFrames_ = ok ? uint32_t(pre) : 0;
  postFrames_ = ok ? uint32_t(post) : 0;
  autoDelayFrames_ = ok ? uint32_t(delay) : 0;
  setActive(ok && (s.startTrigger == kManualStart || s.startTrigger == kCameraTagStart) &&
            (s.stopTrigger == kManualStop || s.stopTrigger == kCameraTagStop || s.stopTrigger == kAutoDelayStop));
  ring_.clear();
  stats_ = RecordStats{};
  startIo_ = s.startTrigger == kCameraTagStart;
  stopIo_ = s.stopTrigger == kCameraTagStop;
  pool_->wantCover(false);
}

void RecordEngine::trigger(int code) {
  if (!active_) return;
  if (state_ == 0) {
    if (code == s_.startTrigger) begin();
    return;
  }
  if (postPhase_) {
    if (code == kPostEnd) end(0);
    return;
  }
  if (code == s_.stopTrigger || code == kPostEnd) {
    if (postFrames_ == 0) {
      end(0);
    } else {
      postPhase_ = true;
      stats_.postCount = 0;
    }
  }
}

void RecordEngine::finish() {
  if (state_ == 2) end(0);
}

void RecordEngine::frame(PoolFrame* f) {
  if (f == nullptr) return;
  if (!active_ || f->frameLen != frameLen_) {
    pool_->release(f);
    return;
  }
  const uint8_t io = f->bytes[kHeadInput];
  if (startIo_ && prevIo_ == 1 && io == 0) trigger(kCameraTagStart);
  if (stopIo_ && prevIo_ == 0 && io == 1) trigger(kCameraTagStop);
  prevIo_ = io;
  if (state_ == 2) {
    record(f);
    if (state_ == 2 && autoDelayFrames_ > 0 && stats_.framesWritten - stats_.preCount >= autoDelayFrames_)
      trigger(kAutoDelayStop);
    if (state_ == 2 && postPhase_ && ++stats_.postCount >= postFrames_) trigger(kPostEnd);
  } else if (preFrames_ > 0) {
    if (ring_.freeSpace() < frameLen_) ring_.drop(frameLen_);
    if (ring_.push(f->bytes.data(), frameLen_) == 0 && stats_.preCount < preFrames_) ++stats_.preCount;
  }
  pool_->release(f);
}

void RecordEngine::begin() {
  // Without a save folder a name would land in the file system's root.
  if (s_.naming.saveDir.empty()) {
    stats_.error = -200;
    return;
  }
  const int64_t t = now();
  const uint32_t held = preFrames_ > 0 ? stats_.preCount : 0;
  const RecordName name = composeName(s_.naming, s_.cameraModel, t, counter_);
  if (name.counterUsed >= 0 && hooks_.counterAdvanced) hooks_.counterAdvanced(name.counterUsed + 1);
  std::string taken;
  const int fd = createExclusive(name.base, ".stream", &taken);
  if (fd < 0) {
    stats_.error = -200;
    return;
  }
  writer_.attach(fd, g_);
  stats_ = RecordStats{};
  stats_.fileName = taken;
  stats_.fileNameShort = taken.substr(taken.find_last_of('/') + 1);
  stats_.beginTime = stats_.endTime = t;
  if (held > 0) {
    ring_.rewindTo(held * frameLen_);
  } else {
    ring_.clear();
  }
  stats_.preCount = held;
  stats_.framesWritten = held;
  s_.capture.captureTime = t;
  s_.capture.fpsNum = uint16_t(s_.fpsNum);
  s_.capture.fpsDen = uint16_t(s_.fpsDen);
  headerWritten_ = false;
  firstSeen_ = false;
  postPhase_ = false;
  firstTime_ = currentTime_ = lastStatsTime_ = 0;
  // The next frame the receiving thread copies brings its picture along for the cover.
  pool_->wantCover(true);
  state_ = 2;
  notify(0, 2);
}

bool RecordEngine::writeHeadArea(const uint8_t* cover) {
  pool_->wantCover(false);
  buildStreamHead(head_.get(), g_, s_.capture, cover);
  headerWritten_ = true;
  return writer_.writeHead(head_.get()) == 0;
}

int RecordEngine::flush(uint32_t n) {
  const uint8_t *a, *b;
  uint32_t na, nb;
  ring_.pieces(n, &a, &na, &b, &nb);
  int r = writer_.append(a, na);
  if (r == 0 && nb > 0) r = writer_.append(b, nb);
  ring_.drop(n);
  return r;
}

void RecordEngine::record(PoolFrame* f) {
  currentTime_ = get64(f->bytes.data() + kHeadTime);
  if (!firstSeen_) {
    firstSeen_ = true;
    firstTime_ = currentTime_;
    if (stats_.preCount > 0) {
      uint8_t t[8];
      ring_.copyOut(ring_.writePos() - stats_.preCount * frameLen_ + kHeadTime, t, 8);
      firstTime_ = get64(t);
    }
    stats_.bytesWritten = int64_t(g_.headLen()) + int64_t(stats_.framesWritten) * frameLen_;
  }
  // The cover is the picture of the first frame copied after the start; frames queued before it
  // wait in the ring. A ring that fills up first gets a head area with a blank cover.
  if (!headerWritten_ && (f->hasCover || ring_.freeSpace() < uint64_t(frameLen_) + kWriteThreshold)) {
    if (!writeHeadArea(f->hasCover ? f->cover.data() : nullptr)) return end(-197);
  }
  // Pending bytes go out before the frame is taken, so a frame never meets a full ring. The held
  // pre-record frames drain two pieces a frame rather than all at once, which would stall the
  // worker for the whole pre-record length; the ring's spare room (a piece and a frame) keeps
  // the pending bytes from growing meanwhile.
  int pieces = 0;
  while (headerWritten_ && ((ring_.pending() > kWriteThreshold && pieces < 2) || ring_.freeSpace() < frameLen_)) {
    const uint32_t n = std::min<uint32_t>(ring_.pending(), kWriteThreshold);
    if (flush(n) != 0) return end(-197);
    ++pieces;
  }
  // A large frame is a large write by itself: with at most one piece waiting, that piece goes
  // out and the frame follows straight from the pool, sparing its copy into the ring.
  if (headerWritten_ && frameLen_ >= kDirectFrameLen && ring_.pending() <= kWriteThreshold) {
    if (ring_.pending() > 0 && flush(uint32_t(ring_.pending())) != 0) return end(-197);
    if (writer_.append(f->bytes.data(), frameLen_) != 0) return end(-197);
  } else if (ring_.push(f->bytes.data(), frameLen_) != 0) {
    ++stats_.framesLost;
    return;
  }
  stats_.bytesWritten += frameLen_;
  ++stats_.framesWritten;
  const int64_t d = currentTime_ - lastStatsTime_;
  if (d > 1000000 || d < -1000000) {
    lastStatsTime_ = currentTime_;
    stats_.durationMs = (currentTime_ - firstTime_) / 10000;
    notify(2, 2);
  }
}

void RecordEngine::end(int error) {
  if (state_ != 2) return;
  int r = error;
  if (r == 0 && !headerWritten_ && !writeHeadArea(nullptr)) r = -197;
  while (r == 0 && ring_.pending() > 0) r = flush(std::min<uint32_t>(ring_.pending(), kWriteThreshold));
  const int closed = writer_.close();
  if (r == 0) r = closed;
  ring_.clear();
  pool_->wantCover(false);
  stats_.error = r;
  if (r != 0) {
    // What the file really holds after it was cut back to its last whole frame.
    stats_.framesWritten = uint32_t(writer_.wholeFrames());
    stats_.bytesWritten = int64_t(writer_.fileBytes());
  }
  if (stats_.framesWritten == 0 && !stats_.fileName.empty()) {
    // A recording without a frame is no recording the stream reader would open: it goes.
    std::remove(stats_.fileName.c_str());
    stats_.bytesWritten = 0;
    OSTREL_LOG_AS("RecordEngine::end", "recording %s ended before its first frame: file removed",
                  stats_.fileName.c_str());
  }
  stats_.endTime = now();
  stats_.durationMs = firstSeen_ ? (currentTime_ - firstTime_) / 10000 : 0;
  state_ = 0;
  postPhase_ = false;
  notify(2, 0);
  stats_.preCount = 0;
}

}  // namespace recordcore
