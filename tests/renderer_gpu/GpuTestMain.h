// Shared main of the GPU test programs.
#pragma once

#include <qorn/QornInit.h>

#include <gtest/gtest.h>

#include <QGuiApplication>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

inline int runGpuTests(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qornInit();
  QGuiApplication app(argc, argv);
  const int rc = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
  // Leak check while the graphics drivers are still loaded: what they keep for the process stays
  // reachable, anything the renderer lost does not. Their own teardown at exit (JIT code,
  // unloaded modules with no symbols) is then not checked again.
  __lsan_do_leak_check();
#endif
  return rc;
}
