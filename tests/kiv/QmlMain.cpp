// Runs one Qt Quick Test file against the Kiv module built in this tree. The setup puts the
// module's folder on the import path and provides a folder of files whose names carry the
// characters that file URLs escape ('%', '#', '?', space), and a table model with ticks
// ("KivTest" 1.0 SelectTableModel).
#include <QtQuickTest/quicktest.h>
#include <QDir>
#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtQml/qqml.h>

#include "SelectTableModel.h"

class Setup : public QObject {
  Q_OBJECT
 public slots:
  void applicationAvailable() {
    const QString root = dir_.path();
    QDir(root).mkpath(QStringLiteral("sub 50%25 #1"));
    for (const char* name : {"50%.txt", "a%25b.txt", "x#y?.txt", "a b.txt", "plain.txt"}) {
      QFile f(root + QLatin1Char('/') + QString::fromUtf8(name));
      if (f.open(QIODevice::WriteOnly))
        f.write("kiv\n");
    }
  }
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->addImportPath(QStringLiteral(KIV_IMPORT_DIR));
    qmlRegisterType<SelectTableModel>("KivTest", 1, 0, "SelectTableModel");
    engine->rootContext()->setContextProperty(QStringLiteral("kivTestDir"), dir_.path());
  }

 private:
  QTemporaryDir dir_;
};

QUICK_TEST_MAIN_WITH_SETUP(kiv, Setup)

#include "QmlMain.moc"
