#include "ViewFixture.h"

#include <cstring>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "exporter/ImageExporter.h"
#include "files/StreamFile.h"

namespace viewfixture {

namespace {

// Codes are hundredths of a degree (scale 100, offset 0).
ostrel::test::TestFrame frame(int i) {
  ostrel::test::TestFrame t = ostrel::test::flatFrame(kWidth, kHeight, 2000, 100);
  t.head.frameIndex = uint16_t(i);
  t.head.time = int64_t(i) * 400000;
  const int cx = blockColumn(i);
  for (int y = kBlockRow - 4; y <= kBlockRow + 4; ++y)
    for (int x = cx - 4; x <= cx + 4; ++x) t.at(x, y) = 8000;
  return t;
}

int writeStream(const QByteArray& path) {
  TempStreamGeometry g;
  int rc = TempStream_Geometry(kWidth, kHeight, TF_MIN_PIXELS, TF_MAX_PIXELS, &g);
  if (rc < 0) return rc;
  std::vector<uint8_t> area(size_t(g.firstFrame));
  TempFileHead head{};
  std::strncpy(head.cameraId, "VIEW-FIXTURE", sizeof head.cameraId);
  head.captureTime = 133000000000000000LL;
  head.width = kWidth;
  head.height = kHeight;
  head.fpsNum = 25;
  head.fpsDiv = 1;
  head.version = 1;
  TempStream_BuildHeadArea(&g, &head, area.data(), int64_t(area.size()));
  ostrel::files::StreamWriter writer;
  rc = writer.create(path.constData(), g, area.data());
  for (int i = 0; rc == 0 && i < kFrames; ++i) {
    const ostrel::test::TestFrame t = frame(i);
    rc = writer.appendFrame(&t.head, t.codes.data());
  }
  const int closed = writer.close();
  return rc != 0 ? rc : closed;
}

// Frame 0 as a picture module exports it: the colours the SDK gives the stream's frame, the
// frame's head and codes, the stream's record, with its radiometric blocks.
int writePicture(const QByteArray& stream, const QString& path) {
  TFContext* tf = TF_Create();
  if (tf == nullptr) return -5;
  int rc = TF_Open(tf, stream.constData(), 2);
  ExportJob* job = rc < 0 ? nullptr : ImageExporter::newJob(kWidth, kHeight);
  TFFrame f{};
  if (rc >= 0 && job == nullptr) rc = -5;
  if (rc >= 0) rc = TF_ReadFrame(tf, 0, &f);
  if (rc >= 0) {
    const size_t pixels = size_t(kWidth) * kHeight;
    std::memcpy(job->image, f.bgra, pixels * 4);
    std::memcpy(job->frame(), f.head, sizeof(DataFrameHead));
    std::memcpy(job->frame() + sizeof(DataFrameHead), f.data, pixels * 2);
    TempFileConf& c = *job->conf;
    c.magic = TF_CONF_MAGIC;
    c.captureTime = 133000000000000000LL;
    std::strncpy(c.cameraId, "VIEW-FIXTURE", sizeof c.cameraId);
    c.width = kWidth;
    c.height = kHeight;
    c.fpsNum = 25;
    c.fpsDiv = 1;
    if (StretchContext* s = strCreate()) {
      StretchCtl ctl{};
      strGetCtl(s, &ctl);
      std::memcpy(c.stretchCtl, &ctl, sizeof ctl);
      strFree(s);
    }
    job->kind = 1;
    job->settings = ExportSettings{0, false, true};
    ExportWorker worker;
    rc = worker.run(path, job);
    job = nullptr;
  }
  exportJobFree(job);
  TF_Free(&tf);
  return rc < 0 ? rc : 0;
}

}  // namespace

int write(const QString& dir) {
  const QByteArray stream = (dir + QStringLiteral("/run.stream")).toUtf8();
  const int rc = writeStream(stream);
  return rc < 0 ? rc : writePicture(stream, dir + QStringLiteral("/run.jpg"));
}

}  // namespace viewfixture
