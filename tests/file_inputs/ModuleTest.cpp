// The picture and stream modules: edits written back into the files, the input leaving with its
// module, play modes, a lagging GUI, and whole-file measurements matched to their items.
#include <QSignalSpy>
#include <cstdlib>
#include <thread>

#include "FileInputsSupport.h"
#include "inputs/CInputManager.h"
#include "modules/CModuleInputJpg.h"
#include "modules/CModuleInputStream.h"
#include "workspace/WorkspaceFile.h"

using namespace fileinputs;

namespace {

// Palette, item count and item types of a file's stored record, read with Python's struct.
std::string storedView(const QString& path) {
  std::string out;
  runCommand(std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/stored_view.py '" + path.toStdString() + "'",
             &out);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

class Modules : public ::testing::Test {
 protected:
  CInputManager inputs;
  RecordingCanvas canvas;
};

TEST_F(Modules, PictureEditsAreInTheFileAfterReopening) {
  const QString d = Fixtures::get().caseDir({"pic_conf.jpg"});
  const QString path = d + "/pic_conf.jpg";
  ASSERT_EQ(storedView(path), "7 2 9 1");
  {
    CInputJpg* in = inputs.file_createJpg(path);
    ASSERT_NE(in, nullptr);
    CModuleInputJpg m;
    m.setManagers({.inputs = &inputs});
    ASSERT_EQ(m.init(in, nullptr), 0);
    EXPECT_EQ(m.viewName(), QStringLiteral("pic_conf.jpg"));
    m.setTempCanvas(&canvas);
    ASSERT_EQ(m.loadData(), 0);
    EXPECT_EQ(canvas.begins, 1);
    EXPECT_EQ(canvas.indices.size(), 1u);
    EXPECT_EQ(canvas.tornFrames, 0);
    EXPECT_EQ(canvas.defs_.size(), 2u);
    EXPECT_EQ(m.imageConfig()->paletteType(), 7);
    // Input bits as two digits, byte 26 first; the golden head has zeros there.
    EXPECT_EQ(canvas.infoText, QStringLiteral("fpa 31.0 | shell 32.0 | input 00"));
    m.imageConfig()->setPaletteType(3);
    canvas.addItem(pointDef(5, 6));
    EXPECT_TRUE(m.input_saveRequired());
    m.setInput_saveConfirmed(true);
    m.unloadData();
    EXPECT_EQ(canvas.ends, 1);
  }
  EXPECT_EQ(storedView(path), "3 3 9 1 1");
  CInputJpg again;
  again.setPath(path);
  ASSERT_EQ(again.open(), 0);
  EXPECT_EQ(again.fileConf()->paletteIndex, 3);
  EXPECT_EQ(again.fileConf()->meaCount, 3);
  // The picture and its temperatures are still there.
  FrameSlot* f = again.readFrame(0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->data[17 + 33 * kW], rampCode(17, 33, 0));
}

TEST_F(Modules, StreamEditsAreWrittenAfterThePlayerStopped) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  const QString path = d + "/ramp100.stream";
  ASSERT_EQ(storedView(path), "7 2 9 1");
  CInputStream* in = inputs.file_createStream(path);
  ASSERT_NE(in, nullptr);
  auto* m = new CModuleInputStream();
  m->setManagers({.inputs = &inputs});
  ASSERT_EQ(m->init(in, nullptr), 0);
  m->setTempCanvas(&canvas);
  ASSERT_EQ(m->loadData(), 0);
  ASSERT_TRUE(spinUntil([&] { return canvas.indices.size() >= 3; }));
  m->imageConfig()->setPaletteType(4);
  canvas.removeItem(1);
  // While the player runs, nothing is written through its handle.
  ASSERT_NE(CInputFileBase::writeRawBegin(in), nullptr);
  EXPECT_EQ(CInputFileBase::writeRawEnd(in), -7);
  m->setInput_saveConfirmed(true);
  // Deleting the module saves, closes and deletes its input.
  QPointer<CInputStream> gone(in);
  delete m;
  EXPECT_TRUE(inputs.files().isEmpty());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
  EXPECT_EQ(storedView(path), "4 1 9");
  // Every frame is still in the file.
  CInputStream again;
  RecordingCanvas c2;
  auto* in2 = inputs.file_createStream(path);
  CModuleInputStream m2;
  m2.setManagers({.inputs = &inputs});
  ASSERT_EQ(m2.init(in2, nullptr), 0);
  m2.setTempCanvas(&c2);
  ASSERT_EQ(m2.loadData(), 0);
  EXPECT_EQ(m2.frameCount(), kFrames);
  EXPECT_EQ(c2.defs_.size(), 1u);
  EXPECT_EQ(m2.imageConfig()->paletteType(), 4);
}

TEST_F(Modules, DeletingAPictureModuleRemovesItsInput) {
  const QString d = Fixtures::get().caseDir({"pic_conf.jpg", "pic_plain.jpg"});
  CInputJpg* a = inputs.file_createJpg(d + "/pic_conf.jpg");
  CInputJpg* b = inputs.file_createJpg(d + "/pic_plain.jpg");
  ASSERT_TRUE(a && b);
  CModuleInputJpg ma, mb;
  ma.setManagers({.inputs = &inputs});
  ASSERT_EQ(ma.init(a, nullptr), 0);
  mb.setManagers({.inputs = &inputs});
  ASSERT_EQ(mb.init(b, nullptr), 0);
  ma.setTempCanvas(&canvas);
  ASSERT_EQ(ma.loadData(), 0);
  QSignalSpy listChanged(&inputs, &CInputManager::fileListChanged);
  ma.detach();
  EXPECT_EQ(listChanged.count(), 1);
  ASSERT_EQ(inputs.files().size(), 1);
  EXPECT_EQ(inputs.files()[0], b);
  EXPECT_FALSE(ma.isAttached());
  ma.detach();  // twice: nothing
  EXPECT_EQ(inputs.files().size(), 1);
}

TEST_F(Modules, WrongInputsAndEarlyCallsAreRefused) {
  const QString d = Fixtures::get().caseDir({"pic_conf.jpg", "ramp100.stream"});
  CInputJpg* pic = inputs.file_createJpg(d + "/pic_conf.jpg");
  CInputStream* st = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputJpg mj;
  CModuleInputStream ms;
  mj.setManagers({.inputs = &inputs});
  ms.setManagers({.inputs = &inputs});
  EXPECT_EQ(mj.init(st, nullptr), -8);
  EXPECT_EQ(ms.init(pic, nullptr), -8);
  EXPECT_EQ(ms.init(nullptr, nullptr), -8);
  EXPECT_EQ(mj.applyImageConfig(), -7);
  EXPECT_EQ(ms.applyImageConfig(), -7);
  EXPECT_EQ(ms.requestMeaResult(), -7);
  EXPECT_EQ(ms.frameCount(), 0);
  EXPECT_EQ(inputs.file_createJpg(d + "/ramp100.stream"), nullptr);
  // A stream whose file vanished: the open's code comes back and nothing runs.
  ASSERT_EQ(ms.init(st, nullptr), 0);
  ASSERT_TRUE(QFile::remove(d + "/ramp100.stream"));
  EXPECT_EQ(ms.loadData(), -200);
  EXPECT_FALSE(st->playerRunning());
}

TEST_F(Modules, StreamLeftPausedPlaysForwardAfterLoading) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  CInputStream* in = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputStream m;
  m.setManagers({.inputs = &inputs});
  ASSERT_EQ(m.init(in, nullptr), 0);
  m.setTempCanvas(&canvas);
  m.setPlayMode(0);
  QSignalSpy modeChanged(&m, &CModuleInputStream::playModeChanged);
  QSignalSpy countChanged(&m, &CModuleInputStream::frameCountChanged);
  ASSERT_EQ(m.loadData(), 0);
  EXPECT_EQ(m.playMode(), 1);
  EXPECT_EQ(modeChanged.count(), 1);
  EXPECT_EQ(countChanged.count(), 1);
  EXPECT_EQ(m.frameCount(), kFrames);
  ASSERT_TRUE(spinUntil([&] { return canvas.indices.size() >= 10; }));
  for (size_t i = 0; i < canvas.indices.size(); ++i) EXPECT_EQ(canvas.indices[i], static_cast<int>(i));
  EXPECT_EQ(m.frameCurrent(), canvas.indices.back());
  EXPECT_EQ(m.currentFrame()->frameNumber, m.currentFrame()->frameIndex);
  EXPECT_EQ(m.loadData(), 0);  // already open
}

