// The mesh chart on a real Surface3D in a window under Xvfb: the window must really draw through
// OpenGL, and the grabbed picture of a textured surface shows far more than a few flat colours.
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSet>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "MeshSupport.h"
#include "charts/CModuleChartMesh.h"

namespace {

using namespace charts;

TEST(MeshView, RealSurfaceDrawsTheTexturedPictureThroughOpenGL) {
  QQmlEngine engine;
  QQmlComponent component(&engine);
  component.setData(
      "import QtQuick 2.15\nimport QtDataVisualization 1.2\n"
      "Item { width: 480; height: 360\n"
      "  Surface3D { objectName: \"surface\"; anchors.fill: parent } }",
      QUrl());
  std::unique_ptr<QObject> root(component.create());
  ASSERT_NE(root, nullptr) << component.errorString().toStdString();
  auto* surface = root->findChild<QQuickItem*>("surface");
  ASSERT_NE(surface, nullptr);

  QQuickWindow window;
  window.resize(480, 360);
  qobject_cast<QQuickItem*>(root.get())->setParentItem(window.contentItem());
  CModuleChartMesh mesh;
  mesh.graphs_init(surface);
  ASSERT_NE(mesh.series(), nullptr);
  PictureStandIn picture;
  ProducerFrame frame(96, 64, 50, 10);
  fillPattern(frame);
  picture.show(&frame);
  mesh.graphs_update(&picture);
  ASSERT_EQ(picture.subModuleChartMesh(), &mesh);
  ASSERT_EQ(mesh.series()->dataProxy()->rowCount(), 64);

  int swapped = 0;
  QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [&] { ++swapped; }, Qt::DirectConnection);
  window.show();
  // One frame shown is enough: the grab below renders its own. A loaded machine with a software
  // rasteriser may take long for the first one.
  ASSERT_TRUE(spinUntil([&] { return window.isExposed() && swapped >= 1; }, 180s));
  ASSERT_NE(window.rendererInterface(), nullptr);
  ASSERT_EQ(window.rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL)
      << "the window does not draw through OpenGL";

  const QImage shot = window.grabWindow();
  ASSERT_FALSE(shot.isNull());
  QSet<QRgb> colours;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) colours.insert(shot.pixel(x, y) & 0xFFFFFFu);
  EXPECT_GT(colours.size(), 50) << "distinct colours in the grab";

  // The surface frees its graphics resources while its window and context still exist.
  window.hide();
  root.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Qt DataVisualization draws only through OpenGL.
  QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
  QGuiApplication app(argc, argv);
  initPaintResources();
  const int rc = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
  // Leak check while the graphics drivers are still loaded: what they keep for the process stays
  // reachable; their teardown at exit (unloaded modules without symbols) is not checked again.
  __lsan_do_leak_check();
#endif
  return rc;
}
