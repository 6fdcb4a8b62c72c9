// The application object in process: what QML reads from it, the language choice, capturing items
// to files and the clipboard, the message handler, and the order in which it lets go.
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QFileInfo>
#include <mutex>
#include <vector>

#include "ShellSupport.h"
#include "camsim/CameraSim.h"
#include "foundation/Logger.h"
#include "foundation_qt/ProgramStartup.h"
#include "program/AppStartup.h"
#include "program/CApp.h"
#include "modules/CModuleInputIr.h"

namespace {

struct Captured {
  int level;
  std::string line;
};
std::mutex g_capturedLock;
std::vector<Captured> g_captured;

void capture(int level, const char* line, size_t length) {
  std::lock_guard<std::mutex> lock(g_capturedLock);
  g_captured.push_back({level, std::string(line, length)});
}

std::unique_ptr<camsim::CameraSim> startCamera(int host) {
  camsim::CameraSimOptions o;
  o.address = shell::address(host);
  auto sim = std::make_unique<camsim::CameraSim>(o);
  EXPECT_EQ(sim->start(), 0) << o.address;
  return sim;
}

// A shown window holding one coloured rectangle of the given size.
struct ShownRect {
  QQuickWindow window;
  QQuickItem* rect = nullptr;
  QQmlEngine engine;
  std::unique_ptr<QObject> root;
  ShownRect(int w, int h, bool show = true) {
    QQmlComponent c(&engine);
    c.setData(QStringLiteral("import QtQuick\nRectangle { width: %1; height: %2; color: '#ff0000' }").arg(w).arg(h).toUtf8(),
              QUrl());
    root.reset(c.create());
    rect = qobject_cast<QQuickItem*>(root.get());
    window.resize(w + 20, h + 20);
    rect->setParentItem(window.contentItem());
    if (show) {
      window.show();
      (void)QTest::qWaitForWindowExposed(&window, 10000);
    }
  }
};

}  // namespace

TEST(AppObject, QmlReadsTheNameAndMakesATabWithALiveModule) {
  auto sim = startCamera(5);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  {
    auto* app = new CApp();
    app->init();
    QQmlEngine engine;
    qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app);
    QQmlComponent c(&engine);
    c.setData("import QtQml\nimport Ostrel 1.0\nQtObject {\n"
              "  property string full: CApp.appNameFull\n"
              "  property bool qt5: CApp.isQT5\n"
              "  property bool managers: CApp.imageExporter !== null && CApp.recorderManager !== null &&\n"
              "    CApp.recorderManager.config.startTrigger === 257\n"
              "  property var tab: CApp.tabManager.tab_create()\n"
              "  property var module: CApp.tabManager.module_create(1, CApp.inputManager.device_createIr('" +
                  QByteArray::fromStdString(shell::address(5)) + "'), tab.frameList[0])\n"
              "}\n",
              QUrl());
    std::unique_ptr<QObject> o(c.create());
    ASSERT_TRUE(o) << c.errorString().toStdString();
    EXPECT_EQ(o->property("full").toString(), "Calorvue v1.6.0.0330");
    EXPECT_FALSE(o->property("qt5").toBool());
    EXPECT_TRUE(o->property("managers").toBool());  // both managers, the recorder settings at their defaults
    auto* module = qvariant_cast<CModule*>(o->property("module"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->moduleType(), 1);
    EXPECT_EQ(app->tabManager()->tabs().size(), 1);
    EXPECT_EQ(app->tabManager()->tabs()[0]->frame(0)->modules().value(0), module);
    EXPECT_TRUE(module->viewName().endsWith("[" + shell::qaddress(5) + "]")) << module->viewName().toStdString();
    o.reset();
    delete app;
  }
  Ostrel_FreeSDK();
}

