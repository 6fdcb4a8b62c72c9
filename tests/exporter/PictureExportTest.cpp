// Pictures of one frame: size and colour bar, burnt-in items, the radiometric blocks behind the
// PNG, read back by Pillow, by Python's struct and by the SDK's own picture reader.
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "ExporterSupport.h"
#include "exporter/ExportPng.h"

using namespace exporter;

namespace {

class PictureExport : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  ExportWorker worker;
  QString path(const QString& name) const { return dir.filePath(name); }
};

// The colour of palette `index` shown at row r (hottest on top) of a 1 x 256 bar picture.
std::vector<uint32_t> paletteColours(int index) {
  int n = 0;
  PaletteData* table = Ostrel_AllocPaletteData(&n);
  std::vector<uint32_t> out;
  if (table != nullptr && index < n)
    for (int r = 0; r < 256; ++r) out.push_back(table[index].colors[255 - r] & 0xFFFFFFu);
  Ostrel_FreePaletteData(&table);
  return out;
}

uint32_t rgbOf(const QJsonArray& px) {
  return (uint32_t(px[0].toInt()) << 16) | (uint32_t(px[1].toInt()) << 8) | uint32_t(px[2].toInt());
}

}  // namespace

TEST_F(PictureExport, SizeAndColourBarFollowTheSetting) {
  const std::vector<uint32_t> bar = paletteColours(5);
  ASSERT_EQ(bar.size(), 256u);
  struct Case {
    int colorbar, width, height;
  } cases[] = {{2, 720, 480}, {1, 640, 480}, {0, 640, 480}};
  for (const Case& c : cases) {
    JobSpec s;
    s.settings = ExportSettings{c.colorbar, false, false};
    const QString file = path(QString("bar%1.jpg").arg(c.colorbar));
    ASSERT_EQ(worker.run(file, makeJob(s)), 1) << c.colorbar;
    // Bar rectangle: x from W + 60 + d over 16 columns, rows 38 .. H - 38 (d = -80 inside).
    const int barX = (c.colorbar == 2 ? 640 : 560) + 60 + 8;
    QStringList probes;
    const int rows[] = {12, 128, 243};
    for (int r : rows) probes << QString("%1,%2").arg(barX).arg(38 + int((r + 0.5) * (480 - 76) / 256.0));
    const QJsonObject o = py(QStringList{"picture", file} + probes);
    EXPECT_EQ(o["format"].toString(), "PNG");
    EXPECT_EQ(o["width"].toInt(), c.width) << c.colorbar;
    EXPECT_EQ(o["height"].toInt(), c.height) << c.colorbar;
    const QJsonArray px = o["pixels"].toArray();
    for (int i = 0; i < 3; ++i) {
      const uint32_t got = rgbOf(px[i].toArray());
      const int r = rows[i];
      const bool onBar = got == bar[r] || got == bar[r - 1] || got == bar[r + 1];
      EXPECT_EQ(onBar, c.colorbar != 0) << "colorbar " << c.colorbar << " row " << r << " got " << std::hex << got;
    }
  }
}

TEST_F(PictureExport, FullWidthSourceKeepsItsPixelsAndAPlainPngHasNothingBehind) {
  JobSpec s;
  s.w = 640;
  s.h = 512;
  s.settings = ExportSettings{0, false, false};
  const QString file = path("plain.jpg");
  ASSERT_EQ(worker.run(file, makeJob(s)), 1);
  const QJsonObject o = py({"picture", file, "0,0", "300,200", "639,511"});
  EXPECT_EQ(o["width"].toInt(), 640);
  EXPECT_EQ(o["height"].toInt(), 512);
  EXPECT_EQ(o["png_length"].toInt(), o["file_length"].toInt()) << "a plain export is the PNG alone";
  // Not scaled: the pixels are the job's picture (B = x, G = y, R = x + y, low bytes).
  const QJsonArray px = o["pixels"].toArray();
  EXPECT_EQ(rgbOf(px[0].toArray()), 0u);
  EXPECT_EQ(rgbOf(px[1].toArray()), (uint32_t(500 & 0xFF) << 16) | (200u << 8) | (300u & 0xFF));
  EXPECT_EQ(rgbOf(px[2].toArray()), (uint32_t((639 + 511) & 0xFF) << 16) | (uint32_t(511 & 0xFF) << 8) | (639u & 0xFF));
  s.settings.colorbar = 2;
  ASSERT_EQ(worker.run(file, makeJob(s)), 1);
  EXPECT_EQ(py({"picture", file})["width"].toInt(), 720);
}

