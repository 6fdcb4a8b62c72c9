// Bytes packed by Python: `code` runs after `import sys, struct, calib_blocks as cb` (the
// simulator's table packer) and writes to `out`.
#pragma once

#include <QProcess>
#include <gtest/gtest.h>

inline QByteArray caliPy(const QString& code) {
  QProcess p;
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
          {QStringLiteral("-c"), QStringLiteral("import sys, struct\nsys.path.insert(0, '" OSTREL_CAMSIM_DIR
                                                "')\nimport calib_blocks as cb\nout = sys.stdout.buffer\n") +
                                     code});
  p.waitForFinished(20000);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return p.readAllStandardOutput();
}
