#include <fcntl.h>

#include "TransferFixture.h"
#include "camsim/Wire.h"
#include "files/FileIo.h"

using namespace transfertest;

namespace {

// The request fields as the camera received them, decoded by offset.
struct UploadRequest {
  uint16_t fileType, fileParam;
  int32_t size;
};
std::vector<UploadRequest> uploadRequests(camsim::ObservationLog& log) {
  std::vector<UploadRequest> v;
  for (const auto& o : log.snapshot())
    if (o.type == 35 && o.bytes.size() == 12)
      v.push_back({ostrel::bytes::readU16(o.bytes.data(), o.bytes.size(), 4), ostrel::bytes::readU16(o.bytes.data(), o.bytes.size(), 6), ostrel::bytes::readI32(o.bytes.data(), o.bytes.size(), 8)});
  return v;
}

}  // namespace

TEST(Transfer, FilesOfEverySizeMakeTheRoundTripByteEqual) {
  TransferEnv env(1);
  const size_t sizes[] = {0, 1, 0x100000, 0x100001, 5 * 0x100000};
  int fileType = 2;
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    const auto bytes = randomBytes(size, uint32_t(size + 7));
    const std::string src = env.path("up-" + std::to_string(size) + ".bin");
    writeFile(src, bytes);
    const int param = int(size % 1000) + 3;
    ASSERT_EQ(Ostrel_UploadFileV2(env.user, src.c_str(), fileType, param), 0);
    ASSERT_TRUE(env.settled());
    std::vector<uint8_t> stored;
    ASSERT_TRUE(env.store().file(fileType, &stored));
    EXPECT_TRUE(stored == bytes);
    EXPECT_EQ(env.store().fileParam(fileType), param);

    const std::string dst = env.path("down-" + std::to_string(size) + ".bin");
    ASSERT_EQ(Ostrel_DownloadFile(env.user, dst.c_str(), fileType), 0);
    EXPECT_TRUE(readFile(dst) == bytes);
    ++fileType;
  }
  // Type, parameter and size as the camera saw them.
  const auto reqs = uploadRequests(env.sim.log());
  ASSERT_EQ(reqs.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(reqs[i].fileType, 2 + i);
    EXPECT_EQ(reqs[i].fileParam, sizes[i] % 1000 + 3);
    EXPECT_EQ(reqs[i].size, int32_t(sizes[i]));
  }
  // Paths are UTF-8.
  const std::string utf8 = env.path("\u6e29\u5ea6-\u00fc.bin");
  ASSERT_EQ(Ostrel_DownloadFile(env.user, utf8.c_str(), 3), 0);
  EXPECT_TRUE(readFile(utf8) == randomBytes(1, 8));
  ASSERT_EQ(Ostrel_UploadFile(env.user, utf8.c_str(), 40), 0);
  ASSERT_TRUE(env.settled());
  EXPECT_EQ(env.store().fileParam(40), 0);
  // Ostrel_UploadFile carries fileParam 0.
  ASSERT_EQ(Ostrel_UploadFile(env.user, env.path("up-1.bin").c_str(), 9), 0);
  ASSERT_TRUE(env.settled());
  EXPECT_EQ(env.store().fileParam(9), 0);
  EXPECT_EQ(uploadRequests(env.sim.log()).back().fileParam, 0);
}

TEST(Transfer, CalibrationBlocksOfTheToolsSizesGoThrough) {
  TransferEnv env(2);
  // Downloads: the sizes the configuration tool's calibration editors read back.
  int type = 10;
  for (size_t size : {280u, 656u, 1088u, 696u, 19488u}) {
    SCOPED_TRACE(size);
    const auto block = randomBytes(size, uint32_t(size));
    env.store().putBlock(type, block);
    std::vector<char> buf(size + 100, 0x55);
    int got = int(buf.size());
    ASSERT_EQ(Ostrel_DownloadMem(env.user, type, buf.data(), &got), 0);
    ASSERT_EQ(got, int(size));
    EXPECT_EQ(std::memcmp(buf.data(), block.data(), size), 0);
    EXPECT_EQ(buf[size], 0x55);  // nothing written behind the block
    ++type;
  }
  // Upload: the update command block.
  const auto up = randomBytes(2052, 99);
  ASSERT_EQ(Ostrel_UploadMem(env.user, 33, reinterpret_cast<const char*>(up.data()), int(up.size())), 0);
  ASSERT_TRUE(env.settled());
  std::vector<uint8_t> stored;
  ASSERT_TRUE(env.store().block(33, &stored));
  EXPECT_TRUE(stored == up);
  // Request fields by offset: type 80, size 12, block type, length.
  bool seen = false;
  for (const auto& o : env.sim.log().snapshot())
    if (o.type == 80) {
      seen = true;
      EXPECT_EQ(o.size, 12);
      EXPECT_EQ(ostrel::bytes::readI32(o.bytes.data(), o.bytes.size(), 4), 33);
      EXPECT_EQ(ostrel::bytes::readI32(o.bytes.data(), o.bytes.size(), 8), 2052);
    }
  EXPECT_TRUE(seen);
  // An empty block is a request announcing 0 and no bytes.
  ASSERT_EQ(Ostrel_UploadMem(env.user, 34, nullptr, 0), 0);
  ASSERT_TRUE(env.settled());
  ASSERT_TRUE(env.store().block(34, &stored));
  EXPECT_TRUE(stored.empty());
}

