// The mesh chart without a window: grid size and heights at sampled cells against the frame's
// own scale and offset, shared lookup tables, a frame without scale refused, the texture kept
// when the picture's buffer changes or goes, and binding to one picture only.
#include <QPointer>
#include <QSignalSpy>
#include <QtDataVisualization/QSurfaceDataProxy>

#include "MeshSupport.h"
#include "charts/CModuleChartMesh.h"

namespace {

using namespace charts;

struct MeshRig {
  SurfaceStandIn item;
  CModuleChartMesh mesh;
  PictureStandIn picture;
  MeshRig() {
    mesh.graphs_init(&item);
    EXPECT_EQ(item.added.size(), 1);
  }
  QSurfaceDataProxy* proxy() { return mesh.series()->dataProxy(); }
};

void expectHeights(QSurfaceDataProxy* proxy, ProducerFrame& f) {
  const int w = f.head.width, h = f.head.height;
  ASSERT_EQ(proxy->rowCount(), h);
  ASSERT_EQ(proxy->columnCount(), w);
  const int cells[][2] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h / 3}, {w / 3, h / 2}};
  for (const auto& c : cells) {
    const QSurfaceDataItem* it = proxy->itemAt(c[1], c[0]);
    ASSERT_NE(it, nullptr);
    const double expected = double(f.at(c[0], c[1])) / f.head.scale + f.head.offset;
    EXPECT_FLOAT_EQ(it->y(), float(expected)) << c[0] << "," << c[1];
    EXPECT_EQ(it->x(), float(c[0]));
    EXPECT_EQ(it->z(), float(c[1]));
  }
}

TEST(MeshChart, GridIsTheFrameAndHeightsFollowScaleAndSignedOffset) {
  MeshRig rig;
  EXPECT_EQ(rig.mesh.series()->drawMode(), QSurface3DSeries::DrawSurface);
  EXPECT_EQ(rig.item.added[0], rig.mesh.series());
  rig.mesh.graphs_init(&rig.item);  // only the first call counts
  EXPECT_EQ(rig.item.added.size(), 1);

  ProducerFrame f(37, 23, 30, -40);
  fillPattern(f);
  rig.picture.show(&f);
  QSignalSpy bound(&rig.picture, &CModuleInputJpg::subModuleChartMeshChanged);
  QSignalSpy reset(rig.proxy(), &QSurfaceDataProxy::arrayReset);
  rig.mesh.graphs_update(&rig.picture);
  EXPECT_EQ(rig.picture.subModuleChartMesh(), &rig.mesh);
  EXPECT_EQ(bound.count(), 1);
  EXPECT_GE(reset.count(), 1);
  expectHeights(rig.proxy(), f);

  // Bound already: a second update changes nothing, a texture update only the colours.
  fillPattern(f, 7);
  const float before = rig.proxy()->itemAt(0, 0)->y();
  rig.mesh.graphs_update(&rig.picture);
  EXPECT_EQ(rig.proxy()->itemAt(0, 0)->y(), before);
  rig.mesh.graphs_updateTexture(&rig.picture);
  EXPECT_EQ(rig.proxy()->itemAt(0, 0)->y(), before);
  EXPECT_EQ(rig.mesh.series()->texture().pixel(0, 0), f.bgra[0]);

  // Another mesh cannot take a picture that has one.
  SurfaceStandIn item2;
  CModuleChartMesh other;
  other.graphs_init(&item2);
  other.graphs_update(&rig.picture);
  EXPECT_EQ(rig.picture.subModuleChartMesh(), &rig.mesh);
  EXPECT_EQ(other.series()->dataProxy()->rowCount(), 0);

  rig.mesh.saveModuleData();  // no input: an empty name
  EXPECT_TRUE(rig.mesh.moduleData().isEmpty());
}

TEST(MeshChart, AnotherPictureSizeRebuildsTheGridAndUnbindsTheFirst) {
  MeshRig rig;
  ProducerFrame f(16, 9);
  fillPattern(f);
  rig.picture.show(&f);
  rig.mesh.graphs_update(&rig.picture);
  PictureStandIn second;
  ProducerFrame g(9, 16, 7, 3);
  fillPattern(g, 3);
  second.show(&g);
  rig.mesh.graphs_update(&second);
  expectHeights(rig.proxy(), g);
  EXPECT_EQ(second.subModuleChartMesh(), &rig.mesh);
  EXPECT_EQ(rig.picture.subModuleChartMesh(), nullptr);
  EXPECT_EQ(rig.mesh.pictureModule(), &second);
}