TEST_F(Modules, PausedStreamRedrawsItsFrameWithNewSettings) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  CInputStream* in = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputStream m;
  m.setManagers({.inputs = &inputs});
  ASSERT_EQ(m.init(in, nullptr), 0);
  m.setTempCanvas(&canvas);
  ASSERT_EQ(m.loadData(), 0);
  ASSERT_TRUE(spinUntil([&] { return canvas.indices.size() >= 5; }));
  m.setPlayMode(0);
  m.seek(42);
  ASSERT_TRUE(spinUntil([&] { return m.frameCurrent() == 42; }));
  const size_t shown = canvas.indices.size();
  m.imageConfig()->setPaletteType(2);
  EXPECT_EQ(m.applyImageConfig(), 0);
  EXPECT_EQ(canvas.paletteType, 2);
  ASSERT_TRUE(spinUntil([&] { return canvas.indices.size() == shown + 1; }));
  EXPECT_EQ(canvas.indices.back(), 42);
  EXPECT_EQ(canvas.tornFrames, 0);
}

TEST_F(Modules, LaggingGuiOnlyEverSeesWholeFramesOfTheirIndex) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  CInputStream* in = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputStream m;
  m.setManagers({.inputs = &inputs});
  ASSERT_EQ(m.init(in, nullptr), 0);
  m.setTempCanvas(&canvas);
  m.setShowInfo(true);
  ASSERT_EQ(m.loadData(), 0);
  ASSERT_TRUE(spinUntil([&] { return !canvas.indices.empty(); }));
  // Up to one frame read forwards may still be under way when the mode changes.
  const size_t fastFrom = canvas.indices.size() + 2;
  m.setPlayMode(3);
  // The GUI stalls for a second while the player could have gone through the file many times.
  std::this_thread::sleep_for(1s);
  ASSERT_TRUE(spinUntil([&] { return m.frameCurrent() == kFrames - 1; }));
  EXPECT_EQ(canvas.tornFrames, 0);
  EXPECT_EQ(canvas.badFrames, 0);
  EXPECT_TRUE(canvas.infoText.endsWith(QStringLiteral(" | index 00099"))) << canvas.infoText.toStdString();
  // Fast forward: four frames a step, whatever the lag.
  for (size_t i = fastFrom; i < canvas.indices.size(); ++i) {
    const int step = canvas.indices[i] - canvas.indices[i - 1];
    EXPECT_TRUE(step == 4 || (step > 0 && canvas.indices[i] == kFrames - 1)) << i;
  }
}