TEST(AppObject, LanguageOneIsEnglishEverythingElseChinese) {
  EXPECT_EQ(CApp::languageCode(1), "en_US");
  EXPECT_EQ(CApp::languageFont(1), "Times New Roman");
  EXPECT_EQ(CApp::manualFileName(1), "Calorvue_US.pdf");
  for (int other : {0, 2, -1}) {
    EXPECT_EQ(CApp::languageCode(other), "zh_CN") << other;
    EXPECT_EQ(CApp::languageFont(other), "SimSun") << other;
    EXPECT_EQ(CApp::manualFileName(other), "Calorvue_CN.pdf") << other;
  }
  CApp app;
  app.configManager()->config()->setLanguage(1);
  EXPECT_EQ(app.setLanguage(), 0);
  EXPECT_EQ(QGuiApplication::font().families().value(0), "Times New Roman");
  EXPECT_EQ(QGuiApplication::font().pointSize(), 12);
  app.configManager()->config()->setLanguage(0);
  EXPECT_EQ(app.setLanguage(), 0);
  EXPECT_EQ(QGuiApplication::font().families().value(0), "SimSun");
}

TEST(AppObject, InitReportsTheFirstStepThatFailedWithItsCode) {
  // The language step (2) fails, and so does a later one (4): the first failure is what comes back,
  // and every step still ran.
  static std::vector<int> steps;
  steps.clear();
  CApp::setInitStepHook([](int step, int rc) {
    steps.push_back(step);
    return step == 2 ? -200 : step == 4 ? -5 : rc;
  });
  ostrel::Logger* log = ostrel::logDefault();
  ostrel::logSetCallback(log, capture);
  {
    std::lock_guard<std::mutex> lock(g_capturedLock);
    g_captured.clear();
  }
  {
    CApp app;
    EXPECT_EQ(app.init(), -200);
    EXPECT_EQ(app.initFailedStep(), 2);
    EXPECT_EQ(app.initFailedCode(), -200);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  }
  ostrel::logSetCallback(log, nullptr);
  CApp::setInitStepHook(nullptr);
  std::lock_guard<std::mutex> lock(g_capturedLock);
  int failures = 0;
  for (const Captured& c : g_captured)
    if (c.line.find("failed (") != std::string::npos) {
      ++failures;
      EXPECT_NE(c.line.find("start-up step 2 (language) failed (-200)"), std::string::npos) << c.line;
    }
  EXPECT_EQ(failures, 1);
}

TEST(AppObjectGrab, AShownItemGoesToAPngOfItsSize) {
  CApp app;
  ShownRect shown(64, 48);
  ASSERT_TRUE(shown.window.isExposed());
  QTemporaryDir dir;
  const QString png = dir.path() + "/item.png";
  EXPECT_EQ(app.grab(shown.rect, png), 0);
  const std::string script = "from PIL import Image\nim = Image.open('" + png.toStdString() +
                             "')\nassert im.format == 'PNG', im.format\nassert im.size == (64, 48), im.size\n"
                             "r, g, b = im.convert('RGB').getpixel((32, 24))\nassert r > 200 and g < 50 and b < 50, (r, g, b)\n";
  EXPECT_EQ(shell::runPython(script), 0);

  // Empty path: the clipboard.
  EXPECT_EQ(app.grab(shown.rect, QString()), 0);
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(64, 48));

  // A file that cannot be written.
  EXPECT_EQ(app.grab(shown.rect, dir.path() + "/missing/item.png"), -197);

  // A view asking again while a capture waits (the event loop runs inside grab) is refused.
  int nested = 1;
  QTimer::singleShot(0, &app, [&] { nested = app.grab(shown.rect, dir.path() + "/nested.png"); });
  EXPECT_EQ(app.grab(shown.rect, png), 0);
  EXPECT_EQ(nested, -7);
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "/nested.png"));

  app.copyTextToClipboard(QStringLiteral("1\t2.5\n"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t2.5\n");
}

TEST(AppObjectGrab, NoWindowOrAHiddenOneIsRefusedAtOnce) {
  CApp app;
  QElapsedTimer t;
  t.start();
  QQuickItem loose;
  loose.setSize(QSizeF(10, 10));
  EXPECT_EQ(app.grab(&loose, QString()), -7);
  EXPECT_EQ(app.grab(nullptr, QString()), -7);
  ShownRect hidden(16, 16, /*show=*/false);
  EXPECT_EQ(app.grab(hidden.rect, QString()), -7);
  // Refusals do not wait for a picture (which would take the full time-out).
  EXPECT_LT(t.elapsed(), CApp::kGrabTimeoutMs);
}

TEST(AppObjectGrab, APictureThatNeverComesEndsTheWait) {
  CApp app;
  ShownRect shown(32, 32);
  QTemporaryDir dir;
  // The window goes away once the capture has started: no frame is rendered, no picture arrives.
  QTimer::singleShot(0, &shown.window, [&] { shown.window.hide(); });
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(app.grab(shown.rect, dir.path() + "/never.png"), -1);
  EXPECT_GE(t.elapsed(), CApp::kGrabTimeoutMs);
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "/never.png"));
  // The next capture is not blocked by the one given up.
  shown.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window, 10000));
  EXPECT_EQ(app.grab(shown.rect, dir.path() + "/later.png"), 0);
}

