#include "TempCanvasManager.h"

#include "PaintResources.h"
#include "TCSeries.h"
#include "TempCanvas.h"
#include "TempChart.h"
#include "TempImageConfig.h"
#include "TempPalette.h"

#include <QQmlEngine>

#include <cstdio>
#include <cstring>

namespace {

TempCanvasManager* g_manager = nullptr;

}  // namespace

TempCanvasManager::TempCanvasManager(QObject* parent)
    : QObject(parent), provider_(new TempPaletteImageProvider) {
  if (!g_manager) g_manager = this;
}

TempCanvasManager::~TempCanvasManager() {
  // Only the manager in charge ends the engine: a stray second one must not pull it away from
  // the canvases still measuring.
  if (g_manager == this) {
    g_manager = nullptr;
    if (initialized_) VEZ2024_Free();
  }
  for (TempCanvas* c : std::as_const(canvasList_)) disconnect(this, nullptr, c, nullptr);
  canvasList_.clear();
  meaList_.clear();
  if (ownsProvider_) delete provider_.data();
}

TempCanvasManager* TempCanvasManager::instance() {
  return g_manager;
}

int TempCanvasManager::init() {
  if (initialized_) return 0;
  const char* uri = "Ostrel";
  const QString backEnd = QStringLiteral("made by the program, not by QML");
  qmlRegisterUncreatableType<TempPaletteImageProvider>(uri, 1, 0, "TempPaletteImageProvider", backEnd);
  qmlRegisterType<TempPaletteData>(uri, 1, 0, "TempPaletteData");
  qmlRegisterType<TempImageConfig>(uri, 1, 0, "TempImageConfig");
  qmlRegisterType<TempCanvas>(uri, 1, 0, "TempCanvas");
  qmlRegisterUncreatableType<TempCanvasItemBase>(uri, 1, 0, "TempCanvasItemBase", backEnd);
  qmlRegisterType<TempChart>(uri, 1, 0, "TempChart");
  qmlRegisterType<TCSeriesBase>(uri, 1, 0, "TCSeriesBase");
  qmlRegisterType<TCConfig>(uri, 1, 0, "TCConfig");
  qmlRegisterUncreatableType<TempCanvasManager>(uri, 1, 0, "TempCanvasManager", backEnd);
  const int rc = VEZ2024_Init();
  if (rc < 0) return rc;
  initialized_ = true;
  return 0;
}

TempPaletteImageProvider* TempCanvasManager::takePaletteImageProvider() {
  ownsProvider_ = false;
  return provider_.data();
}

void TempCanvasManager::setTool(int t) {
  if (t > 0 && hideAll_) {
    hideAll_ = false;
    emit hideAllChanged();
  }
  for (TempCanvas* c : std::as_const(canvasList_)) c->setTool(t);
  if (t == tool_) return;
  tool_ = t;
  emit toolChanged();
}

void TempCanvasManager::setHideAll(bool b) {
  if (b == hideAll_) return;
  hideAll_ = b;
  emit hideAllChanged();
}

void TempCanvasManager::setMeaSelected(TempCanvasItemBase* item) {
  if (item == meaSelected_) return;
  meaSelected_ = item;
  meaSelectedIndex_ = item ? int(meaList_.indexOf(item)) : -1;
  emit meaSelectedChanged();
}

void TempCanvasManager::registerCanvas(TempCanvas* canvas, int op) {
  if (!canvas) return;
  if (op == 0) {
    if (canvasList_.contains(canvas)) return;
    canvasList_.append(canvas);
    connect(this, &TempCanvasManager::hideAllChanged, canvas, &TempCanvas::forceRedraw);
  } else if (op == 3) {
    if (canvasList_.removeAll(canvas) > 0) disconnect(this, nullptr, canvas, nullptr);
  }
}

void TempCanvasManager::registerItem(TempCanvasItemBase* item, int op) {
  if (!item) return;
  if (op == 0) {
    if (meaList_.contains(item)) return;
    qsizetype last = -1;
    for (qsizetype i = 0; i < meaList_.size(); ++i)
      if (meaList_[i]->canvas == item->canvas) last = i;
    if (last < 0)
      meaList_.append(item);
    else
      meaList_.insert(last + 1, item);
    emit meaListChanged();
  } else if (op == 3) {
    if (meaList_.removeAll(item) == 0) return;
    if (meaSelected_ == item) {
      meaSelected_ = nullptr;
      meaSelectedIndex_ = -1;
      emit meaSelectedChanged();
    }
    emit meaListChanged();
  }
  // Positions moved: the selected item's index follows.
  if (meaSelected_) {
    const int idx = int(meaList_.indexOf(meaSelected_));
    if (idx != meaSelectedIndex_) {
      meaSelectedIndex_ = idx;
      emit meaSelectedChanged();
    }
  }
}

uint32_t TempCanvasManager::nextItemDef(MeaItem* def) const {
  int n = 0;
  for (TempCanvasItemBase* i : meaList_)
    if (i->meaType() != 0) ++n;
  const uint32_t color = itemColorArgb(n % kItemColorCount);
  if (!def) return color;
  std::memset(def->name, 0, sizeof def->name);
  std::snprintf(def->name, 32, "M%d", n + 1);
  def->meaColor = color;
  return color;
}

TempCanvas* TempCanvasManager::canvasByInputName(const QString& name) const {
  if (!resolver_) return nullptr;
  QObject* module = resolver_(name);
  if (!module) return nullptr;
  for (TempCanvas* c : canvasList_)
    if (c->tfm_module() == module) return c;
  return nullptr;
}

void TempCanvasManager::mea_deleteInCanvas(TempCanvasItemBase* item) {
  if (!item || item->meaType() == 0 || !item->canvas || !meaList_.contains(item)) return;
  item->canvas->item_delete(item);
}

QList<QColor> TempCanvasManager::meaColorArray() const {
  QList<QColor> out;
  for (int i = 0; i < kItemColorCount; ++i) out.append(QColor::fromRgba(itemColorArgb(i)));
  return out;
}
