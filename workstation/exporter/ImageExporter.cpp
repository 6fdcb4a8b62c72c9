#include "exporter/ImageExporter.h"

#include <QtQml>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "OstrelFfmpeg.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace {

void putPrefix(uint8_t* at, int32_t length, const char* tag) {
  BlockPrefix p;
  p.length = length;
  std::memcpy(p.tag, tag, 4);
  std::memcpy(at, &p, sizeof p);
}

void putTrailer(uint8_t* at, int w, int h, int32_t length, const char* tag) {
  BlockTrailer t;
  std::memset(&t, 0, sizeof t);
  t.width = uint16_t(w);
  t.height = uint16_t(h);
  t.length = length;
  std::memcpy(t.tag, tag, 4);
  std::memcpy(at, &t, sizeof t);
}

}  // namespace

ExportJob* exportJobNew(int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  const int64_t pixels = int64_t(w) * h;
  if (pixels < TF_MIN_PIXELS || pixels > TF_MAX_PIXELS || w > 0xFFFF || h > 0xFFFF) return nullptr;
  const int64_t imageSize = 4 * pixels;
  const int64_t tempSize = 2 * pixels + 16640;
  const size_t head = (sizeof(ExportJob) + 15) & ~size_t(15);
  const size_t total = head + size_t(imageSize) + ExportJob::kConfBlockSize + size_t(8 + tempSize + 36);
  auto* base = static_cast<uint8_t*>(std::calloc(1, total));
  if (base == nullptr) return nullptr;
  auto* job = reinterpret_cast<ExportJob*>(base);
  job->kind = 1;
  job->width = w;
  job->height = h;
  job->imageSize = int(imageSize);
  job->tempSize = int(tempSize);
  job->confSize = int(sizeof(TempFileConf));
  job->image = base + head;
  uint8_t* conf = job->confBlock();
  putPrefix(conf, job->confSize, "CONF");
  job->conf = reinterpret_cast<TempFileConf*>(conf + 8);
  putTrailer(conf + 8 + job->confSize, w, h, job->confSize, "CONF");
  uint8_t* temp = job->tempBlock();
  putPrefix(temp, job->tempSize, "TEMP");
  job->raw = temp + 8;
  TempFileHead fh;
  std::memset(&fh, 0, sizeof fh);
  fh.width = uint16_t(w);
  fh.height = uint16_t(h);
  std::memcpy(job->raw, &fh, sizeof fh);
  putTrailer(temp + 8 + job->tempSize, w, h, job->tempSize, "TEMP");
  return job;
}

void exportJobFree(ExportJob* job) { std::free(job); }


void ImageExporterConfig::setFn(const QString& v) {
  if (fn_ == v) return;
  fn_ = v;
  emit fnChanged();
}
void ImageExporterConfig::setColorbar(int v) {
  if (colorbar_ == v) return;
  colorbar_ = v;
  emit colorbarChanged();
}
void ImageExporterConfig::setTimestamp(int v) {
  if (timestamp_ == v) return;
  timestamp_ = v;
  emit timestampChanged();
}
void ImageExporterConfig::setWithRoi(bool v) {
  if (withRoi_ == v) return;
  withRoi_ = v;
  emit withRoiChanged();
}
void ImageExporterConfig::setWithTemp(bool v) {
  if (withTemp_ == v) return;
  withTemp_ = v;
  emit withTempChanged();
}
void ImageExporterConfig::setStreamBegin(int v) {
  if (streamBegin_ == v) return;
  streamBegin_ = v;
  emit streamBeginChanged();
}
void ImageExporterConfig::setStreamEnd(int v) {
  if (streamEnd_ == v) return;
  streamEnd_ = v;
  emit streamEndChanged();
}
void ImageExporterConfig::setStreamInterval(int v) {
  if (streamInterval_ == v) return;
  streamInterval_ = v;
  emit streamIntervalChanged();
}
void ImageExporterConfig::setSplitAsJpg(bool v) {
  if (splitAsJpg_ == v) return;
  splitAsJpg_ = v;
  emit splitAsJpgChanged();
}

ExportRange exportRange(int begin, int end, int interval, int frameCount) {
  ExportRange r;
  if (begin >= 1 && int64_t(end) - 1 <= frameCount && interval >= 1) {
    r.first = begin - 1;
    r.stop = end - 1;
    r.step = interval;
  } else {
    r.first = 0;
    r.stop = frameCount > 0 ? frameCount : 0;
    r.step = 1;
  }
  return r;
}

ExportWorker::ExportWorker() {
  tf_ = TF_Create();
  encoder_ = H264Enc_Create();
  if (tf_ == nullptr || encoder_ == nullptr) OSTREL_LOG("thermal file handle or encoder missing: exports fail with -5");
}

ExportWorker::~ExportWorker() {
  canvas_.abort();
  H264Enc_Free(&encoder_);
  TF_Free(&tf_);
}

