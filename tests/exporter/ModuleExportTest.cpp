// The image modules' side: what exportImage copies into the job (frame, record, items, range)
// and the live camera module's snapshot call against the simulated camera.
#include <QSignalSpy>
#include <QTest>

#include "NetKit.h"
#include "ExporterSupport.h"
#include "camsim/CameraSim.h"
#include "foundation/Helpers.h"
#include "inputs/CInputIr.h"
#include "modules/CModuleInputIr.h"
#include "modules/CModuleInputIrBase.h"
#include "workspace/CTabManager.h"
#include "modules/ModuleCanvas.h"

using namespace exporter;

namespace {

class FakeInput : public CInputBase {
 public:
  FakeInput(int w, int h, int frames, const QString& path) {
    dataWidth_ = w;
    dataHeight_ = h;
    dataFrameCount_ = frames;
    setNames(path, path, path);
  }
  void fillCameraInfo(TempFileConf* out) override {
    out->magic = TF_CONF_MAGIC;
    std::strncpy(out->cameraId, "FAKE-CAMERA", sizeof out->cameraId);
    out->width = uint16_t(dataWidth_);
    out->height = uint16_t(dataHeight_);
    out->fpsNum = 25;
    out->fpsDiv = 1;
    out->frameCount = dataFrameCount_;
  }
  void resize(int w, int h) {
    dataWidth_ = w;
    dataHeight_ = h;
  }
};

class FakeCanvas : public QObject, public ModuleCanvas {
 public:
  explicit FakeCanvas(int items) {
    for (int i = 0; i < items; ++i)
      defs.push_back(makeItem(i == 0 ? 0 : (i % 2 ? 1 : 9), {{10 + i, 10 + i}, {60 + i, 50 + i}}, "item"));
  }
  void setTfm_module(QObject*) override {}
  int beginUpdate(int, int) override { return 0; }
  void endUpdate() override {}
  int updateData(TempData*) override { return 0; }
  void setItemDefs(const MeaItem*, int) override {}
  int getItemDefs(MeaItem* out, int max) override {
    const int n = std::min<int>(max, int(defs.size()));
    std::memcpy(out, defs.data(), sizeof(MeaItem) * size_t(n));
    return n;
  }
  void setInfoText(const QString&) override {}
  void setShowInfo(bool) override {}
  void setPaletteType(int) override {}
  bool paletteRange(float* low, float* high) override {
    *low = 21.5f;
    *high = 37.5f;
    return true;
  }
  std::vector<MeaItem> defs;
};

class TestModule : public CModuleInputIrBase {
 public:
  explicit TestModule(int type) : CModuleInputIrBase(type) {}
  void show(TempData* frame) { currentFrame_ = frame; }
};

// A frame record as a module holds it, over the test frame's head, codes and picture.
struct HeldFrame {
  ostrel::test::TestFrame t;
  std::vector<uint8_t> headAndCodes;
  std::vector<uint32_t> image;
  TempData record;
  HeldFrame(int w, int h, int f) : t(streamFrame(w, h, f)) {
    headAndCodes.resize(128 + t.codes.size() * 2);
    std::memcpy(headAndCodes.data(), &t.head, 128);
    std::memcpy(headAndCodes.data() + 128, t.codes.data(), t.codes.size() * 2);
    image.assign(size_t(w) * h, 0xFF336699u);
    record.head = reinterpret_cast<DataFrameHead*>(headAndCodes.data());
    record.data = reinterpret_cast<int16_t*>(headAndCodes.data() + 128);
    record.image = image.data();
  }
};

class ModuleExport : public ::testing::Test {
 protected:
  void SetUp() override {
    exporter_ = std::make_unique<ImageExporter>();
  }
  void TearDown() override { exporter_.reset(); }
  ModuleManagers managers() const { return {.exporter = exporter_.get()}; }
  // Waits for the next result of the exporter.
  int nextResult(QSignalSpy& spy) {
    const qsizetype before = spy.size();
    if (!QTest::qWaitFor([&] { return spy.size() > before; }, 60000)) return -999;
    return spy.last()[1].toInt();
  }
  QTemporaryDir dir;
  std::unique_ptr<ImageExporter> exporter_;
};

}  // namespace

