#include <QDir>
#include <QQmlApplicationEngine>

#include "AppFolders.h"
#include "AppStartup.h"

int main(int argc, char** argv) {
  calorset::appStartup(&argc, argv);
  if (QQmlApplicationEngine* engine = calorset::appEngine()) {
    // Later paths are searched first: the copy beside the program wins over the build tree's.
#ifdef OSTREL_BUILD_QML_DIR
    engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
#endif
    engine->addImportPath(QDir(calorset::appDir()).filePath(QStringLiteral("qml")));
  }
  const int rc = calorset::appExec("qrc:/Views/Main.qml");
  calorset::appShutdown();
  return rc;
}
