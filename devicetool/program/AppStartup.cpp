#include "AppStartup.h"


#include <QApplication>
#include <QQmlApplicationEngine>
#include <QTranslator>
#include <QUrl>
#include <QtQml>
#include <cstdio>

#include "AppFolders.h"
#include "CApp.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "foundation_qt/ProgramStartup.h"
#include "qorn/QornInit.h"

namespace calorset {

namespace {

QApplication* g_application = nullptr;
QQmlApplicationEngine* g_engine = nullptr;
QTranslator* g_translator = nullptr;
CApp* g_app = nullptr;
char g_env[1024];

// The display went away: the tool writes its own files synchronously on the GUI thread, so only
// the SDK's recordings are still open; ending the SDK closes them.
void finishFilesOnLostDisplay() { Ostrel_FreeSDK(); }

}  // namespace

int appStartup(int* argc, char** argv) {
  if (g_app) return 0;
  initAppDirs();
  // Qt reads these two files itself, blocking on a named pipe: they are named only when they are
  // regular files (without them Qt keeps its own defaults).
  ostrel::safeSprintf(g_env, "%s/Calorset-Config/qtlogging.ini", appDirUtf8());
  if (isSettingsFile(g_env)) qputenv("QT_LOGGING_CONF", g_env);
  qputenv("QT_MESSAGE_PATTERN", "%{time yyyy-MM-dd HH:mm:ss.zzz}, %{file}, %{line}: %{message}");
  qInstallMessageHandler(ostrel::qtMessageOutput);
  ostrel::safeSprintf(g_env, "%s/Calorset-Config/qtquickcontrols2.conf", appDirUtf8());
  if (isSettingsFile(g_env)) qputenv("QT_QUICK_CONTROLS_CONF", g_env);
  Ostrel_InitSDK();
  loadDebugSettings();
  initPaintResources();
  qornInit();

  g_application = new QApplication(*argc, argv);
  g_engine = new QQmlApplicationEngine(g_application);
  g_translator = new QTranslator(g_application);
  ostrel::installQuitSignals();
  ostrel::setDisplayLostHook(finishFilesOnLostDisplay);
  g_app = new CApp(g_application, g_translator);
  if (TempCanvasManager* canvas = g_app->tempCanvasManager()) {
    if (TempPaletteImageProvider* provider = canvas->takePaletteImageProvider())
      g_engine->addImageProvider(QStringLiteral("tempPalette"), provider);
  }
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", g_app);
  g_app->init();
  return 0;
}

int appExec(const char* url) {
  if (!g_app) return -7;
  const int loaded = ostrel::loadMainView(g_engine, url, "Calorset");
  if (loaded < 0) return loaded;
  return QApplication::exec();
}

void appShutdown() {
  if (!g_app) return;
  delete g_engine;
  g_engine = nullptr;
  delete g_app;
  g_app = nullptr;
  Ostrel_FreeSDK();
  ostrel::logDestroyDefault();
}

QQmlApplicationEngine* appEngine() { return g_engine; }
CApp* appObject() { return g_app; }

}  // namespace calorset
