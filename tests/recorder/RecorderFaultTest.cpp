// Faults of the workstation recorder against the simulated camera: a worker held back by its file
// while frames keep coming, a write that fails part-way, two snapshots within one second, and a
// recorder destroyed while it records.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <condition_variable>
#include <mutex>

#include "EngineRig.h"
#include "RecorderSupport.h"

namespace {

using namespace rectest;

camsim::CameraIdentity small() {
  camsim::CameraIdentity id;
  id.dataWidth = 160;
  id.dataHeight = 120;
  return id;
}

TEST(RecorderFault, AWorkerHeldBackTwoSecondsRecordsNoWrongOrRepeatedFrameAndCountsDrops) {
  RecorderRig rig(6, small());
  rig.manager().config()->applyRecord(RecorderConfig::defaults());
  ASSERT_TRUE(rig.makeModule());
  const uint32_t frameLen = 2 * 160 * 120 + 128;
  rig.rec()->setPoolBudget(16ull * frameLen);
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  // The head area's write (the first of the file) holds the worker up to 2 s, until the pool
  // has refused frames.
  rig.rec()->setWriteHook([&](uint64_t call, size_t n) {
    if (call == 0) {
      std::unique_lock<std::mutex> lk(m);
      cv.wait_for(lk, std::chrono::seconds(2), [&] { return release; });
    }
    return n;
  });
  ASSERT_TRUE(rig.open());
  ASSERT_EQ(rig.rec()->poolCapacity(), 16u);
  ASSERT_TRUE(rig.triggerAndWait(257, 2));
  ASSERT_TRUE(spinUntil([&] { return rig.rec()->framesDropped() > 0; }));
  {
    std::lock_guard<std::mutex> lk(m);
    release = true;
  }
  cv.notify_all();
  ASSERT_TRUE(rig.waitFrames(25));
  ASSERT_TRUE(rig.triggerAndWait(513, 0));
  EXPECT_EQ(rig.rec()->poolPeak(), 16u);

  const std::string path = rig.rec()->file()->fn().toStdString();
  const auto f = pythonFacts("stream", path);
  EXPECT_EQ(num(f, "backwards"), 0);
  EXPECT_GT(num(f, "missing"), 0);
  EXPECT_LE(num(f, "missing"), int64_t(rig.rec()->framesDropped()));
  // Each frame's codes are the simulator's for that frame's own index.
  TFContext* ctx = TF_Create();
  ASSERT_NE(ctx, nullptr);
  ASSERT_EQ(TF_Open(ctx, path.c_str(), TfOpenType_Stream), 0);
  const camsim::TempStreamConfig& content = rig.stream().config();
  std::vector<int16_t> expected;
  int wrong = 0;
  for (int i = 0; i < num(f, "frames"); ++i) {
    TFFrame fr{};
    ASSERT_EQ(TF_ReadFrame(ctx, i, &fr), 0);
    camsim::FrameContent::codes(content, fr.head->frameIndex, expected);
    wrong += std::memcmp(fr.data, expected.data(), expected.size() * 2) != 0;
  }
  TF_Free(&ctx);
  EXPECT_EQ(wrong, 0);
}

TEST(RecorderFault, AWriteFailingPartWayEndsOnAWholeFrameAndSaysSo) {
  RecorderRig rig(7);  // 640 x 512: a 4 MiB piece every six or seven frames
  rig.manager().config()->applyRecord(RecorderConfig::defaults());
  ASSERT_TRUE(rig.makeModule());
  rig.rec()->setWriteHook([](uint64_t call, size_t n) { return call == 3 ? n / 2 : n; });
  ASSERT_TRUE(rig.open());
  ASSERT_TRUE(rig.triggerAndWait(257, 2));
  ASSERT_TRUE(spinUntil([&] { return rig.rec()->state() == 0; }));  // ends by itself
  RecorderFile* file = rig.rec()->file();
  EXPECT_EQ(file->failure(), QStringLiteral("write failed (-197)"));
  EXPECT_FALSE(file->endTime().isEmpty());
  const auto f = pythonFacts("stream", file->fn().toStdString());
  const long long k = num(f, "frames");
  const long long p = 640 * 512;
  EXPECT_GT(k, 0);
  EXPECT_EQ(num(f, "steps_of_one"), 1);
  // Whole frames, then the configuration block written after the last of them.
  EXPECT_EQ(num(f, "size"), 4 * p + 1216 + k * (2 * p + 128) + 7308);
  EXPECT_TRUE(file->frameCount().startsWith(QStringLiteral("%1 PRE-").arg(k))) << file->frameCount().toStdString();
}

TEST(RecorderFault, TwoSnapshotsInOneSecondGiveTwoFilesAndTheCounterAdvancesOnce) {
  RecorderRig rig(8, small());
  rig.manager().config()->applyRecord(RecorderConfig::defaults());
  ASSERT_TRUE(rig.makeModule());
  Recorder* r = rig.rec();
  // The module's own picture export refuses while no frame has been shown, and leaves no file.
  EXPECT_EQ(r->snap(), -7);
  EXPECT_TRUE(QDir(rig.saveDir()).entryList({QStringLiteral("*.jpg")}, QDir::Files).isEmpty());
  QStringList paths;
  r->setPictureExport([&](const QString& path, int kind, qint64 fileTime) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return -200;
    out.write(QStringLiteral("picture %1 %2").arg(kind).arg(fileTime).toUtf8());
    paths << path;
    return 0;
  });
  ASSERT_EQ(r->snap(), 0);
  ASSERT_EQ(r->snap(), 0);
  ASSERT_EQ(paths.size(), 2);
  EXPECT_NE(paths[0], paths[1]);
  EXPECT_EQ(QDir(rig.saveDir()).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 2);
  for (const QString& p : paths) {
    QFile in(p);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_TRUE(in.readAll().startsWith("picture 1 1")) << p.toStdString();
  }
  // With the date-time alone two shots in one second differ by "-1".
  if (QFileInfo(paths[0]).completeBaseName().size() == 15) {
    EXPECT_EQ(paths[1], paths[0].chopped(4) + QStringLiteral("-1.jpg"));
  }