TEST_F(PictureExport, RadiometricPictureReopensWithItsCodesAndEveryItem) {
  JobSpec s;
  s.frame = 3;
  s.items = sampleItems();
  s.palette = 7;
  s.settings = ExportSettings{2, true, true};
  ExportJob* job = makeJob(s);
  ASSERT_NE(job, nullptr);
  const QString frameSha = sha256(job->frame(), size_t(2 * 320 * 240 + 128));
  const QString file = path("radiometric.jpg");
  ASSERT_EQ(worker.run(file, job), 1);

  const QJsonObject b = py({"blocks", file});
  EXPECT_EQ(b["frame_sha256"].toString(), frameSha);
  EXPECT_EQ(b["png_length"].toInt(), b["image_length"].toInt()) << "the PNG runs up to the ConfBlock";
  const QJsonObject conf = b["conf"].toObject();
  EXPECT_EQ(conf["length"].toInt(), 7264);
  EXPECT_EQ(conf["meaCount"].toInt(), 5);
  EXPECT_EQ(conf["paletteIndex"].toInt(), 7);
  EXPECT_EQ(conf["types"].toArray(), QJsonArray({0, 1, 4, 8, 9})) << "types 4 and 8 travel though not drawn";
  EXPECT_EQ(b["temp"].toObject()["header_width"].toInt(), 320);
  EXPECT_EQ(py({"picture", file})["width"].toInt(), 720);

  // The SDK reads it as a picture: the same codes and the same record.
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  const QByteArray p = file.toUtf8();
  ASSERT_EQ(TF_Open(tf, p.constData(), TfOpenType_Picture), 0);
  TFFrame f{};
  ASSERT_EQ(TF_ReadFrame(tf, 0, &f), 0);
  const ostrel::test::TestFrame src = streamFrame(320, 240, 3);
  EXPECT_EQ(std::memcmp(f.data, src.codes.data(), src.codes.size() * 2), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(tf, &raw), 0);
  EXPECT_EQ(raw.conf->meaCount, 5);
  EXPECT_EQ(raw.conf->meaItems[3][68], 8);
  TF_Free(&tf);
}

TEST_F(PictureExport, NoisyPictureLongerThanTheImageAreaIsWrittenWhole) {
  JobSpec s;
  s.w = 160;
  s.h = 120;
  s.settings = ExportSettings{2, false, true};
  ExportJob* job = makeJob(s);
  ASSERT_NE(job, nullptr);
  uint32_t seed = 12345;
  auto* px = reinterpret_cast<uint32_t*>(job->image);
  for (int i = 0; i < 160 * 120; ++i) {
    seed = seed * 1664525u + 1013904223u;
    px[i] = 0xFF000000u | (seed >> 8);
  }
  const QString file = path("noisy.jpg");
  ASSERT_EQ(worker.run(file, job), 1);
  const QJsonObject b = py({"blocks", file});
  EXPECT_GT(b["png_length"].toInt(), 160 * 120 * 4) << "the case needs a PNG longer than the area";
  EXPECT_EQ(b["png_length"].toInt(), b["image_length"].toInt()) << "the PNG is whole and the blocks follow it";
  const QJsonObject pic = py({"picture", file});
  EXPECT_EQ(pic["width"].toInt(), 720);
  EXPECT_EQ(pic["height"].toInt(), 480);
}

// The PNG writer's stored blocks hold 65535 bytes each, so rows of odd length straddle them; a
// single pixel and a tiny picture have one short block. Pillow, zlib and Qt's libpng reader each
// get back every pixel, the alpha byte left out.
TEST_F(PictureExport, PngWriterKeepsEveryPixelAcrossStoredBlocks) {
  const QSize sizes[] = {{1, 1}, {5, 3}, {641, 103}};
  uint32_t seed = 777;
  for (const QSize& size : sizes) {
    QImage picture(size, QImage::Format_RGB32);
    QByteArray rgb;
    for (int y = 0; y < size.height(); ++y) {
      auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(y));
      for (int x = 0; x < size.width(); ++x) {
        seed = seed * 1664525u + 1013904223u;
        row[x] = seed;  // the alpha byte too is noise: an RGB PNG must drop it
        rgb.append(char(seed >> 16)).append(char(seed >> 8)).append(char(seed));
      }
    }
    QByteArray png("left over from an earlier picture");
    ASSERT_TRUE(writeExportPng(picture, &png));
    const QString file = path(QString("w%1.png").arg(size.width()));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(png);
    f.close();
    const QJsonObject o = py({"png", file});
    EXPECT_EQ(o["chunks"].toArray(), QJsonArray({"IHDR", "pHYs", "IDAT", "IEND"})) << size.width();
    EXPECT_TRUE(o["crc_ok"].toBool()) << size.width();
    EXPECT_EQ(o["rest"].toInt(), 0) << "nothing after IEND";
    EXPECT_EQ(o["inflated"].toInt(), size.height() * (1 + 3 * size.width()));
    EXPECT_EQ(o["mode"].toString(), "RGB");
    EXPECT_EQ(o["rgb_sha256"].toString(), sha256(rgb.constData(), size_t(rgb.size()))) << size.width();
    QImage back;
    ASSERT_TRUE(back.loadFromData(png, "png"));
    ASSERT_EQ(back.size(), size);
    back = back.convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x)
        wrong += (back.pixel(x, y) & 0xFFFFFFu) != (picture.pixel(x, y) & 0xFFFFFFu);
    EXPECT_EQ(wrong, 0) << size.width();
  }
  QByteArray png("x");
  EXPECT_FALSE(writeExportPng(QImage(), &png));
  EXPECT_TRUE(png.isEmpty());
}

