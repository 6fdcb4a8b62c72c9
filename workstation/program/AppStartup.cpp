#include "program/AppStartup.h"

#include <QApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QTranslator>
#include <QUrl>
#include <QtQml>
#include <cstdio>

#include "OstrelSDK.h"
#include "TempCanvasManager.h"
#include "TempPalette.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "foundation_qt/ProgramStartup.h"
#include "qorn/QornInit.h"
#include "program/CApp.h"

namespace {

ostrel::ProgramFolders g_folders;
char g_appDirUtf8[1024];
// Reused for the environment values.
char g_pathBuffer[1024];
QApplication* g_application = nullptr;
QQmlApplicationEngine* g_engine = nullptr;
QTranslator* g_translator = nullptr;
CApp* g_app = nullptr;

// The display went away. The SDK goes last: ending it takes the shared logger down.
void finishFilesOnLostDisplay() {
  if (g_app) g_app->finishFilesForExit();
  Ostrel_FreeSDK();
}

}  // namespace

int initAppFolders() {
  const ostrel::ProgramFolderNames names{QStringLiteral("%s/Calorvue-Config"), QString(),
                                         QStringLiteral("%s/Calorvue-Log"), QStringLiteral("Calorvue")};
  const int len = ostrel::initProgramFolders(names, &g_folders);
  if (len > 0) ostrel::strCopyN(g_appDirUtf8, g_folders.appDir.toUtf8().constData(), sizeof g_appDirUtf8);
  return len;
}

int appStartup(int* argc, char** argv) {
  if (g_app) return 0;
  initAppFolders();
  const char* dir = g_appDirUtf8;
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Config/qtlogging.ini", dir);
  qputenv("QT_LOGGING_CONF", g_pathBuffer);
  qputenv("QT_MESSAGE_PATTERN", "%{time yyyy-MM-dd HH:mm:ss.zzz}, %{file}, %{line}: %{message}");
  qInstallMessageHandler(ostrel::qtMessageOutput);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Config/qtquickcontrols2.conf", dir);
  qputenv("QT_QUICK_CONTROLS_CONF", g_pathBuffer);
  Ostrel_InitSDK();
  qornInit();

  g_application = new QApplication(*argc, argv);
  g_engine = new QQmlApplicationEngine(g_application);
  g_translator = new QTranslator(g_application);
  ostrel::installQuitSignals();
  ostrel::setDisplayLostHook(finishFilesOnLostDisplay);
  g_app = new CApp(g_application);

  if (TempCanvasManager* canvas = g_app->tempCanvasManager()) {
    // The engine deletes the providers it is given.
    if (TempPaletteImageProvider* provider = canvas->takePaletteImageProvider())
      g_engine->addImageProvider(QStringLiteral("tempPalette"), provider);
  }
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", g_app);
  g_app->init();
  return 0;
}

int appExec(const char* url) {
  if (!g_app) return -7;
  const int loaded = ostrel::loadMainView(g_engine, url, "Calorvue");
  if (loaded < 0) return loaded;
  return QApplication::exec();
}

void appShutdown() {
  if (!g_app) return;
  // The views go first, so none of them reads a manager while the managers are deleted.
  delete g_engine;
  g_engine = nullptr;
  delete g_app;
  g_app = nullptr;
  ostrel::logDestroyDefault();
}

QString appDirPath() { return g_folders.appDir; }
const char* appDirUtf8() { return g_appDirUtf8; }
QString appConfigDir() { return g_folders.configDir; }
QQmlApplicationEngine* appEngine() { return g_engine; }
QTranslator* appTranslator() { return g_translator; }
CApp* appObject() { return g_app; }
