// Every device type the manager registers can be created from QML, and the calibration editors'
// views show a simulated camera's tables, take only numbers into their cells and send what the
// person typed; the bad-point view saves and loads its points.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QTranslator>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "CApp.h"
#include "CDeviceManager.h"
#include "CaliPython.h"
#include "NetKit.h"
#include "OstrelSDK.h"
#include "WaitUntil.h"
#include "camsim/CameraSim.h"

namespace {

QStringList g_warnings;
QtMessageHandler g_previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
  if (type != QtDebugMsg && type != QtInfoMsg) g_warnings << msg;
  if (g_previous) g_previous(type, ctx, msg);
}

const char kWrapper[] = R"(
import QtQuick
import QtQuick.Window
import Ostrel 1.0
import "Basic"
Window {
    id: top
    width: 1200; height: 800
    visible: true
    property var node: null
    property var msgs: []
    function notifyError(type, msg) { msgs.push(type + ":" + msg) }
    function selectedNode() { return node }
    Component.onCompleted: App.main = top
    // What the main window's own buttons do for the editors the chooser does not open.
    function openView(name) { return App.openView(name) !== null }
    CaliChooser { objectName: "chooser" }
}
)";

// A view the shared cache made (under the window's content item) and opened.
QObject* openedView(QObject* top, const char* name) {
  QObject* view = top->findChild<QObject*>(QString::fromLatin1(name));
  EXPECT_NE(view, nullptr) << name << " was not made by the view cache";
  if (view != nullptr) EXPECT_TRUE(view->property("opened").toBool()) << name << " is not open";
  return view;
}

QObject* child(QObject* root, const QString& name) {
  QObject* o = root->findChild<QObject*>(name);
  EXPECT_NE(o, nullptr) << name.toStdString();
  return o;
}

void click(QObject* root, const char* button) {
  if (QObject* b = child(root, QString::fromLatin1(button))) QMetaObject::invokeMethod(b, "clicked");
}

// An item by name among the visual descendants (list delegates are no QObject children).
QObject* findItem(QObject* root, const QString& name) {
  if (root->objectName() == name) return root;
  QList<QObject*> next = root->children();
  if (auto* item = qobject_cast<QQuickItem*>(root))
    for (QQuickItem* c : item->childItems()) next << c;
  for (QObject* c : next)
    if (QObject* found = findItem(c, name)) return found;
  return nullptr;
}

