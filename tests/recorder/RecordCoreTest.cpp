// The recording engine, ring, writer and naming on one thread, checked with the SDK's own stream
// reader and an independent Python reader of the byte layout.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "EngineRig.h"
#include "StreamFacts.h"
#include "foundation/Logger.h"
#include "recordcore/RecordNaming.h"

namespace {

using namespace rectest;
using recordcore::RecordEngine;

uint64_t fileSize(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

TEST(RecordConfig, RingAndBufferSizesFollowTheRateAndRefuseWhatCannotBeRecorded) {
  TempFolder dir;
  EngineRig rig;
  auto s = rig.settings(384, 288, dir.path());
  s.preEnable = true;
  s.preSeconds = 2;
  rig.engine.configure(s);
  EXPECT_TRUE(rig.engine.active());
  EXPECT_EQ(rig.engine.preFrames(), 50u);                 // frameLen 221,312; need 11,065,600
  EXPECT_EQ(rig.engine.ringSize(), uint64_t{0x1000000});  // + 4 MiB + a frame still fits 16 MiB

  // 640 x 512 at 25/1 with 1 s: 16,387,200 bytes held, more than 16 MiB less a write piece.
  s = rig.settings(640, 512, dir.path());
  s.preEnable = true;
  s.preSeconds = 1;
  rig.engine.configure(s);
  EXPECT_EQ(rig.engine.preFrames(), 25u);
  EXPECT_EQ(rig.engine.ringSize(), uint64_t{0x2000000});

  s.fpsDen = 0;  // a buffer on, no usable rate
  rig.engine.configure(s);
  EXPECT_FALSE(rig.engine.active());
  s.preEnable = false;  // no buffer: the rate is not needed
  rig.engine.configure(s);
  EXPECT_TRUE(rig.engine.active());
  s = rig.settings(1280, 1025, dir.path());  // above 1,310,720 pixels
  rig.engine.configure(s);
  EXPECT_FALSE(rig.engine.active());
  s = rig.settings(1280, 1024, dir.path());
  s.stopTrigger = 257;  // not a stop code
  rig.engine.configure(s);
  EXPECT_FALSE(rig.engine.active());
  rig.engine.trigger(257);
  EXPECT_EQ(rig.engine.state(), 0);

  // Post-record 3 s at 30000/1001: 89 frames (unsigned division); delayed stop 10 s: 299.
  s = rig.settings(160, 120, dir.path());
  s.fpsNum = 30000;
  s.fpsDen = 1001;
  s.postEnable = true;
  s.postSeconds = 3;
  rig.engine.configure(s);
  EXPECT_EQ(rig.engine.postFrames(), 89u);

  // No save folder: the start is refused rather than a file made in the root folder.
  s.naming.saveDir.clear();
  rig.engine.configure(s);
  rig.engine.trigger(257);
  EXPECT_EQ(rig.engine.state(), 0);
  EXPECT_EQ(rig.engine.stats().error, -200);
}

TEST(RecordEngine, PreRecordAtSixFortyKeepsEveryFrameAndTheSdkReadsThemBack) {
  TempFolder dir;
  EngineRig rig;
  auto s = rig.settings(640, 512, dir.path());
  s.preEnable = true;
  s.preSeconds = 1;
  rig.engine.configure(s);
  ASSERT_TRUE(rig.engine.active());
  rig.feedRange(0, 100);
  rig.engine.trigger(257);
  ASSERT_EQ(rig.engine.state(), 2);
  rig.feedRange(100, 150);
  rig.engine.trigger(513);
  ASSERT_EQ(rig.engine.state(), 0);
  ASSERT_EQ(rig.transitions.size(), 2u);
  EXPECT_EQ(rig.last.error, 0);
  EXPECT_EQ(rig.last.framesWritten, 75u);
  EXPECT_EQ(rig.last.preCount, 25u);
  EXPECT_EQ(rig.last.fileNameShort, "rec-0001.stream");
  EXPECT_EQ(rig.counter.load(), 2);
  // Frame times run 40 ms apart from frame 75 to frame 149.
  EXPECT_EQ(rig.last.durationMs, 74 * 40);

  const std::string path = rig.last.fileName;
  const uint64_t p = 640 * 512;
  EXPECT_EQ(fileSize(path), 4 * p + 1216 + 75 * (2 * p + 128));
  const SdkRead r = readWithSdk(path, 640, 512);
  ASSERT_EQ(r.opened, 0);
  ASSERT_EQ(r.count, 75);
  EXPECT_EQ(r.wrongCodes, 0);
  for (int i = 0; i < 75; ++i) EXPECT_EQ(r.indices[size_t(i)], uint32_t(75 + i)) << i;

  const auto f = pythonFacts("stream", path);
  EXPECT_EQ(f.at("magic"), "BM");
  EXPECT_EQ(num(f, "size_field_ok"), 1);
  EXPECT_EQ(num(f, "image_size_ok"), 1);
  EXPECT_EQ(num(f, "head_size_ok"), 1);
  EXPECT_EQ(num(f, "height"), -512);
  EXPECT_EQ(f.at("fps"), "25/1");
  EXPECT_EQ(num(f, "palette"), 5);
  EXPECT_EQ(num(f, "version"), 1);
  EXPECT_EQ(num(f, "frames"), 75);
  EXPECT_EQ(num(f, "steps_of_one"), 1);
  EXPECT_EQ(f.at("pil_format"), "BMP");
  EXPECT_EQ(f.at("pil_size"), "640x512");
  EXPECT_EQ(num(f, "pil_top_left_ok"), 1);
  EXPECT_EQ(num(f, "cover_blank"), 0);

  // The cover is the picture of the first frame copied after the start (frame 100).
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> cover(4 * p);
  in.seekg(64);
  in.read(reinterpret_cast<char*>(cover.data()), std::streamsize(cover.size()));
  size_t wrong = 0;
  for (size_t i = 0; i < cover.size(); ++i) wrong += cover[i] != pictureAt(100, i);
  EXPECT_EQ(wrong, 0u);

  // The next start holds only frames that came after this end.
  rig.feedRange(150, 160);
  rig.engine.trigger(257);
  rig.feedRange(160, 161);
  rig.engine.trigger(513);
  EXPECT_EQ(rig.last.preCount, 10u);
  EXPECT_EQ(rig.last.fileNameShort, "rec-0002.stream");
  const SdkRead r2 = readWithSdk(rig.last.fileName, 640, 512);
  ASSERT_EQ(r2.count, 11);
  EXPECT_EQ(r2.indices.front(), 150u);
}

std::string g_logged;
void keepLine(int, const char* line, size_t length) { g_logged.append(line, length); }

// Stopped before a frame arrived: no file the stream reader would refuse stays behind, and the
// log says where it went.
TEST(RecordEngine, ARecordingWithoutAFrameLeavesNoFile) {
  TempFolder dir;
  EngineRig rig;
  rig.engine.configure(rig.settings(160, 120, dir.path()));
  rig.engine.trigger(257);
  ASSERT_EQ(rig.engine.state(), 2);
  const std::string name = rig.last.fileName;
  ASSERT_FALSE(name.empty());
  struct stat st{};
  EXPECT_EQ(::stat(name.c_str(), &st), 0) << "created at the start";
  g_logged.clear();
  ostrel::logSetCallback(ostrel::logDefault(), keepLine);
  rig.engine.trigger(513);
  ostrel::logSetCallback(ostrel::logDefault(), nullptr);
  EXPECT_EQ(rig.engine.state(), 0);
  EXPECT_NE(::stat(name.c_str(), &st), 0) << name;
  EXPECT_EQ(rig.last.framesWritten, 0u);
  EXPECT_NE(g_logged.find(name), std::string::npos) << g_logged;

  // One frame is a recording.
  rig.engine.trigger(257);
  ASSERT_EQ(rig.engine.state(), 2);
  rig.feedRange(0, 1, 0);
  rig.engine.trigger(513);
  EXPECT_EQ(num(pythonFacts("stream", rig.last.fileName), "frames"), 1);
}

TEST(RecordEngine, DigitalInputEdgesStartAndStopAndTheHeldFramesComeFirst) {
  TempFolder dir;
  EngineRig rig;
  auto s = rig.settings(160, 120, dir.path());
  s.startTrigger = 258;
  s.stopTrigger = 514;
  s.preEnable = true;
  s.preSeconds = 1;
  rig.engine.configure(s);
  rig.feedRange(0, 60, 0);
  rig.feedRange(60, 70, 1);
  EXPECT_EQ(rig.engine.state(), 0);
  rig.engine.trigger(257);  // not this recorder's start
  EXPECT_EQ(rig.engine.state(), 0);
  rig.feedRange(70, 100, 0);  // 1 -> 0 at frame 70 starts
  EXPECT_EQ(rig.engine.state(), 2);
  rig.engine.trigger(513);  // not this recorder's stop
  EXPECT_EQ(rig.engine.state(), 2);
  rig.feedRange(100, 101, 1);  // 0 -> 1 stops before frame 100 is taken
  EXPECT_EQ(rig.engine.state(), 0);
  const auto f = pythonFacts("stream", rig.last.fileName);
  EXPECT_EQ(num(f, "frames"), 25 + 30);
  EXPECT_EQ(num(f, "first_index"), 45);
  EXPECT_EQ(num(f, "last_index"), 99);
  EXPECT_EQ(num(f, "steps_of_one"), 1);
}

TEST(RecordEngine, DelayedStopAfterTwoHundredFiftyLiveFramesThenThePostBufferEndsIt) {
  TempFolder dir;
  EngineRig rig;
  auto s = rig.settings(160, 120, dir.path());
  s.stopTrigger = 515;
  s.autoDelaySeconds = 10;
  s.preEnable = true;
  s.preSeconds = 1;
  s.postEnable = true;
  s.postSeconds = 1;
  rig.engine.configure(s);
  rig.feedRange(0, 40);
  rig.engine.trigger(257);
  rig.feedRange(40, 290);
  // Frame 289 is the 250th live frame: it brings the stop, and it is the post phase's first frame.
  EXPECT_EQ(rig.engine.state(), 2);
  rig.engine.trigger(513);  // ignored in the post phase
  rig.feedRange(290, 313);
  EXPECT_EQ(rig.engine.state(), 2);
  rig.feedRange(313, 314);
  EXPECT_EQ(rig.engine.state(), 0);
  EXPECT_EQ(rig.last.framesWritten, 25u + 250 + 24);
  EXPECT_EQ(rig.last.postCount, 25u);
  const auto f = pythonFacts("stream", rig.last.fileName);
  EXPECT_EQ(num(f, "frames"), 299);
  EXPECT_EQ(num(f, "first_index"), 15);
  EXPECT_EQ(num(f, "last_index"), 313);
}

TEST(RecordEngine, AFailedWriteEndsTheFileOnItsLastWholeFrame) {
  for (uint64_t failAt : {0u, 1u, 2u, 3u, 6u}) {
    TempFolder dir;
    EngineRig rig;
    auto s = rig.settings(640, 512, dir.path());
    s.preEnable = true;
    s.preSeconds = 1;
    rig.engine.configure(s);
    rig.engine.setWriteHook([failAt](uint64_t call, size_t n) { return call == failAt ? n / 3 : n; });
    rig.feedRange(0, 30);
    rig.engine.trigger(257);
    for (uint32_t i = 30; i < 80 && rig.engine.state() == 2; ++i) ASSERT_TRUE(rig.feed(i));
    if (rig.engine.state() == 2) rig.engine.trigger(513);  // the failing write is the last one
    ASSERT_EQ(rig.engine.state(), 0) << failAt;
    EXPECT_EQ(rig.last.error, -197) << failAt;
    const uint64_t p = 640 * 512, head = 4 * p + 1216, frame = 2 * p + 128;
    const uint64_t size = fileSize(rig.last.fileName);
    if (failAt == 0) {
      EXPECT_EQ(size, 0u);  // not even the head area: nothing of it is kept
      continue;
    }
    ASSERT_GE(size, head) << failAt;
    EXPECT_EQ((size - head) % frame, 0u) << failAt;
    EXPECT_EQ((size - head) / frame, rig.last.framesWritten) << failAt;
    EXPECT_EQ(uint64_t(rig.last.bytesWritten), size) << failAt;
    const SdkRead r = readWithSdk(rig.last.fileName, 640, 512);
    if (rig.last.framesWritten > 0) {
      EXPECT_EQ(r.count, int(rig.last.framesWritten)) << failAt;
      EXPECT_EQ(r.wrongCodes, 0) << failAt;
    }
  }
}

// Frames of 1280 x 1024 are written from the pool once the held frames have drained through the
// ring: the file keeps every frame in order, and a failing write in either phase still ends it
// on a whole frame.
TEST(RecordEngine, LargeFramesFromThePoolKeepTheirOrderAndAFailureEndsOnAWholeFrame) {
  const uint32_t w = 1280, h = 1024;
  for (uint64_t failAt : {UINT64_MAX, uint64_t(3), uint64_t(30)}) {
    TempFolder dir;
    EngineRig rig;
    auto s = rig.settings(w, h, dir.path());
    s.preEnable = true;
    s.preSeconds = 1;
    rig.engine.configure(s);
    ASSERT_TRUE(rig.engine.active());
    const size_t frameLen = 2 * size_t(w) * h + 128;
    int frameWrites = 0;  // writes of exactly one frame: the live frames taken from the pool
    rig.engine.setWriteHook([failAt, frameLen, &frameWrites](uint64_t call, size_t n) {
      if (n == frameLen) ++frameWrites;
      return call == failAt ? n / 3 : n;
    });
    rig.feedRange(0, 30);
    rig.engine.trigger(257);
    for (uint32_t i = 30; i < 60 && rig.engine.state() == 2; ++i) ASSERT_TRUE(rig.feed(i));
    if (rig.engine.state() == 2) rig.engine.trigger(513);
    ASSERT_EQ(rig.engine.state(), 0) << failAt;
    const uint64_t p = uint64_t(w) * h, head = 4 * p + 1216, frame = 2 * p + 128;
    const uint64_t size = fileSize(rig.last.fileName);
    ASSERT_GE(size, head) << failAt;
    EXPECT_EQ((size - head) % frame, 0u) << failAt;
    EXPECT_EQ((size - head) / frame, rig.last.framesWritten) << failAt;
    const SdkRead r = readWithSdk(rig.last.fileName, int(w), int(h));
    EXPECT_EQ(r.count, int(rig.last.framesWritten)) << failAt;
    EXPECT_EQ(r.wrongCodes, 0) << failAt;
    for (size_t k = 0; k < r.indices.size(); ++k) EXPECT_EQ(r.indices[k], 5 + k) << failAt;
    if (failAt == UINT64_MAX) {
      EXPECT_EQ(rig.last.error, 0);
      EXPECT_EQ(rig.last.framesWritten, 55u);  // 25 held, 30 live
      // The held frames leave in 4 MiB pieces; once they are out, each live frame is one write.
      EXPECT_GE(frameWrites, 20);
    } else {
      EXPECT_EQ(rig.last.error, -197) << failAt;
    }
  }
}

TEST(RecordNaming, PartsJoinInOrderAndUnsafeTextsAreMapped) {
  std::atomic<int> counter{7};
  recordcore::NameSettings s;
  s.saveDir = "/data";
  s.prefixEnable = true;
  s.prefix = "../up";
  s.cameraIdentity = true;
  s.dateTime = false;
  s.countEnable = true;
  s.suffixEnable = true;
  s.suffix = "a b";
  const auto n = recordcore::composeName(s, "M/7:x", recordcore::RecordEngine::kMinRing, &counter);
  EXPECT_EQ(n.shortBase, ".._up-M_7_x-0007-a_b");
  EXPECT_EQ(n.base, "/data/.._up-M_7_x-0007-a_b");
  EXPECT_EQ(n.counterUsed, 7);
  EXPECT_EQ(counter.load(), 8);
  EXPECT_EQ(recordcore::safeNamePart(".."), "_");
  EXPECT_EQ(recordcore::safeNamePart("Kamera-Ä.1"), "Kamera-Ä.1");

  // Every part off: the date-time stands in rather than a bare extension.
  recordcore::NameSettings none;
  none.dateTime = false;
  none.saveDir = "/d";
  const auto bare = recordcore::composeName(none, "", kTime0, nullptr);
  EXPECT_EQ(bare.shortBase.size(), 15u) << bare.shortBase;
}

TEST(RecordNaming, ExclusiveCreationAddsOneTwoToATakenName) {
  TempFolder dir;
  const std::string base = dir.path() + "/shot";
  std::string a, b, c;
  int fa = recordcore::createExclusive(base, ".jpg", &a);
  int fb = recordcore::createExclusive(base, ".jpg", &b);
  int fc = recordcore::createExclusive(base, ".jpg", &c);
  ASSERT_GE(fa, 0);
  ASSERT_GE(fb, 0);
  ASSERT_GE(fc, 0);
  ::close(fa);
  ::close(fb);
  ::close(fc);
  EXPECT_EQ(a, base + ".jpg");
  EXPECT_EQ(b, base + "-1.jpg");
  EXPECT_EQ(c, base + "-2.jpg");
  EXPECT_EQ(recordcore::createExclusive(dir.path() + "/missing/x", ".jpg", &a), -200);
}

TEST(ByteRing, PiecesWrapAtTheEndAndAFullRingRefuses) {
  recordcore::ByteRing ring;
  EXPECT_EQ(ring.resize(3), -8);
  ASSERT_EQ(ring.resize(16), 0);
  std::vector<uint8_t> a(12), out(12);
  for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i + 1);
  ASSERT_EQ(ring.push(a.data(), 12), 0);
  ring.drop(10);
  ASSERT_EQ(ring.push(a.data(), 12), 0);  // bytes 12..15 and 0..7
  EXPECT_EQ(ring.push(a.data(), 3), -8);
  EXPECT_EQ(ring.pending(), 14u);
  const uint8_t *p1, *p2;
  uint32_t n1, n2;
  ring.drop(2);
  ring.pieces(12, &p1, &n1, &p2, &n2);
  EXPECT_EQ(n1, 4u);
  EXPECT_EQ(n2, 8u);
  ring.copyOut(ring.readPos(), out.data(), 12);
  EXPECT_EQ(out, a);
  EXPECT_EQ(recordcore::ByteRing::roundUpPow2(0), 1u);
  EXPECT_EQ(recordcore::ByteRing::roundUpPow2(0x1000001), 0x2000000u);
  EXPECT_EQ(recordcore::ByteRing::roundUpPow2((uint64_t{1} << 31) + 1), 0u);
}

}  // namespace
