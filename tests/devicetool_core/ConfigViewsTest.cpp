// The configuration views against a simulated camera: every channel panel loads without a QML
// warning and its Apply sends the channel's record unchanged; the configuration page refuses
// missing cameras and files and writes each ticked camera's own result into its row.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <QTemporaryDir>
#include <QTranslator>
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "CApp.h"
#include "CDeviceConfiger.h"
#include "CDeviceManager.h"
#include "CDeviceNode.h"
#include "NetKit.h"
#include "ViewKit.h"
#include "camsim/CameraSim.h"

namespace {

using devicetest::child;

// A window holding both views, standing in for the main window's notification; its question
// before a command is the main window's own popup.
const char kWrapper[] = R"(
import QtQuick
import QtQuick.Window
import "Basic"
Window {
    id: top
    width: 1200; height: 800
    property var msgs: []
    function notifyError(type, msg) { msgs.push(type + ":" + msg) }
    function confirmOp(title, msg, cb) { confirm.ask(title, cb) }
    Component.onCompleted: App.main = top
    ConfirmPopup { id: confirm; objectName: "confirm"; width: 1200; height: 800 }
    MainConfig { objectName: "page"; width: 1200; height: 746 }
    DeviceConfig { objectName: "dialog" }
    Temp2Energy { objectName: "converter" }
}
)";

void click(QObject* root, const char* button) {
  if (QObject* b = child(root, button)) QMetaObject::invokeMethod(b, "clicked");
}

int32_t readI32(const std::vector<uint8_t>& bytes, size_t at) {
  int32_t v = 0;
  std::memcpy(&v, bytes.data() + at, sizeof v);
  return v;
}

QStringList messages(QObject* top) {
  return top->property("msgs").toStringList();
}

