// The input and measurement tables on real canvases: order, removal when an object dies, saving
// and loading through the settings text; and a workspace holding file modules and tables.
#include <QSignalSpy>
#include <QTemporaryDir>

#include "FileInputsSupport.h"
#include "TempCanvas.h"
#include "TempChart.h"
#include "charts/CModuleChartSpace.h"
#include "charts/CModuleChartTime.h"
#include "TempCanvasManager.h"
#include "inputs/CInputManager.h"
#include "modules/CModuleInputJpg.h"
#include "modules/CModuleInputStream.h"
#include "modules/CModuleTableInput.h"
#include "modules/CModuleTableMea.h"
#include "workspace/CTabManager.h"
#include "modules/ModuleDataText.h"
#include "workspace/WorkspaceFile.h"

using namespace fileinputs;

namespace {

MeaItem rectDef(int x0, int y0, int x1, int y1) {
  MeaItem d{};
  d.meaType = MEA_TYPE_RECT;
  d.pointCount = 2;
  d.points[0] = {static_cast<uint16_t>(x0), static_cast<uint16_t>(y0)};
  d.points[1] = {static_cast<uint16_t>(x1), static_cast<uint16_t>(y1)};
  return d;
}

// Two pictures shown on real canvases, each with four items after the whole-image item.
class Tables : public ::testing::Test {
 protected:
  void SetUp() override {
    canvases.setModuleResolver([this](const QString& name) { return inputs.input_findModule(name); });
    dir = Fixtures::get().caseDir({"pic_conf.jpg", "pic_plain.jpg"});
    show(a, ca, dir + "/pic_conf.jpg");
    show(b, cb, dir + "/pic_plain.jpg");
  }
  void TearDown() override {
    a.detach();
    b.detach();
  }
  void show(CModuleInputJpg& m, TempCanvas& c, const QString& path) {
    CInputJpg* in = inputs.file_createJpg(path);
    ASSERT_NE(in, nullptr);
    m.setManagers({.inputs = &inputs});
    ASSERT_EQ(m.init(in, nullptr), 0);
    c.setSize(QSizeF(kW, kH));
    m.setTempCanvas(&c);
    ASSERT_EQ(m.loadData(), 0);
    c.item_deleteAll();
    for (int i = 1; i <= 4; ++i) {
      const MeaItem d = rectDef(i, i, 10 * i, 10 * i);
      ASSERT_NE(c.createItem(&d), nullptr);
    }
    ASSERT_EQ(c.itemList().size(), 5);
  }

