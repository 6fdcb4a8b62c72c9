// Exports of a recording: cuts compared byte for byte with Python's struct, picture series read
// back by the SDK, videos probed by ffprobe and compared with ffmpeg's decoding.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <fcntl.h>

#include "ExporterSupport.h"

using namespace exporter;

namespace {

class StreamExport : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ExportWorker worker;
  QString path(const QString& name) const { return dir.filePath(name); }

  // A job of `kind` over `stream` (n frames of w x h) with the given range.
  ExportJob* streamJob(const QString& stream, int kind, int n, int begin, int end, int interval, int w = 320,
                       int h = 240, ExportSettings settings = ExportSettings{0, false, false}, int fpsNum = 25,
                       int fpsDiv = 1) {
    JobSpec s;
    s.w = w;
    s.h = h;
    s.frameCount = n;
    s.fpsNum = fpsNum;
    s.fpsDiv = fpsDiv;
    s.settings = settings;
    s.items = sampleItems();
    ExportJob* job = makeJob(s);
    if (job == nullptr) return nullptr;
    job->kind = kind;
    const QByteArray src = stream.toUtf8();
    std::strncpy(job->source, src.constData(), sizeof job->source - 1);
    job->begin = begin;
    job->end = end;
    job->interval = interval;
    return job;
  }
};

// Lets no file of this process grow past `bytes` while it lives: a write beyond fails with EFBIG
// (the signal that would end the process is ignored), as on a disk that fills up part-way.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    ok_ = ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
  bool ok_ = false;
};

QStringList indexArgs(std::initializer_list<int> indices) {
  QStringList out;
  for (int i : indices) out << QString::number(i);
  return out;
}

}  // namespace

TEST(ExportRangeRule, ValidRangesStepAndInvalidOnesTakeEverything) {
  ExportRange r = exportRange(2, 5, 1, 10);
  EXPECT_EQ(r.first, 1);
  EXPECT_EQ(r.stop, 4);
  EXPECT_EQ(r.count(), 3);
  r = exportRange(1, 11, 3, 10);
  EXPECT_EQ(r.count(), 4);  // 0, 3, 6, 9
  for (auto bad : {exportRange(0, 5, 1, 10), exportRange(2, 5, 0, 10), exportRange(1, 12, 1, 10)}) {
    EXPECT_EQ(bad.first, 0);
    EXPECT_EQ(bad.count(), 10);
    EXPECT_EQ(bad.step, 1);
  }
  EXPECT_EQ(exportRange(5, 5, 1, 10).count(), 0);
  EXPECT_EQ(exportRange(9, 3, 1, 10).count(), 0);
  EXPECT_EQ(exportRange(0, 0, 0, 0).count(), 0);
}

