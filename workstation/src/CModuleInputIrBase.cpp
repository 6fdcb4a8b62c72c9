#include "workstation/CModuleInputIrBase.h"

#include <cstring>

#include "TempCanvas.h"
#include "workstation/CInputFileBase.h"

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
  c->setPaletteType(conf.paletteIndex);
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
