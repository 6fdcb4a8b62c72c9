// Shared pieces of the exporter tests: scratch folders, stream fixtures written
// with the SDK's stream writer, jobs filled like an image module fills them, and the Python
// readers that check the files independently.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "QtTestKit.h"
#include "FrameKit.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "files/StreamFile.h"
#include "exporter/ImageExporter.h"

namespace exporter {

// Runs a reader of check_exports.py; its JSON answer, or an empty object after a failed check.
inline QJsonObject py(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
          QStringList{QStringLiteral(OSTREL_TEST_SOURCE_DIR "/check_exports.py")} + args);
  const bool done = p.waitForFinished(120000);
  EXPECT_TRUE(done) << args.join(' ').toStdString();
  EXPECT_EQ(p.exitCode(), 0) << args.join(' ').toStdString() << ": " << p.readAllStandardError().toStdString();
  return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

inline QString sha256(const void* data, size_t n) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QByteArrayView(static_cast<const char*>(data), qsizetype(n)), QCryptographicHash::Sha256)
          .toHex());
}

inline QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Codes of frame f: a ramp that moves with the frame, so every frame differs.
inline ostrel::test::TestFrame streamFrame(int w, int h, int f) {
  ostrel::test::TestFrame t = ostrel::test::rampFrame(w, h, int16_t(2000 + 37 * f), 3, 100);
  t.head.frameIndex = uint16_t(f);
  t.head.time = int64_t(f) * 400000;
  for (int x = 0; x < w; x += 7) t.at(x, (x + f) % h) = int16_t(4000 + f);
  return t;
}

inline TempFileHead streamHead(int w, int h, int fpsNum, int fpsDiv) {
  TempFileHead head{};
  std::strncpy(head.cameraId, "EXPORT-TEST-01", sizeof head.cameraId);
  head.captureTime = 133000000000000000LL;
  head.width = uint16_t(w);
  head.height = uint16_t(h);
  head.fpsNum = uint16_t(fpsNum);
  head.fpsDiv = uint16_t(fpsDiv);
  head.paletteIndex = 5;
  head.version = 1;
  return head;
}

// A recording of n frames through the SDK's own writer. 0 or the writer's code.
inline int writeStream(const QString& path, int w, int h, int n, int fpsNum = 25, int fpsDiv = 1) {
  TempStreamGeometry g;
  if (TempStream_Geometry(w, h, TF_MIN_PIXELS, TF_MAX_PIXELS, &g) < 0) return -8;
  std::vector<uint8_t> area(size_t(g.firstFrame));
  const TempFileHead head = streamHead(w, h, fpsNum, fpsDiv);
  TempStream_BuildHeadArea(&g, &head, area.data(), int64_t(area.size()));
  ostrel::files::StreamWriter writer;
  const QByteArray p = path.toUtf8();
  int rc = writer.create(p.constData(), g, area.data());
  for (int f = 0; rc == 0 && f < n; ++f) {
    const ostrel::test::TestFrame t = streamFrame(w, h, f);
    rc = writer.appendFrame(&t.head, t.codes.data());
  }
  const int closed = writer.close();
  return rc != 0 ? rc : closed;
}

inline MeaItem makeItem(int type, std::initializer_list<std::pair<int, int>> points, const char* name = "") {
  MeaItem m{};
  std::strncpy(m.name, name, sizeof m.name - 1);
  m.meaColor = 0x00FF00;
  m.meaType = uint8_t(type);
  m.meaFlags = 3;
  m.pointCount = uint8_t(points.size());
  int i = 0;
  for (const auto& p : points) m.points[i++] = MeaPoint{uint16_t(p.first), uint16_t(p.second)};
  return m;
}

inline StretchCtl defaultStretch() {
  StretchCtl ctl{};
  if (StretchContext* s = strCreate()) {
    strGetCtl(s, &ctl);
    strFree(s);
  }
  return ctl;
}

// A job as an image module fills it for frame f of a w x h source: the frame coloured by the
// SDK, its head and codes, the record and the items' results.
struct JobSpec {
  int w = 320, h = 240;
  int frame = 0;
  int frameCount = 0;
  int fpsNum = 25, fpsDiv = 1;
  int palette = 5;
  std::vector<MeaItem> items;
  ExportSettings settings;
};

inline ExportJob* makeJob(const JobSpec& s) {
  ExportJob* job = ImageExporter::newJob(s.w, s.h);
  if (job == nullptr) return nullptr;
  const ostrel::test::TestFrame t = streamFrame(s.w, s.h, s.frame);
  std::memcpy(job->frame(), &t.head, sizeof t.head);
  std::memcpy(job->frame() + 128, t.codes.data(), t.codes.size() * 2);
  // A picture the tests can predict: B = x, G = y, R = x + y (low bytes).
  auto* px = reinterpret_cast<uint32_t*>(job->image);
  for (int y = 0; y < s.h; ++y)
    for (int x = 0; x < s.w; ++x) px[size_t(y) * s.w + x] = 0xFF000000u | (uint32_t((x + y) & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | uint32_t(x & 0xFF);
  TempFileConf& c = *job->conf;
  c.magic = TF_CONF_MAGIC;
  c.captureTime = 133000000000000000LL;
  std::strncpy(c.cameraId, "EXPORT-TEST-01", sizeof c.cameraId);
  c.width = uint16_t(s.w);
  c.height = uint16_t(s.h);
  c.fpsNum = uint16_t(s.fpsNum);
  c.fpsDiv = uint16_t(s.fpsDiv);
  c.frameCount = s.frameCount;
  c.paletteIndex = s.palette;
  const StretchCtl ctl = defaultStretch();
  std::memcpy(c.stretchCtl, &ctl, sizeof ctl);
  c.meaCount = int(s.items.size());
  for (size_t i = 0; i < s.items.size() && i < 32; ++i) {
    std::memcpy(c.meaItems[i], &s.items[i], sizeof(MeaItem));
    VEZ2024_GetResult(&s.items[i], &t.head, t.codes.data(), &job->results[i]);
  }
  job->barLow = 20.0f;
  job->barHigh = 40.0f;
  job->settings = s.settings;
  return job;
}

inline std::vector<MeaItem> sampleItems() {
  return {makeItem(0, {}, "global"), makeItem(1, {{40, 30}}, "P1"), makeItem(4, {{10, 10}, {100, 80}}, "L1"),
          makeItem(8, {{20, 20}, {60, 60}}, "odd"), makeItem(9, {{50, 50}, {120, 100}}, "R1")};
}

}  // namespace exporter
