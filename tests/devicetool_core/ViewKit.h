// What the device tool's view tests share: the warnings the views print while they run, and the
// views' objects found by name.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QStringList>
#include <QtGlobal>

namespace devicetest {

// Collects every warning (and worse) Qt reports while it lives, and passes each on.
class WarningCollector {
 public:
  WarningCollector() : previous_(qInstallMessageHandler(&WarningCollector::collect)) { current() = this; }
  ~WarningCollector() { stop(); }
  void stop() {
    if (current() != this) return;
    qInstallMessageHandler(previous_);
    current() = nullptr;
  }
  // The warnings about a view file, less those of icons the test build does not carry.
  QStringList qmlWarnings() const {
    QStringList out;
    for (const QString& w : warnings_)
      if (w.contains(QStringLiteral(".qml")) && !w.contains(QStringLiteral("qrc:/Icons/"))) out << w;
    return out;
  }

 private:
  static WarningCollector*& current() {
    static WarningCollector* c = nullptr;
    return c;
  }
  static void collect(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    WarningCollector* c = current();
    if (!c) return;
    if (type != QtDebugMsg && type != QtInfoMsg) c->warnings_ << msg;
    if (c->previous_) c->previous_(type, ctx, msg);
  }
  QtMessageHandler previous_;
  QStringList warnings_;
};

inline QObject* child(QObject* root, const char* name) {
  QObject* o = root->findChild<QObject*>(QString::fromLatin1(name));
  EXPECT_NE(o, nullptr) << name;
  return o;
}

}  // namespace devicetest
