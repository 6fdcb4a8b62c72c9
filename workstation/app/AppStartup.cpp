#include "app/AppStartup.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QSocketNotifier>
#include <QTranslator>
#include <QUrl>
#include <QtQml>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "OstrelSDK.h"
#include "TempCanvasManager.h"
#include "TempPalette.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "qorn/QornInit.h"
#include "app/CApp.h"

namespace {

QString g_appDir;
char g_appDirUtf8[1024];
QString g_configDir;
// Reused for the environment values and the log prefix.
char g_pathBuffer[1024];
QApplication* g_application = nullptr;
QQmlApplicationEngine* g_engine = nullptr;
QTranslator* g_translator = nullptr;
CApp* g_app = nullptr;

// Self-pipe: the signal handler may only write a byte; the GUI thread reads it and quits.
int g_signalPipe[2] = {-1, -1};

void onQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // Nothing to do when the pipe is full: a quit is already pending.
  [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

int initAppFolders() {
  char dir[1024];
  const int len = ostrel::moduleDir(dir, sizeof dir);
  if (len <= 0) return -1;
  g_appDir = QString::fromLocal8Bit(dir);
  ostrel::strCopyN(g_appDirUtf8, g_appDir.toUtf8().constData(), sizeof g_appDirUtf8);

  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Config", dir);
  g_configDir = QString::fromLocal8Bit(g_pathBuffer);
  QDir().mkpath(g_configDir);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Log", dir);
  QDir().mkpath(QString::fromLocal8Bit(g_pathBuffer));
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Log/Calorvue", dir);
  ostrel::logSetPathPrefix(ostrel::logDefault(), g_pathBuffer);
  return len;
}

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
  const char* category = context.category ? context.category : "default";
  ostrel::Logger* log = ostrel::logDefault();
  ostrel::logPrintf(log, level, "[%s] %s\n\n", category, text.constData());
  // Whoever started the program must see why it stops or cannot show something, not only the log.
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "Calorvue: %s\n", text.constData());
  // Qt aborts right after a fatal message. The logger hands every line to the system as it is
  // written; the empty raw write makes sure this one has left the process's buffers too, without
  // closing a log that other threads may still be writing to.
  if (type == QtFatalMsg) ostrel::logWriteRaw(log, "", 0);
}

void installQuitSignals() {
  if (g_signalPipe[0] >= 0 || !QCoreApplication::instance()) return;
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) {
    OSTREL_LOG("socketpair failed (%d); SIGINT and SIGTERM keep their default action", errno);
    return;
  }
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
  initAppFolders();
  const char* dir = g_appDirUtf8;
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Config/qtlogging.ini", dir);
  qputenv("QT_LOGGING_CONF", g_pathBuffer);
  qputenv("QT_MESSAGE_PATTERN", "%{time yyyy-MM-dd HH:mm:ss.zzz}, %{file}, %{line}: %{message}");
  qInstallMessageHandler(qtMessageOutput);
  ostrel::safeSprintf(g_pathBuffer, "%s/Calorvue-Config/qtquickcontrols2.conf", dir);
  qputenv("QT_QUICK_CONTROLS_CONF", g_pathBuffer);
  Ostrel_InitSDK();
  qornInit();

  g_application = new QApplication(*argc, argv);
  g_engine = new QQmlApplicationEngine(g_application);
  g_translator = new QTranslator(g_application);
  installQuitSignals();
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
  g_engine->load(QUrl(QString::fromUtf8(url)));
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

QString appDirPath() { return g_appDir; }
const char* appDirUtf8() { return g_appDirUtf8; }
QString appConfigDir() { return g_configDir; }
QQmlApplicationEngine* appEngine() { return g_engine; }
QTranslator* appTranslator() { return g_translator; }
CApp* appObject() { return g_app; }