TEST_F(PictureExport, BadJobsFailCleanlyAndTheNextJobStillWorks) {
  // A record that does not match the block it came in.
  JobSpec s;
  ExportJob* job = makeJob(s);
  job->conf->width = 640;
  EXPECT_EQ(worker.run(path("mismatch.jpg"), job), -8);
  EXPECT_FALSE(QFileInfo::exists(path("mismatch.jpg")));
  // A folder that does not exist: the write's own code.
  EXPECT_EQ(worker.run(path("no/such/folder/x.jpg"), makeJob(s)), -200);
  // A stream export that stops in the middle with the picture open (the record claims more
  // frames than the file has) must not leave the canvas or the handle busy.
  const QString stream = path("short.stream");
  ASSERT_EQ(writeStream(stream, 320, 240, 3), 0);
  JobSpec t = s;
  t.frameCount = 6;
  ExportJob* series = makeJob(t);
  series->kind = 2;
  series->split = 1;
  std::strcpy(series->source, stream.toUtf8().constData());
  EXPECT_LT(worker.run(path("short.jpg"), series), 0);
  ExportJob* video = makeJob(t);
  video->kind = 3;
  std::strcpy(video->source, stream.toUtf8().constData());
  EXPECT_LT(worker.run(path("short.mp4"), video), 0);
  EXPECT_EQ(worker.run(path("after.jpg"), makeJob(s)), 1) << "a failed export leaves nothing open";
  EXPECT_EQ(worker.run(path("null.jpg"), nullptr), -8);
  EXPECT_EQ(ImageExporter::newJob(100, 100), nullptr) << "below 19200 pixels";
  EXPECT_EQ(ImageExporter::newJob(1281, 1024), nullptr) << "above 1310720 pixels";
  EXPECT_EQ(ImageExporter::newJob(-160, -120), nullptr);
}

TEST(ImageExporterThread, JobsRunOnTheWorkerAndReportInOrder) {
  QTemporaryDir dir;
  auto owned = std::make_unique<ImageExporter>();
  ImageExporter& exporter = *owned;
  QSignalSpy finished(&exporter, &ImageExporter::saveFinished);
  exporter.config()->setWithTemp(false);
  JobSpec s;
  ExportJob* odd = makeJob(s);
  odd->kind = 7;
  ASSERT_EQ(exporter.startSave(dir.filePath("kind7.jpg"), odd), 0);
  ASSERT_EQ(exporter.startSave(dir.filePath("one.jpg"), makeJob(s)), 0);
  EXPECT_EQ(exporter.startSave(dir.filePath("none.jpg"), nullptr), -8);
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() >= 2; }, 60000));
  EXPECT_EQ(finished[0][0].toString(), dir.filePath("kind7.jpg"));
  EXPECT_EQ(finished[0][1].toInt(), -8);
  EXPECT_EQ(finished[1][1].toInt(), 1);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("kind7.jpg")));
  // The settings travel with the job: a change after handing over does not reach it.
  exporter.config()->setColorbar(0);
  ASSERT_EQ(exporter.startSave(dir.filePath("nobar.jpg"), makeJob(s)), 0);
  exporter.config()->setColorbar(2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() >= 3; }, 60000));
  EXPECT_EQ(py({"picture", dir.filePath("nobar.jpg")})["width"].toInt(), 640);
  // Jobs still queued at destruction run before the thread ends.
  ASSERT_EQ(exporter.startSave(dir.filePath("last.jpg"), makeJob(s)), 0);
  owned.reset();
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("last.jpg")));
}

TEST(ImageExporterConfigTest, DefaultsAndChangeSignals) {
  ImageExporterConfig c;
  EXPECT_EQ(c.colorbar(), 2);
  EXPECT_TRUE(c.withRoi());
  EXPECT_TRUE(c.withTemp());
  EXPECT_EQ(c.timestamp(), 0);
  EXPECT_FALSE(c.splitAsJpg());
  QSignalSpy spy(&c, &ImageExporterConfig::streamEndChanged);
  c.setStreamEnd(5);
  c.setStreamEnd(5);
  EXPECT_EQ(spy.size(), 1);
}
