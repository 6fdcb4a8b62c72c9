#include "foundation_qt/ProgramStartup.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlError>
#include <QSocketNotifier>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace ostrel {

namespace {

// Self-pipe: the signal handler may only write a byte; the GUI thread reads it and quits.
int g_signalPipe[2] = {-1, -1};

void onQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // Nothing to do when the pipe is full: a quit is already pending.
  [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

// The pattern with its one "%s" replaced by `dir`; empty for an empty pattern; false when the
// pattern does not hold exactly one "%s".
bool expand(const QString& pattern, const QString& dir, QString* out) {
  out->clear();
  if (pattern.isEmpty()) return true;
  const QLatin1String mark("%s");
  if (pattern.count(mark) != 1) return false;
  *out = QString(pattern).replace(mark, dir);
  return true;
}

std::atomic<DisplayLostHook> g_displayLostHook{nullptr};
std::atomic<bool> g_displayLostLogged{false};
std::atomic<bool> g_displayLostHookRunning{false};

// Qt 6's xcb plug-in warns with a text beginning so ("... (error 1). Did the X11 server die?"
// from the GUI thread, "...: I/O error (code 1)" from its event reader) and calls exit(1) after
// the GUI thread's warning.
bool isDisplayLost(QtMsgType type, const QString& message) {
  return type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke"));
}

// Never returns to Qt's exit(1), except for a report from inside the hook itself.
void endOnLostDisplay(const QString& message) {
  if (!g_displayLostLogged.exchange(true)) {
    const QByteArray text = message.toLocal8Bit();
    Logger* log = logDefault();
    logPrintf(log, LOG_ERROR, "[display] %s Finishing recordings and exports, then ending with %d\n\n",
              text.constData(), kDisplayLostExitCode);
    // The hook may end the SDK, which takes the shared logger down: the line must be out before.
    logWriteRaw(log, "", 0);
    std::fprintf(stderr, "%s: display lost (%s)\n", program_invocation_short_name, text.constData());
  }
  QCoreApplication* app = QCoreApplication::instance();
  if (app != nullptr && app->thread() != QThread::currentThread()) {
    // Xlib reports a dead connection on whichever thread used it first, often the render thread,
    // and exits the process right after this handler. The recorders and exports belong to the
    // GUI thread: it is asked to finish them, and this thread keeps Qt from exiting meanwhile.
    const QString text = message;
    QMetaObject::invokeMethod(app, [text] { endOnLostDisplay(text); }, Qt::QueuedConnection);
    for (int i = 0; i < 30 && !g_displayLostHookRunning.load(); ++i) usleep(100 * 1000);
    // A GUI thread that has not come by now is held up, usually waiting for the very thread that
    // is here (the render thread's frame): it takes no part any more, so the files are finished
    // from here. Should the GUI thread be finishing them, the process ends once it is done.
    if (!g_displayLostHookRunning.exchange(true)) {
      if (DisplayLostHook hook = g_displayLostHook.load()) hook();
      _exit(kDisplayLostExitCode);
    }
    for (int i = 0; i < 300; ++i) usleep(100 * 1000);
    _exit(kDisplayLostExitCode);
  }
  if (g_displayLostHookRunning.exchange(true)) return;
  if (DisplayLostHook hook = g_displayLostHook.load()) hook();
  // No static destructors and no atexit handlers: the windows and the threads still running
  // behind them are dropped with the process instead of torn down under each other.
  _exit(kDisplayLostExitCode);
}

}  // namespace

void setDisplayLostHook(DisplayLostHook hook) { g_displayLostHook.store(hook); }

int initProgramFolders(const ProgramFolderNames& names, ProgramFolders* out) {
  if (out == nullptr) return -1;
  char dir[1024];
  const int len = moduleDir(dir, sizeof dir);
  if (len <= 0) return -1;
  const QString appDir = QString::fromLocal8Bit(dir);
  ProgramFolders f;
  f.appDir = appDir;
  if (!expand(names.config, appDir, &f.configDir) || !expand(names.data, appDir, &f.dataDir) ||
      !expand(names.log, appDir, &f.logDir))
    return -1;
  for (const QString* folder : {&f.configDir, &f.dataDir, &f.logDir})
    if (!folder->isEmpty()) QDir().mkpath(*folder);
  if (!f.logDir.isEmpty() && !names.logName.isEmpty())
    logSetPathPrefix(logDefault(), QDir(f.logDir).filePath(names.logName).toLocal8Bit().constData());
  *out = f;
  return len;
}

void qtMessageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (isDisplayLost(type, message)) {
    // Returns only for a report from the hook's own work, which adds nothing to the log.
    endOnLostDisplay(message);
    return;
  }
  int level;
  switch (type) {
    case QtDebugMsg: level = LOG_DEBUG; break;
    case QtInfoMsg: level = LOG_INFO; break;
    case QtWarningMsg: level = LOG_WARN; break;
    case QtCriticalMsg: level = LOG_ERROR; break;
    case QtFatalMsg: level = LOG_FATAL; break;
    default: return;
  }
  const QByteArray text = message.toLocal8Bit();
  const char* category = context.category ? context.category : "default";
  Logger* log = logDefault();
  logPrintf(log, level, "[%s] %s\n\n", category, text.constData());
  // Whoever started the program must see why it stops or cannot show something, not only the log.
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.constData());
  // Qt aborts right after a fatal message. The logger hands every line to the system as it is
  // written; the empty raw write makes sure this one has left the process's buffers too, without
  // closing a log that other threads may still be writing to.
  if (type == QtFatalMsg) logWriteRaw(log, "", 0);
}

int loadMainView(QQmlApplicationEngine* engine, const char* url, const char* program) {
  QString reason;
  const QMetaObject::Connection watch = QObject::connect(
      engine, &QQmlEngine::warnings, engine, [&reason](const QList<QQmlError>& errors) {
        if (reason.isEmpty() && !errors.isEmpty()) reason = errors.first().toString();
      });
  engine->load(QUrl(QString::fromUtf8(url)));
  QObject::disconnect(watch);
  if (!engine->rootObjects().isEmpty()) return 0;
  if (reason.isEmpty()) reason = QStringLiteral("no window was created");
  reason.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QByteArray text = reason.toLocal8Bit();
  OSTREL_LOG_AS("loadMainView", "%s: %s", url, text.constData());
  std::fprintf(stderr, "%s: cannot load %s: %s\n", program, url, text.constData());
  return -200;
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

}  // namespace ostrel
