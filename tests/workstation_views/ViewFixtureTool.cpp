// write-view-fixture <folder>: writes the file views' recording and picture into the folder.
#include <QGuiApplication>
#include <cstdio>

#include "OstrelSDK.h"
#include "ViewFixture.h"

int main(int argc, char** argv) {
  // The exporter draws the picture with Qt's painter, which needs the application object.
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: write-view-fixture <folder>\n");
    return 2;
  }
  Ostrel_InitSDK();
  const int rc = viewfixture::write(QString::fromLocal8Bit(argv[1]));
  Ostrel_FreeSDK();
  if (rc < 0) std::fprintf(stderr, "write-view-fixture: %d\n", rc);
  return rc < 0 ? 1 : 0;
}