// The text box of a table cell ("r<row>c<column>"), once the list made the row.
QObject* cellBox(QObject* table, int row, int col) {
  const QString name = QStringLiteral("r%1c%2").arg(row).arg(col);
  QObject* cell = nullptr;
  EXPECT_TRUE(devicetest::waitUntil([&] { return (cell = findItem(table, name)) != nullptr; }))
      << name.toStdString();
  return cell ? cell->findChild<QObject*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void typeInto(QObject* box, const QString& text) {
  box->setProperty("text", text);
  QMetaObject::invokeMethod(box, "editingFinished");
}

TEST(CaliViews, EveryTypeIsCreatableAndTheEditorsShowAndSendTheirTables) {
  if (qmlTypeId("Ostrel", 1, 0, "CApp") >= 0) GTEST_SKIP() << "the views need a process of their own (as ctest runs them)";
  static QTranslator translator;
  auto* app = new calorset::CApp(nullptr, &translator);
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app);
  ASSERT_EQ(app->init(), 0);

  g_warnings.clear();
  g_previous = qInstallMessageHandler(collect);
  auto engine = std::make_unique<QQmlEngine>();
  engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
  const char* const types[] = {"CDeviceNode", "CDeviceConfiger", "CCustPoint", "CCustFile", "CCustEditor",
                               "CComPoint", "CComEditor", "CWeiJuItem", "CWeiJuFile", "CWeiJuEditor",
                               "CFixDistItem", "CFixDistFile", "CFixDistEditor", "CDeviceUtilV7R2K",
                               "CDeviceManager", "CPtzPreset", "CDevice", "TempDataState", "CCameraBasicInfo",
                               "CFixInfo", "CCameraNetworkInfo", "CCameraTimeInfo", "CTvoutInfo",
                               "CCameraOSDInfo", "CSerialPortInfo", "CGpioInfo", "CFFCInfo", "CDestripInfo",
                               "CDenoiseInfo", "CCameraPluginInfo", "CGB28181Info"};
  for (const char* t : types) {
    QQmlComponent c(engine.get());
    c.setData(QByteArray("import Ostrel 1.0\n") + t + " {}\n", QUrl());
    std::unique_ptr<QObject> o(c.create());
    EXPECT_NE(o, nullptr) << t << ": " << c.errorString().toStdString();
  }

  const std::string addr = ostrel::test::loopbackAddress(44, 86);
  camsim::CameraSimOptions opt;
  opt.address = addr;
  opt.identity.softwareId = "SW-QF-3";
  opt.tempStream = false;
  opt.snapshot = false;
  camsim::CameraSim sim(opt);
  ASSERT_EQ(sim.start(), 0);
  for (int b : {3, 4, 5, 7}) {
    const QByteArray s = caliPy(QStringLiteral("out.write(cb.seeds()[%1])").arg(b));
    sim.command().transfers().putBlock(b, std::vector<uint8_t>(s.begin(), s.end()));
  }
  CDeviceManager* dm = app->deviceManager();
  dm->node_create(QString::fromStdString(addr));
  ASSERT_EQ(dm->nodes().size(), 1);

  QQmlComponent component(engine.get());
  // Beside the program's own views in the resources, so that the views and the wrapper share
  // one App and the cache finds each view where the program does.
  ASSERT_TRUE(QFile::exists(QStringLiteral(":/Views/DeviceWeiJu.qml")));
  component.setData(kWrapper, QUrl(QStringLiteral("qrc:/Views/CaliViewsWrapper.qml")));
  std::unique_ptr<QObject> top(component.create());
  ASSERT_NE(top, nullptr) << component.errorString().toStdString();
  top->setProperty("node", QVariant::fromValue<QObject*>(dm->nodes()[0]));

  // The chooser logs the lens editor in and opens its view through the shared view cache.
  QObject* chooser = child(top.get(), QStringLiteral("chooser"));
  ASSERT_TRUE(chooser);
  // A view that cannot be loaded gives the editor's login back at once (the next login takes the
  // same slot again), since no view's closing would ever release it.
  const auto nextSlot = [&addr] {
    LoginInfo li{};
    std::strncpy(li.ip, addr.c_str(), sizeof li.ip - 1);
    CameraBasicInfoRecord rec{};
    const int id = Ostrel_Login(&li, &rec);
    if (id >= 0) Ostrel_Logout(id);
    return id;
  };
  const int freeSlot = nextSlot();
  ASSERT_GE(freeSlot, 0);
  QVariant refused;
  ASSERT_TRUE(QMetaObject::invokeMethod(chooser, "openEditor", Q_RETURN_ARG(QVariant, refused),
                                        Q_ARG(QVariant, QVariant::fromValue<QObject*>(dm->weijuEditor())),
                                        Q_ARG(QVariant, QStringLiteral("NoSuchView"))));
  EXPECT_EQ(refused.toInt(), -200);
  EXPECT_FALSE(dm->weijuEditor()->loggedIn());
  EXPECT_EQ(nextSlot(), freeSlot);
  EXPECT_EQ(top->findChild<QObject*>(QStringLiteral("deviceWeiJu")), nullptr);
  click(chooser, "btnDeviceWeiJu");
  ASSERT_TRUE(dm->weijuEditor()->loggedIn());
  QObject* weiju = openedView(top.get(), "deviceWeiJu");
  ASSERT_TRUE(weiju);
  QObject* len1 = child(weiju, QStringLiteral("len1Table"));
  QObject* bb1 = cellBox(len1, 1, 0);
  ASSERT_NE(bb1, nullptr);
  EXPECT_EQ(bb1->property("text").toString(), QStringLiteral("30.0"));
  EXPECT_TRUE(bb1->property("enabled").toBool());
  EXPECT_FALSE(cellBox(len1, 3, 0)->property("enabled").toBool());  // row 4 of a count of 3
  // Text that is no number stays as typed and marks the cell; the row keeps its value.
  QQuickItem* bb1Cell = qobject_cast<QQuickItem*>(bb1)->parentItem();
  typeInto(bb1, QStringLiteral("abc"));
  EXPECT_EQ(bb1->property("text").toString(), QStringLiteral("abc"));
  EXPECT_FALSE(bb1Cell->property("xcellValid").toBool());
  typeInto(bb1, QStringLiteral("nan"));
  EXPECT_EQ(bb1->property("text").toString(), QStringLiteral("nan"));
  EXPECT_FLOAT_EQ(dm->weijuEditor()->file()->len1(1)->blackbody(), 30.0f);
  typeInto(bb1, QStringLiteral("40"));
  EXPECT_EQ(bb1->property("text").toString(), QStringLiteral("40.0"));
  EXPECT_TRUE(bb1Cell->property("xcellValid").toBool());
  click(weiju, "btnSet");
  ASSERT_TRUE(sim.command().transfers().waitFinished(sim.log().countType(78) + sim.log().countType(80), 20000));
  std::vector<uint8_t> block;
  ASSERT_TRUE(sim.command().transfers().block(5, &block));
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())),
            caliPy(QStringLiteral("p = cb.without_row(cb.seed_weiju(), 1)\n"
                              "p['rows1'][1] = (40.0, *p['rows1'][1][1:]); out.write(cb.weiju(**p))")));
  // A value the camera holds as NaN, in a row the table may not even show, is no value to send:
  // Set sends nothing (the next Set, with the value mended, is the one upload that follows).
  const QByteArray nanBlock = caliPy(QStringLiteral(
      "p = cb.seed_weiju(); p['rows1'][15] = (float('nan'), *p['rows1'][15][1:]); out.write(cb.weiju(**p))"));
  sim.command().transfers().putBlock(5, std::vector<uint8_t>(nanBlock.begin(), nanBlock.end()));
  click(weiju, "btnGet");
  CWeiJuItem* last = dm->weijuEditor()->file()->len1(15);
  ASSERT_TRUE(std::isnan(last->blackbody()));
  const uint64_t uploads = sim.log().countType(80);
  click(weiju, "btnSet");
  last->setBlackbody(170.0f);
  click(weiju, "btnSet");
  ASSERT_TRUE(sim.command().transfers().waitFinished(sim.log().countType(78) + sim.log().countType(80), 20000));
  EXPECT_EQ(sim.log().countType(80), uploads + 1);
  // A typed value beyond the table's range marks its cell and is not sent either.
  typeInto(bb1, QStringLiteral("-9999999"));
  EXPECT_FALSE(bb1->parent()->property("xcellValid").toBool());
  click(weiju, "btnSet");
  typeInto(bb1, QStringLiteral("40"));
  EXPECT_TRUE(bb1->parent()->property("xcellValid").toBool());
  click(weiju, "btnSet");
  ASSERT_TRUE(sim.command().transfers().waitFinished(sim.log().countType(78) + sim.log().countType(80), 20000));
  EXPECT_EQ(sim.log().countType(80), uploads + 2);
  QMetaObject::invokeMethod(weiju, "close");
  EXPECT_FALSE(dm->weijuEditor()->loggedIn());

  // The distance view; the custom view with both ranges of a "QF" camera.
  click(chooser, "btnDeviceFixDist");
  QObject* fixdist = openedView(top.get(), "deviceFixDist");
  ASSERT_TRUE(fixdist);
  EXPECT_EQ(cellBox(child(fixdist, QStringLiteral("distTable")), 2, 4)->property("text").toString(),
            QStringLiteral("37.0"));
  QMetaObject::invokeMethod(fixdist, "close");
  ASSERT_EQ(dm->custEditor()->init(QString::fromStdString(addr)), 0);
  QVariant opened;
  QMetaObject::invokeMethod(top.get(), "openView", Q_RETURN_ARG(QVariant, opened), Q_ARG(QVariant, QStringLiteral("DeviceCust")));
  ASSERT_TRUE(opened.toBool());
  QObject* cust = openedView(top.get(), "deviceCust");
  ASSERT_TRUE(cust);
  EXPECT_TRUE(child(cust, QStringLiteral("btnSwitch"))->property("visible").toBool());
  QObject* cust2 = child(cust, QStringLiteral("cust2"));
  EXPECT_EQ(child(cust2, QStringLiteral("inNote"))->property("xvalue").toString(), QStringLiteral("second range"));
  QMetaObject::invokeMethod(cust, "close");

  // The bad-point view: three points added, saved, cleared and loaded back.
  QMetaObject::invokeMethod(top.get(), "openView", Q_RETURN_ARG(QVariant, opened), Q_ARG(QVariant, QStringLiteral("DeviceCom")));
  ASSERT_TRUE(opened.toBool());
  QObject* com = openedView(top.get(), "deviceCom");
  ASSERT_TRUE(com);
  const int pts[3][2] = {{5, 7}, {639, 511}, {100, 0}};
  for (const auto& p : pts) {
    child(com, QStringLiteral("inX"))->setProperty("xvalue", p[0]);
    child(com, QStringLiteral("inY"))->setProperty("xvalue", p[1]);
    click(com, "btnAdd");
  }
  click(com, "btnAdd");  // the same point again is refused
  ASSERT_EQ(dm->comEditor()->points().size(), 3);
  child(com, QStringLiteral("inDeviceId"))->setProperty("xvalue", QStringLiteral("CAMSIM-0001"));
  child(com, QStringLiteral("inWidth"))->setProperty("xvalue", 640);
  child(com, QStringLiteral("inHeight"))->setProperty("xvalue", 512);
  QTemporaryDir dir;
  const QString fn = dir.filePath(QStringLiteral("three.bad"));
  QMetaObject::invokeMethod(com, "fn_save_bad", Q_ARG(QVariant, fn));
  QFile f(fn);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), caliPy(QStringLiteral("import struct\nout.write(struct.pack('<32s3i6H', b'CAMSIM-0001', 640, "
                                           "512, 3, 5, 7, 639, 511, 100, 0))")));
  click(com, "btnDelete");
  EXPECT_EQ(dm->comEditor()->points().size(), 2);
  QMetaObject::invokeMethod(com, "fn_open_bad", Q_ARG(QVariant, fn));
  ASSERT_EQ(dm->comEditor()->points().size(), 3);
  EXPECT_EQ(dm->comEditor()->points()[1]->x(), 639);
  QMetaObject::invokeMethod(com, "close");

  top.reset();
  engine.reset();
  qInstallMessageHandler(g_previous);
  QStringList qmlWarnings;
  for (const QString& w : g_warnings)
    if (w.contains(QStringLiteral(".qml"))) qmlWarnings << w;
  EXPECT_TRUE(qmlWarnings.isEmpty()) << qmlWarnings.join(QLatin1Char('\n')).toStdString();
  sim.stop();
  delete app;
}

}  // namespace
