// Start-up pieces every program of the suite runs the same way: the folders beside the
// executable, Qt's messages in the default logger, and SIGINT/SIGTERM ending the event loop as
// closing the main window does. Each program names its own folders. GUI thread only.
#pragma once

#include <QString>
#include <QtGlobal>

class QMessageLogContext;
class QQmlApplicationEngine;

namespace ostrel {

// Folders kept beside the executable. Each pattern holds one "%s", standing for the executable's
// folder ("%s/Calorvue-Config"); an empty pattern makes no folder.
struct ProgramFolderNames {
  QString config;
  QString data;
  QString log;
  QString logName;  // prefix of the log files inside the log folder ("Calorvue")
};

// The folders made, as absolute paths; empty where no pattern was given.
struct ProgramFolders {
  QString appDir;
  QString configDir;
  QString dataDir;
  QString logDir;
};

// Finds the executable's folder, creates the named folders in it and points the default logger at
// "<log folder>/<logName>". The length of the executable folder's path in bytes, or -1 when it
// cannot be found or a pattern does not hold exactly one "%s" (nothing is created then).
int initProgramFolders(const ProgramFolderNames& names, ProgramFolders* out);

// Routes Qt's messages into the default logger as "[<category>] <message>" at the matching level;
// critical and fatal ones also reach standard error, prefixed with the program's name. A message
// type Qt does not define is dropped. The X11 plug-in's "The X11 connection broke" warning (the
// display went away; Qt would exit(1) right after, tearing the process down under the program's
// threads) instead ends the program here: one log line, the display-lost hook on the GUI thread,
// then _exit with kDisplayLostExitCode.
void qtMessageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message);

// Status a program ends with when its display went away.
constexpr int kDisplayLostExitCode = 1;

// What a program must finish before it ends without its display: the files it is writing
// (recordings, exports). Runs once, on the GUI thread, with no event loop to come; it must not
// touch a window. Null: nothing to finish.
using DisplayLostHook = void (*)();
void setDisplayLostHook(DisplayLostHook hook);

// Loads the program's main view. A view that does not load (a missing plug-in, a style that does
// not exist) leaves no window, and the program would run on with nothing to close: then the
// engine's first error is logged and printed as one line on standard error, prefixed with
// `program`, and -200 is returned; 0 once a window exists.
int loadMainView(QQmlApplicationEngine* engine, const char* url, const char* program);

// Makes SIGINT and SIGTERM end the running event loop with exit code 0, so the program's normal
// shutdown runs. Needs the application object; later calls change nothing.
void installQuitSignals();

}  // namespace ostrel
