#include <chrono>

#include "TransferFixture.h"
#include "camsim/Wire.h"
#include "files/FileIo.h"
#include "foundation/Helpers.h"

using namespace transfertest;
using camsim::SnapshotServer;

namespace {

constexpr int kW = 640, kH = 512;
constexpr size_t kTempBlock = size_t(kW) * kH * 2 + 16684;

// Pillow decodes the first `length` bytes of a file (all when 0) and prints size, mode and the
// grey values at a few pixels.
std::string pillowProbe(const std::string& path, size_t length) {
  const std::string code = "import io,sys\nfrom PIL import Image\nb=open(\"" + path + "\",\"rb\").read()\n" +
                           (length ? "b=b[:" + std::to_string(length) + "]\n" : "") +
                           "im=Image.open(io.BytesIO(b)).convert(\"L\")\n"
                           "print(im.size[0],im.size[1],im.getpixel((0,0)),im.getpixel((17,33)),"
                           "im.getpixel((639,511)))\n";
  std::string out;
  if (runPython(code, &out) != 0) return "python failed: " + out;
  return out;
}

std::string expectedProbe(uint32_t serial) {
  auto g = [&](int x, int y) { return std::to_string(uint8_t(SnapshotServer::code(x, y, serial))); };
  return "640 512 " + g(0, 0) + " " + g(17, 33) + " " + g(639, 511) + "\n";
}

}  // namespace

TEST(Snapshot, ARadiometricPictureOpensAsAThermalFileAndAsAnImage) {
  TransferEnv env(20);
  const std::string withTemp = env.path("snap.bmp");
  ASSERT_EQ(Ostrel_SaveFrame(env.user, withTemp.c_str(), 1), 0);
  const auto bmp = env.sim.snapshot()->picture(0);
  const auto bytes = readFile(withTemp);
  ASSERT_EQ(bytes.size(), bmp.size() + kTempBlock);
  EXPECT_TRUE(std::equal(bmp.begin(), bmp.end(), bytes.begin()));

  // The file access layer finds the TEMP block behind the picture and the camera's codes in it.
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  ASSERT_EQ(TF_Open(tf, withTemp.c_str(), 1), 0);
  TFFrame frame{};
  ASSERT_EQ(TF_ReadFrame(tf, 0, &frame), 0);
  ASSERT_EQ(frame.head->width, kW);
  ASSERT_EQ(frame.head->height, kH);
  for (auto [x, y] : {std::pair{0, 0}, {17, 33}, {639, 0}, {0, 511}, {639, 511}})
    EXPECT_EQ(frame.data[y * kW + x], SnapshotServer::code(x, y, 0)) << x << "," << y;
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(tf, &raw), 0);
  EXPECT_EQ(raw.imageSize, int(bmp.size()));
  TF_Free(&tf);
  // The picture part decodes on its own.
  EXPECT_EQ(pillowProbe(withTemp, bmp.size()), expectedProbe(0));

  // Without the TEMP block the file is the camera's picture alone.
  const std::string plain = env.path("plain.bmp");
  ASSERT_EQ(Ostrel_SaveFrame(env.user, plain.c_str(), 0), 0);
  EXPECT_TRUE(readFile(plain) == env.sim.snapshot()->picture(1));
  EXPECT_EQ(pillowProbe(plain, 0), expectedProbe(1));
}

TEST(Snapshot, HeadsThatDoNotFitTheLoginAreRefusedAndWriteNothing) {
  TransferEnv env(21);
  camsim::SnapshotFaults wide;
  wide.widthDelta = 1;
  camsim::SnapshotFaults shortN;
  shortN.tooShortForTemp = true;
  for (const auto& f : {wide, shortN}) {
    env.sim.snapshot()->setFaults(f);
    EXPECT_EQ(Ostrel_SaveFrame(env.user, env.path("x.bmp").c_str(), 1), -95);
    SnapshotMemInfo info{};
    EXPECT_EQ(Ostrel_SaveFrameToMem(env.user, &info), -95);
    EXPECT_EQ(info.picture, nullptr);
  }
  EXPECT_TRUE(env.names().empty());
}

