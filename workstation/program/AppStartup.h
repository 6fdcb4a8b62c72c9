// The workstation program's start-up and shutdown, and the process-wide state they create: the
// executable and configuration folders, the application, the QML engine, the translator and the
// one application object. GUI thread only.
#pragma once

#include <QString>
#include <QtGlobal>

class CApp;
class QQmlApplicationEngine;
class QTranslator;

// Runs the start-up sequence once; later calls change nothing. Always 0.
int appStartup(int* argc, char** argv);
// Loads the view at `url` (UTF-8) and runs the event loop; its exit code, -7 before start-up, or
// -200 when the view does not load (the reason goes to standard error in one line).
int appExec(const char* url);
// Deletes the application object and closes the log; nothing before start-up.
void appShutdown();

// Stores the executable folder, creates "Calorvue-Config" and "Calorvue-Log" in it and points the
// default logger at "Calorvue-Log/Calorvue". The length of the folder path, or -1 when the
// executable's folder cannot be found (nothing is created then). Qt's messages and the quit
// signals are routed by the shared start-up pieces (foundation_qt/ProgramStartup.h).
int initAppFolders();

// Process-wide state; empty or null before start-up.
QString appDirPath();
// UTF-8 copy of the executable folder, at most 1023 bytes.
const char* appDirUtf8();
QString appConfigDir();
QQmlApplicationEngine* appEngine();
QTranslator* appTranslator();
CApp* appObject();
