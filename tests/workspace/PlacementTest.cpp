// The placement gesture (every refusal, every end type, the reset), the module factory's
// accept/reject matrix, attaching, moving and deleting modules, the save list and the hand-over
// of whole-file measurement blocks.
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "WorkspaceSupport.h"
#include "inputs/CInputFileBase.h"
#include "inputs/CInputIr.h"
#include "modules/CModuleInputIr.h"
#include "workspace/CTabManager.h"

namespace {

using namespace workspace;

std::unique_ptr<CInputIr> camera(const char* id, int host) {
  CameraBasicInfoRecord rec{};
  std::snprintf(rec.cameraId, sizeof rec.cameraId, "%s", id);
  return std::make_unique<CInputIr>(qaddr(host), rec);
}

// Every field of the state, for comparing whole states.
struct StateView {
  bool moving;
  int inputType, endType;
  QObject* module;
  QString fileName;
  CInputBase* input;
  QObject* mea;
  int stats, dim;
  bool operator==(const StateView&) const = default;
};

StateView read(CTabManagerState* s) {
  return {s->moving(), s->inputType(), s->moduleTypeForEndMove(), s->module(), s->fileName(),
          s->input(), s->mea(), s->meaStatsType(), s->meaDimType()};
}

const StateView kIdle{false, 0, 0, nullptr, QString(), nullptr, nullptr, 1, 0};

class Placement : public ::testing::Test {
 protected:
  CTabManager m;
  QQuickItem item;
  std::unique_ptr<CInputIr> cam = camera("CAM-A", 200);
  CInputJpg picture;
  CModule jpgModule{CModule::TypeInputJpg};
  CModule tableModule{CModule::TypeTableInput};
  QObject mea;