TEST(Transfer, LocalProblemsAreFoundBeforeAnyConnection) {
  TransferEnv env(3);
  const uint64_t before = env.connections();
  EXPECT_EQ(Ostrel_UploadFile(env.user, env.path("missing.bin").c_str(), 2), -200);
  EXPECT_EQ(Ostrel_UploadFile(env.user, nullptr, 2), -8);
  // A file the int32 size field cannot announce (sparse, no disk space used).
  const std::string big = env.path("big.bin");
  {
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t(1) << 31), 0);
    ::close(fd);
  }
  EXPECT_EQ(Ostrel_UploadFile(env.user, big.c_str(), 2), -8);
  EXPECT_EQ(Ostrel_UploadMem(env.user, 1, "x", -1), -8);
  int size = 8;
  char buf[8];
  EXPECT_EQ(Ostrel_DownloadMem(env.user, 1, buf, nullptr), -8);
  EXPECT_EQ(Ostrel_DownloadMem(256, 1, buf, &size), -10);
  EXPECT_EQ(Ostrel_DownloadMem(env.user + 1, 1, buf, &size), -10);
  EXPECT_EQ(Ostrel_UploadFile(-1, big.c_str(), 2), -10);
  EXPECT_EQ(env.connections(), before);
}

TEST(Transfer, ARefusalSendsNoBytesAndGivesUnsupported) {
  TransferEnv env(4);
  camsim::TransferFaults f;
  f.status = -1;
  env.store().setFaults(f);
  const std::string src = env.path("up.bin");
  writeFile(src, randomBytes(300000, 4));
  EXPECT_EQ(Ostrel_UploadFile(env.user, src.c_str(), 2), -2);
  const auto block = randomBytes(4096, 5);
  EXPECT_EQ(Ostrel_UploadMem(env.user, 7, reinterpret_cast<const char*>(block.data()), 4096), -2);
  // The camera counts what still arrives after its refusal, up to the close.
  ASSERT_TRUE(env.settled());
  EXPECT_EQ(env.store().bytesAfterRefusal(), 0u);
  std::vector<uint8_t> none;
  EXPECT_FALSE(env.store().file(2, &none));

  env.store().putBlock(7, block);
  char buf[4096];
  int size = 4096;
  EXPECT_EQ(Ostrel_DownloadMem(env.user, 7, buf, &size), -2);
  EXPECT_EQ(size, 4096);
  writeFile(env.path("keep.bin"), {1, 2, 3});
  EXPECT_EQ(Ostrel_DownloadFile(env.user, env.path("keep.bin").c_str(), 2), -2);
  EXPECT_EQ(readFile(env.path("keep.bin")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(Transfer, DownloadedSizesAreCheckedBeforeAnyByteMoves) {
  TransferEnv env(5);
  const auto block = randomBytes(64, 6);
  env.store().putBlock(3, block);
  std::vector<char> buf(32, 0x11);
  int size = 32;
  EXPECT_EQ(Ostrel_DownloadMem(env.user, 3, buf.data(), &size), -5);
  EXPECT_EQ(size, 32);
  EXPECT_EQ(buf[0], 0x11);

  // A negative announced length: -11 and *size untouched; for a file, no file appears.
  camsim::TransferFaults f;
  f.negativeLength = true;
  env.store().setFaults(f);
  size = 32;
  EXPECT_EQ(Ostrel_DownloadMem(env.user, 3, buf.data(), &size), -11);
  EXPECT_EQ(size, 32);
  env.store().putFile(4, randomBytes(100, 7));
  EXPECT_EQ(Ostrel_DownloadFile(env.user, env.path("neg.bin").c_str(), 4), -11);
  EXPECT_TRUE(env.names().empty());
}

TEST(Transfer, ABrokenDownloadLeavesTheEarlierFileIntact) {
  TransferEnv env(6);
  const std::string dst = env.path("cali.bin");
  const auto earlier = randomBytes(5000, 8);
  writeFile(dst, earlier);
  env.store().putFile(2, randomBytes(3 * 0x100000 + 17, 9));
  env.store().putBlock(2, randomBytes(3 * 0x100000 + 17, 9));

  camsim::TransferFaults cut;
  cut.closeMidTransfer = true;
  camsim::TransferFaults fewer;
  fewer.missingBytes = 1000;
  for (const auto& f : {cut, fewer}) {
    env.store().setFaults(f);
    EXPECT_EQ(Ostrel_DownloadFile(env.user, dst.c_str(), 2), -97);
    EXPECT_TRUE(readFile(dst) == earlier);
    EXPECT_EQ(env.names(), std::vector<std::string>{"cali.bin"});
    std::vector<char> buf(4 * 0x100000);
    int size = int(buf.size());
    EXPECT_EQ(Ostrel_DownloadMem(env.user, 2, buf.data(), &size), -97);
    EXPECT_EQ(size, int(buf.size()));
  }
  // A disk that fills up while writing keeps the earlier file too.
  env.store().setFaults({});
  ostrel::files::setReplaceFileByteLimit(100000);
  EXPECT_EQ(Ostrel_DownloadFile(env.user, dst.c_str(), 2), -197);
  ostrel::files::setReplaceFileByteLimit(-1);
  EXPECT_TRUE(readFile(dst) == earlier);
  EXPECT_EQ(env.names(), std::vector<std::string>{"cali.bin"});
  // And a whole download replaces it.
  ASSERT_EQ(Ostrel_DownloadFile(env.user, dst.c_str(), 2), 0);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(env.store().file(2, &stored));
  EXPECT_TRUE(readFile(dst) == stored);
}

TEST(Transfer, RepliesAndDataInSingleByteWritesAreReadWhole) {
  TransferEnv env(7);
  camsim::TransferFaults f;
  f.splitWrites = true;
  env.store().setFaults(f);
  const auto data = randomBytes(3000, 10);
  env.store().putFile(5, data);
  env.store().putBlock(5, data);
  ASSERT_EQ(Ostrel_DownloadFile(env.user, env.path("split.bin").c_str(), 5), 0);
  EXPECT_TRUE(readFile(env.path("split.bin")) == data);
  std::vector<char> buf(3000);
  int size = 3000;
  ASSERT_EQ(Ostrel_DownloadMem(env.user, 5, buf.data(), &size), 0);
  EXPECT_EQ(std::memcmp(buf.data(), data.data(), 3000), 0);
  writeFile(env.path("up.bin"), data);
  EXPECT_EQ(Ostrel_UploadFile(env.user, env.path("up.bin").c_str(), 6), 0);
  ASSERT_TRUE(env.settled());
  std::vector<uint8_t> stored;
  ASSERT_TRUE(env.store().file(6, &stored));
  EXPECT_TRUE(stored == data);
}

TEST(Transfer, ACameraThatStopsReadingFailsTheUpload) {
  TransferEnv env(8);
  camsim::TransferFaults f;
  f.closeMidTransfer = true;
  env.store().setFaults(f);
  // Larger than what the loopback socket buffers can absorb once the camera has gone.
  const auto data = randomBytes(32 * 0x100000, 11);
  writeFile(env.path("big.bin"), data);
  EXPECT_EQ(Ostrel_UploadFile(env.user, env.path("big.bin").c_str(), 2), -98);
  EXPECT_EQ(Ostrel_UploadMem(env.user, 2, reinterpret_cast<const char*>(data.data()), int(data.size())), -98);
  ASSERT_TRUE(env.settled());
  std::vector<uint8_t> stored;
  EXPECT_FALSE(env.store().file(2, &stored));
  EXPECT_FALSE(env.store().block(2, &stored));
}

TEST(Transfer, ACameraThatIsGoneGivesConnectFailure) {
  TransferEnv env(9);
  env.sim.command().stop();
  writeFile(env.path("a.bin"), {1});
  EXPECT_EQ(Ostrel_UploadFile(env.user, env.path("a.bin").c_str(), 2), -99);
  EXPECT_EQ(Ostrel_DownloadFile(env.user, env.path("b.bin").c_str(), 2), -99);
  EXPECT_TRUE(env.names() == std::vector<std::string>{"a.bin"});
}
