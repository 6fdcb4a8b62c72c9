// The exports of a stream recording: a cut into a new recording, a radiometric picture per frame
// and an MP4 video, plain or with the items and the colour bar burnt in. Worker thread only; the
// source is read through the worker's own thermal-file handle or file, never the player's.
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>
#include <vector>

#include "OstrelFfmpeg.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "exporter/ImageExporter.h"

namespace {

constexpr uint32_t kSeriesApplyFlags = 0x107DB;
constexpr int kVideoBitRate = 4000;
// The player's rate when the recording states none.
constexpr int kFallbackFps = 10;

// Closes a C file on every path out of a scope.
struct FileCloser {
  FILE* f = nullptr;
  ~FileCloser() {
    if (f != nullptr) std::fclose(f);
  }
  int close() {
    if (f == nullptr) return 0;
    const int rc = std::fclose(f);
    f = nullptr;
    return rc == 0 ? 0 : -197;
  }
};

bool samePath(const char* a, const char* b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(b, ec) && fs::equivalent(a, b, ec) && !ec) return true;
  ec.clear();
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

// A file is written whole under a name of its own beside the target and only then renamed over
// it, so a failed export leaves the old file as it was. The name keeps the target's extension,
// from which the video writer picks its container.
QByteArray stagingName(const QByteArray& target) {
  static std::atomic<unsigned> counter{0};
  const int slash = int(target.lastIndexOf('/'));
  const int dot = int(target.lastIndexOf('.'));
  const QByteArray ext = dot > slash + 1 ? target.mid(dot) : QByteArray();
  return target + ".part" + QByteArray::number(qint64(getpid())) + "-" +
         QByteArray::number(counter.fetch_add(1, std::memory_order_relaxed)) + ext;
}

// A new staging file opened for writing; null when the folder refuses it.
FILE* createStaged(const QByteArray& staged) {
  const int fd = ::open(staged.constData(), O_WRONLY | O_CREAT | O_EXCL | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, "wb");
  if (f == nullptr) ::close(fd);
  return f;
}

// Puts a complete staging file in the target's place, or removes it after a failure (rc < 0).
int commitStaged(const QByteArray& staged, const QByteArray& target, int rc) {
  if (rc >= 0 && std::rename(staged.constData(), target.constData()) == 0) return rc;
  std::remove(staged.constData());
  return rc < 0 ? rc : -200;
}

// A rate num / den that fits the 16-bit fields of the file head and the encoder set-up.
void fitRate(int64_t num, int64_t den, uint16_t* outNum, uint16_t* outDen) {
  if (num <= 0 || den <= 0) {
    *outNum = uint16_t(kFallbackFps);
    *outDen = 1;
    return;
  }
  const int64_t g = std::gcd(num, den);
  num /= g;
  den /= g;
  if (num > 0xFFFF || den > 0xFFFF) {
    // Nearest rate with a denominator that fits; never a zero numerator.
    const double fps = double(num) / double(den);
    if (den > 0xFFFF) {
      den = 0xFFFF;
      num = std::max<int64_t>(1, int64_t(fps * 0xFFFF + 0.5));
    }
    num = std::min<int64_t>(num, 0xFFFF);
  }
  *outNum = uint16_t(num);
  *outDen = uint16_t(den);
}

// The folder of a picture series: the target path without its file name's extension.
QByteArray seriesFolder(const QByteArray& target) {
  const int slash = int(target.lastIndexOf('/'));
  const int dot = int(target.lastIndexOf('.'));
  // A dot in a folder name or leading a file name (".jpg") is no extension.
  if (dot > slash + 1) return target.left(dot);
  return target;
}

// Encodes a video's pictures on a thread of its own, in the order handed over, while the worker
// reads and draws the next frame: colour conversion and H.264 take most of a frame's time, so the
// two steps overlap instead of adding up. Two picture buffers take turns, one being encoded while
// the worker fills the other. The encoder is touched only by this thread until finish() returns.
class EncodeStage {
 public:
  EncodeStage(H264Encoder* encoder, size_t pictureBytes) : encoder_(encoder) {
    for (std::vector<uint8_t>& b : buffers_) b.resize(pictureBytes);
    thread_ = std::thread([this] { run(); });
  }
  ~EncodeStage() { finish(); }
  EncodeStage(const EncodeStage&) = delete;
  EncodeStage& operator=(const EncodeStage&) = delete;