TEST_F(StreamExport, CutCopiesTheSelectedFramesByteForByte) {
  const QString src = path("src.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 10, 30, 2), 0);
  const QString cut = path("cut.stream");
  ASSERT_EQ(worker.run(cut, streamJob(src, 2, 10, 2, 5, 1, 320, 240, ExportSettings{2, true, true}, 30, 2)), 0);
  QJsonObject o = py(QStringList{"cut", src, cut} + indexArgs({1, 2, 3}));
  EXPECT_TRUE(o["equal"].toBool());
  EXPECT_TRUE(o["conf_tail"].toBool());
  EXPECT_EQ(o["bm_size"].toInt(), 4 * 320 * 240 + 54);
  EXPECT_EQ(o["fpsNum"].toInt(), 30);
  EXPECT_EQ(o["fpsDiv"].toInt(), 2);
  EXPECT_EQ(o["head_width"].toInt(), 320);
  EXPECT_EQ(o["palette"].toInt(), 5);

  ASSERT_EQ(worker.run(cut, streamJob(src, 2, 10, 1, 11, 3, 320, 240, {}, 30, 2)), 0);
  o = py(QStringList{"cut", src, cut} + indexArgs({0, 3, 6, 9}));
  EXPECT_TRUE(o["equal"].toBool());
  EXPECT_EQ(o["fpsDiv"].toInt(), 6) << "interval 3 plays at a third of the rate";

  // A slowed rate whose denominator passes 16 bits keeps its value: 30 / (40000 x 2) = 3 / 8000.
  ASSERT_EQ(worker.run(cut, streamJob(src, 2, 10, 1, 3, 2, 320, 240, {}, 30, 40000)), 0);
  o = py(QStringList{"cut", src, cut} + indexArgs({0}));
  EXPECT_EQ(o["fpsNum"].toInt(), 3);
  EXPECT_EQ(o["fpsDiv"].toInt(), 8000);

  ASSERT_EQ(worker.run(cut, streamJob(src, 2, 10, 0, 5, 1)), 0);
  o = py(QStringList{"cut", src, cut} + indexArgs({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_TRUE(o["equal"].toBool()) << "begin 0 takes every frame";

  // The cut opens as a recording with its frames.
  TFContext* tf = TF_Create();
  const QByteArray c = cut.toUtf8();
  ASSERT_EQ(TF_Open(tf, c.constData(), TfOpenType_Stream), 0);
  TFFrame f{};
  ASSERT_EQ(TF_ReadFrame(tf, 9, &f), 0);
  EXPECT_EQ(f.head->frameIndex, 9);
  TF_Free(&tf);
}

TEST_F(StreamExport, CutRefusesItsOwnSourceAndAnEmptySelection) {
  const QString src = path("self.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 4), 0);
  const QByteArray before = readAll(src);
  EXPECT_EQ(worker.run(src, streamJob(src, 2, 4, 1, 5, 1)), -8);
  // The same file under another spelling of its path.
  EXPECT_EQ(worker.run(dir.path() + "/./sub/../self.stream", streamJob(src, 2, 4, 1, 5, 1)), -8);
  EXPECT_EQ(readAll(src), before) << "the source is untouched";
  const QString none = path("none.stream");
  EXPECT_EQ(worker.run(none, streamJob(src, 2, 4, 3, 3, 1)), -8);
  EXPECT_EQ(worker.run(path("none.mp4"), streamJob(src, 3, 4, 4, 4, 1)), -8);
  EXPECT_EQ(worker.run(path("none.jpg"), [&] {
    ExportJob* j = streamJob(src, 2, 4, 2, 2, 1);
    j->split = 1;
    return j;
  }()), -8);
  EXPECT_FALSE(QFileInfo::exists(none));
  EXPECT_FALSE(QFileInfo::exists(path("none.mp4")));
  EXPECT_FALSE(QFileInfo::exists(path("none")));
  EXPECT_EQ(worker.run(path("missing.stream"), streamJob(path("nothing-here.stream"), 2, 4, 1, 5, 1)), -200);
}

TEST_F(StreamExport, CutReachesFramesBeyondTwoGigabytes) {
  // 1280 x 1024: frame k starts at k * 2621568 + 5244096; frame 849 lies past 2^31.
  const int w = 1280, h = 1024, n = 850;
  const QString src = path("sparse.stream");
  ASSERT_EQ(writeStream(src, w, h, 1), 0);
  TempStreamGeometry g;
  ASSERT_EQ(TempStream_Geometry(w, h, TF_MIN_PIXELS, TF_MAX_PIXELS, &g), 0);
  const int64_t last = g.firstFrame + int64_t(n - 1) * g.frameSize;
  ASSERT_GT(last, int64_t(1) << 31);
  {
    const ostrel::test::TestFrame t = streamFrame(w, h, n - 1);
    const int fd = ::open(src.toUtf8().constData(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, &t.head, 128, off_t(last)), 128);
    const ssize_t codes = ssize_t(t.codes.size() * 2);
    ASSERT_EQ(::pwrite(fd, t.codes.data(), size_t(codes), off_t(last + 128)), codes);
    ::close(fd);
  }
  const QString cut = path("tail.stream");
  ASSERT_EQ(worker.run(cut, streamJob(src, 2, n, n - 1, n + 1, 1, w, h)), 0);
  const QJsonObject o = py(QStringList{"cut", src, cut} + indexArgs({n - 2, n - 1}));
  EXPECT_TRUE(o["equal"].toBool());
  const ostrel::test::TestFrame t = streamFrame(w, h, n - 1);
  const QByteArray data = readAll(cut);
  ASSERT_EQ(data.size(), g.firstFrame + 2 * g.frameSize + 7308);
  EXPECT_EQ(std::memcmp(data.constData() + g.firstFrame + g.frameSize + 128, t.codes.data(), t.codes.size() * 2), 0);
}

TEST_F(StreamExport, PictureSeriesGoesToAFolderNamedAfterTheTarget) {
  const QString src = path("series.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 6), 0);
  ASSERT_TRUE(QDir(dir.path()).mkpath("a.b"));
  ExportJob* job = streamJob(src, 2, 6, 2, 7, 2, 320, 240, ExportSettings{2, true, true});
  job->split = 1;
  ASSERT_EQ(worker.run(path("a.b/run.jpg"), job), 0);
  const QDir folder(path("a.b/run"));
  ASSERT_TRUE(folder.exists());
  EXPECT_EQ(folder.entryList(QDir::Files), QStringList({"0001.jpg", "0002.jpg", "0003.jpg"}));
  TFContext* tf = TF_Create();
  const int indices[] = {1, 3, 5};
  for (int k = 0; k < 3; ++k) {
    const QString file = folder.filePath(QString::asprintf("%04d.jpg", k + 1));
    const QByteArray p = file.toUtf8();
    ASSERT_EQ(TF_Open(tf, p.constData(), TfOpenType_Picture), 0) << k;
    TFFrame f{};
    ASSERT_EQ(TF_ReadFrame(tf, 0, &f), 0);
    const ostrel::test::TestFrame t = streamFrame(320, 240, indices[k]);
    EXPECT_EQ(std::memcmp(f.data, t.codes.data(), t.codes.size() * 2), 0) << k;
    TFRaw raw{};
    ASSERT_EQ(TF_ReadRaw(tf, &raw), 0);
    EXPECT_EQ(raw.conf->meaCount, 5) << "the recording's items travel with every picture";
    const QJsonObject pic = py({"picture", file});
    EXPECT_EQ(pic["format"].toString(), "PNG");
    EXPECT_EQ(pic["width"].toInt(), 720);
  }
  TF_Free(&tf);

  // No dot in the name: the whole target names the folder.
  job = streamJob(src, 2, 6, 1, 2, 1);
  job->split = 1;
  ASSERT_EQ(worker.run(path("plainrun"), job), 0);
  EXPECT_TRUE(QFileInfo::exists(path("plainrun/0001.jpg")));
}

TEST_F(StreamExport, PicturesThatCannotBeCreatedAreReportedAfterTheRest) {
  const QString src = path("blocked.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 4), 0);
  // 0002.jpg is taken by a folder: that picture fails, the others are written.
  ASSERT_TRUE(QDir(dir.path()).mkpath("out/0002.jpg"));
  ExportJob* job = streamJob(src, 2, 4, 0, 0, 0);
  job->split = 1;
  EXPECT_EQ(worker.run(path("out.jpg"), job), -200);
  for (const char* name : {"out/0001.jpg", "out/0003.jpg", "out/0004.jpg"})
    EXPECT_TRUE(QFileInfo(path(name)).size() > 0) << name;
  // A folder that cannot be made at all (its parent is a file).
  QFile file(path("afile"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  job = streamJob(src, 2, 4, 0, 0, 0);
  job->split = 1;
  EXPECT_EQ(worker.run(path("afile/run.jpg"), job), -200);
}

TEST_F(StreamExport, VideoWithOverlaysMatchesTheExportPicture) {
  const QString src = path("video.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 8, 30, 1), 0);
  const ExportSettings overlay{2, true, false};
  const QString mp4 = path("overlay.mp4");
  ASSERT_EQ(worker.run(mp4, streamJob(src, 3, 8, 1, 8, 2, 320, 240, overlay, 30, 1)), 0);
  QJsonObject o = py({"mp4", mp4});
  EXPECT_EQ(o["codec"].toString(), "h264");
  EXPECT_EQ(o["width"].toInt(), 720);
  EXPECT_EQ(o["height"].toInt(), 480);
  EXPECT_EQ(o["frames"].toInt(), 4);  // indices 0, 2, 4, 6
  EXPECT_EQ(o["rate_num"].toInt() * 2, o["rate_den"].toInt() * 30) << "30 / (1 x 2) frames per second";

  // The first frame against the picture the series export draws for the same frame.
  ExportJob* series = streamJob(src, 2, 8, 1, 2, 1, 320, 240, overlay, 30, 1);
  series->split = 1;
  ASSERT_EQ(worker.run(path("first.jpg"), series), 0);
  o = py({"psnr", mp4, path("first/0001.jpg")});
  EXPECT_GT(o["psnr"].toDouble(), 30.0);
}

TEST_F(StreamExport, VideoSizesAndRates) {
  // Plain: the source size; odd sizes lose their last row.
  const QString src = path("plain.stream");
  ASSERT_EQ(writeStream(src, 640, 512, 5), 0);
  const QString mp4 = path("plain.mp4");
  ASSERT_EQ(worker.run(mp4, streamJob(src, 3, 5, 0, 0, 0, 640, 512, ExportSettings{0, false, false}, 25, 1)), 0);
  QJsonObject o = py({"mp4", mp4});
  EXPECT_EQ(o["width"].toInt(), 640);
  EXPECT_EQ(o["height"].toInt(), 512);
  EXPECT_EQ(o["frames"].toInt(), 5);
  EXPECT_EQ(o["rate_num"].toInt(), 25);
  EXPECT_EQ(o["rate_den"].toInt(), 1);

  // 384 x 57 scales to 640 x 95: the bar strip makes 720 x 95, recorded as 720 x 94.
  const QString odd = path("odd.stream");
  ASSERT_EQ(writeStream(odd, 384, 57, 3), 0);
  ASSERT_EQ(worker.run(path("odd.mp4"), streamJob(odd, 3, 3, 0, 0, 0, 384, 57, ExportSettings{2, false, false})), 0);
  o = py({"mp4", path("odd.mp4")});
  EXPECT_EQ(o["width"].toInt(), 720);
  EXPECT_EQ(o["height"].toInt(), 94);
  EXPECT_EQ(o["frames"].toInt(), 3);

  // A denominator past 16 bits keeps its rate: 25 / (40000 x 2) = 1 / 3200.
  ASSERT_EQ(worker.run(path("slow.mp4"), streamJob(src, 3, 5, 1, 5, 2, 640, 512, {0, false, false}, 25, 40000)), 0);
  o = py({"mp4", path("slow.mp4")});
  EXPECT_EQ(o["frames"].toInt(), 2);
  EXPECT_DOUBLE_EQ(o["rate_num"].toDouble() / o["rate_den"].toDouble(), 1.0 / 3200);
  // No rate at all: the player's 10 frames per second, slowed by the step.
  ASSERT_EQ(worker.run(path("norate.mp4"), streamJob(src, 3, 5, 1, 6, 2, 640, 512, {0, false, false}, 25, 0)), 0);
  o = py({"mp4", path("norate.mp4")});
  EXPECT_EQ(o["rate_num"].toInt(), 5);
  EXPECT_EQ(o["rate_den"].toInt(), 1);
}

// The video is encoded beside the reading and drawing: a frame that cannot be read ends the
// export without a file, a file that cannot take the video fails the export instead of hanging
// it, and the worker takes the next job either way.
TEST_F(StreamExport, VideoStopsAtTheFirstFailureAndKeepsWhatCameBefore) {
  const QString src = path("short.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 6), 0);
  const ExportSettings overlay{2, true, false};
  const QString cut = path("cut.mp4");
  EXPECT_LT(worker.run(cut, streamJob(src, 3, 12, 0, 0, 0, 320, 240, overlay)), 0) << "frames 6..11 are missing";
  EXPECT_FALSE(QFileInfo::exists(cut)) << "an unfinished video is no export";

  {
    const FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    EXPECT_LT(worker.run(path("full.mp4"), streamJob(src, 3, 6, 0, 0, 0, 320, 240, overlay)), 0);
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"short.stream"}));
  QJsonObject o;

  ASSERT_EQ(worker.run(path("after.mp4"), streamJob(src, 3, 6, 2, 6, 1, 320, 240, overlay)), 0);
  o = py({"mp4", path("after.mp4")});
  EXPECT_EQ(o["frames"].toInt(), 4);
}


// Every export replaces its files only when they are complete: a writer that fails part-way
// leaves the files that were there byte for byte, and no partial file beside them.
TEST_F(StreamExport, FailedExportsLeaveTheOldFilesAsTheyWere) {
  const QString src = path("source.stream");
  ASSERT_EQ(writeStream(src, 320, 240, 6), 0);
  ASSERT_TRUE(QDir(dir.path()).mkpath("old"));
  QStringList targets{"old.jpg", "old.stream", "old.mp4", "old/0001.jpg", "old/0002.jpg", "old/0003.jpg"};
  QHash<QString, QByteArray> before;
  for (const QString& t : targets) {
    QFile f(path(t));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray old = QByteArray("old ") + t.toUtf8() + QByteArray(3000, 'x');
    ASSERT_EQ(f.write(old), old.size());
    before.insert(t, old);
  }
  const ExportSettings overlay{2, true, true};
  ExportJob* picture = streamJob(src, 1, 6, 0, 0, 0, 320, 240, overlay);
  ExportJob* cut = streamJob(src, 2, 6, 1, 6, 1);
  ExportJob* series = streamJob(src, 2, 6, 1, 4, 1, 320, 240, overlay);
  series->split = 1;
  ExportJob* video = streamJob(src, 3, 6, 0, 0, 0, 320, 240, overlay);
  {
    const FileSizeLimit limit(2048);
    ASSERT_TRUE(limit.ok());
    EXPECT_LT(worker.run(path("old.jpg"), picture), 0);
    EXPECT_LT(worker.run(path("old.stream"), cut), 0);
    EXPECT_LT(worker.run(path("old.jpg"), series), 0);
    EXPECT_LT(worker.run(path("old.mp4"), video), 0);
  }
  for (const QString& t : targets) EXPECT_EQ(readAll(path(t)), before.value(t)) << t.toStdString();
  QStringList left = QDir(dir.path()).entryList(QDir::Files);
  left.sort();
  EXPECT_EQ(left, QStringList({"old.jpg", "old.mp4", "old.stream", "source.stream"}));
  EXPECT_EQ(QDir(path("old")).entryList(QDir::Files), QStringList({"0001.jpg", "0002.jpg", "0003.jpg"}));

  // Without the limit the same exports replace them.
  ASSERT_EQ(worker.run(path("old.stream"), streamJob(src, 2, 6, 1, 6, 1)), 0);
  EXPECT_TRUE(py(QStringList{"cut", src, path("old.stream")} + indexArgs({0, 1, 2, 3, 4}))["equal"].toBool());
  ASSERT_EQ(worker.run(path("old.mp4"), streamJob(src, 3, 6, 0, 0, 0, 320, 240, overlay)), 0);
  EXPECT_EQ(py({"mp4", path("old.mp4")})["frames"].toInt(), 6);
}