  void SetUp() override { m.setView(&item); }
};

TEST_F(Placement, EveryRefusedBeginLeavesTheStateIdle) {
  CModule jpgWithMesh(CModule::TypeInputJpg);
  jpgWithMesh.setProperty("subModuleChartMesh", QVariant::fromValue<QObject*>(&mea));
  const std::vector<std::pair<const char*, std::function<void()>>> refusals = {
      {"module null", [&] { m.beginMoveModule(nullptr); }},
      {"device null", [&] { m.beginMoveDevice(nullptr); }},
      {"device is a picture", [&] { m.beginMoveDevice(&picture); }},
      {"file type 1", [&] { m.beginMoveFile(1, "/x/a.jpg"); }},
      {"file type 4", [&] { m.beginMoveFile(4, "/x/a.jpg"); }},
      {"mea null", [&] { m.beginMoveMea(nullptr, 2, 2); }},
      {"table input null", [&] { m.beginMoveTableInput(nullptr); }},
      {"table mea null", [&] { m.beginMoveTableMea(nullptr); }},
      {"table recorder null", [&] { m.beginMoveTableRecorder(nullptr); }},
      {"ptz null", [&] { m.beginMovePtz(nullptr); }},
      {"mesh null", [&] { m.beginMoveChartMesh(nullptr); }},
      {"mesh on a table module", [&] { m.beginMoveChartMesh(&tableModule); }},
      {"mesh on a plain object", [&] { m.beginMoveChartMesh(&mea); }},
      {"mesh already present", [&] { m.beginMoveChartMesh(&jpgWithMesh); }},
  };
  QSignalSpy moving(m.state(), &CTabManagerState::movingChanged);
  for (const auto& [name, call] : refusals) {
    call();
    EXPECT_EQ(read(m.state()), kIdle) << name;
    EXPECT_FALSE(item.hasFocus()) << name;
  }
  EXPECT_EQ(moving.count(), 0);
}

TEST_F(Placement, AcceptedBeginsSetTheirEndTypeAndField) {
  struct Row {
    const char* name;
    std::function<void()> begin;
    StateView expected;
  };
  const std::vector<Row> rows = {
      {"module", [&] { m.beginMoveModule(&tableModule); }, {true, 0, 0, &tableModule, {}, nullptr, nullptr, 1, 0}},
      {"device", [&] { m.beginMoveDevice(cam.get()); }, {true, 1, 1, nullptr, {}, cam.get(), nullptr, 1, 0}},
      {"picture file", [&] { m.beginMoveFile(2, "/d/p.jpg"); }, {true, 2, 2, nullptr, "/d/p.jpg", nullptr, nullptr, 1, 0}},
      {"stream file", [&] { m.beginMoveFile(3, "/d/s.stream"); }, {true, 3, 3, nullptr, "/d/s.stream", nullptr, nullptr, 1, 0}},
      {"mea over x", [&] { m.beginMoveMea(&mea, 3, 0); }, {true, 0, 5, nullptr, {}, nullptr, &mea, 3, 0}},
      {"mea over y", [&] { m.beginMoveMea(&mea, 0, 1); }, {true, 0, 5, nullptr, {}, nullptr, &mea, 0, 1}},
      {"mea over time", [&] { m.beginMoveMea(&mea, 2, 2); }, {true, 0, 4, nullptr, {}, nullptr, &mea, 2, 2}},
      {"table of inputs", [&] { m.beginMoveTableInput(&picture); }, {true, 0, 6, nullptr, {}, &picture, nullptr, 1, 0}},
      {"table of items", [&] { m.beginMoveTableMea(&mea); }, {true, 0, 7, nullptr, {}, nullptr, &mea, 1, 0}},
      {"recorder table", [&] { m.beginMoveTableRecorder(&jpgModule); }, {true, 0, 8, &jpgModule, {}, nullptr, nullptr, 1, 0}},
      {"pan-tilt", [&] { m.beginMovePtz(&jpgModule); }, {true, 0, 9, &jpgModule, {}, nullptr, nullptr, 1, 0}},
      {"mesh chart", [&] { m.beginMoveChartMesh(&jpgModule); }, {true, 0, 10, &jpgModule, {}, nullptr, nullptr, 1, 0}},
  };
  for (const Row& row : rows) {
    item.setFocus(false);
    QSignalSpy moving(m.state(), &CTabManagerState::movingChanged);
    row.begin();
    EXPECT_EQ(read(m.state()), row.expected) << row.name;
    EXPECT_TRUE(item.hasFocus()) << row.name;
    EXPECT_EQ(moving.count(), 1) << row.name;

    // While moving every other begin is ignored and the first pick is kept.
    m.beginMoveModule(&jpgModule);
    m.beginMoveDevice(camera("CAM-B", 201).get());
    m.beginMoveFile(2, "/other.jpg");
    m.beginMoveMea(&item, 4, 2);
    m.beginMoveTableMea(&item);
    m.beginMovePtz(&tableModule);
    EXPECT_EQ(read(m.state()), row.expected) << row.name;

    m.endMove(0, nullptr);
    EXPECT_EQ(read(m.state()), kIdle) << row.name;
  }
}

TEST_F(Placement, EndMoveResetsEveryFieldAndIsSilentWhenIdle) {
  m.beginMoveMea(&mea, 4, 2);
  CTabManagerState* s = m.state();
  std::vector<std::unique_ptr<QSignalSpy>> spies;
  for (auto sig : {&CTabManagerState::movingChanged, &CTabManagerState::inputTypeChanged,
                   &CTabManagerState::moduleTypeForEndMoveChanged, &CTabManagerState::moduleChanged,
                   &CTabManagerState::fileNameChanged, &CTabManagerState::inputChanged, &CTabManagerState::meaChanged,
                   &CTabManagerState::meaStatsTypeChanged, &CTabManagerState::meaDimTypeChanged})
    spies.push_back(std::make_unique<QSignalSpy>(s, sig));
  m.endMove(7, &mea);
  EXPECT_EQ(read(s), kIdle);
  // Only what changed signals: moving, end type, mea, statistic and dimension.
  const std::vector<int> counts = {1, 0, 1, 0, 0, 0, 1, 1, 1};
  for (size_t i = 0; i < spies.size(); ++i) EXPECT_EQ(spies[i]->count(), counts[i]) << i;
  m.endMove(0, nullptr);
  for (size_t i = 0; i < spies.size(); ++i) EXPECT_EQ(spies[i]->count(), counts[i]) << i;
}

TEST_F(Placement, APickedObjectDeletedDuringTheGestureReadsAsNull) {
  auto* doomed = new QObject;
  m.beginMoveTableMea(doomed);
  delete doomed;
  EXPECT_EQ(m.state()->mea(), nullptr);
  EXPECT_TRUE(m.state()->moving());
  m.endMove();
}

TEST(Factory, AcceptRejectMatrix) {
  CTabManager m;
  CFrame* frame = m.tab_create()->frame(0);
  CInputJpg picture;
  CInputStream stream;
  for (int type = 0; type <= 11; ++type) {
    for (int kind = 0; kind <= 3; ++kind) {
      auto cam = camera("CAM-M", 202);
      CInputBase* input = kind == 0 ? nullptr : kind == 1 ? static_cast<CInputBase*>(cam.get())
                                  : kind == 2             ? static_cast<CInputBase*>(&picture)
                                                          : static_cast<CInputBase*>(&stream);
      CModule* made = m.module_create(type, input, frame);
      // Each input module takes only its own kind of input; the other modules take none.
      const bool expected = (type == 1 && kind == 1) || (type == 2 && kind == 2) || (type == 3 && kind == 3) ||
                            (type >= 4 && type <= 10 && kind == 0);
      EXPECT_EQ(made != nullptr, expected) << "type " << type << " input " << kind;
      if (made == nullptr) continue;
      EXPECT_TRUE(made->isAttached());
      EXPECT_EQ(made->moduleType(), type);
      EXPECT_EQ(made->frame(), frame);
      EXPECT_EQ(made->input(), input);
      if (input != nullptr) {
        EXPECT_EQ(input->module(), made);
      }
      if (type == 1) {
        EXPECT_EQ(made->viewName(), QStringLiteral("CAM-M [%1]").arg(qaddr(202)));
      }
      EXPECT_EQ(QQmlEngine::objectOwnership(made), QQmlEngine::CppOwnership);
      delete made;
      if (input != nullptr) {
        EXPECT_EQ(input->module(), nullptr);
      }
      EXPECT_TRUE(frame->modules().isEmpty());
    }
  }
  EXPECT_EQ(picture.module(), nullptr);
  EXPECT_EQ(stream.module(), nullptr);
}

TEST(Factory, OneInputFeedsOneModule) {
  CTabManager m;
  CTab* tab = m.tab_create();
  auto cam = camera("CAM-1", 203);
  CModule* first = m.module_create(1, cam.get(), tab->frame(0));
  ASSERT_NE(first, nullptr);
  // Neither the factory nor a direct attach may bind the camera a second time.
  EXPECT_EQ(m.module_create(1, cam.get(), tab->frame(1)), nullptr);
  CModuleInputIr second;
  EXPECT_EQ(second.init(cam.get(), tab->frame(1)), -7);
  EXPECT_FALSE(second.isAttached());
  EXPECT_TRUE(tab->frame(1)->modules().isEmpty());
  EXPECT_EQ(cam->module(), first);
  // The camera's consumer is still the first module: it can be opened only by it.
  EXPECT_EQ(cam->setConsumer(&CModuleInputIr::frameCallback, first), 0);

  EXPECT_EQ(first->init(cam.get(), tab->frame(2)), -7);  // twice
  EXPECT_EQ(first->frame(), tab->frame(0));
  EXPECT_TRUE(tab->frame(2)->modules().isEmpty());

  QPointer<CModule> watched(first);
  m.module_delete(first);
  EXPECT_EQ(cam->module(), nullptr);
  EXPECT_TRUE(tab->frame(0)->modules().isEmpty());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watched.isNull());
  // Detached, the camera has no consumer left: an open is refused before any login.
  EXPECT_EQ(cam->open(), -7);
  // And the camera can be placed again.
  CModuleInputIr third;
  EXPECT_EQ(third.init(cam.get(), tab->frame(1)), 0);
}

