// The Qt application every offscreen canvas case needs.
#include "PaintResources.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QGuiApplication app(argc, argv);
  initPaintResources();
  return RUN_ALL_TESTS();
}