  // The buffer to fill with the next picture, once one is free; null after an encoder failure,
  // when further pictures would be lost anyway. Worker thread only.
  uint8_t* acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queued_ < 2 || rc_ < 0; });
    return rc_ < 0 ? nullptr : buffers_[fill_].data();
  }

  // Hands the buffer from acquire() over for encoding. Worker thread only.
  void submit() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++queued_;
    }
    fill_ ^= 1;
    changed_.notify_all();
  }

  // Waits until every picture handed over is encoded and written; the first encoder or write
  // error, or 0.
  int finish() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
      }
      changed_.notify_all();
      thread_.join();
    }
    return rc_;
  }

 private:
  void run() {
    int next = 0;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queued_ > 0 || stop_; });
        if (queued_ == 0) return;
      }
      uint8_t* packet = nullptr;
      int length = 0;
      int rc = H264Enc_Encode(encoder_, buffers_[next].data(), &packet, &length);
      if (rc == 0) rc = H264Enc_WritePacket(encoder_, packet, length);
      next ^= 1;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        --queued_;
        if (rc < 0 && rc_ == 0) rc_ = rc;
      }
      changed_.notify_all();
    }
  }

  H264Encoder* encoder_;
  std::vector<uint8_t> buffers_[2];
  int fill_ = 0;  // the buffer the worker fills next (worker thread only)
  std::mutex mutex_;
  std::condition_variable changed_;
  int queued_ = 0;     // guarded by mutex_: pictures handed over and not yet encoded
  bool stop_ = false;  // guarded by mutex_
  int rc_ = 0;         // guarded by mutex_ while the thread runs: its first failure
  std::thread thread_;
};

}  // namespace

int ExportWorker::openSource(ExportJob* job) {
  if (tf_ == nullptr) return -5;
  job->source[sizeof job->source - 1] = '\0';
  int rc = TF_Open(tf_, job->source, TfOpenType_Stream);
  if (rc < 0) return rc;
  StretchCtl ctl;
  std::memcpy(&ctl, job->conf->stretchCtl, sizeof ctl);
  ctl.flags = kSeriesApplyFlags;
  std::memcpy(job->conf->stretchCtl, &ctl, sizeof ctl);
  rc = TF_SetImage(tf_, job->conf->paletteIndex, &ctl);
  return rc < 0 ? rc : 0;
}

void ExportWorker::drawStreamFrame(ExportJob* job, const TFFrame& frame, MeaResult* results) {
  const TempFileConf& conf = *job->conf;
  const int w = conf.width, h = conf.height;
  const auto* items = reinterpret_cast<const MeaItem*>(conf.meaItems);
  const int count = std::clamp(conf.meaCount, 0, ExportJob::kMaxItems);
  canvas_.clear();
  canvas_.drawFrame(QImage(reinterpret_cast<const uchar*>(frame.bgra), w, h, w * 4, QImage::Format_RGB32));
  bool haveGlobal = false;
  if (job->settings.withRoi && count > 0) {
    VEZ2024_GetResult(&items[0], frame.head, frame.data, &results[0]);
    haveGlobal = true;
    canvas_.drawGlobal(items[0], results[0]);
    for (int i = 1; i < count; ++i) {
      // An item that cannot be measured on this frame is still drawn where it lies.
      if (VEZ2024_GetResult(&items[i], frame.head, frame.data, &results[i]) < 0) results[i] = MeaResult{};
      canvas_.drawItem(items[i], results[i]);
    }
  }
  if (job->settings.colorbar != 0) {
    if (!haveGlobal) VEZ2024_GetResult(count > 0 ? &items[0] : nullptr, frame.head, frame.data, &results[0]);
    StretchCtl ctl;
    std::memcpy(&ctl, conf.stretchCtl, sizeof ctl);
    float low = results[0].min, high = results[0].max;
    if (ctl.man_enable != 0) {
      low = ctl.man_temp0 / 10.0f;
      high = ctl.man_temp1 / 10.0f;
    }
    canvas_.drawColorBar(conf.paletteIndex, low, high);
  }
}

