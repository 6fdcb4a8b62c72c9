#include "inputs/StreamPlayer.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {
// How far a late player may fall behind its schedule and still make the ticks up; beyond it
// (a machine stalled for longer) it starts a new schedule instead of racing through the backlog.
constexpr auto kMaxLag = std::chrono::milliseconds(500);
}  // namespace

int StreamPlayer::start(int frameCount, int fpsNum, int fpsDiv, void* consumer, StreamFrameFn frameFn,
                        StreamMeaFn meaFn) {
  if (running()) return -7;
  if (frameFn == nullptr || frameCount <= 0) return -8;
  int fps = fpsDiv == 0 ? 10 : fpsNum / fpsDiv;
  if (fps < 1 || fps > 100) fps = 10;
  if (fps != fps_) {
    fps_ = fps;
    if (fps < 50) {
      sliceMs_ = 10;
      slices_ = 1000 / (fps * 10);
    } else {
      sliceMs_ = 1000 / fps;
      slices_ = 1;
    }
  }
  frameCount_ = frameCount;
  consumer_ = consumer;
  frameFn_ = frameFn;
  meaFn_ = meaFn;
  step_ = 1;
  mode_ = 1;
  seek_ = -1;
  // Before the first frame, so forward play shows frame 0 first.
  index_ = -1;
  inFlight_ = false;
  counter_ = 0;
  run_ = true;
  running_.store(true, std::memory_order_release);
  thread_ = std::thread([this] { run(); });
  return 0;
}

void StreamPlayer::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    run_ = false;
  }
  wake_.notify_all();
  thread_.join();
  running_.store(false, std::memory_order_release);
  // A request the player never took would otherwise be lost with its memory.
  if (MeaItemList* left = request_.exchange(nullptr)) std::free(left);
  inFlight_ = false;
}

void StreamPlayer::setMode(int mode) {
  if (mode < 0 || mode > 4) return;
  step_ = mode >= 3 ? kFastStep : 1;
  mode_ = mode;
}

void StreamPlayer::seek(int index) {
  if (!running() || index < 0 || index >= frameCount_.load()) return;
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    seek_ = index;
  }
  wake_.notify_all();
}

int StreamPlayer::request(MeaItemList* list) {
  if (list == nullptr || list->count < 1 || list->count > 32) return -8;
  if (!running()) return -7;
  MeaItemList* none = nullptr;
  return request_.compare_exchange_strong(none, list) ? 0 : -7;
}

void StreamPlayer::setImage(int palette, const StretchCtl* ctl) {
  std::lock_guard<std::mutex> lock(wakeMutex_);
  imagePending_ = true;
  imagePalette_ = palette;
  imageHasCtl_ = ctl != nullptr;
  if (ctl != nullptr) imageCtl_ = *ctl;
}

void StreamPlayer::consumed() {
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    inFlight_ = false;
  }
  wake_.notify_all();
}

int StreamPlayer::chooseIndex(bool* fromSeek) {
  *fromSeek = false;
  const int s = seek_.exchange(-1);
  if (s >= 0) {
    *fromSeek = true;
    return s;
  }
  const int cur = index_.load();
  const int last = frameCount_.load() - 1;
  const int step = step_.load();
  switch (mode_.load()) {
    case 1:
    case 3:
      return std::min(cur + step, last);
    case 2:
    case 4:
      return std::max(cur - step, 0);
    default:
      return cur;
  }
}

void StreamPlayer::tick() {
  std::lock_guard<std::mutex> handle(handleMutex_);
  bool imagePending = false;
  int palette = -1;
  bool hasCtl = false;
  StretchCtl ctl{};
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    if (imagePending_) {
      imagePending = true;
      palette = imagePalette_;
      hasCtl = imageHasCtl_;
      ctl = imageCtl_;
      imagePending_ = false;
    }
  }
  if (imagePending) TF_SetImage(tf_, palette, hasCtl ? &ctl : nullptr);

  if (MeaItemList* list = request_.load()) {
    MeaResultData* out = nullptr;
    const int rc = TF_CreateMeaResultData(tf_, list, &out);
    if (rc < 0 && out != nullptr) {
      std::free(out);
      out = nullptr;
    }
    // Cleared before the callback so its receiver may ask again at once.
    request_.store(nullptr);
    std::free(list);
    if (meaFn_ != nullptr)
      meaFn_(rc < 0 ? rc : 0, rc < 0 ? nullptr : out, consumer_);
    else
      std::free(out);
  }

  // The consumer still holds the frame last delivered: its ring slot must not be refilled.
  if (inFlight_.load()) return;
  bool fromSeek = false;
  const int next = chooseIndex(&fromSeek);
  // At either end the player keeps its mode and reads nothing; a seek is always shown.
  if (!fromSeek && next == index_.load()) return;
  TFFrame f{};
  if (TF_ReadFrame(tf_, next, &f) != 0) return;
  index_ = next;
  FrameSlot* slot = &ring_[counter_ & (kRingSize - 1)];
  ++counter_;
  slot->head = f.head;
  slot->data = f.data;
  slot->image = f.bgra;
  slot->frameIndex = next;
  slot->frameNumber = 0;
  inFlight_ = true;
  frameFn_(0, slot, consumer_);
}

void StreamPlayer::run() {
  using clock = std::chrono::steady_clock;
  const auto period = std::chrono::milliseconds(sliceMs_ * slices_);
  auto due = clock::now();
  while (run_.load()) {
    tick();
    // Ticks keep to the recorded rate however long a read took; a player that fell far behind
    // (a stalled machine) starts afresh instead of racing through the backlog.
    due += period;
    const auto now = clock::now();
    if (due < now - kMaxLag) due = now;
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_until(lock, due, [this] { return !run_.load() || (seek_.load() >= 0 && !inFlight_.load()); });
    if (seek_.load() >= 0) due = clock::now();
  }
}
