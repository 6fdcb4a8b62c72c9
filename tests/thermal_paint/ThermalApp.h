// One QGuiApplication for the offscreen suites (their main comes from GoogleTest), made after
// the renderer's process set-up as programs do it.
#pragma once

#include <qorn/QornInit.h>

#include <QGuiApplication>

inline void ensureThermalApp() {
  static int argc = 1;
  static char name[] = "test_thermal_paint";
  static char *argv[] = {name, nullptr};
  static QGuiApplication *app = nullptr;
  if (!app) {
    qornInit();
    app = new QGuiApplication(argc, argv);
  }
}