TEST(Factory, WrongInputClassIsRefusedWithMinusEight) {
  CTab tab;
  CInputJpg picture;
  CModuleInputIr m;
  EXPECT_EQ(m.init(&picture, tab.frame(0)), -8);
  EXPECT_EQ(m.init(nullptr, tab.frame(0)), -8);
  EXPECT_FALSE(m.isAttached());
  EXPECT_EQ(picture.module(), nullptr);
}

TEST(Modules, MoveAndDetach) {
  CTabManager m;
  CTab* tab = m.tab_create();
  CModule a(CModule::TypeTableMea);
  EXPECT_EQ(m.module_move(&a, tab->frame(1)), -7);  // detached
  EXPECT_TRUE(tab->frame(1)->modules().isEmpty());
  ASSERT_EQ(a.init(nullptr, tab->frame(0)), 0);

  QSignalSpy frameSpy(&a, &CModule::frameChanged);
  QSignalSpy listSpy(tab->frame(0), &CFrame::moduleListChanged);
  EXPECT_EQ(m.module_move(&a, tab->frame(0)), 0);  // its own frame
  EXPECT_EQ(frameSpy.count(), 0);
  EXPECT_EQ(listSpy.count(), 0);

  EXPECT_EQ(m.module_move(&a, tab->frame(3)), 0);
  EXPECT_EQ(a.frame(), tab->frame(3));
  EXPECT_TRUE(tab->frame(0)->modules().isEmpty());
  EXPECT_EQ(tab->frame(3)->modules(), (QList<CModule*>{&a}));
  EXPECT_EQ(frameSpy.count(), 1);
}

