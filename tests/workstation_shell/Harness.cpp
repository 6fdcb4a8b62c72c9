// A small program around the workstation's start-up and shutdown, copied by the tests into a
// folder of their own so its "Calorvue-Config" and "Calorvue-Log" are theirs:
//   Harness quit            start-up, a view that warns and quits, a second start-up, shutdown
//   Harness live <address>  start-up, a tab with a live module on that camera, "live" on stdout,
//                           then the event loop until a signal ends it, shutdown
// The exit code is appExec's, or 90 and up when a step failed.
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

#include "qorn/QornInit.h"
#include "program/AppStartup.h"
#include "program/CApp.h"
#include "modules/CModuleInputIr.h"

namespace {

int countEntries(const QString& dir) { return static_cast<int>(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 99;
  const char* mode = argv[1];
  appStartup(&argc, argv);
  CApp* app = appObject();
  if (!app) return 98;

  if (std::strcmp(mode, "quit") == 0) {
    const QString dir = appDirPath();
    const int before = countEntries(dir) + countEntries(dir + "/Calorvue-Config") + countEntries(dir + "/Calorvue-Log");
    if (appStartup(&argc, argv) != 0 || appObject() != app) return 97;
    const int after = countEntries(dir) + countEntries(dir + "/Calorvue-Config") + countEntries(dir + "/Calorvue-Log");
    if (after != before) return 96;
    // The renderer was set up, and the environment points Qt at the configuration folder.
    if (!qornInitialized()) return 92;
    if (qgetenv("QT_QUICK_CONTROLS_CONF") != (dir + "/Calorvue-Config/qtquickcontrols2.conf").toLocal8Bit()) return 91;
    if (qgetenv("QT_LOGGING_CONF") != (dir + "/Calorvue-Config/qtlogging.ini").toLocal8Bit()) return 90;
    const int rc = appExec("qrc:/test/QuitSoon.qml");
    appShutdown();
    return rc;
  }
  if (std::strcmp(mode, "live") == 0 && argc >= 3) {
    CTabManager* tabs = app->tabManager();
    CTab* tab = tabs->tab_create();
    CInputIr* input = app->inputManager()->device_createIr(QString::fromUtf8(argv[2]), false);
    if (!input) return 95;
    auto* module = qobject_cast<CModuleInputIr*>(tabs->module_create(1, input, tab->frame(0)));
    if (!module) return 94;
    if (module->loadData() != 0 || !input->isOpen()) return 93;
    std::printf("live\n");
    std::fflush(stdout);
    const int rc = appExec("qrc:/test/Idle.qml");
    appShutdown();
    return rc;
  }
  return 99;
}
