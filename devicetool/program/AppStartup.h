// The device tool's start-up and shutdown: folders, Qt's environment and message handler, the
// SDK, the debug settings, the drawing resources, the application, the QML engine and the
// application object. GUI thread only.
#pragma once

#include <QString>
#include <QtGlobal>

class QQmlApplicationEngine;

namespace calorset {

class CApp;

// Runs once; later calls return 0 at once.
int appStartup(int* argc, char** argv);
// Loads the view and runs the event loop; its exit code, -7 before start-up, or -200 when the view
// does not load (the reason goes to standard error in one line).
int appExec(const char* url);
// After the event loop: the views go, then the application object (which stops the live device
// and logs out), then the log is closed.
void appShutdown();

QQmlApplicationEngine* appEngine();
CApp* appObject();

}  // namespace calorset
