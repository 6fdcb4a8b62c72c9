// Shared pieces of the canvas suites: the application, frames owned by a fake producer, a canvas
// whose event handlers the tests call with synthetic events, and event builders.
#pragma once

#include "TempCanvas.h"
#include "TempCanvasManager.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QWheelEvent>

#include <cmath>
#include <cstdint>
#include <vector>

namespace canvastest {

// A frame as a producer hands it over: head, codes and BGRA image in the producer's buffers.
struct ProducerFrame {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  std::vector<uint32_t> bgra;
  FrameSlot ref{};

  ProducerFrame(int w, int h) : codes(size_t(w) * h), bgra(size_t(w) * h) {
    head.width = uint16_t(w);
    head.height = uint16_t(h);
    head.kind = 2;
    head.scale = 100;
    head.offset = 0;
    head.globalEmi = 1.0f;
    relink();
  }
  void relink() { ref = FrameSlot{&head, codes.data(), bgra.data()}; }
  FrameSlot *handle() { return &ref; }
  int width() const { return head.width; }
  int height() const { return head.height; }
  // Degrees with the head's scale 100: 50 degrees is code 5000.
  void fill(double degrees, uint32_t colour) {
    std::fill(codes.begin(), codes.end(), int16_t(std::lround(degrees * 100)));
    std::fill(bgra.begin(), bgra.end(), colour);
  }
  // A disc of the given radius: pixels whose centre lies within radius of (cx, cy).
  void disc(double cx, double cy, double radius, double degrees, uint32_t colour) {
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x)
        if (inDisc(x, y, cx, cy, radius)) {
          codes[size_t(y) * width() + x] = int16_t(std::lround(degrees * 100));
          bgra[size_t(y) * width() + x] = colour;
        }
  }
  static bool inDisc(int x, int y, double cx, double cy, double r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
  }
};

// The canvas with its event handlers reachable, as the scene graph would call them.
class ProbeCanvas : public TempCanvas {
 public:
  using TempCanvas::TempCanvas;
  void press(QPointF p, Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonPress, p, p, p, b, b, Qt::NoModifier);
    mousePressEvent(&e);
  }
  void move(QPointF p, Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseMove, p, p, p, Qt::NoButton, held, Qt::NoModifier);
    mouseMoveEvent(&e);
  }
  void release(QPointF p, Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonRelease, p, p, p, b, Qt::NoButton, Qt::NoModifier);
    mouseReleaseEvent(&e);
  }
  void click(QPointF p, Qt::MouseButton b = Qt::LeftButton) {
    press(p, b);
    release(p, b);
  }
  void doubleClick(QPointF p) {
    QMouseEvent e(QEvent::MouseButtonDblClick, p, p, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    mouseDoubleClickEvent(&e);
  }
  void hover(QPointF p) {
    QHoverEvent e(QEvent::HoverMove, p, p, p);
    hoverMoveEvent(&e);
  }
  void wheel(QPointF p, int dy) {
    QWheelEvent e(p, p, QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    wheelEvent(&e);
  }
  void key(int k) {
    QKeyEvent pressE(QEvent::KeyPress, k, Qt::NoModifier);
    keyPressEvent(&pressE);
    QKeyEvent releaseE(QEvent::KeyRelease, k, Qt::NoModifier);
    keyReleaseEvent(&releaseE);
  }
};

// An item definition in image pixels.
inline MeaItem makeDef(int type, std::initializer_list<std::pair<int, int>> points, uint32_t colour = 0xFF00FF00u) {
  MeaItem d{};
  d.meaType = uint8_t(type);
  d.meaColor = colour;
  d.fixEmi = 0.97f;
  d.fixReflectTemp = 25.0f;
  int i = 0;
  for (auto [x, y] : points) {
    d.points[i].x = uint16_t(x);
    d.points[i].y = uint16_t(y);
    ++i;
  }
  d.pointCount = uint8_t(i);
  return d;
}

}  // namespace canvastest
