#include <QDir>
#include <QQmlApplicationEngine>

#include "program/AppStartup.h"

int main(int argc, char** argv) {
  appStartup(&argc, argv);
  if (QQmlApplicationEngine* engine = appEngine()) {
    // Later paths are searched first: the copy beside the program wins over the build tree's.
#ifdef OSTREL_BUILD_QML_DIR
    engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
#endif
    engine->addImportPath(QDir(appDirPath()).filePath(QStringLiteral("qml")));
  }
  const int rc = appExec("qrc:/Views/Main.qml");
  appShutdown();
  return rc;
}