// Collects the results fillSeries hands out, per series.
struct Filled {
  std::map<int, std::vector<std::pair<float, float>>> minMax;
  int stride = 0;
};

TEST_F(Modules, WholeFileMeasurementOfTheRamp) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  CInputStream* in = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputStream m;
  m.setManagers({.inputs = &inputs});
  ASSERT_EQ(m.init(in, nullptr), 0);
  m.setTempCanvas(&canvas);
  ASSERT_EQ(m.loadData(), 0);
  canvas.setItemDefs(nullptr, 0);
  QObject* whole = canvas.addItem(frameDef());
  QObject* doomed = canvas.addItem(pointDef(3, 3));
  QObject* point = canvas.addItem(pointDef(80, 60));
  QSignalSpy created(&m, &CModuleInputStream::meaResultDataCreated);
  QSignalSpy failed(&m, &CModuleInputStream::meaResultDataFailed);
  Filled got;
  QObject* later = nullptr;
  int fillRc = 1;
  QObject::connect(&m, &CModuleInputStream::meaResultDataCreated, &m, [&](QObject* module, MeaResultData* data) {
    EXPECT_EQ(module, &m);
    fillRc = m.fillSeries(data, {point, doomed, whole, later, nullptr},
                          [&](int k, const int64_t* times, const MeaResult* first, int stride, int frames) {
                            got.stride = stride;
                            EXPECT_NE(times, nullptr);
                            for (int f = 0; f < frames; ++f)
                              got.minMax[k].push_back({first[f * stride].min, first[f * stride].max});
                          });
    std::free(data);
  });
  ASSERT_EQ(m.requestMeaResult({point}), 0);
  EXPECT_EQ(m.requestMeaResult({point}), -7);  // one at a time
  // The canvas changes before the result arrives: an item goes, one comes.
  canvas.removeItem(1);
  later = canvas.addItem(pointDef(9, 9));
  ASSERT_TRUE(spinUntil([&] { return created.count() + failed.count() > 0; }));
  ASSERT_EQ(created.count(), 1);
  EXPECT_EQ(fillRc, 0);
  EXPECT_EQ(got.stride, 3);
  // Series 1 (deleted item) and 3 (added since) are left as they are.
  ASSERT_EQ(got.minMax.size(), 2u);
  ASSERT_EQ(got.minMax[0].size(), static_cast<size_t>(kFrames));
  ASSERT_EQ(got.minMax[2].size(), static_cast<size_t>(kFrames));
  for (int f = 0; f < kFrames; ++f) {
    EXPECT_NEAR(got.minMax[0][f].first, 250.0 + 5 * f, 1e-3);
    EXPECT_NEAR(got.minMax[0][f].second, 250.0 + 5 * f, 1e-3);
    EXPECT_NEAR(got.minMax[2][f].first, 200.0 + 5 * f, 1e-3);
    EXPECT_NEAR(got.minMax[2][f].second, 299.2 + 5 * f, 1e-3);
  }
  // A block that is not this module's latest result is refused.
  MeaResultData other{};
  EXPECT_EQ(m.fillSeries(&other, {point}, [](int, const int64_t*, const MeaResult*, int, int) {}), -8);
  EXPECT_EQ(m.fillSeries(nullptr, {point}, [](int, const int64_t*, const MeaResult*, int, int) {}), -8);
}

