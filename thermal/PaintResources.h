// Colours, brushes, pens and the label font shared by every item painter and the chart. Built
// once by initPaintResources at start-up, before any canvas paints; read-only afterwards, so the
// render threads and the exporter read them without a lock.
#pragma once

#include <qorn/QornCore.h>

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include <array>
#include <memory>

constexpr int kPaintColorCount = 11;
constexpr int kItemColorCount = 16;

struct PaintResources {
  std::array<QColor, kPaintColorCount> colors;
  std::array<QBrush, kPaintColorCount> brushes;
  std::array<QPen, kPaintColorCount> pens;
  std::array<QornColor, kPaintColorCount> qornColors;
  QFont labelFont;
  std::unique_ptr<QFontMetrics> labelMetrics;
};

// Builds the tables; later calls do nothing. Needs a QGuiApplication (fonts).
void initPaintResources();
// The shared tables; initPaintResources must have run.
const PaintResources& paintResources();

// Painter colour table, 0xAARRGGBB.
quint32 paintColorArgb(int index);
// Default colours of the n-th measurement item, 0xFFRRGGBB.
quint32 itemColorArgb(int index);