TEST(ConfigViews, PanelsApplyTheirRecordsAndThePageReportsPerCamera) {
  static bool registered = false;
  static QTranslator translator;
  auto* app = new calorset::CApp(nullptr, &translator);
  if (!registered) qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app);
  registered = true;
  ASSERT_EQ(app->init(), 0);

  const std::string addrA = ostrel::test::loopbackAddress(44, 6), addrB = ostrel::test::loopbackAddress(44, 7);
  camsim::CameraSimOptions opt;
  opt.address = addrA;
  opt.identity.cameraId = "VIEWS-A";
  opt.tempStream = false;
  opt.snapshot = false;
  camsim::CameraSim sim(opt);
  ASSERT_EQ(sim.start(), 0);
  sim.command().transfers().putFile(3, camsim::cameraLogFile(opt.identity.cameraId));
  sim.command().transfers().putBlock(2, camsim::defaultGb28181Block());
  // The correction record with values a camera holds (its other bytes keep the simulator's
  // pattern): the panel refuses to write what lies beyond its fields.
  std::vector<uint8_t> fix = sim.state().record(23);
  ASSERT_EQ(fix.size(), 72u);
  const auto putFloat = [](std::vector<uint8_t>& r, size_t at, float v) { std::memcpy(&r[at], &v, 4); };
  const float fixValues[] = {20.0f, 50.0f, 20.0f, 0.0f, 0.0f, 1000.0f, 0.97f, 1.0f, 0.0f};
  for (size_t k = 0; k < 9; ++k) putFloat(fix, 4 * k, fixValues[k]);
  putFloat(fix, 40, 0.0f);
  ASSERT_TRUE(sim.state().setRecord(23, fix));
  CDeviceManager* dm = app->deviceManager();
  dm->node_create(QString::fromStdString(addrA));
  dm->node_create(QString::fromStdString(addrB));  // nobody answers there
  ASSERT_EQ(dm->nodes().size(), 2);
  CDeviceNode* nodeA = dm->nodes()[0];
  CDeviceNode* nodeB = dm->nodes()[1];
  nodeA->setProperty("deviceId", QStringLiteral("VIEWS-A"));

  devicetest::WarningCollector warnings;
  auto engine = std::make_unique<QQmlEngine>();
  engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
  QQmlComponent component(engine.get());
  component.setData(kWrapper, QUrl::fromLocalFile(QStringLiteral(OSTREL_VIEWS_DIR "/ConfigViewsWrapper.qml")));
  std::unique_ptr<QObject> top(component.create());
  ASSERT_NE(top, nullptr) << component.errorString().toStdString();
  QObject* dialog = child(top.get(), "dialog");
  QObject* page = child(top.get(), "page");
  ASSERT_TRUE(dialog && page);

  // Every channel panel: chosen (read), applied (written) - the camera's records stay as they were.
  CDeviceConfiger* cfg = dm->deviceConfiger();
  ASSERT_EQ(cfg->startWork(nodeA), 0);
  QMetaObject::invokeMethod(dialog, "open");
  const char* const ids[] = {"CameraBasicInfo", "FixInfo",     "CameraNetworkInfo", "CameraTimeInfo",
                             "TvoutInfo",       "CameraOSDInfo", "SerialPortInfo",  "GpioInfo",
                             "FFCInfo",         "DestripInfo", "DenoiseInfo",       "CameraPluginInfo",
                             "GB28181Info"};
  for (int c = 1; c <= 13; ++c) {
    QMetaObject::invokeMethod(dialog, "setCurrentConfig", Q_ARG(QVariant, QString::fromLatin1(ids[c - 1])));
    EXPECT_TRUE(cfg->channelObject(c)->edit_isvalid()) << ids[c - 1];
    const std::vector<uint8_t> image(cfg->channelObject(c)->recordData(),
                                     cfg->channelObject(c)->recordData() + cfg->channelObject(c)->recordSize());
    const size_t before = sim.log().count();
    QMetaObject::invokeMethod(dialog, "applyCurrentConfig");
    // The first message after the read that is not the login's clock set (which the camera link
    // sends without waiting for it, so it may be logged late).
    const auto log = sim.log().snapshot();
    auto it = std::find_if(log.begin() + long(before), log.end(), [](const camsim::Observation& o) { return o.type != 56; });
    ASSERT_NE(it, log.end()) << ids[c - 1];  // a set is logged before its answer
    const camsim::Observation& sent = *it;
    // The record follows the request head (the plug-in record also an operation word); the
    // memory block travels behind its transfer request.
    if (c == 13) {
      EXPECT_EQ(sent.type, 80);
    } else {
      const size_t head = c == 12 ? 8 : 4;
      ASSERT_EQ(sent.bytes.size(), head + image.size()) << ids[c - 1];
      EXPECT_TRUE(std::equal(image.begin(), image.end(), sent.bytes.begin() + long(head))) << ids[c - 1];
    }
    EXPECT_EQ(cfg->channelObject(c)->property("edit_isvalid").toBool(), true);
  }
  // The GB28181 panel, still shown: a server address that is no IPv4 address, then a port beyond
  // 65535, are marked and refused; with both mended the one write that follows goes out.
  QObject* serverIp = child(dialog, "serverIp");
  QObject* serverPort = child(dialog, "serverPort");
  const QVariant ip = serverIp->property("xvalue"), port = serverPort->property("xvalue");
  const size_t beforeGb = sim.log().count();
  serverIp->setProperty("xvalue", QStringLiteral("abc"));
  EXPECT_FALSE(serverIp->property("xrule_isInputValid").toBool());
  QMetaObject::invokeMethod(dialog, "applyCurrentConfig");
  serverIp->setProperty("xvalue", ip);
  serverPort->setProperty("xvalue", 99999);
  EXPECT_FALSE(serverPort->property("xrule_isInputValid").toBool());
  QMetaObject::invokeMethod(dialog, "applyCurrentConfig");
  serverPort->setProperty("xvalue", port);
  QMetaObject::invokeMethod(dialog, "applyCurrentConfig");
  const auto gbLog = sim.log().snapshot();
  EXPECT_EQ(std::count_if(gbLog.begin() + long(beforeGb), gbLog.end(),
                          [](const camsim::Observation& o) { return o.type == 80; }), 1);

  // A value outside its option list (the simulator's zoom byte 229) is shown as its number.
  QObject* zoomBox = child(child(dialog, "zoom"), "xcomboBox");
  ASSERT_NE(zoomBox, nullptr);
  EXPECT_EQ(zoomBox->property("displayText").toString(), QStringLiteral("229"));

  // The test panel: no read, and Apply writes nothing.
  const size_t quiet = sim.log().count();
  QMetaObject::invokeMethod(dialog, "setCurrentConfig", Q_ARG(QVariant, QStringLiteral("TestInfo")));
  QMetaObject::invokeMethod(dialog, "applyCurrentConfig");
  EXPECT_EQ(sim.log().count(), quiet);
  // All five off: one GPIO output request (record type 128) naming all five outputs (mask 31)
  // with values 0. The simulator's outputs start at 0, so only the request itself tells.
  const size_t beforeGpio = sim.log().count();
  click(top.get(), "btnSetGpio");
  {
    const auto log = sim.log().snapshot();
    std::vector<std::vector<uint8_t>> gpio;
    for (size_t i = beforeGpio; i < log.size(); ++i)
      if (log[i].type == 56 && log[i].bytes.size() == 72 && readI32(log[i].bytes, 4) == 128) gpio.push_back(log[i].bytes);
    ASSERT_EQ(gpio.size(), 1u) << "GPIO output requests sent";
    EXPECT_EQ(readI32(gpio[0], 8), 31) << "mask";
    EXPECT_EQ(readI32(gpio[0], 12), 0) << "values";
  }
  EXPECT_EQ(sim.command().clockGpio().gpioOutputs(), 0);
  QMetaObject::invokeMethod(dialog, "xclose");
  EXPECT_FALSE(cfg->isLoggedIn());

  // A value the camera holds as NaN (the window's transmittance) or infinity (the offset) is shown
  // marked, and Apply sends nothing until it is mended.
  putFloat(fix, 28, std::numeric_limits<float>::quiet_NaN());
  putFloat(fix, 32, std::numeric_limits<float>::infinity());
  ASSERT_TRUE(sim.state().setRecord(23, fix));
  ASSERT_EQ(cfg->startWork(nodeA), 0);
  QMetaObject::invokeMethod(dialog, "open");
  QMetaObject::invokeMethod(dialog, "setCurrentConfig", Q_ARG(QVariant, QStringLiteral("FixInfo")));
  EXPECT_FALSE(child(dialog, "infraredWindowTrans")->property("xrule_isInputValid").toBool());
  EXPECT_FALSE(child(dialog, "tempOffset")->property("xrule_isInputValid").toBool());
  EXPECT_TRUE(child(dialog, "globalEmissivity")->property("xrule_isInputValid").toBool());
  const size_t refused = sim.log().count();
  QMetaObject::invokeMethod(dialog, "applyCurrentConfig");
  const auto afterRefusal = sim.log().snapshot();
  EXPECT_TRUE(std::none_of(afterRefusal.begin() + long(refused), afterRefusal.end(),
                           [](const camsim::Observation& o) { return o.type == 25; }))
      << "a correction record with NaN was sent";

  QMetaObject::invokeMethod(dialog, "xclose");

  // The page: refusals as notices, results per ticked row.
  QObject* table = child(page, "configDeviceTable");
  top->setProperty("msgs", QVariantList());
  page->setProperty("m_filename", QString());
  click(page, "btnUploadBin");
  page->setProperty("m_filename", QStringLiteral("/fw/TOVMA_2.bad"));
  click(page, "btnUploadBin");
  click(page, "btnUploadMultiBin");
  EXPECT_EQ(messages(top.get()), (QStringList{"1:NoFile", "1:InvalidFile", "1:InvalidFile"}));
  QTemporaryDir dir;
  const QString fw = dir.filePath(QStringLiteral("TOVMA_2.bin"));
  {
    QFile f(fw);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("firmware");
  }
  page->setProperty("m_filename", fw);
  table->setProperty("xcurrentRow", -1);
  top->setProperty("msgs", QVariantList());
  click(page, "btnUploadBin");
  click(page, "btnUploadMultiBin");
  click(page, "btnGetTime");
  EXPECT_EQ(messages(top.get()), (QStringList{"1:NoDevice", "1:NoDevice", "1:NoDevice"}));
  nodeA->setProperty("edit_select", true);
  nodeB->setProperty("edit_select", true);
  nodeA->setProperty("edit_info", QStringLiteral("Success"));  // an earlier result must not stay
  nodeB->setProperty("edit_info", QStringLiteral("Success"));
  QMetaObject::invokeMethod(table, "xselectUpdate");
  const uint64_t exchanges = sim.command().transfers().finished();
  click(page, "btnUploadMultiBin");
  EXPECT_EQ(nodeA->property("edit_info").toString(), QStringLiteral("Success"));
  EXPECT_TRUE(nodeB->property("edit_info").toString().startsWith(QStringLiteral("Fail -"))) << nodeB->property("edit_info").toString().toStdString();
  ASSERT_TRUE(sim.command().transfers().waitFinished(exchanges + 1, 20000));
  std::vector<uint8_t> stored;
  ASSERT_TRUE(sim.command().transfers().file(0, &stored));
  EXPECT_EQ(std::string(stored.begin(), stored.end()), "firmware");
  // A firmware file whose name lacks the family prefix: the row keeps the code and, like the
  // notice, says in words which names the camera takes; nothing is sent.
  {
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(OSTREL_CALORSET_QM_DIR "/Calorset.en_US.qm")));
    QCoreApplication::installTranslator(&english);
    const QString misnamed = dir.filePath(QStringLiteral("firmware_2.bin"));
    ASSERT_TRUE(QFile::copy(fw, misnamed));
    page->setProperty("m_filename", misnamed);
    table->setProperty("xcurrentRow", 0);
    top->setProperty("msgs", QVariantList());
    const uint64_t sent = sim.command().transfers().finished();
    click(page, "btnUploadBin");
    const QString rule = QStringLiteral("Firmware names begin with \"TOVMA\"");
    EXPECT_EQ(cfg->firmwareNameRule(nodeA->property("softwareId").toString()), rule);
    EXPECT_EQ(nodeA->property("edit_info").toString().toStdString(), "Fail -8: invalid value: " + rule.toStdString());
    EXPECT_EQ(messages(top.get()).join(QLatin1Char('|')).toStdString(), "3:" + rule.toStdString());
    EXPECT_EQ(cfg->firmwareNameRule(QStringLiteral("QPX-QF 2.1")).toStdString(),
              rule.toStdString() + " or \"QPX-Q\"");
    EXPECT_EQ(sim.command().transfers().finished(), sent);
    QCoreApplication::removeTranslator(&english);
  }
  // A restart asks first: Cancel, the popup's close button and Escape leave the camera alone;
  // OK restarts it. On a camera that cannot be reached the row shows the failure, not its old
  // text.
  table->setProperty("xcurrentRow", 1);
  nodeB->setProperty("edit_info", QStringLiteral("Success"));
  QObject* confirm = child(top.get(), "confirm");
  auto* window = qobject_cast<QQuickWindow*>(top.get());
  ASSERT_TRUE(confirm && window);
  window->show();
  window->requestActivate();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  const auto ask = [&] {
    click(page, "btnRestartDevice");
    EXPECT_TRUE(QTest::qWaitFor([&] { return confirm->property("opened").toBool(); }, 5000));
    EXPECT_EQ(confirm->property("xtitle").toString(), QStringLiteral("RestartDevice---"));
  };
  const auto closed = [&] { return QTest::qWaitFor([&] { return !confirm->property("visible").toBool(); }, 5000); };
  const uint64_t before = sim.log().count();
  ask();
  click(confirm, "btnConfirmCancel");
  EXPECT_TRUE(closed()) << "Cancel";
  ask();
  click(confirm, "xcloseButton");
  EXPECT_TRUE(closed()) << "close button";
  ask();
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(closed()) << "Escape";
  EXPECT_EQ(nodeB->property("edit_info").toString(), QStringLiteral("Success"));
  EXPECT_EQ(sim.log().count(), before);
  ask();
  click(confirm, "btnConfirmOk");
  EXPECT_TRUE(closed()) << "OK";
  EXPECT_TRUE(nodeB->property("edit_info").toString().startsWith(QStringLiteral("Fail -")))
      << nodeB->property("edit_info").toString().toStdString();

  // The converter: a temperature to energy and back, through the inputs' own values.
  QObject* converter = child(top.get(), "converter");
  QObject* temperature = child(converter, "temperature");
  temperature->setProperty("xvalue", 150.0);
  click(converter, "btnTemp2Energy");
  const double energy = converter->property("edit_energy").toDouble();
  EXPECT_DOUBLE_EQ(energy, cfg->calcTemp2Energy(1, 0, 150.0));
  EXPECT_DOUBLE_EQ(child(converter, "energy")->property("xvalue").toDouble(), energy);
  temperature->setProperty("xvalue", 0.0);
  click(converter, "btnEnergy2Temp");
  EXPECT_NEAR(converter->property("edit_temp").toDouble(), 150.0, 0.01);

  top.reset();
  engine.reset();
  warnings.stop();
  const QStringList qmlWarnings = warnings.qmlWarnings();
  EXPECT_TRUE(qmlWarnings.isEmpty()) << qmlWarnings.join(QLatin1Char('\n')).toStdString();
  delete app;
}

}  // namespace
