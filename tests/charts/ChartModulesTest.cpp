// The space and time chart modules on real canvases and items: profiles against hand-worked
// column temperatures, live samples against the frame counter, refusal of a second module, the
// settings text and series that follow their items.
#include <QPointer>
#include <QSignalSpy>

#include "ChartsSupport.h"
#include "TempChart.h"
#include "modules/ModuleDataText.h"
#include "charts/CModuleChartSpace.h"
#include "charts/CModuleChartTime.h"
#include "modules/CModuleInputIr.h"

namespace {

using namespace charts;

// A canvas owned by `module` showing a w x h frame whose column j is j degrees.
struct CanvasRig {
  TempCanvas canvas;
  ProducerFrame frame;
  CanvasRig(QObject* module, int w, int h) : frame(w, h) {
    canvas.setTfm_module(module);
    EXPECT_EQ(canvas.beginUpdate(w, h), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) frame.at(x, y) = int16_t(x * 100);
    push();
  }
  void push() { ASSERT_EQ(canvas.updateData(&frame.ref), 0); }
  TempCanvasItemBase* add(const MeaItem& def) { return canvas.createItem(&def); }
};

TEST(SpaceChart, ColumnMeansAreTheColumnTemperaturesAndFollowNewFrames) {
  CModuleInputIr owner;
  CanvasRig rig(&owner, 12, 9);
  TempCanvasItemBase* rect = rig.add(rectItem(2, 1, 9, 7, "box"));
  ASSERT_NE(rect, nullptr);
  CModuleChartSpace chart;
  TempChart view;
  chart.setTempChart(&view);
  QSignalSpy listed(&chart, &CModuleChartBase::seriesListChanged);

  chart.series_create(rect, 2, 0);    // mean per column
  chart.series_create(rect, 0, 2);    // time: not a profile
  chart.series_create(rect, 1, -1);   // negative dimension
  ASSERT_EQ(chart.seriesList().size(), 1);
  EXPECT_EQ(listed.count(), 1);
  EXPECT_EQ(view.seriesList().size(), 1);
  EXPECT_EQ(view.config()->xmode(), TCConfig::Automatic);
  const QList<TCSample>& s = chart.seriesList()[0]->samples();
  ASSERT_EQ(s.size(), 8);  // columns 2..9
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(s[i].x, i + 1);
    EXPECT_DOUBLE_EQ(s[i].y, 2 + i) << "column " << 2 + i;
  }

  // A new frame with every code raised by 5 degrees moves the profile.
  for (int16_t& c : rig.frame.codes) c = int16_t(c + 500);
  rig.push();
  ASSERT_EQ(chart.seriesList()[0]->samples().size(), 8);
  EXPECT_DOUBLE_EQ(chart.seriesList()[0]->samples()[0].y, 7.0);

  // Y profile of row means: every row averages the same columns 2..9 (+5).
  chart.series_create(rect, 2, 1);
  ASSERT_EQ(chart.seriesList().size(), 2);
  const QList<TCSample>& rows = chart.seriesList()[1]->samples();
  ASSERT_EQ(rows.size(), 7);
  for (const TCSample& r : rows) EXPECT_DOUBLE_EQ(r.y, 5.5 + 5);
}

