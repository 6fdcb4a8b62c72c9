// The mesh chart on a real Surface3D in a window under Xvfb: the window must really draw through
// OpenGL, the grabbed picture of a textured surface shows far more than a few flat colours, and a
// new palette of the picture shows on the drawn surface.
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

// A Surface3D in a window of its own; show() returns once a frame was swapped through OpenGL.
struct SurfaceWindow {
  QQmlEngine engine;
  std::unique_ptr<QObject> root;
  QQuickItem* surface = nullptr;
  QQuickWindow window;
  int swapped = 0;

  void create() {
    QQmlComponent component(&engine);
    component.setData(
        "import QtQuick 2.15\nimport QtDataVisualization 1.2\n"
        "Item { width: 480; height: 360\n"
        "  Surface3D { objectName: \"surface\"; anchors.fill: parent } }",
        QUrl());
    root.reset(component.create());
    ASSERT_NE(root, nullptr) << component.errorString().toStdString();
    surface = root->findChild<QQuickItem*>("surface");
    ASSERT_NE(surface, nullptr);
    window.resize(480, 360);
    qobject_cast<QQuickItem*>(root.get())->setParentItem(window.contentItem());
  }
  void show() {
    QObject::connect(&window, &QQuickWindow::frameSwapped, &window, [this] { ++swapped; }, Qt::DirectConnection);
    window.show();
    // One frame shown is enough: the grabs render their own. A loaded machine with a software
    // rasteriser may take long for the first one.
    ASSERT_TRUE(spinUntil([&] { return window.isExposed() && swapped >= 1; }, 180s));
    ASSERT_NE(window.rendererInterface(), nullptr);
    ASSERT_EQ(window.rendererInterface()->graphicsApi(), QSGRendererInterface::OpenGL)
        << "the window does not draw through OpenGL";
  }
  // The surface frees its graphics resources while its window and context still exist.
  ~SurfaceWindow() {
    window.hide();
    root.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

TEST(MeshView, RealSurfaceDrawsTheTexturedPictureThroughOpenGL) {
  SurfaceWindow sw;
  ASSERT_NO_FATAL_FAILURE(sw.create());
  CModuleChartMesh mesh;
  mesh.graphs_init(sw.surface);
  ASSERT_NE(mesh.series(), nullptr);
  PictureStandIn picture;
  ProducerFrame frame(96, 64, 50, 10);
  fillPattern(frame);
  picture.show(&frame);
  mesh.graphs_update(&picture);
  ASSERT_EQ(picture.subModuleChartMesh(), &mesh);
  ASSERT_EQ(mesh.series()->dataProxy()->rowCount(), 64);
  ASSERT_NO_FATAL_FAILURE(sw.show());

  const QImage shot = sw.window.grabWindow();
  ASSERT_FALSE(shot.isNull());
  QSet<QRgb> colours;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) colours.insert(shot.pixel(x, y) & 0xFFFFFFu);
  EXPECT_GT(colours.size(), 50) << "distinct colours in the grab";
}

// A picture file's palette changed after the mesh was built: the drawn surface changes colour.
TEST(MeshView, PaletteChangeRecoloursTheDrawnSurface) {
  FilePicture file;
  ASSERT_TRUE(file.open());
  SurfaceWindow sw;
  ASSERT_NO_FATAL_FAILURE(sw.create());
  CModuleChartMesh mesh;
  mesh.graphs_init(sw.surface);
  mesh.graphs_update(file.module.get());
  ASSERT_EQ(file.module->subModuleChartMesh(), &mesh);
  ASSERT_NO_FATAL_FAILURE(sw.show());
  const QImage before = sw.window.grabWindow();
  ASSERT_GE(file.changePalette(), 0);
  const QImage after = sw.window.grabWindow();
  ASSERT_FALSE(before.isNull());
  ASSERT_EQ(after.size(), before.size());
  int changed = 0;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x) changed += (after.pixel(x, y) != before.pixel(x, y));
  // The surface covers a good part of the window; a few changed pixels would be noise.
  EXPECT_GT(changed, after.width() * after.height() / 20) << "pixels changed by the new palette";
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