TEST(MeshChart, FrameWithoutScaleChangesNothing) {
  MeshRig rig;
  ProducerFrame f(8, 6);
  fillPattern(f);
  ProducerFrame zero(8, 6, 0, 5);
  fillPattern(zero, 11);
  EXPECT_FALSE(rig.mesh.applyFrame(TempData{&zero.head, zero.codes.data(), zero.bgra.data(), 0, 0}));
  EXPECT_EQ(rig.proxy()->rowCount(), 0);
  rig.picture.show(&f);
  rig.mesh.graphs_update(&rig.picture);
  PictureStandIn p2;
  p2.show(&zero);
  QSignalSpy reset(rig.proxy(), &QSurfaceDataProxy::arrayReset);
  EXPECT_FALSE(rig.mesh.applyFrame(TempData{&zero.head, zero.codes.data(), zero.bgra.data(), 0, 0}));
  EXPECT_EQ(reset.count(), 0);
  expectHeights(rig.proxy(), f);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 8; ++c) ASSERT_TRUE(std::isfinite(rig.proxy()->itemAt(r, c)->y()));
  EXPECT_EQ(CModuleChartMesh::lookupTable(0, 5), nullptr);
}

TEST(MeshChart, EqualScaleAndOffsetShareOneTableOthersDoNot) {
  const int before = CModuleChartMesh::tableCount();
  const float* a = CModuleChartMesh::lookupTable(64, -20);
  const float* b = CModuleChartMesh::lookupTable(64, -20);
  const float* c = CModuleChartMesh::lookupTable(65, -20);
  const float* d = CModuleChartMesh::lookupTable(64, 20);
  const float* e = CModuleChartMesh::lookupTable(64, -1);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_NE(a, d);
  EXPECT_NE(a, e);
  EXPECT_NE(d, e);
  EXPECT_EQ(CModuleChartMesh::tableCount(), before + 4);
  // Entry r + 32768 is r / scale + offset.
  for (int r : {-32768, -1, 0, 1, 12345, 32767}) {
    EXPECT_FLOAT_EQ(a[r + 32768], float(r / 64.0 - 20)) << r;
    EXPECT_FLOAT_EQ(e[r + 32768], float(r / 64.0 - 1)) << r;
  }
}

TEST(MeshChart, TextureIsTheMeshsOwnCopy) {
  MeshRig rig;
  auto f = std::make_unique<ProducerFrame>(12, 10);
  fillPattern(*f);
  const std::vector<uint32_t> colours = f->bgra;
  rig.picture.show(f.get());
  rig.mesh.graphs_update(&rig.picture);
  // The picture's buffer is overwritten, then freed.
  std::fill(f->bgra.begin(), f->bgra.end(), 0xFF00FF00u);
  f.reset();
  const QImage tex = rig.mesh.series()->texture();
  ASSERT_EQ(tex.size(), QSize(12, 10));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(tex.pixel(x, y), colours[size_t(y) * 12 + x]) << x << "," << y;
}

TEST(MeshChart, DetachClearsThePicturesMeshButSavingStillNamesIt) {
  MeshRig rig;
  ProducerFrame f(4, 4);
  fillPattern(f);
  rig.picture.show(&f);
  rig.mesh.graphs_update(&rig.picture);
  ASSERT_EQ(rig.mesh.init(nullptr, nullptr), 0);
  rig.mesh.detach();
  EXPECT_EQ(rig.picture.subModuleChartMesh(), nullptr);
  EXPECT_EQ(rig.mesh.pictureModule(), &rig.picture);
}

// Qt's warnings while alive, in place of its own message handler.
class QtWarnings {
 public:
  QtWarnings() { previous_ = qInstallMessageHandler(&QtWarnings::take); }
  ~QtWarnings() { qInstallMessageHandler(previous_); }
  static QStringList& lines() {
    static QStringList l;
    return l;
  }

 private:
  static void take(QtMsgType, const QMessageLogContext&, const QString& text) { lines().append(text); }
  QtMessageHandler previous_;
};

TEST(MeshChart, PaletteChangeOfTheBoundPictureRecoloursTheSurface) {
  FilePicture file;
  ASSERT_TRUE(file.open());
  CModuleInputJpg& picture = *file.module;
  SurfaceStandIn item;
  CModuleChartMesh mesh;
  mesh.graphs_init(&item);
  mesh.graphs_update(&picture);
  ASSERT_EQ(picture.subModuleChartMesh(), &mesh);
  const QImage before = mesh.series()->texture().copy();
  ASSERT_FALSE(before.isNull());

  QtWarnings warnings;
  QtWarnings::lines().clear();
  ASSERT_GE(file.changePalette(), 0);
  const QImage after = mesh.series()->texture();
  ASSERT_EQ(after.size(), before.size());
  EXPECT_NE(after, before) << "the surface kept the old palette's colours";
  // The new texture is the picture's recoloured image, pixel for pixel.
  const TempData* f = picture.currentFrame();
  ASSERT_NE(f, nullptr);
  const int w = f->head->width;
  for (int y = 0; y < after.height(); y += 7)
    for (int x = 0; x < after.width(); x += 5)
      ASSERT_EQ(after.pixel(x, y) | 0xFF000000u, f->image[size_t(y) * w + x] | 0xFF000000u) << x << "," << y;
  for (const QString& l : QtWarnings::lines()) EXPECT_FALSE(l.contains("No such method")) << l.toStdString();
}

}  // namespace
