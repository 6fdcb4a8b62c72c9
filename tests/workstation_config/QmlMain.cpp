// Registers the workstation's types the way start-up does, then runs the QML test files.
#include <QtQuickTest/quicktest.h>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>

#include "settings/CCommonManager.h"
#include "settings/CConfigManager.h"

class Setup : public QObject {
  Q_OBJECT
 public slots:
  void applicationAvailable() {
    configs_.setAppDir(dir_.path());
    configs_.init();
    common_.init();
  }
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->rootContext()->setContextProperty("commonManager", &common_);
  }

 private:
  QTemporaryDir dir_;
  CConfigManager configs_;
  CCommonManager common_;
};

QUICK_TEST_MAIN_WITH_SETUP(workstation_qml, Setup)

#include "QmlMain.moc"