void ExportWorker::onSaveStarted(const QString& path, ExportJob* job) {
  const int rc = run(path, job);
  emit saveFinished(path, rc);
}

int ExportWorker::run(const QString& path, ExportJob* job) {
  if (job == nullptr) return -8;
  int rc = -8;
  switch (job->kind) {
    case 1: rc = savePicture(path, job); break;
    case 2: rc = job->split != 0 ? savePictures(path, job) : saveCut(path, job); break;
    case 3:
      rc = saveVideo(path, job, job->settings.withRoi || job->settings.colorbar != 0);
      break;
    default: OSTREL_LOG("export kind %d unknown", job->kind); break;
  }
  // Whatever happened, nothing of this job stays open for the next one.
  canvas_.abort();
  if (tf_ != nullptr) TF_Close(tf_);
  if (encoder_ != nullptr) H264Enc_CloseFile(encoder_);
  exportJobFree(job);
  if (rc < 0) OSTREL_LOG("export to %s failed: %d", path.toUtf8().constData(), rc);
  return rc;
}

int ExportWorker::savePicture(const QString& path, ExportJob* job) {
  const TempFileConf& conf = *job->conf;
  const int w = conf.width, h = conf.height;
  // The image and the blocks were laid out for the job's size; a record of another size would
  // read and write past them.
  if (w != job->width || h != job->height) return -8;
  const QImage image(job->image, w, h, w * 4, QImage::Format_RGB32);
  int rc = canvas_.begin(w, h, job->settings);
  if (rc < 0) return rc;
  canvas_.drawFrame(image);
  if (job->settings.withRoi) {
    const int count = std::clamp(conf.meaCount, 0, ExportJob::kMaxItems);
    const auto* items = reinterpret_cast<const MeaItem*>(conf.meaItems);
    if (count > 0) canvas_.drawGlobal(items[0], job->results[0]);
    for (int i = 1; i < count; ++i) canvas_.drawItem(items[i], job->results[i]);
  }
  if (job->settings.colorbar != 0) canvas_.drawColorBar(conf.paletteIndex, job->barLow, job->barHigh);
  QByteArray png;
  rc = canvas_.finish(&png);
  if (rc < 0) return rc;
  const QByteArray target = path.toUtf8();
  if (!job->settings.withTemp) return ostrel::fileWriteAll(target.constData(), png.constData(), size_t(png.size()));
  const size_t blocks = size_t(ExportJob::kConfBlockSize) + size_t(job->tempBlockSize());
  if (png.size() <= job->imageSize) {
    // The PNG goes right before the blocks, so picture and blocks leave in one write.
    uint8_t* start = job->confBlock() - png.size();
    std::memcpy(start, png.constData(), size_t(png.size()));
    return ostrel::fileWriteAll(target.constData(), start, size_t(png.size()) + blocks);
  }
  // A noisy picture can encode longer than the raw image area: the file still gets all of it.
  QByteArray whole;
  whole.reserve(png.size() + qsizetype(blocks));
  whole.append(png);
  whole.append(reinterpret_cast<const char*>(job->confBlock()), qsizetype(blocks));
  return ostrel::fileWriteAll(target.constData(), whole.constData(), size_t(whole.size()));
}

ImageExporter::ImageExporter(QObject* parent) : QObject(parent) {
  qRegisterMetaType<ExportJob*>("ExportJob*");
  worker_ = new ExportWorker();
  worker_->moveToThread(&thread_);
  connect(this, &ImageExporter::saveStarted, worker_, &ExportWorker::onSaveStarted, Qt::QueuedConnection);
  connect(worker_, &ExportWorker::saveFinished, this, &ImageExporter::saveFinished, Qt::QueuedConnection);
  thread_.setObjectName(QStringLiteral("ImageExporter"));
  thread_.start();
}

ImageExporter::~ImageExporter() {
  quitThread();
  waitThread(-1);
  delete worker_;
}

int ImageExporter::init() {
  qmlRegisterUncreatableType<ImageExporterConfig>("Ostrel", 1, 0, "ImageExporterConfig",
                                                  QStringLiteral("owned by the exporter"));
  qmlRegisterUncreatableType<ImageExporter>("Ostrel", 1, 0, "ImageExporter", QStringLiteral("one per application"));
  return 0;
}

ExportJob* ImageExporter::newJob(int w, int h) { return exportJobNew(w, h); }

int ImageExporter::startSave(const QString& path, ExportJob* job) {
  if (job == nullptr) return -8;
  job->settings = config_.settings();
  emit saveStarted(path, job);
  return 0;
}

void ImageExporter::quitThread() {
  // Queued behind the jobs already handed over, so none of them is dropped (and leaked).
  if (thread_.isRunning()) QMetaObject::invokeMethod(worker_, [this] { thread_.quit(); }, Qt::QueuedConnection);
}

bool ImageExporter::waitThread(int ms) {
  return ms < 0 ? thread_.wait() : thread_.wait(QDeadlineTimer(ms));
}