  CInputManager inputs;
  TempCanvasManager canvases;
  QString dir;
  CModuleInputJpg a, b;
  TempCanvas ca, cb;
};

TEST_F(Tables, MeasurementItemsGroupByCanvasInCanvasOrder) {
  CModuleTableMea t;
  QSignalSpy changed(&t, &CModuleTableMea::meaListChanged);
  t.mea_create(ca.itemList()[3]);
  t.mea_create(ca.itemList()[1]);
  t.mea_create(cb.itemList()[2]);
  t.mea_create(ca.itemList()[4]);
  t.mea_create(ca.itemList()[0]);
  EXPECT_EQ(t.meaList(), (QList<QObject*>{ca.itemList()[0], ca.itemList()[1], ca.itemList()[3], ca.itemList()[4],
                                          cb.itemList()[2]}));
  EXPECT_EQ(changed.count(), 5);
  // Twice, null, or not an item: refused without a change.
  t.mea_create(ca.itemList()[1]);
  t.mea_create(nullptr);
  t.mea_create(&a);
  t.mea_delete(cb.itemList()[1]);
  EXPECT_EQ(changed.count(), 5);
  EXPECT_EQ(t.meaList().size(), 5);

  // A deleted item leaves at once.
  ca.item_delete(ca.itemList()[3]);
  EXPECT_EQ(changed.count(), 6);
  EXPECT_EQ(t.meaList().size(), 4);
  EXPECT_FALSE(t.meaList().contains(nullptr));
  t.mea_delete(cb.itemList()[2]);
  EXPECT_EQ(t.meaList().size(), 3);
  EXPECT_TRUE(t.moduleName().startsWith(QStringLiteral("tableMea")));
}

TEST_F(Tables, MeasurementTableSavesAndLoadsItsItems) {
  CModuleTableMea t;
  t.mea_create(cb.itemList()[2]);
  t.mea_create(ca.itemList()[4]);
  t.mea_create(ca.itemList()[1]);
  t.saveModuleData();
  MeaTableData rec;
  decodeMeaTableData(t.moduleData(), rec);
  // Inputs in ascending byte order of their names.
  ASSERT_EQ(rec.infoList.size(), 2);
  EXPECT_EQ(rec.infoList[0].inputName, dir + "/pic_conf.jpg");
  EXPECT_EQ(rec.infoList[0].meaIndexList, (QList<int>{1, 4}));
  EXPECT_EQ(rec.infoList[1].meaIndexList, QList<int>{2});

  CModuleTableMea loaded;
  // An index beyond the canvas and an unknown input are skipped.
  rec.infoList[0].meaIndexList.append(9);
  rec.infoList[0].meaIndexList.append(-1);
  rec.infoList.append({QStringLiteral("/gone.jpg"), {1}});
  QString text;
  encodeMeaTableData(rec, text);
  loaded.setModuleData(text);
  loaded.loadModuleData();
  EXPECT_EQ(loaded.meaList(), (QList<QObject*>{ca.itemList()[1], ca.itemList()[4], cb.itemList()[2]}));
  CModuleTableMea blank;
  blank.loadModuleData();
  EXPECT_TRUE(blank.meaList().isEmpty());
}

// Stored after the save prompt was answered, a workspace names only what will be there when it
// is opened again: for a picture whose edits are dropped, its stored items at their stored
// places; for one whose edits are written, its items as they are.
TEST_F(Tables, AnsweredWorkspaceNamesOnlyItemsThatWillBeThere) {
  a.saveInput();  // stored: the whole-image item and R1 .. R4
  ASSERT_FALSE(a.input_saveRequired());
  ca.item_delete(static_cast<TempCanvasItemBase*>(ca.itemList()[2]));  // R2 goes
  const MeaItem extra = rectDef(30, 30, 40, 40);
  TempCanvasItemBase* added = ca.createItem(&extra);
  ASSERT_NE(added, nullptr);
  ASSERT_TRUE(a.input_saveRequired());
  TempCanvasItemBase* r3 = ca.itemList()[2];
  TempCanvasItemBase* r1 = ca.itemList()[1];
  CModuleTableMea t;
  t.mea_create(r3);
  t.mea_create(added);
  t.mea_create(r1);
  CModuleChartSpace chart;
  chart.series_create(added, 0, 0);
  chart.series_create(r3, 1, 0);
  auto saved = [&](bool answered, bool confirmed) {
    a.setInput_saveConfirmed(confirmed);
    CModule::setStoringAnswered(answered);
    t.saveModuleData();
    chart.saveModuleData();
    CModule::setStoringAnswered(false);
    MeaTableData rec;
    decodeMeaTableData(t.moduleData(), rec);
    ChartModuleData series;
    decodeChartModuleData(chart.moduleData(), series);
    QList<int> rows, columns;
    for (const MeaTableEntry& e : rec.infoList) rows += e.meaIndexList;
    for (const ChartInputEntry& e : series.data)
      for (const ChartSeriesEntry& c : e.list) columns.append(c.meaIndex);
    return std::make_pair(rows, columns);
  };
  EXPECT_EQ(saved(true, false), std::make_pair(QList<int>{1, 3}, QList<int>{3})) << "SaveNone";
  EXPECT_EQ(saved(true, true), std::make_pair(QList<int>{1, 2, 4}, QList<int>{4, 2})) << "SaveAll";
  EXPECT_EQ(saved(false, false), std::make_pair(QList<int>{1, 2, 4}, QList<int>{4, 2}))
      << "stored from the menu: the edits may still be written at closing";
  a.setInput_saveConfirmed(false);
}

TEST_F(Tables, InputTableListsSavesAndForgetsDeletedInputs) {
  CModuleTableInput t;
  CInputBase* ia = a.input();
  CInputBase* ib = b.input();
  t.input_create(ib);
  t.input_create(ia);
  t.input_create(ia);
  t.input_create(nullptr);
  EXPECT_EQ(t.inputList(), (QList<QObject*>{ib, ia}));
  t.saveModuleData();
  InputTableData rec;
  decodeInputTableData(t.moduleData(), rec);
  EXPECT_EQ(rec.infoList, (QList<QString>{ib->inputName(), ia->inputName()}));

  CModuleTableInput loaded;
  loaded.setManagers({.inputs = &inputs});
  rec.infoList.append(QStringLiteral("/closed.jpg"));
  QString text;
  encodeInputTableData(rec, text);
  loaded.setModuleData(text);
  loaded.loadModuleData();
  EXPECT_EQ(loaded.inputList(), (QList<QObject*>{ib, ia}));

  // Deleting the module deletes its input; both tables forget it as soon as it is gone.
  QSignalSpy changed(&t, &CModuleTableInput::inputListChanged);
  b.detach();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(t.inputList(), QList<QObject*>{ia});
  EXPECT_EQ(loaded.inputList(), QList<QObject*>{ia});
  EXPECT_EQ(changed.count(), 1);
  t.input_delete(ia);
  EXPECT_TRUE(t.inputList().isEmpty());
}

// Modules belong to their views, which this suite has none of: they are deleted here.
void deleteModules(CTabManager& tabs) {
  QList<CModule*> modules;
  for (CTab* tab : tabs.tabs())
    for (int slot = 0; slot < CTab::kFrameCount; ++slot) modules.append(tab->frame(slot)->modules());
  qDeleteAll(modules);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Workspace, FileModulesAndTablesSurviveAMoveOfTheirFolder) {
  CInputManager inputs;
  const QString src = Fixtures::get().caseDir({"pic_conf.jpg", "ramp100.stream"});
  const QString path = src + "/work.workspace";
  {
    CTabManager tabs;
    tabs.setManagers({.inputs = &inputs});
    CTab* tab = tabs.tab_create();
    ASSERT_NE(tab, nullptr);
    CInputJpg* pic = inputs.file_createJpg(src + "/pic_conf.jpg");
    CInputStream* st = inputs.file_createStream(src + "/ramp100.stream");
    ASSERT_NE(tabs.module_create(CModule::TypeInputJpg, pic, tab->frame(0)), nullptr);
    ASSERT_NE(tabs.module_create(CModule::TypeInputStream, st, tab->frame(1)), nullptr);
    // Tables take no input; a file module refuses the other kind of file.
    EXPECT_EQ(tabs.module_create(CModule::TypeInputJpg, st, tab->frame(2)), nullptr);
    auto* ti = qobject_cast<CModuleTableInput*>(tabs.module_create(CModule::TypeTableInput, nullptr, tab->frame(2)));
    auto* tm = qobject_cast<CModuleTableMea*>(tabs.module_create(CModule::TypeTableMea, nullptr, tab->frame(3)));
    ASSERT_TRUE(ti && tm);
    ti->input_create(pic);
    ti->input_create(st);
    ASSERT_EQ(tabs.workspace_save(path), 0);
    std::string out;
    EXPECT_EQ(runCommand("xmllint --noout '" + path.toStdString() + "' 2>&1", &out), 0) << out;
    deleteModules(tabs);
  }
  {
    CTabManager tabs;
    tabs.setManagers({.inputs = &inputs});
    ASSERT_EQ(tabs.workspace_load(path), 0);
    tabs.workspace_loadBeforeView();
    tabs.workspace_loadAfterView();
    CTab* tab = tabs.tabs().value(0);
    ASSERT_NE(tab, nullptr);
    auto* ti = qobject_cast<CModuleTableInput*>(tab->frame(2)->modules().value(0));
    ASSERT_NE(ti, nullptr);
    ASSERT_EQ(ti->inputList().size(), 2);
    EXPECT_EQ(ti->inputList()[0], tab->frame(0)->modules()[0]->input());
    EXPECT_EQ(ti->inputList()[1], tab->frame(1)->modules()[0]->input());
    deleteModules(tabs);
  }
  // The folder moves; the workspace names its files relative to itself.
  const QString moved = src + "-moved";
  ASSERT_TRUE(QDir().rename(src, moved));
  {
    CTabManager tabs;
    tabs.setManagers({.inputs = &inputs});
    ASSERT_EQ(tabs.workspace_load(moved + "/work.workspace"), 0);
    tabs.workspace_loadBeforeView();
    tabs.workspace_loadAfterView();
    ASSERT_EQ(tabs.tabs().size(), 1);
    CTab* tab = tabs.tabs()[0];
    ASSERT_EQ(tab->frame(0)->modules().size(), 1);
    ASSERT_EQ(tab->frame(1)->modules().size(), 1);
    auto* pic = qobject_cast<CModuleInputJpg*>(tab->frame(0)->modules()[0]);
    auto* st = qobject_cast<CModuleInputStream*>(tab->frame(1)->modules()[0]);
    ASSERT_TRUE(pic && st);
    EXPECT_EQ(pic->input()->inputNameAbs(), moved + "/pic_conf.jpg");
    EXPECT_EQ(st->input()->inputNameAbs(), moved + "/ramp100.stream");
    EXPECT_EQ(pic->loadData(), 0);
    EXPECT_EQ(st->loadData(), 0);
    ASSERT_EQ(tab->frame(2)->modules().size(), 1);
    auto* ti = qobject_cast<CModuleTableInput*>(tab->frame(2)->modules()[0]);
    ASSERT_NE(ti, nullptr);
    // The table's names are the inputs' full paths of the old folder: nothing to resolve.
    EXPECT_TRUE(ti->inputList().isEmpty());
    EXPECT_NE(qobject_cast<CModuleTableMea*>(tab->frame(3)->modules().value(0)), nullptr);
    deleteModules(tabs);
  }
  EXPECT_TRUE(inputs.files().isEmpty());
}

// A workspace stored in another folder than its recording names it "../rec/...": reopened, the
// recording is kept under its clean path, so it is one input that the store finds open, and the
// time chart that follows it finds its series again.
TEST(Workspace, RecordingInAnotherFolderReopensOnceUnderItsCleanPath) {
  CInputManager inputs;
  TempCanvasManager canvases;
  canvases.setModuleResolver([&inputs](const QString& name) { return inputs.input_findModule(name); });
  const QString base = Fixtures::get().caseDir({"ramp100.stream"});
  ASSERT_TRUE(QDir().mkpath(base + "/rec"));
  ASSERT_TRUE(QDir().mkpath(base + "/out"));
  ASSERT_TRUE(QDir().rename(base + "/ramp100.stream", base + "/rec/ramp100.stream"));
  const QString clean = base + "/rec/ramp100.stream";
  const QString workspace = base + "/out/work.workspace";
  const MeaItem rect = rectDef(10, 10, 40, 30);
  // The views' part: a canvas for the stream with one item, a chart for the time chart.
  auto show = [&](CTabManager& tabs, TempCanvas& canvas, TempChart& chart) {
    CTab* tab = tabs.tabs().value(0);
    ASSERT_NE(tab, nullptr);
    auto* stream = qobject_cast<CModuleInputStream*>(tab->frame(0)->modules().value(0));
    auto* time = qobject_cast<CModuleChartTime*>(tab->frame(1)->modules().value(0));
    ASSERT_TRUE(stream && time);
    canvas.setSize(QSizeF(kW, kH));
    stream->setTempCanvas(&canvas);
    ASSERT_EQ(stream->loadData(), 0);
    canvas.item_deleteAll();
    ASSERT_NE(canvas.createItem(&rect), nullptr);
    time->setTempChart(&chart);
  };
  {
    CTabManager tabs;
    tabs.setManagers({.inputs = &inputs, .canvases = &canvases});
    CTab* tab = tabs.tab_create();
    // Opened from the store, under its clean path; the chart names the recording by it.
    CInputStream* in = inputs.file_createStream(clean);
    ASSERT_NE(in, nullptr);
    ASSERT_NE(tabs.module_create(CModule::TypeInputStream, in, tab->frame(0)), nullptr);
    ASSERT_NE(tabs.module_create(CModule::TypeChartTime, nullptr, tab->frame(1)), nullptr);
    TempCanvas canvas;
    TempChart chart;
    show(tabs, canvas, chart);
    auto* time = qobject_cast<CModuleChartTime*>(tab->frame(1)->modules()[0]);
    time->series_create(canvas.itemList()[1], 1, 2);
    ASSERT_EQ(time->seriesListObjects().size(), 1);
    ASSERT_EQ(tabs.workspace_save(workspace), 0);
    deleteModules(tabs);
  }
  ASSERT_TRUE(inputs.files().isEmpty());
  CTabManager tabs;
  tabs.setManagers({.inputs = &inputs, .canvases = &canvases});
  ASSERT_EQ(tabs.workspace_load(workspace), 0);
  tabs.workspace_loadBeforeView();
  TempCanvas canvas;
  TempChart chart;
  show(tabs, canvas, chart);
  tabs.workspace_loadAfterView();
  ASSERT_EQ(inputs.files().size(), 1);
  CInputBase* in = inputs.files()[0];
  EXPECT_EQ(in->inputNameAbs(), clean);
  // The store asks by the link's path, spelt either way: the file is open ("Show").
  EXPECT_EQ(inputs.file_find(clean), in);
  EXPECT_EQ(inputs.file_find(base + "/out/../rec/./ramp100.stream"), in);
  int links = 0;
  for (const CFileLink* l : inputs.linkRecent()) links += l->fileNameAbs().endsWith("ramp100.stream") ? 1 : 0;
  EXPECT_EQ(links, 1);
  auto* time = qobject_cast<CModuleChartTime*>(tabs.tabs()[0]->frame(1)->modules().value(0));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->seriesListObjects().size(), 1) << "the chart keeps its series";
  deleteModules(tabs);
}

}  // namespace