TEST(SpaceChart, DeletedItemTakesOnlyItsSeriesAndSettingsRoundTrip) {
  CModuleInputIr owner;
  CanvasRig rig(&owner, 10, 6);
  TempCanvasItemBase* a = rig.add(rectItem(0, 0, 4, 5, "a"));
  TempCanvasItemBase* b = rig.add(lineItem(1, 2, 8, 2));
  CModuleChartSpace chart;
  chart.series_create(a, 0, 0);
  chart.series_create(b, 1, 0);
  chart.series_create(a, 4, 1);
  ASSERT_EQ(chart.seriesList().size(), 3);
  EXPECT_EQ(chart.seriesList()[1]->count(), 8);  // one value per pixel the line visits

  chart.saveModuleData();
  ChartModuleData rec;
  decodeChartModuleData(chart.moduleData(), rec);
  ASSERT_EQ(rec.data.size(), 1);
  ASSERT_EQ(rec.data[0].list.size(), 3);
  EXPECT_EQ(rec.data[0].list[0].meaIndex, 1);
  EXPECT_EQ(rec.data[0].list[1].meaIndex, 2);
  EXPECT_EQ(rec.data[0].list[2].statsType, 4);
  EXPECT_EQ(rec.data[0].list[2].dimType, 1);
  // The text is Base64 of compact JSON with sorted keys.
  const QByteArray json = QByteArray::fromBase64(chart.moduleData().toUtf8());
  EXPECT_TRUE(json.startsWith("{\"data\":[{\"inputName\":\"\",\"list\":[{\"dimType\":0,\"meaIndex\":1,\"statsType\":0}"))
      << json.constData();
  EXPECT_TRUE(json.endsWith("\"ymode\":0}")) << json.constData();

  QPointer<TCSeriesMea> gone = chart.seriesList()[1];
  rig.canvas.item_delete(b);
  ASSERT_EQ(chart.seriesList().size(), 2);
  EXPECT_EQ(chart.seriesList()[0]->mea(), a);
  EXPECT_EQ(chart.seriesList()[1]->mea(), a);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
}

class TimeChartLive : public ::testing::Test {
 protected:
  void SetUp() override {
    rig_ = std::make_unique<CanvasRig>(&live_, 16, 8);
    item_ = rig_->add(rectItem(0, 0, 15, 7, "all"));
    ASSERT_NE(item_, nullptr);
    chart_.setTempChart(&view_);
  }
  // Shows the rig's frame under frame value `value`, as the live module does.
  void frameValue(int value) {
    rig_->frame.head.frameIndex = uint16_t(value);
    rig_->push();
    slot_ = TempData{&rig_->frame.head, rig_->frame.codes.data(), rig_->frame.bgra.data(), 0, value};
    emit live_.dataRecved_SignalExternal(0, &slot_);
  }
  void setAll(double degrees) {
    for (int16_t& c : rig_->frame.codes) c = int16_t(std::lround(degrees * 100));
  }

  CModuleInputIr live_;
  std::unique_ptr<CanvasRig> rig_;
  TempCanvasItemBase* item_ = nullptr;
  TempChart view_;
  CModuleChartTime chart_;
  TempData slot_{};
};

TEST_F(TimeChartLive, FirstFrameSetsTheBaseLaterFramesSampleAndAGoingBackClears) {
  chart_.series_create(item_, 1, 2);  // max
  chart_.series_create(item_, 0, 2);  // min
  ASSERT_EQ(chart_.seriesList().size(), 2);
  EXPECT_EQ(chart_.trackedModule(), &live_);
  EXPECT_EQ(view_.config()->fifoSize(), 300);
  EXPECT_EQ(view_.config()->xmode(), TCConfig::Automatic);

  setAll(20.0);
  rig_->frame.at(3, 3) = 3000;  // 30 degrees
  frameValue(65530);
  EXPECT_EQ(chart_.seriesList()[0]->count(), 0);  // the base only
  frameValue(65532);
  frameValue(65533);
  const QList<TCSample>& mx = chart_.seriesList()[0]->samples();
  const QList<TCSample>& mn = chart_.seriesList()[1]->samples();
  ASSERT_EQ(mx.size(), 2);
  EXPECT_EQ(mx[0].x, 2);
  EXPECT_EQ(mx[1].x, 3);
  EXPECT_FLOAT_EQ(float(mx[0].y), 30.0f);  // the frame's own maximum, not the previous one
  EXPECT_FLOAT_EQ(float(mn[1].y), 20.0f);
  EXPECT_EQ(mx[0].data, 0);

  setAll(25.0);
  frameValue(65535);
  EXPECT_FLOAT_EQ(float(chart_.seriesList()[0]->samples().back().y), 25.0f);
  frameValue(0);  // the counter wrapped: everything starts over
  EXPECT_EQ(chart_.seriesList()[0]->count(), 0);
  EXPECT_EQ(chart_.seriesList()[1]->count(), 0);
  frameValue(1);  // the new base
  EXPECT_EQ(chart_.seriesList()[0]->count(), 0);
  frameValue(4);
  ASSERT_EQ(chart_.seriesList()[0]->count(), 1);
  EXPECT_EQ(chart_.seriesList()[0]->samples()[0].x, 3);

  // Only the last 300 samples stay.
  for (int v = 5; v < 5 + 400; ++v) frameValue(v);
  ASSERT_EQ(chart_.seriesList()[0]->count(), 300);
  EXPECT_EQ(chart_.seriesList()[0]->samples().front().x, 404 - 1 - 299);
  EXPECT_EQ(chart_.seriesList()[0]->samples().back().x, 404 - 1);

  chart_.clearData();
  EXPECT_EQ(chart_.seriesList()[0]->count(), 0);
  frameValue(500);  // the base again, no sample
  EXPECT_EQ(chart_.seriesList()[0]->count(), 0);
}