  r->config()->setFnCountEnable(true);
  r->config()->setFnDateTime(false);
  r->config()->setFnCount(41);
  r->reloadConfig();
  ASSERT_EQ(r->snap(), 0);
  ASSERT_EQ(r->snap(), 0);
  EXPECT_EQ(QFileInfo(paths[2]).fileName(), QStringLiteral("0041.jpg"));
  EXPECT_EQ(QFileInfo(paths[3]).fileName(), QStringLiteral("0042.jpg"));
  EXPECT_EQ(r->config()->fnCount(), 43);
  // A failed export leaves no empty file behind.
  r->setPictureExport([](const QString&, int, qint64) { return -197; });
  EXPECT_EQ(r->snap(), -197);
  EXPECT_FALSE(QFileInfo::exists(rig.saveDir() + QStringLiteral("/0043.jpg")));
}

TEST(RecorderFault, ARecorderDestroyedWhileRecordingStillClosesTheFileWithItsBlock) {
  RecorderRig rig(9, small());
  rig.manager().config()->applyRecord(RecorderConfig::defaults());
  ASSERT_TRUE(rig.makeModule());
  ASSERT_TRUE(rig.open());
  ASSERT_TRUE(rig.triggerAndWait(257, 2));
  ASSERT_TRUE(rig.waitFrames(10));
  const std::string path = rig.rec()->file()->fn().toStdString();
  rig.dropModule();
  const auto f = pythonFacts("stream", path);
  const long long p = 160 * 120;
  EXPECT_GE(num(f, "frames"), 5);
  EXPECT_EQ(num(f, "steps_of_one"), 1);
  EXPECT_EQ(num(f, "size"), 4 * p + 1216 + num(f, "frames") * (2 * p + 128) + 7308);
  TFContext* ctx = TF_Create();
  ASSERT_NE(ctx, nullptr);
  ASSERT_EQ(TF_Open(ctx, path.c_str(), TfOpenType_Stream), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(ctx, &raw), 0);
  EXPECT_EQ(raw.conf->width, 160);
  EXPECT_EQ(raw.conf->paletteIndex, 5);  // the module's palette, from the block
  TF_Free(&ctx);
}

}  // namespace