TEST(MessageHandler, CategoriesLevelsAndTheFatalFlush) {
  QTemporaryDir dir;
  ostrel::Logger* log = ostrel::logDefault();
  ostrel::logSetCallback(log, capture);
  {
    std::lock_guard<std::mutex> lock(g_capturedLock);
    g_captured.clear();
  }
  QMessageLogContext qml("Main.qml", 3, "f", "qml");
  ostrel::qtMessageOutput(QtWarningMsg, qml, QStringLiteral("hello"));
  QMessageLogContext none;  // no category
  ostrel::qtMessageOutput(QtInfoMsg, none, QStringLiteral("plain"));
  ostrel::qtMessageOutput(QtCriticalMsg, none, QStringLiteral("bad"));
  ostrel::qtMessageOutput(static_cast<QtMsgType>(42), none, QStringLiteral("unknown"));
  {
    std::lock_guard<std::mutex> lock(g_capturedLock);
    ASSERT_EQ(g_captured.size(), 3u);
    EXPECT_EQ(g_captured[0].level, ostrel::LOG_WARN);
    EXPECT_NE(g_captured[0].line.find("[qml] hello\n\n"), std::string::npos) << g_captured[0].line;
    EXPECT_EQ(g_captured[1].level, ostrel::LOG_INFO);
    EXPECT_NE(g_captured[1].line.find("[default] plain\n\n"), std::string::npos) << g_captured[1].line;
    EXPECT_EQ(g_captured[2].level, ostrel::LOG_ERROR);
  }
  ostrel::logSetCallback(log, nullptr);

  // A fatal message is in the file, read through a handle of its own, before Qt ends the process.
  const QByteArray prefix = (dir.path() + "/fatal").toLocal8Bit();
  ostrel::logSetPathPrefix(log, prefix.constData());
  ostrel::qtMessageOutput(QtFatalMsg, none, QStringLiteral("giving up"));
  const QStringList files = QDir(dir.path()).entryList({"fatal_*.log"});
  ASSERT_EQ(files.size(), 1);
  const QByteArray text = shell::readAll(dir.path() + "/" + files[0]);
  EXPECT_TRUE(text.contains("FATAL [default] giving up\n\n")) << text.toStdString();
  ostrel::logSetPathPrefix(log, OSTREL_TEST_BINARY_DIR "/shell_cases");
}

TEST(AppObjectShutdown, WithoutStartUpExecRefusesAndShutdownLeavesTheLogOpen) {
  EXPECT_EQ(appObject(), nullptr);
  EXPECT_EQ(appExec("qrc:/none.qml"), -7);
  appShutdown();
  EXPECT_NE(ostrel::logDefault(), nullptr);
}

TEST(AppObjectShutdown, DeletingItClosesModulesAndDeletesEveryManager) {
  auto sim = startCamera(6);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  auto* app = new CApp();
  CTab* tab = app->tabManager()->tab_create();
  CInputIr* input = app->inputManager()->device_createIr(shell::qaddress(6), false);
  ASSERT_NE(input, nullptr);
  QPointer<CModule> module = app->tabManager()->module_create(1, input, tab->frame(0));
  ASSERT_TRUE(module);
  ASSERT_EQ(qobject_cast<CModuleInputIr*>(module.data())->loadData(), 0);
  ASSERT_TRUE(input->isOpen());
  QPointer<QObject> managers[] = {app->commonManager(), app->configManager(), app->inputManager(),
                                  app->tempCanvasManager(), app->tabManager()};
  QPointer<CInputIr> in = input;
  delete app;
  EXPECT_TRUE(module.isNull());
  EXPECT_TRUE(in.isNull());
  for (auto& m : managers) EXPECT_TRUE(m.isNull());
  Ostrel_FreeSDK();
}