TEST_F(ModuleExport, PictureCarriesFrameRecordFirst32ItemsAndCaptureTime) {
  FakeInput input(320, 240, 0, "cam");
  FakeCanvas canvas(40);
  TestModule module(2);
  module.setManagers(managers());
  ASSERT_EQ(module.init(&input, nullptr), 0);
  module.setTempCanvas(&canvas);
  module.imageConfig()->setPaletteType(3);
  QSignalSpy finished(exporter_.get(), &ImageExporter::saveFinished);
  EXPECT_EQ(module.exportImage(dir.filePath("none.jpg"), 1, 0), -7) << "no frame shown yet";

  HeldFrame frame(320, 240, 4);
  module.show(&frame.record);
  const int64_t when = ostrel::unixToFileTime(1700000000, 0);
  // A picture module exports a picture whatever type it is asked for.
  ASSERT_EQ(module.exportImage(dir.filePath("snap.jpg"), 2, when), 0);
  ASSERT_EQ(nextResult(finished), 1);
  const QJsonObject b = py({"blocks", dir.filePath("snap.jpg")});
  const QJsonObject conf = b["conf"].toObject();
  EXPECT_EQ(conf["meaCount"].toInt(), 32) << "a canvas with 40 items exports the first 32";
  EXPECT_EQ(conf["captureTime"].toDouble(), double(when));
  EXPECT_EQ(conf["paletteIndex"].toInt(), 3);
  EXPECT_EQ(b["frame_sha256"].toString(), sha256(frame.headAndCodes.data(), frame.headAndCodes.size()));
  EXPECT_EQ(py({"picture", dir.filePath("snap.jpg")})["width"].toInt(), 720);

  // Value 0 keeps the record's own time (none for this input).
  ASSERT_EQ(module.exportImage(dir.filePath("keep.jpg"), 1, 0), 0);
  ASSERT_EQ(nextResult(finished), 1);
  EXPECT_EQ(py({"blocks", dir.filePath("keep.jpg")})["conf"].toObject()["captureTime"].toDouble(), 0.0);

  // The input already describes a new size while the frame shown is the old one.
  input.resize(640, 480);
  EXPECT_EQ(module.exportImage(dir.filePath("resized.jpg"), 1, 0), -8);
  // A frame outside the files' limits gets no job.
  input.resize(100, 100);
  HeldFrame tiny(100, 100, 0);
  module.show(&tiny.record);
  EXPECT_EQ(module.exportImage(dir.filePath("tiny.jpg"), 1, 0), -5);
  module.show(nullptr);
  module.detach();
}

TEST_F(ModuleExport, StreamModuleTakesItsSourceAndTheConfiguredRange) {
  const QString stream = dir.filePath("module.stream");
  ASSERT_EQ(writeStream(stream, 320, 240, 6), 0);
  FakeInput input(320, 240, 6, stream);
  TestModule module(3);
  module.setManagers(managers());
  ASSERT_EQ(module.init(&input, nullptr), 0);
  ImageExporterConfig* cfg = exporter_->config();
  cfg->setStreamBegin(9);
  module.initExportConfig();
  EXPECT_EQ(cfg->streamBegin(), 1);
  EXPECT_EQ(cfg->streamEnd(), 6);
  EXPECT_EQ(cfg->streamInterval(), 1);
  HeldFrame frame(320, 240, 0);
  module.show(&frame.record);
  QSignalSpy finished(exporter_.get(), &ImageExporter::saveFinished);
  // The whole recording as opening proposes it keeps its last frame.
  const QString whole = dir.filePath("module-whole.stream");
  ASSERT_EQ(module.exportImage(whole, 2, 0), 0);
  ASSERT_EQ(nextResult(finished), 0);
  EXPECT_TRUE(py({"cut", stream, whole, "0", "1", "2", "3", "4", "5"})["equal"].toBool());
  // Begin and end count from 1 and both are included: frames 2..5 are indices 1..4.
  cfg->setStreamBegin(2);
  cfg->setStreamEnd(5);
  const QString cut = dir.filePath("module-cut.stream");
  ASSERT_EQ(module.exportImage(cut, 2, 0), 0);
  ASSERT_EQ(nextResult(finished), 0);
  EXPECT_TRUE(py({"cut", stream, cut, "1", "2", "3", "4"})["equal"].toBool());
  cfg->setSplitAsJpg(true);
  ASSERT_EQ(module.exportImage(dir.filePath("series.jpg"), 2, 0), 0);
  ASSERT_EQ(nextResult(finished), 0);
  EXPECT_EQ(QDir(dir.filePath("series")).entryList(QDir::Files).size(), 4);
  ASSERT_EQ(module.exportImage(dir.filePath("module.mp4"), 3, 0), 0);
  ASSERT_EQ(nextResult(finished), 0);
  EXPECT_EQ(py({"mp4", dir.filePath("module.mp4")})["frames"].toInt(), 4);
  // Ranges the exporter would silently widen to the whole recording, or that hold no frame, are
  // refused before any job is made: nothing is written and no result follows.
  struct Bad { int begin, end, interval; };
  for (const Bad b : {Bad{0, 5, 1}, Bad{2, 7, 1}, Bad{2, 5, 0}, Bad{4, 3, 1}}) {
    cfg->setStreamBegin(b.begin);
    cfg->setStreamEnd(b.end);
    cfg->setStreamInterval(b.interval);
    EXPECT_EQ(module.exportImage(dir.filePath("bad.mp4"), 3, 0), -8) << b.begin << ".." << b.end << " / " << b.interval;
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("bad.mp4")));
  cfg->setStreamBegin(2);
  cfg->setStreamEnd(5);
  cfg->setStreamInterval(1);
  // The recording itself is never a target, however the path is spelt.
  const QByteArray before = readAll(stream);
  ASSERT_TRUE(QFile::link(stream, dir.filePath("link.stream")));
  for (const QString& same : {stream, dir.path() + "/./module.stream", dir.path() + "//module.stream", dir.filePath("link.stream")}) {
    EXPECT_TRUE(module.isSourceFile(same)) << same.toStdString();
    EXPECT_EQ(module.exportImage(same, 2, 0), -8) << same.toStdString();
  }
  EXPECT_FALSE(module.isSourceFile(cut));
  EXPECT_EQ(readAll(stream), before);

  // A source path that does not fit the job is refused, not cut to another file's name.
  FakeInput longInput(320, 240, 6, dir.path() + "/" + QString(300, QChar('x')) + ".stream");
  TestModule longModule(3);
  longModule.setManagers(managers());
  ASSERT_EQ(longModule.init(&longInput, nullptr), 0);
  longModule.show(&frame.record);
  EXPECT_EQ(longModule.exportImage(dir.filePath("long.stream"), 2, 0), -8);
  longModule.show(nullptr);
  longModule.detach();

  // Other modules leave the range alone.
  TestModule picture(2);
  picture.setManagers(managers());
  cfg->setStreamEnd(4);
  picture.initExportConfig();
  EXPECT_EQ(cfg->streamEnd(), 4);
  module.show(nullptr);
  module.detach();
}