TEST(Modules, DetachClearsAnInputBoundElsewhere) {
  CTab tab;
  CInputJpg picture;
  CModule a(CModule::TypeTableInput), other(CModule::TypeTableMea);
  ASSERT_EQ(a.init(&picture, tab.frame(0)), 0);
  picture.setModule(&other);
  a.detach();
  EXPECT_EQ(picture.module(), nullptr);
  EXPECT_EQ(a.input(), nullptr);
}

TEST(Modules, SaveListWithNothingChangedIsEmpty) {
  CTabManager m;
  CTab* tab = m.tab_create();
  CModule a(6);
  ASSERT_EQ(a.init(nullptr, tab->frame(0)), 0);
  EXPECT_EQ(m.save_getModuleList(nullptr), 0);
  EXPECT_TRUE(m.saveModuleList().isEmpty());
  EXPECT_EQ(m.save_getModuleList(tab), 0);
  EXPECT_FALSE(a.input_saveConfirmed());
}

class ChangedModule : public CModule {
 public:
  explicit ChangedModule(bool changed) : CModule(6), changed_(changed) {}
  bool input_saveRequired() override { return changed_; }

 private:
  bool changed_;
};

TEST(Modules, SaveListCollectsChangedModulesInOrder) {
  CTabManager m;
  CTab* t1 = m.tab_create();
  CTab* t2 = m.tab_create();
  ChangedModule a(true), b(false), c(true), d(true);
  ASSERT_EQ(a.init(nullptr, t1->frame(2)), 0);
  ASSERT_EQ(b.init(nullptr, t1->frame(0)), 0);
  ASSERT_EQ(c.init(nullptr, t1->frame(0)), 0);
  ASSERT_EQ(d.init(nullptr, t2->frame(1)), 0);
  QSignalSpy confirmed(&a, &CModule::input_saveConfirmedChanged);
  EXPECT_EQ(m.save_getModuleList(t1), 2);
  EXPECT_EQ(m.saveModuleList(), (QList<CModule*>{&c, &a}));
  EXPECT_TRUE(a.input_saveConfirmed());
  EXPECT_FALSE(b.input_saveConfirmed());
  EXPECT_FALSE(d.input_saveConfirmed());
  EXPECT_EQ(m.save_getModuleList(nullptr), 3);
  EXPECT_EQ(m.saveModuleList(), (QList<CModule*>{&c, &a, &d}));
  EXPECT_EQ(confirmed.count(), 1);
}

class TimeChart : public CModule {
 public:
  TimeChart() : CModule(CModule::TypeChartTime) {}
  void applyMeaResultData(QObject* stream, const MeaResultData* data) override {
    ++calls;
    lastStream = stream;
    frames = data->frameCount;
  }
  int calls = 0;
  QObject* lastStream = nullptr;
  int frames = 0;
};

MeaResultData* makeBlock(int frames) {
  auto* d = static_cast<MeaResultData*>(std::malloc(sizeof(MeaResultData) + 64));
  std::memset(d, 0, sizeof(MeaResultData) + 64);
  d->frameCount = frames;
  return d;
}

TEST(Modules, MeasurementBlocksReachTimeChartsAndAreFreed) {
  CTabManager m;
  CTab* tab = m.tab_create();
  TimeChart chart;
  CModule table(CModule::TypeTableMea);
  ASSERT_EQ(chart.init(nullptr, tab->frame(1)), 0);
  ASSERT_EQ(table.init(nullptr, tab->frame(1)), 0);
  QObject streamModule;
  // Each block is freed by the manager; the sanitizer lane reports a leak or a double free.
  m.onMeaResultDataCreated(&streamModule, makeBlock(12));
  EXPECT_EQ(chart.calls, 1);
  EXPECT_EQ(chart.lastStream, &streamModule);
  EXPECT_EQ(chart.frames, 12);
  chart.detach();
  m.onMeaResultDataCreated(&streamModule, makeBlock(3));  // no chart: still freed
  EXPECT_EQ(chart.calls, 1);
  m.onMeaResultDataCreated(&streamModule, nullptr);
}

}  // namespace