TEST(Snapshot, ABrokenStreamOrAFullDiskKeepsTheEarlierFile) {
  TransferEnv env(22);
  const std::string path = env.path("keep.bmp");
  const std::vector<uint8_t> earlier = randomBytes(1000, 1);
  writeFile(path, earlier);
  camsim::SnapshotFaults cut;
  cut.closeMidTransfer = true;
  camsim::SnapshotFaults fewer;
  fewer.missingBytes = 10;
  for (const auto& f : {cut, fewer}) {
    env.sim.snapshot()->setFaults(f);
    EXPECT_EQ(Ostrel_SaveFrame(env.user, path.c_str(), 1), -97);
    EXPECT_TRUE(readFile(path) == earlier);
  }
  env.sim.snapshot()->setFaults({});
  ostrel::files::setReplaceFileByteLimit(4096);
  EXPECT_EQ(Ostrel_SaveFrame(env.user, path.c_str(), 1), -197);
  ostrel::files::setReplaceFileByteLimit(-1);
  EXPECT_TRUE(readFile(path) == earlier);
  EXPECT_EQ(env.names(), std::vector<std::string>{"keep.bmp"});
  // Single-byte writes still make a whole snapshot.
  camsim::SnapshotFaults split;
  split.splitWrites = true;
  env.sim.snapshot()->setFaults(split);
  ASSERT_EQ(Ostrel_SaveFrame(env.user, path.c_str(), 0), 0);
  EXPECT_TRUE(readFile(path) == env.sim.snapshot()->picture(env.sim.snapshot()->served() - 1));
}

TEST(Snapshot, MemoryPointersShowTheLastSnapshot) {
  TransferEnv env(23);
  SnapshotMemInfo a{};
  ASSERT_EQ(Ostrel_SaveFrameToMem(env.user, &a), 0);
  const auto* head = static_cast<const uint8_t*>(a.head);
  EXPECT_EQ(camsim::getText(head, 32), "CAMSIM-0001");
  EXPECT_EQ(ostrel::bytes::readU16(head, 128, 40), kW);
  EXPECT_EQ(ostrel::bytes::readU16(head, 128, 42), kH);
  int64_t t = 0;
  std::memcpy(&t, head + 32, 8);
  EXPECT_EQ(t, SnapshotServer::kDefaultCaptureTime);
  EXPECT_EQ(static_cast<const uint8_t*>(a.headerExtra), head + 128);
  EXPECT_EQ(ostrel::bytes::readI32(a.headerExtra, 8, 4), 5);  // palette index
  EXPECT_EQ(ostrel::bytes::readU16(a.frameHead, 128, 0), kW);
  EXPECT_EQ(a.data[0], SnapshotServer::code(0, 0, 0));
  EXPECT_EQ(a.data[33 * kW + 17], SnapshotServer::code(17, 33, 0));
  EXPECT_EQ(a.reserved, nullptr);
  EXPECT_EQ(a.reserved2, 0);
  const auto bmp = env.sim.snapshot()->picture(0);
  ASSERT_EQ(a.pictureSize, int(bmp.size()));
  EXPECT_EQ(std::memcmp(a.picture, bmp.data(), bmp.size()), 0);

  // The second snapshot lands in the same buffer: the first record's pointers see it.
  SnapshotMemInfo b{};
  ASSERT_EQ(Ostrel_SaveFrameToMem(env.user, &b), 0);
  EXPECT_EQ(b.data, a.data);
  EXPECT_EQ(a.data[33 * kW + 17], SnapshotServer::code(17, 33, 1));
  EXPECT_EQ(ostrel::bytes::readU16(a.frameHead, 128, 10), 1);  // frame index = serial
}

TEST(Snapshot, AZeroCaptureTimeBecomesNow) {
  TransferEnv env(24);
  env.sim.snapshot()->setCaptureTime(0);
  SnapshotMemInfo info{};
  ASSERT_EQ(Ostrel_SaveFrameToMem(env.user, &info), 0);
  int64_t t = 0;
  std::memcpy(&t, static_cast<const uint8_t*>(info.head) + 32, 8);
  const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count() / 100 +
                      ostrel::kFileTimeUnixEpoch;
  EXPECT_LT(std::llabs(t - now), 5LL * 10000000);
}

TEST(Snapshot, ArgumentsAndSessionsAreChecked) {
  TransferEnv env(25);
  SnapshotMemInfo info{};
  EXPECT_EQ(Ostrel_SaveFrame(env.user, nullptr, 1), -8);
  EXPECT_EQ(Ostrel_SaveFrameToMem(env.user, nullptr), -8);
  EXPECT_EQ(Ostrel_SaveFrame(256, env.path("a").c_str(), 1), -10);
  EXPECT_EQ(Ostrel_SaveFrameToMem(env.user + 1, &info), -10);
  EXPECT_EQ(env.sim.snapshot()->connectionCount(), 0u);
  env.sim.snapshot()->stop();
  EXPECT_EQ(Ostrel_SaveFrameToMem(env.user, &info), -99);
  ASSERT_EQ(Ostrel_Logout(env.user), 0);
  EXPECT_EQ(Ostrel_SaveFrameToMem(env.user, &info), -10);
  Ostrel_FreeSDK();
  EXPECT_EQ(Ostrel_SaveFrameToMem(env.user, &info), -4);
}