// Another statistic for a time series starts it over: no column holds samples of two.
TEST_F(TimeChartLive, AnotherStatisticRestartsTheSeries) {
  chart_.series_create(item_, 1, 2);  // max
  chart_.series_create(item_, 0, 2);  // min
  setAll(20.0);
  rig_->frame.at(3, 3) = 3000;
  for (int v = 10; v < 14; ++v) frameValue(v);
  TCSeriesMea* s = chart_.seriesList()[0];
  ASSERT_EQ(s->count(), 3);
  s->setStatsType(1);  // the same: nothing changes
  EXPECT_EQ(s->count(), 3);
  s->setStatsType(0);
  EXPECT_EQ(s->count(), 0);
  EXPECT_EQ(chart_.seriesList()[1]->count(), 3) << "the other series keeps its samples";
  frameValue(14);
  ASSERT_EQ(s->count(), 1);
  EXPECT_FLOAT_EQ(float(s->samples()[0].y), 20.0f) << "the minimum from here on";
}

TEST_F(TimeChartLive, ItemOfASecondModuleIsRefusedWithTheLogLineUntilTheListEmpties) {
  chart_.series_create(item_, 2, 2);
  CModuleInputIr other;
  CanvasRig otherRig(&other, 4, 4);
  TempCanvasItemBase* foreign = otherRig.add(rectItem(0, 0, 3, 3));
  {
    LogCatcher log;
    chart_.series_create(foreign, 2, 2);
    EXPECT_TRUE(log.contains("CModuleChartTime::series_create")) << "the function is named";
    char expected[128];
    std::snprintf(expected, sizeof expected, "invalid mea, newModule %p, m_meaModule %p", static_cast<void*>(&other),
                  static_cast<void*>(&live_));
    EXPECT_TRUE(log.contains(expected)) << expected;
  }
  EXPECT_EQ(chart_.seriesList().size(), 1);
  {
    LogCatcher log;
    chart_.series_create(item_, 2, 0);  // a space dimension
    EXPECT_TRUE(log.contains("invalid mea"));
    EXPECT_EQ(chart_.seriesList().size(), 1);
  }

  // Removing the last series stops the samples and frees the chart for another module.
  chart_.series_delete(chart_.seriesList()[0]);
  EXPECT_EQ(chart_.trackedModule(), nullptr);
  frameValue(10);
  frameValue(11);
  chart_.series_create(foreign, 1, 2);
  ASSERT_EQ(chart_.seriesList().size(), 1);
  EXPECT_EQ(chart_.trackedModule(), &other);
  frameValue(12);  // the first module's frames no longer reach the chart
  EXPECT_EQ(chart_.seriesList()[0]->count(), 0);
}

TEST_F(TimeChartLive, TrackedModuleThatGoesAwayIsNeverReachedAgain) {
  auto* gone = new CModuleInputIr;
  CanvasRig rig(gone, 4, 4);
  TempCanvasItemBase* item = rig.add(rectItem(0, 0, 3, 3));
  CModuleChartTime chart;
  chart.series_create(item, 1, 2);
  EXPECT_EQ(chart.trackedModule(), gone);
  rig.canvas.setTfm_module(nullptr);
  delete gone;
  EXPECT_EQ(chart.trackedModule(), nullptr);
  chart.buildData();  // must not touch the deleted module
  EXPECT_FALSE(chart.building());
  chart.saveModuleData();
}

}  // namespace