namespace {

// The cut itself, from the source's frames into the opened target; 0 or the first failure.
int writeCut(ExportJob* job, const TempStreamGeometry& g, const ExportRange& range, FILE* src, FILE* dst) {
  const TempFileConf& conf = *job->conf;
  // Bitmap head, cover picture, reserved bytes and the capture head in one piece.
  std::vector<uint8_t> head(size_t(g.firstFrame), 0);
  TempStreamHead bm;
  std::memset(&bm, 0, sizeof bm);
  bm.magic[0] = 'B';
  bm.magic[1] = 'M';
  bm.fileSize = uint32_t(4 * g.pixels + 54);
  bm.dataOffset = 64;
  bm.infoSize = 40;
  bm.width = g.width;
  bm.height = -g.height;
  bm.planes = 1;
  bm.bitCount = 32;
  bm.imageSize = 0;
  std::memcpy(head.data(), &bm, sizeof bm);
  std::memcpy(head.data() + 64, job->image, size_t(4 * g.pixels));
  TempFileHead fh;
  std::memset(&fh, 0, sizeof fh);
  std::memcpy(fh.cameraId, conf.cameraId, sizeof fh.cameraId);
  fh.captureTime = conf.captureTime;
  fh.width = uint16_t(g.width);
  fh.height = uint16_t(g.height);
  std::memcpy(fh.fixInfo, conf.fixInfo, sizeof fh.fixInfo);
  fh.fpsNum = conf.fpsNum;
  fh.fpsDiv = conf.fpsDiv;
  const int64_t div = int64_t(conf.fpsDiv) * range.step;
  if (div > 0xFFFF) {
    // The slowed rate keeps its value when the product does not fit the head's field.
    fitRate(conf.fpsNum, div, &fh.fpsNum, &fh.fpsDiv);
  } else {
    fh.fpsDiv = uint16_t(div);
  }
  fh.paletteIndex = uint8_t(conf.paletteIndex & 0xFF);
  std::memcpy(head.data() + g.headOffset, &fh, sizeof fh);
  if (std::fwrite(head.data(), 1, head.size(), dst) != head.size()) return -197;

  std::vector<uint8_t> frame(size_t(g.frameSize));
  for (int64_t index = range.first; index < range.stop; index += range.step) {
    const int64_t offset = index * g.frameSize + g.firstFrame;
    if (fseeko(src, off_t(offset), SEEK_SET) != 0) return -193;
    if (std::fread(frame.data(), 1, frame.size(), src) != frame.size()) return -198;
    if (std::fwrite(frame.data(), 1, frame.size(), dst) != frame.size()) return -197;
  }
  if (std::fwrite(job->confBlock(), 1, ExportJob::kConfBlockSize, dst) != size_t(ExportJob::kConfBlockSize))
    return -197;
  return 0;
}

}  // namespace

int ExportWorker::saveCut(const QString& path, ExportJob* job) {
  const TempFileConf& conf = *job->conf;
  TempStreamGeometry g;
  if (conf.width != job->width || conf.height != job->height ||
      TempStream_Geometry(conf.width, conf.height, TF_MIN_PIXELS, TF_MAX_PIXELS, &g) < 0)
    return -8;
  const ExportRange range = exportRange(job->begin, job->end, job->interval, conf.frameCount);
  if (range.count() <= 0) return -8;
  job->source[sizeof job->source - 1] = '\0';
  const QByteArray target = path.toUtf8();
  // A cut in the place of its own source would replace the recording it is read from.
  if (samePath(job->source, target.constData())) return -8;

  FileCloser src{ostrel::fopenUtf8(job->source, "rb")};
  if (src.f == nullptr) return -200;
  const QByteArray staged = stagingName(target);
  FileCloser dst{createStaged(staged)};
  if (dst.f == nullptr) return -200;
  const int rc = writeCut(job, g, range, src.f, dst.f);
  src.close();
  const int closed = dst.close();
  return commitStaged(staged, target, rc < 0 ? rc : closed);
}

