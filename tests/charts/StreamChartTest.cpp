// The time chart of a recorded stream: the whole-file measurement fills every series from its
// own item and ends "building"; a measurement that fails ends it too. The stream files are the
// file-input suite's fixtures, written with struct: code(x, y, f) = 2000 + x + 7 y + 50 f, read
// as tenths of a degree.
#include <QFile>
#include <QSignalSpy>

#include "ChartsSupport.h"
#include "TempChart.h"
#include "inputs/CInputManager.h"
#include "charts/CModuleChartTime.h"
#include "modules/CModuleInputStream.h"
#include "workspace/CTabManager.h"
#include "workspace/WorkspaceFile.h"

namespace {

using namespace charts;

constexpr int kFrames = 100;

class StreamChart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(fixtureDir().isEmpty());
    ASSERT_TRUE(QFile::copy(fixtureDir() + "/ramp100.stream", dir_.path() + "/ramp100.stream"));
    manager_.setManagers({.inputs = &inputs_});
    CInputStream* in = inputs_.file_createStream(dir_.path() + "/ramp100.stream");
    ASSERT_NE(in, nullptr);
    CTab* tab = manager_.tab_create();
    stream_ = qobject_cast<CModuleInputStream*>(manager_.module_create(3, in, tab->frame(0)));
    ASSERT_NE(stream_, nullptr);
    stream_->setTempCanvas(&canvas_);
    ASSERT_EQ(stream_->loadData(), 0);
    chart_ = qobject_cast<CModuleChartTime*>(manager_.module_create(4, nullptr, tab->frame(1)));
    ASSERT_NE(chart_, nullptr);
    chart_->setTempChart(&view_);
    MeaItem point{};
    point.meaType = 1;
    point.pointCount = 1;
    point.fixEmi = 1.0f;
    point.points[0] = MeaPoint{80, 60};
    point_ = canvas_.createItem(&point);
    MeaItem all = rectItem(0, 0, 159, 119, "all");
    rect_ = canvas_.createItem(&all);
    ASSERT_NE(point_, nullptr);
    ASSERT_NE(rect_, nullptr);
    ASSERT_EQ(point_->tfm_module(), stream_);
  }
  void TearDown() override {
    delete chart_;
    delete stream_;  // takes its input out of the input manager
  }

  QTemporaryDir dir_;
  CInputManager inputs_;
  CTabManager manager_;
  TempCanvas canvas_;
  TempChart view_;
  CModuleInputStream* stream_ = nullptr;
  CModuleChartTime* chart_ = nullptr;
  TempCanvasItemBase* point_ = nullptr;
  TempCanvasItemBase* rect_ = nullptr;
};

TEST_F(StreamChart, BuildFillsEverySeriesFromItsItemAndEndsBuilding) {
  chart_->series_create(rect_, 1, 2);   // maximum
  chart_->series_create(point_, 0, 2);  // minimum
  chart_->series_create(rect_, 2, 2);   // mean
  ASSERT_EQ(chart_->trackedModule(), stream_);
  EXPECT_EQ(view_.config()->fifoSize(), 0);
  QSignalSpy building(chart_, &CModuleChartTime::buildingChanged);
  chart_->buildData();
  ASSERT_TRUE(chart_->building());
  chart_->buildData();  // one request at a time
  ASSERT_TRUE(spinUntil([&] { return !chart_->building(); }));
  EXPECT_EQ(building.count(), 2);
  EXPECT_EQ(view_.config()->xmode(), TCConfig::Automatic);
  EXPECT_EQ(view_.config()->ymode(), TCConfig::Automatic);

  const QList<TCSample>& mx = chart_->seriesList()[0]->samples();
  const QList<TCSample>& pt = chart_->seriesList()[1]->samples();
  const QList<TCSample>& mean = chart_->seriesList()[2]->samples();
  ASSERT_EQ(mx.size(), kFrames);
  ASSERT_EQ(pt.size(), kFrames);
  ASSERT_EQ(mean.size(), kFrames);
  for (int f = 0; f < kFrames; ++f) {
    EXPECT_EQ(mx[f].x, f + 1);
    EXPECT_NEAR(mx[f].y, (2000 + 159 + 7 * 119 + 50 * f) / 10.0, 1e-3) << f;
    EXPECT_NEAR(pt[f].y, (2000 + 80 + 7 * 60 + 50 * f) / 10.0, 1e-3) << f;
    EXPECT_NEAR(mean[f].y, (2000 + 79.5 + 7 * 59.5 + 50 * f) / 10.0, 1e-2) << f;
    EXPECT_EQ(pt[f].data, mx[f].data);
    if (f > 0) {
      EXPECT_GT(mx[f].data, mx[f - 1].data) << "frame times rise";
    }
  }
  QByteArray csv;
  ASSERT_EQ(chart_->csvText(&csv), 0);
  EXPECT_TRUE(csv.startsWith("Time(ms),")) << csv.left(80).constData();
  EXPECT_TRUE(csv.contains("\n0.0,")) << csv.left(200).constData();
}

TEST_F(StreamChart, FailedMeasurementEndsBuildingAndChangesNoSeries) {
  chart_->series_create(point_, 1, 2);
  // The item's point is moved off the frame behind the canvas's back: the engine refuses it and
  // the stream reports the measurement as failed.
  point_->def.points[0].x = 500;
  QSignalSpy failed(stream_, &CModuleInputStream::meaResultDataFailed);
  chart_->buildData();
  ASSERT_TRUE(chart_->building());
  ASSERT_TRUE(spinUntil([&] { return !chart_->building(); }));
  EXPECT_EQ(failed.count(), 1);
  EXPECT_EQ(chart_->seriesList()[0]->count(), 0);

  // Closing the stream with a request outstanding ends the build too, whichever report comes.
  point_->def.points[0].x = 80;
  chart_->buildData();
  ASSERT_TRUE(chart_->building());
  stream_->unloadData();
  ASSERT_TRUE(spinUntil([&] { return !chart_->building(); }));
  // A closed stream refuses the next request: no build starts.
  chart_->buildData();
  EXPECT_FALSE(chart_->building());
}

}  // namespace
