#include "modules/CModuleInputIrBase.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "TempCanvas.h"
#include "inputs/CInputFileBase.h"
#include "exporter/ImageExporter.h"

namespace {
constexpr int kMaxItems = 32;
static_assert(sizeof(MeaItem) == sizeof(TempFileConf::meaItems[0]), "item definition size");
}  // namespace

ModuleCanvas* moduleCanvasOf(QObject* canvas) {
  return dynamic_cast<ModuleCanvas*>(canvas);
}

CModuleInputIrBase::CModuleInputIrBase(int moduleType, QObject* parent)
    : CModule(moduleType, parent), imageConfig_(this) {}

void CModuleInputIrBase::setTempCanvas(QObject* canvas) {
  ModuleCanvas* c = moduleCanvasOf(canvas);
  auto* temp = c == nullptr ? qobject_cast<TempCanvas*>(canvas) : nullptr;
  if (c == nullptr && temp == nullptr) canvas = nullptr;
  if (canvasObject_.data() == canvas && (canvas == nullptr || canvas_ != nullptr)) return;
  canvasObject_ = canvas;
  if (temp != nullptr) {
    sink_ = std::make_unique<TempCanvasSink>(temp);
    c = sink_.get();
  } else {
    sink_.reset();
  }
  canvas_ = c;
  emit tempCanvasChanged();
}

void CModuleInputIrBase::setShowInfo(bool show) {
  ModuleCanvas* c = canvas();
  if (c == nullptr || showInfo_ == show) return;
  showInfo_ = show;
  c->setShowInfo(show);
  emit showInfoChanged();
}

void CModuleInputIrBase::applyConf(const TempFileConf& conf) {
  ModuleCanvas* c = canvas();
  if (c == nullptr) return;
  imageConfig_.setPaletteType(conf.paletteIndex);
  StretchCtl ctl;
  static_assert(sizeof ctl == sizeof conf.stretchCtl, "StretchCtl size");
  std::memcpy(&ctl, conf.stretchCtl, sizeof ctl);
  imageConfig_.fromParams(&ctl);
  // A stored count outside 0..32 is not trusted past the array.
  int count = conf.meaCount;
  if (count < 0) count = 0;
  if (count > kMaxItems) count = kMaxItems;
  MeaItem items[kMaxItems];
  std::memcpy(items, conf.meaItems, sizeof(MeaItem) * static_cast<size_t>(count));
  c->setItemDefs(items, count);
  showPalette();
}

void CModuleInputIrBase::showPalette() {
  ModuleCanvas* c = canvas();
  if (c == nullptr) return;
  c->setPaletteType(imageConfig_.paletteType());
  const float low = imageConfig_.man_temp0();
  const float high = imageConfig_.man_temp1();
  c->setManualRange(imageConfig_.man_enable() && low < high, low, high);
}

void CModuleInputIrBase::fillViewConf(TempFileConf* conf) {
  conf->paletteIndex = imageConfig_.paletteType();
  StretchCtl ctl;
  std::memcpy(&ctl, conf->stretchCtl, sizeof ctl);
  imageConfig_.toParams(&ctl);
  std::memcpy(conf->stretchCtl, &ctl, sizeof ctl);
  if (ModuleCanvas* c = canvas()) {
    MeaItem items[kMaxItems];
    int n = c->getItemDefs(items, kMaxItems);
    if (n < 0) n = 0;
    if (n > kMaxItems) n = kMaxItems;
    conf->meaCount = n;
    std::memcpy(conf->meaItems, items, sizeof(MeaItem) * static_cast<size_t>(n));
  }
}

int CModuleInputIrBase::input_storedItemIndex(int canvasIndex) {
  if (!storingAnswered() || input_saveConfirmed() || !input_saveRequired()) return canvasIndex;
  ModuleCanvas* c = canvas();
  TempFileConf stored;
  if (c == nullptr || !storedViewConf(&stored)) return canvasIndex;
  MeaItem items[kMaxItems];
  const int n = std::min(c->getItemDefs(items, kMaxItems), int(kMaxItems));
  if (canvasIndex < 0 || canvasIndex >= n) return -1;
  // The edits are dropped: the item is there on the next opening only as a stored one.
  const int count = std::clamp(int(stored.meaCount), 0, int(kMaxItems));
  const auto* storedItems = reinterpret_cast<const MeaItem*>(stored.meaItems);
  for (int i = 0; i < count; ++i)
    if (std::memcmp(&storedItems[i], &items[canvasIndex], sizeof(MeaItem)) == 0) return i;
  return -1;
}

bool CModuleInputFileBase::storedViewConf(TempFileConf* out) {
  return CInputFileBase::readStoredConf(qobject_cast<CInputFileBase*>(input()), out);
}

CModuleInputFileBase::CModuleInputFileBase(int moduleType, QObject* parent)
    : CModuleInputIrBase(moduleType, parent) {}