TEST_F(Modules, AFullCanvasMeasuresTheChartedItemsFirst) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  CInputStream* in = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputStream m;
  m.setManagers({.inputs = &inputs});
  ASSERT_EQ(m.init(in, nullptr), 0);
  m.setTempCanvas(&canvas);
  ASSERT_EQ(m.loadData(), 0);
  canvas.setItemDefs(nullptr, 0);
  std::vector<QObject*> items;
  for (int i = 0; i < 40; ++i) items.push_back(canvas.addItem(pointDef(i, i)));
  std::map<int, float> firstMin;
  int stride = 0;
  QObject::connect(&m, &CModuleInputStream::meaResultDataCreated, &m, [&](QObject*, MeaResultData* data) {
    m.fillSeries(data, {items[39], items[35], items[0]},
                 [&](int k, const int64_t*, const MeaResult* first, int s, int) {
                   stride = s;
                   firstMin[k] = first[0].min;
                 });
    std::free(data);
  });
  QSignalSpy failed(&m, &CModuleInputStream::meaResultDataFailed);
  ASSERT_EQ(m.requestMeaResult({items[39]}), 0);
  ASSERT_TRUE(spinUntil([&] { return stride != 0 || failed.count() > 0; }));
  EXPECT_EQ(stride, CModuleInputStream::kMaxMeaItems);
  // Item 39 was charted and measured; item 35 fell past the limit; item 0 came next in order.
  ASSERT_EQ(firstMin.size(), 2u);
  EXPECT_NEAR(firstMin[0], rampCode(39, 39, 0) / 10.0, 1e-3);
  EXPECT_NEAR(firstMin[2], rampCode(0, 0, 0) / 10.0, 1e-3);
}

TEST_F(Modules, FailedMeasurementsAreReportedWithTheirCode) {
  const QString d = Fixtures::get().caseDir({"ramp100.stream"});
  CInputStream* in = inputs.file_createStream(d + "/ramp100.stream");
  CModuleInputStream m;
  m.setManagers({.inputs = &inputs});
  ASSERT_EQ(m.init(in, nullptr), 0);
  m.setTempCanvas(&canvas);
  ASSERT_EQ(m.loadData(), 0);
  canvas.setItemDefs(nullptr, 0);
  EXPECT_EQ(m.requestMeaResult(), -8);  // nothing to measure
  canvas.addItem(pointDef(kW + 5, 1));  // outside the frame
  QSignalSpy created(&m, &CModuleInputStream::meaResultDataCreated);
  QSignalSpy failed(&m, &CModuleInputStream::meaResultDataFailed);
  ASSERT_EQ(m.requestMeaResult(), 0);
  ASSERT_TRUE(spinUntil([&] { return created.count() + failed.count() > 0; }));
  ASSERT_EQ(failed.count(), 1);
  EXPECT_EQ(created.count(), 0);
  EXPECT_EQ(failed[0][0].value<QObject*>(), &m);
  EXPECT_LT(failed[0][1].toInt(), 0);
  // Closing with a request outstanding ends in exactly one report too.
  canvas.setItemDefs(nullptr, 0);
  canvas.addItem(frameDef());
  ASSERT_EQ(m.requestMeaResult(), 0);
  m.unloadData();
  QCoreApplication::processEvents();
  EXPECT_EQ(created.count() + failed.count(), 2);
}

}  // namespace