TEST_F(ModuleExport, NoExporterIsNotInitialised) {
  FakeInput input(320, 240, 0, "cam");
  TestModule module(1);
  ASSERT_EQ(module.init(&input, nullptr), 0);
  HeldFrame frame(320, 240, 0);
  module.show(&frame.record);
  EXPECT_EQ(module.exportImage(dir.filePath("x.jpg"), 1, 0), -4);
  module.show(nullptr);
  module.detach();
}

// The snapshot call of the recorder: the live module, a full path, kind 1 and a capture time.
TEST_F(ModuleExport, LiveCameraSnapshotWritesARadiometricPicture) {
  camsim::CameraSimOptions o;
  const std::string address = ostrel::test::loopbackAddress(25, 1);
  o.address = address;
  o.identity.dataWidth = 160;
  o.identity.dataHeight = 120;
  o.identity.dataFps = 25;
  camsim::CameraSim sim(o);
  ASSERT_EQ(sim.start(), 0);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  {
    CameraBasicInfoRecord rec{};
    ASSERT_EQ(CInputIr::testLogin(QString::fromStdString(address), &rec), 0);
    CInputIr camera(QString::fromStdString(address), rec);
    camera.setConfigDir(dir.path());
    CTabManager tabs;
    tabs.setManagers(managers());
    FakeCanvas canvas(3);
    auto* module = qobject_cast<CModuleInputIr*>(tabs.module_create(1, &camera, tabs.tab_create()->frame(0)));
    ASSERT_NE(module, nullptr);
    std::unique_ptr<CModuleInputIr> owned(module);
    module->setTempCanvas(&canvas);
    ASSERT_EQ(module->loadData(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return module->currentFrame() != nullptr; }, 20000));
    QSignalSpy finished(exporter_.get(), &ImageExporter::saveFinished);
    const QString file = dir.filePath("snapshot/Device-1.jpg");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("snapshot")));
    const qint64 when = ostrel::nowFileTime();
    ASSERT_EQ(module->exportImage(file, 1, when), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() > 0; }, 60000));
    EXPECT_EQ(finished[0][1].toInt(), 1);
    const QJsonObject b = py({"blocks", file});
    EXPECT_EQ(b["conf"].toObject()["captureTime"].toDouble(), double(when));
    EXPECT_EQ(b["conf"].toObject()["meaCount"].toInt(), 3);
    EXPECT_EQ(b["temp"].toObject()["width"].toInt(), 160);
    EXPECT_EQ(py({"picture", file})["width"].toInt(), 720);
    module->unloadData();
    owned.reset();
  }
  Ostrel_FreeSDK();
  sim.stop();
}
