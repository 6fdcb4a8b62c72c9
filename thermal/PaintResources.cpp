#include "PaintResources.h"

#include <qorn/QornInit.h>

#include <QStringList>

#include <mutex>

namespace {

constexpr quint32 kPaintColors[kPaintColorCount] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFFFF0000,
                                                    0xFF00FF00, 0xFF0000FF, 0xFF00FFFF, 0xFFFF00FF,
                                                    0xFF808000, 0xFFA0A0A0, 0x80000000};

constexpr quint32 kItemColors[kItemColorCount] = {
    0xFFFF0000, 0xFF008000, 0xFF0000FF, 0xFF800000, 0xFF00FF00, 0xFF000080, 0xFF804040, 0xFF408040,
    0xFF404080, 0xFF004000, 0xFF000040, 0xFF400040, 0xFF800080, 0xFF8000FF, 0xFF400080, 0xFFFF00FF};

std::once_flag g_once;
PaintResources* g_resources = nullptr;

void buildPaintResources();

}  // namespace

quint32 paintColorArgb(int index) {
  return index >= 0 && index < kPaintColorCount ? kPaintColors[index] : 0;
}

quint32 itemColorArgb(int index) {
  return kItemColors[((index % kItemColorCount) + kItemColorCount) % kItemColorCount];
}

void initPaintResources() {
  std::call_once(g_once, buildPaintResources);
}

const PaintResources& paintResources() {
  // Programs build the tables at start-up; a painter reached first (a test, a tool) builds them
  // here, once, whichever thread it runs on.
  initPaintResources();
  return *g_resources;
}

namespace {

void buildPaintResources() {
  auto* r = new PaintResources;
  for (int i = 0; i < kPaintColorCount; ++i) {
    const quint32 c = kPaintColors[i];
    const int a = int(c >> 24), red = int((c >> 16) & 0xFF), g = int((c >> 8) & 0xFF), b = int(c & 0xFF);
    r->colors[i] = QColor(red, g, b, a);
    r->brushes[i] = QBrush(r->colors[i]);
    r->pens[i] = QPen(r->brushes[i], 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    r->qornColors[i] = qornColorFromRgba(red, g, b, a);
  }
  // The label face of the original platform is not installed here; DejaVu Sans and, for Chinese
  // names, WenQuanYi Micro Hei stand in for it.
  r->labelFont.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("DejaVu Sans"),
                            QStringLiteral("WenQuanYi Micro Hei")});
  r->labelFont.setPointSize(12);
  r->labelFont.setItalic(false);
  r->labelMetrics = std::make_unique<QFontMetrics>(r->labelFont);
  g_resources = r;  // lives for the process
}

}  // namespace
