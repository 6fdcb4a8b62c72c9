// Shared pieces of the workstation shell tests: the suite's loopback addresses, copies of the
// programs in folders of their own, and readers of their log files.
#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <cstdlib>
#include <string>

#include "NetKit.h"

namespace shell {

inline std::string address(int host) { return ostrel::test::loopbackAddress(20, host); }
inline QString qaddress(int host) { return QString::fromStdString(address(host)); }

inline QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A copy of one of the built programs in a fresh folder, run with the offscreen platform.
class ProgramCopy {
 public:
  explicit ProgramCopy(const QString& built) {
    const QString name = QFileInfo(built).fileName();
    path_ = dir_.path() + "/" + name;
    ok_ = dir_.isValid() && QFile::copy(built, path_);
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    proc_.setProcessEnvironment(env);
    proc_.setWorkingDirectory(dir_.path());
  }
  ~ProgramCopy() {
    if (proc_.state() != QProcess::NotRunning) {
      proc_.kill();
      proc_.waitForFinished(10000);
    }
  }
  bool ok() const { return ok_; }
  QString dir() const { return dir_.path(); }
  QProcess& process() { return proc_; }
  bool start(const QStringList& args = {}) {
    proc_.start(path_, args);
    return proc_.waitForStarted(10000);
  }
  // Today's log file, as the logger names it from the local date.
  QString logPath() const {
    return dir_.path() + "/Calorvue-Log/Calorvue_" + QDate::currentDate().toString("yyyy-MM-dd") + ".log";
  }
  QString log() const { return QString::fromLocal8Bit(readAll(logPath())); }
  // Waits until the log holds a match of `pattern`, while the program runs, under a deadline.
  bool waitForLog(const QString& pattern, int timeoutMs = 30000) {
    const QRegularExpression re(pattern);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
      if (re.match(log()).hasMatch()) return true;
      if (proc_.state() == QProcess::NotRunning) return re.match(log()).hasMatch();
      // Wakes on output or exit; the log file itself has no notification to wait on.
      proc_.waitForReadyRead(50);
    }
    return false;
  }
  // Waits for a line on standard output.
  bool waitForLine(const QByteArray& line, int timeoutMs = 30000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
      out_ += proc_.readAllStandardOutput();
      if (out_.contains(line + "\n")) return true;
      if (proc_.state() == QProcess::NotRunning) return false;
      proc_.waitForReadyRead(static_cast<int>(timeoutMs - t.elapsed()));
    }
    return false;
  }
  // Waits for the end; false when it did not end in time or ended through a signal.
  bool finish(int* exitCode, int timeoutMs = 60000) {
    if (!proc_.waitForFinished(timeoutMs)) return false;
    *exitCode = proc_.exitCode();
    return proc_.exitStatus() == QProcess::NormalExit;
  }

 private:
  QTemporaryDir dir_;
  QString path_;
  bool ok_ = false;
  QProcess proc_;
  QByteArray out_;
};

}  // namespace shell

namespace shell {

// Runs a Python script with the system interpreter; its exit status.
inline int runPython(const std::string& script) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/script.py";
  if (!writeAll(path, QByteArray::fromStdString(script))) return -1;
  return std::system((std::string(OSTREL_SYSTEM_PYTHON) + " " + path.toStdString()).c_str());
}

// Runs a command line; its standard output, and its exit status in *status.
inline QByteArray runCommand(const QString& program, const QStringList& args, int* status) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) {
    *status = -1;
    return {};
  }
  *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return p.readAllStandardOutput();
}

}  // namespace shell