int ExportWorker::savePictures(const QString& path, ExportJob* job) {
  const TempFileConf& conf = *job->conf;
  const int w = conf.width, h = conf.height;
  if (w != job->width || h != job->height) return -8;
  const ExportRange range = exportRange(job->begin, job->end, job->interval, conf.frameCount);
  if (range.count() <= 0) return -8;
  int rc = openSource(job);
  if (rc < 0) return rc;
  rc = canvas_.begin(w, h, job->settings);
  if (rc < 0) return rc;

  const QByteArray folder = seriesFolder(path.toUtf8());
  QDir().mkpath(QString::fromUtf8(folder));
  const size_t blocks = size_t(ExportJob::kConfBlockSize) + size_t(job->tempBlockSize());
  const size_t frameBytes = size_t(2 * job->pixels() + 128);
  MeaResult results[ExportJob::kMaxItems] = {};
  QByteArray png;
  int firstError = 0;
  int k = 1;
  for (int64_t index = range.first; index < range.stop; index += range.step, ++k) {
    TFFrame frame{};
    rc = TF_ReadFrame(tf_, int(index), &frame);
    if (rc < 0) return rc;
    drawStreamFrame(job, frame, results);
    // An encoding failure leaves the picture part empty; the blocks still carry the frame.
    if (!canvas_.encodePicture(&png)) png.clear();
    std::memcpy(job->frame(), frame.head, 128);
    std::memcpy(job->frame() + 128, frame.data, frameBytes - 128);
    char name[32];
    std::snprintf(name, sizeof name, "/%04d.jpg", k);
    const QByteArray file = folder + name;
    const QByteArray staged = stagingName(file);
    FileCloser out{createStaged(staged)};
    if (out.f == nullptr) {
      // One picture that cannot be created does not stop the others; the caller learns of it.
      if (firstError == 0) firstError = -200;
      continue;
    }
    bool ok = std::fwrite(png.constData(), 1, size_t(png.size()), out.f) == size_t(png.size());
    ok = ok && std::fwrite(job->confBlock(), 1, blocks, out.f) == blocks;
    if (out.close() < 0) ok = false;
    // A picture that was not written whole leaves the one of that number as it was.
    const int written = commitStaged(staged, file, ok ? 0 : -197);
    if (written < 0 && firstError == 0) firstError = written;
  }
  canvas_.finish(nullptr);
  return firstError;
}

int ExportWorker::saveVideo(const QString& path, ExportJob* job, bool overlay) {
  const TempFileConf& conf = *job->conf;
  const int w = conf.width, h = conf.height;
  if (w != job->width || h != job->height) return -8;
  const ExportRange range = exportRange(job->begin, job->end, job->interval, conf.frameCount);
  if (range.count() <= 0) return -8;
  if (encoder_ == nullptr) return -5;
  int rc = openSource(job);
  if (rc < 0) return rc;
  // With overlays every frame is drawn on the export canvas, whose picture may be scaled and carry
  // the colour bar; a plain video encodes the file's own pictures.
  if (overlay) {
    rc = canvas_.begin(w, h, job->settings);
    if (rc < 0) return rc;
  }
  H264EncConfig cfg;
  std::memset(&cfg, 0, sizeof cfg);
  cfg.width = uint16_t(overlay ? canvas_.picture().width() : w);
  cfg.height = uint16_t(overlay ? canvas_.picture().height() : h);
  fitRate(conf.fpsNum > 0 && conf.fpsDiv > 0 ? conf.fpsNum : kFallbackFps,
          (conf.fpsNum > 0 && conf.fpsDiv > 0 ? int64_t(conf.fpsDiv) : 1) * range.step, &cfg.fpsNum, &cfg.fpsDen);
  cfg.keyInterval = conf.fpsNum;
  cfg.bitRate = kVideoBitRate;
  rc = H264Enc_SetConfig(encoder_, &cfg);
  if (rc < 0) return rc;
  const QByteArray target = path.toUtf8();
  const QByteArray staged = stagingName(target);
  rc = H264Enc_OpenFile(encoder_, staged.constData());
  if (rc < 0) {
    std::remove(staged.constData());
    return rc;
  }
  MeaResult results[ExportJob::kMaxItems] = {};
  // The picture handed over: the canvas's, or the file's own BGRA of the video's size.
  const size_t pictureBytes = size_t(cfg.width) * cfg.height * 4;
  EncodeStage stage(encoder_, pictureBytes);
  for (int64_t index = range.first; index < range.stop; index += range.step) {
    TFFrame frame{};
    rc = TF_ReadFrame(tf_, int(index), &frame);
    if (rc < 0) break;
    const uint8_t* picture = reinterpret_cast<const uint8_t*>(frame.bgra);
    if (overlay) {
      drawStreamFrame(job, frame, results);
      picture = canvas_.picture().constBits();
    }
    // Both the file's frame and the canvas are overwritten by the next frame: the stage gets a copy.
    uint8_t* slot = stage.acquire();
    if (slot == nullptr) break;
    std::memcpy(slot, picture, pictureBytes);
    stage.submit();
  }
  const int encoded = stage.finish();
  if (overlay) canvas_.finish(nullptr);
  const int closed = H264Enc_CloseFile(encoder_);
  if (rc >= 0) rc = encoded < 0 ? encoded : (closed < 0 ? closed : 0);
  return commitStaged(staged, target, rc);
}
