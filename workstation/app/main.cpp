#include "workstation/AppStartup.h"

int main(int argc, char** argv) {
  appStartup(&argc, argv);
  const int rc = appExec("qrc:/Views/Main.qml");
  appShutdown();
  return rc;
}
