// A window holding one canvas, shown and checked to render through OpenGL.
#pragma once

#include "CanvasSupport.h"
#include "PaintResources.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTest>

#include <memory>

namespace canvastest {

struct CanvasWindow {
  QQuickWindow window;
  TempCanvas *canvas = nullptr;

  CanvasWindow(int w, int h) {
    initPaintResources();
    window.setColor(Qt::white);
    window.resize(w + 40, h + 40);
    canvas = new TempCanvas(window.contentItem());
    canvas->setSize(QSizeF(w, h));
  }
  ~CanvasWindow() { delete canvas; }

  // Shows the window; false (with a failure) unless it renders through OpenGL.
  bool show() {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
      ADD_FAILURE() << "window not exposed";
      return false;
    }
    QSGRendererInterface *ri = window.rendererInterface();
    if (!ri || ri->graphicsApi() != QSGRendererInterface::OpenGL) {
      ADD_FAILURE() << "not rendering through OpenGL";
      return false;
    }
    return true;
  }
};

}  // namespace canvastest
