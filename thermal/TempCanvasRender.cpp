// The canvas's render-thread side. Everything paint reads was copied in syncItem, while the GUI
// thread was blocked: the picture, the lookup tables, the view and each item's drawing state.
#include "ItemPainter.h"
#include "TempCanvas.h"
#include "TempCanvasManager.h"

#include <qorn/QornPainter.h>

#include <cstring>
#include <memory>

struct TempCanvasRender::State {
  ItemPainter painter;
  std::unique_ptr<QornImage> image;
  uint64_t copiedFrame = 0;  // frame serial whose pixels the image holds
  bool uploadPending = false;
  std::vector<int16_t> tables;
  uint64_t viewSerial = 0;
  ItemPaintView view;
  QRectF source, target;
  bool begun = false;
  bool hasFrame = false;
  bool hideAll = false;
  int tool = 0;
  bool infoVisible = false;
  QString infoText;
  std::vector<TempCanvasItemSnapshot> items;
  TempCanvasItemSnapshot mouse;
};

TempCanvasRender::TempCanvasRender() : s_(new State) {}
TempCanvasRender::~TempCanvasRender() {
  delete s_;
}

void TempCanvasRender::syncItem(RHIItemBase* item) {
  auto* c = static_cast<TempCanvas*>(item);
  State& s = *s_;
  s.begun = c->begun_;
  s.hasFrame = c->hasFrame_;
  if (!s.begun) return;
  const int w = c->imageWidth_, h = c->imageHeight_;
  if (!s.image || s.image->width() != w || s.image->height() != h) {
    s.image = std::make_unique<QornImage>(painter(), w, h);
    s.image->ensureCreated();
    s.copiedFrame = 0;
    c->newData_ = true;
  }
  if (s.hasFrame && (c->newData_ || s.copiedFrame != c->frameSerial_) &&
      c->frameBgra_.size() == size_t(w) * size_t(h)) {
    std::memcpy(s.image->pixels(), c->frameBgra_.data(), c->frameBgra_.size() * sizeof(uint32_t));
    s.copiedFrame = c->frameSerial_;
    s.uploadPending = true;
    c->newData_ = false;
  }
  if (s.viewSerial != c->viewSerial_) {
    s.tables = c->tables_;
    s.viewSerial = c->viewSerial_;
    const int16_t* base = s.tables.data() + 32768;
    s.painter.setTables(base, base + 65536, base + 2 * 65536, base + 3 * 65536);
  }
  s.view.imageWidth = w;
  s.view.imageHeight = h;
  s.view.viewWidth = int(c->viewWidth_);
  s.view.viewHeight = int(c->viewHeight_);
  s.view.viewLeft = c->viewLeft_;
  s.view.viewTop = c->viewTop_;
  s.view.viewRight = c->viewRight_;
  s.view.viewBottom = c->viewBottom_;
  s.source = c->sourceRect_;
  s.target = c->visibleRect_;
  const TempCanvasManager* m = TempCanvasManager::instance();
  s.hideAll = m && m->hideAll();
  s.tool = c->tool_;
  s.infoVisible = c->infoVisible_;
  s.infoText = c->infoText_;
  s.items.resize(size_t(c->itemList_.size()));
  for (qsizetype i = 0; i < c->itemList_.size(); ++i) c->itemList_[i]->snapshot(&s.items[size_t(i)]);
  c->itemMouse_.snapshot(&s.mouse);
}

void TempCanvasRender::paint(QornPainter* p) {
  State& s = *s_;
  if (!s.begun || !s.hasFrame || !s.image || s.copiedFrame == 0) return;
  if (s.uploadPending) {
    s.image->update(s.image->pixels());
    s.uploadPending = false;
  }
  ItemPainter& ip = s.painter;
  ip.beginQorn(p, &s.view);
  ip.drawImage(*s.image, s.source, s.target);
  if (!s.hideAll) {
    for (const TempCanvasItemSnapshot& it : s.items) {
      switch (it.kind) {
        case 0:
          ip.drawGlobal(it.def, it.result);
          break;
        case 1:
        case 2:
        case 3:
          ip.drawPoint(it.def, it.result, it.viewPoints, it.kind);
          break;
        case 5:
        case 11:
          ip.drawPoly(it.def, it.result, it.viewPoints, it.editIndex, it.kind);
          break;
        case 6:
        case 7:
        case 9:
        case 10:
          ip.drawRect(it.def, it.result, it.viewPoints, it.editIndex, it.kind);
          break;
        default:
          break;
      }
    }
  }
  if (s.tool == 0 && s.mouse.visible) ip.drawMouse(s.mouse.def, s.mouse.result, s.mouse.viewPoints[0]);
  if (s.infoVisible && !s.infoText.isEmpty()) ip.drawCornerText(4, s.infoText, 6, 10);
  ip.end();
}