bool CModuleInputFileBase::input_saveRequired() {
  auto* in = qobject_cast<CInputFileBase*>(input());
  TFRaw* raw = CInputFileBase::writeRawBegin(in);
  if (raw == nullptr) return false;
  raw->confSize = static_cast<int32_t>(sizeof(TempFileConf));
  fillViewConf(raw->conf);
  return CInputFileBase::writeRawCheckConf(in);
}

void CModuleInputFileBase::saveInput() {
  auto* in = qobject_cast<CInputFileBase*>(input());
  if (in == nullptr || !input_saveRequired()) return;
  in->setWriteRawPending(false);
  CInputFileBase::writeRawEnd(in);
}

int CModuleInputIrBase::exportImage(const QString& path, int exportType, qint64 value) {
  TempData* frame = currentFrame_;
  CInputBase* in = input();
  if (frame == nullptr || frame->head == nullptr || frame->data == nullptr || frame->image == nullptr || in == nullptr)
    return -7;
  ImageExporter* exporter = managers().exporter;
  if (exporter == nullptr) return -4;
  if (isSourceFile(path)) return -8;
  // The copy is sized by the frame itself: the input's size may already describe a newer one.
  const int w = frame->head->width, h = frame->head->height;
  ExportJob* job = ImageExporter::newJob(w, h);
  if (job == nullptr) return -5;
  TempFileConf* conf = job->conf;
  in->fillCameraInfo(conf);
  if (conf->width == 0 && conf->height == 0) {
    conf->width = uint16_t(w);
    conf->height = uint16_t(h);
  }
  if (conf->width != w || conf->height != h || in->dataWidth() != w || in->dataHeight() != h) {
    exportJobFree(job);
    return -8;
  }
  const size_t pixels = size_t(w) * size_t(h);
  std::memcpy(job->image, frame->image, pixels * 4);
  std::memcpy(job->frame(), frame->head, sizeof(DataFrameHead));
  std::memcpy(job->frame() + sizeof(DataFrameHead), frame->data, pixels * 2);
  if (value != 0) conf->captureTime = value;
  fillViewConf(conf);
  // The results are measured on the very frame exported, so numbers and picture agree.
  const auto* items = reinterpret_cast<const MeaItem*>(conf->meaItems);
  for (int i = 0; i < conf->meaCount; ++i)
    if (VEZ2024_GetResult(&items[i], frame->head, frame->data, &job->results[i]) < 0) job->results[i] = MeaResult{};
  float low = 0, high = 0;
  ModuleCanvas* c = canvas();
  if (c == nullptr || !c->paletteRange(&low, &high)) {
    MeaResult whole{};
    VEZ2024_GetResult(nullptr, frame->head, frame->data, &whole);
    low = whole.min;
    high = whole.max;
  }
  job->barLow = low;
  job->barHigh = high;
  job->kind = 1;
  if (moduleType() == 3) {
    job->kind = exportType;
    if (exportType == 2 || exportType == 3) {
      const QByteArray source = in->inputNameAbs().toUtf8();
      // A path that does not fit would name another file: refuse it rather than cut it.
      if (source.size() >= qsizetype(sizeof job->source)) {
        exportJobFree(job);
        return -8;
      }
      std::memcpy(job->source, source.constData(), size_t(source.size()));
      // The user counts frames from 1 and names the last one included; the exporter's end is
      // exclusive. A range the user cannot mean is refused rather than widened to the whole
      // recording, and an empty one rather than reported as a written file.
      const ImageExporterConfig* cfg = exporter->config();
      const int begin = cfg->streamBegin(), end = cfg->streamEnd(), interval = cfg->streamInterval();
      if (begin < 1 || interval < 1 || end < begin || end > in->dataFrameCount()) {
        exportJobFree(job);
        return -8;
      }
      job->begin = begin;
      job->end = end + 1;
      job->interval = interval;
      job->split = cfg->splitAsJpg() ? 1 : 0;
    }
  }
  return exporter->startSave(path, job);
}

bool CModuleInputIrBase::isSourceFile(const QString& path) const {
  const CInputBase* in = input();
  if (in == nullptr || path.isEmpty() || in->inputNameAbs().isEmpty()) return false;
  // Same device and inode: also a hard link is the same file.
  struct stat a {};
  struct stat b {};
  if (::stat(path.toUtf8().constData(), &a) != 0 || ::stat(in->inputNameAbs().toUtf8().constData(), &b) != 0)
    return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void CModuleInputIrBase::initExportConfig() {
  ImageExporter* exporter = managers().exporter;
  if (moduleType() != 3 || exporter == nullptr || input() == nullptr) return;
  ImageExporterConfig* cfg = exporter->config();
  cfg->setStreamBegin(1);
  cfg->setStreamEnd(input()->dataFrameCount());
  cfg->setStreamInterval(1);
}
