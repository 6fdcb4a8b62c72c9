#include "AppStartup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QSocketNotifier>
#include <QTranslator>
#include <QUrl>
#include <QtQml>
#include <cerrno>
#include <cstring>

#include "AppFolders.h"
#include "CApp.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "qorn/QornInit.h"

namespace calorset {

namespace {

QApplication* g_application = nullptr;
QQmlApplicationEngine* g_engine = nullptr;
QTranslator* g_translator = nullptr;
CApp* g_app = nullptr;
char g_env[1024];
int g_signalPipe[2] = {-1, -1};

void onQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void qtMessageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  int level;
  switch (type) {
    case QtDebugMsg: level = ostrel::LOG_DEBUG; break;
    case QtInfoMsg: level = ostrel::LOG_INFO; break;
    case QtWarningMsg: level = ostrel::LOG_WARN; break;
    case QtCriticalMsg: level = ostrel::LOG_ERROR; break;
    case QtFatalMsg: level = ostrel::LOG_FATAL; break;
    default: return;
  }
  const QByteArray text = message.toLocal8Bit();
  ostrel::Logger* log = ostrel::logDefault();
  ostrel::logPrintf(log, level, "[%s] %s\n\n", context.category ? context.category : "default", text.constData());
  if (type == QtFatalMsg) ostrel::logWriteRaw(log, "", 0);
}

void installQuitSignals() {
  if (g_signalPipe[0] >= 0 || !QCoreApplication::instance()) return;
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char buf[16];
    while (read(g_signalPipe[0], buf, sizeof buf) > 0) {
    }
    OSTREL_LOG_AS("installQuitSignals", "quit signal received");
    QCoreApplication::exit(0);
  });
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = onQuitSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

int appStartup(int* argc, char** argv) {
  if (g_app) return 0;
  initAppDirs();
  ostrel::safeSprintf(g_env, "%s/Calorset-Config/qtlogging.ini", appDirUtf8());
  qputenv("QT_LOGGING_CONF", g_env);
  qputenv("QT_MESSAGE_PATTERN", "%{time yyyy-MM-dd HH:mm:ss.zzz}, %{file}, %{line}: %{message}");
  qInstallMessageHandler(qtMessageOutput);
  ostrel::safeSprintf(g_env, "%s/Calorset-Config/qtquickcontrols2.conf", appDirUtf8());
  qputenv("QT_QUICK_CONTROLS_CONF", g_env);
  Ostrel_InitSDK();
  loadDebugSettings();
  initPaintResources();
  qornInit();

  g_application = new QApplication(*argc, argv);
  g_engine = new QQmlApplicationEngine(g_application);
  g_translator = new QTranslator(g_application);
  installQuitSignals();
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
  g_engine->load(QUrl(QString::fromUtf8(url)));
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
