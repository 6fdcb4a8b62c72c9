#include "modules/TempCanvasSink.h"

#include "TempCanvas.h"

TempCanvasSink::TempCanvasSink(TempCanvas* canvas) : canvas_(canvas) {}

void TempCanvasSink::setTfm_module(QObject* module) {
  if (canvas_) canvas_->setTfm_module(module);
}

int TempCanvasSink::beginUpdate(int width, int height) {
  return canvas_ ? canvas_->beginUpdate(width, height) : -7;
}

void TempCanvasSink::endUpdate() {
  if (canvas_) canvas_->endUpdate();
}

int TempCanvasSink::updateData(TempData* frame) {
  return canvas_ ? canvas_->updateData(frame) : -7;
}

void TempCanvasSink::setItemDefs(const MeaItem* defs, int count) {
  if (!canvas_) return;
  canvas_->item_deleteAll();
  if (defs != nullptr && count > 0) canvas_->setItemDefs(defs, count);
}

int TempCanvasSink::getItemDefs(MeaItem* out, int max) {
  return canvas_ ? canvas_->getItemDefs(out, max) : 0;
}

void TempCanvasSink::setInfoText(const QString& text) {
  if (canvas_) canvas_->setInfoText(text);
}

void TempCanvasSink::setShowInfo(bool show) {
  if (canvas_) canvas_->setInfoVisible(show);
}

void TempCanvasSink::setPaletteType(int type) {
  if (canvas_) canvas_->paletteData()->setPaletteType(type);
}

void TempCanvasSink::setManualRange(bool enable, float low, float high) {
  if (canvas_) canvas_->paletteData()->updateMan(enable, low, high);
}

bool TempCanvasSink::paletteRange(float* low, float* high) {
  if (!canvas_ || low == nullptr || high == nullptr) return false;
  *low = canvas_->paletteData()->paletteMin();
  *high = canvas_->paletteData()->paletteMax();
  return true;
}

QList<QObject*> TempCanvasSink::itemObjects() {
  QList<QObject*> out;
  if (canvas_)
    for (TempCanvasItemBase* item : canvas_->itemList()) out.append(item);
  return out;
}
