// Main of the canvas suites that draw into a real window: OpenGL is asked for explicitly and
// every case checks it got it.
#include "PaintResources.h"

#include "../renderer_gpu/GpuTestMain.h"

#include <QQuickWindow>

int main(int argc, char **argv) {
  QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
  return runGpuTests(argc, argv);
}
