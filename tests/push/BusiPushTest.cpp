// Business-data push against the Python peer on loopback: message files from disk (a 3 GiB
// sparse one among them), saving on receipt, and the once-a-second retry.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "PushTestKit.h"
#include "files/StreamFile.h"
#include "push/PushSocket.h"

using namespace ostrel::test;

namespace {

constexpr int kServerPort = 21341;
constexpr int kSavePort = 21342;
constexpr int kFolderPort = 21344;
constexpr int kFailPort = 21345;
constexpr int kDeadPort = 21353;
constexpr int kShrinkPort = 21354;
constexpr int64_t kGiB = 1LL << 30;

void onBusi(int result, BusiMessage* m, void* user) {
  static_cast<Inbox*>(user)->add(result, m, m ? static_cast<size_t>(std::min<int64_t>(m->totalSize, 64 << 20)) : 0);
}
void onBusiHeader(int result, BusiMessage* m, void* user) { static_cast<Inbox*>(user)->add(result, m, 512); }

BusiClientConfig clientConfig(int port, uint16_t maxQueue = 8, bool deleteAfterSend = false) {
  BusiClientConfig c{};
  memset(c.reserved0, 0x5A, sizeof c.reserved0);
  strcpy(c.ip, "127.0.0.1");
  c.port = static_cast<uint16_t>(port);
  c.timeoutMs = 2000;
  c.maxQueue = maxQueue;
  c.deleteAfterSend = deleteAfterSend ? 1 : 0;
  return c;
}

BusiServerConfig serverConfig(int port, const std::string& folder, bool save) {
  BusiServerConfig c{};
  c.port = static_cast<uint16_t>(port);
  c.timeoutMs = 2000;
  memcpy(c.saveFolder, folder.data(), std::min(folder.size(), sizeof c.saveFolder));
  c.saveEnable = save ? 1 : 0;
  return c;
}

BusiMessage header(int type, int64_t total, const char* sender) {
  BusiMessage h{};
  h.totalSize = total;
  h.busiType = type;
  memcpy(h.sender, sender, strnlen(sender, sizeof h.sender));
  h.dataTime = 133500000000000000LL;
  return h;
}

// A message file: the header, then `size - 512` bytes of a counting pattern.
void writeMessageFile(const std::string& path, const BusiMessage& h, int64_t size) {
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
  memcpy(bytes.data(), &h, sizeof h);
  writeBytes(path, bytes.data(), bytes.size());
}

class BusiPush : public ::testing::Test {
 protected:
  LogTap log;
  TempDir dir;
};

}  // namespace

TEST_F(BusiPush, PostingChecksTheFileAndTheMessage) {
  BusiClient* client = BusiClient_Create();
  Inbox sent;
  const std::string good = dir.file("good.msg");
  writeMessageFile(good, header(0, 4096, "g"), 4096);
  EXPECT_EQ(BusiClient_PostFile(client, good.c_str()), OSTREL_E_STATE);
  BusiClientConfig cfg = clientConfig(kDeadPort, 2);
  ASSERT_EQ(BusiClient_Start(client, &cfg, onBusiHeader, &sent), 0);

  const std::string oneShort = dir.file("short.msg");
  writeMessageFile(oneShort, header(0, 4095, "s"), 4096);
  EXPECT_EQ(BusiClient_PostFile(client, oneShort.c_str()), OSTREL_E_FRAME_HEADER);
  const std::string negative = dir.file("negative.msg");
  writeMessageFile(negative, header(-1, 4096, "n"), 4096);
  EXPECT_EQ(BusiClient_PostFile(client, negative.c_str()), OSTREL_E_FRAME_HEADER);
  const std::string stub = dir.file("stub.msg");
  writeBytes(stub, "tiny", 4);
  EXPECT_EQ(BusiClient_PostFile(client, stub.c_str()), OSTREL_E_READ);
  EXPECT_EQ(BusiClient_PostFile(client, dir.file("absent").c_str()), OSTREL_E_OPEN);
  EXPECT_EQ(BusiClient_PostFile(client, (dir.path() + "/" + std::string(600, 'p')).c_str()), OSTREL_E_ARGUMENT);
  EXPECT_EQ(log.times("invalid file").size(), 5u);

  // Each queue has its own limit, the file out for delivery included.
  EXPECT_EQ(BusiClient_PostFile(client, good.c_str()), 0);
  EXPECT_EQ(BusiClient_PostFile(client, good.c_str()), 0);
  EXPECT_EQ(BusiClient_PostFile(client, good.c_str()), OSTREL_E_STATE);

  BusiMessage h = header(0, 512, "d");
  EXPECT_EQ(BusiClient_PostData(client, &h), 0);
  h.busiType = -1;
  EXPECT_EQ(BusiClient_PostData(client, &h), OSTREL_E_ARGUMENT);
  h = header(0, 511, "d");
  EXPECT_EQ(BusiClient_PostData(client, &h), OSTREL_E_ARGUMENT);
  h = header(0, 0x100000001LL, "d");
  EXPECT_EQ(BusiClient_PostData(client, &h), OSTREL_E_ARGUMENT);

  EXPECT_EQ(BusiData_Create(-1, 512), nullptr);
  EXPECT_EQ(BusiData_Create(0, 511), nullptr);
  EXPECT_EQ(BusiData_Create(0, 0x100000001LL), nullptr);
  EXPECT_STREQ(BusiType_num2str(0), "None");
  EXPECT_STREQ(BusiType_num2str(1), "TLZW");
  EXPECT_STREQ(BusiType_num2str(2), "unknown");
  BusiClient_Free(&client);
  EXPECT_EQ(sent.size(), 0u);  // nothing was delivered, so nothing was reported
}

TEST_F(BusiPush, SparseFileOfThreeGiBReachesThePeerWhole) {
  // More than one sendfile call (at most 0x7ffff000 bytes each); the file takes no disk space.
  const std::string path = dir.file("big.msg");
  const int64_t size = 3 * kGiB;
  {
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    BusiMessage h = header(0, size, "sparse");
    ASSERT_EQ(pwrite(fd, &h, sizeof h, 0), 512);
    const char marks[] = "at 2 GiB";
    ASSERT_EQ(pwrite(fd, marks, sizeof marks, 2 * kGiB - 3), static_cast<ssize_t>(sizeof marks));
    ASSERT_EQ(pwrite(fd, "end", 3, size - 3), 3);
    close(fd);
  }
  std::string sum;
  ASSERT_EQ(runCommand(std::string(OSTREL_SYSTEM_PYTHON) +
                           " -c 'import hashlib,sys; print(hashlib.file_digest(open(sys.argv[1], \"rb\"), \"sha256\").hexdigest())' " +
                           path,
                       &sum),
            0);
  sum = sum.substr(0, 64);

  ServingPeer peer("busi", 0, 1, dir.path());
  ASSERT_GT(peer.port, 0);
  Inbox sent;
  BusiClient* client = BusiClient_Create();
  BusiClientConfig cfg = clientConfig(peer.port, 4, true);
  ASSERT_EQ(BusiClient_Start(client, &cfg, onBusiHeader, &sent), 0);
  ASSERT_EQ(BusiClient_PostFile(client, path.c_str()), 0);
  // Three gibibytes through the server and the peer's hash: more than the usual wait on a busy machine.
  auto j = peer.process.readJson(4 * kWaitMs);
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["total"], size);
  EXPECT_EQ(j["size"], size);
  EXPECT_EQ(j["sender"], "sparse");
  EXPECT_EQ(j["sha256"], sum);
  ASSERT_TRUE(sent.waitFor(1));
  EXPECT_EQ(sent.events()[0].result, 0);
  BusiMessage got;
  memcpy(&got, sent.events()[0].bytes.data(), sizeof got);
  EXPECT_EQ(got.totalSize, size);
  BusiClient_Free(&client);
  // Deleted once sent (the callback comes before the deletion; Free has joined the worker).
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(BusiPush, FileThatShrankStaysQueuedAndOnDisk) {
  const std::string path = dir.file("shrinks.msg");
  writeMessageFile(path, header(0, 8192, "shrink"), 8192);
  const std::vector<uint8_t> whole = readBytes(path);
  Inbox sent;
  BusiClient* client = BusiClient_Create();
  BusiClientConfig cfg = clientConfig(kShrinkPort, 4, true);
  ASSERT_EQ(BusiClient_Start(client, &cfg, onBusiHeader, &sent), 0);
  ASSERT_EQ(BusiClient_PostFile(client, path.c_str()), 0);
  ASSERT_EQ(truncate(path.c_str(), 4096), 0);
  ASSERT_TRUE(log.waitFor("send file failed: ret -198", 1));

  // With the server up the short file is still not sent, nor deleted.
  TempDir peerDir;
  ServingPeer peer("busi", kShrinkPort, 1, peerDir.path());
  ASSERT_EQ(peer.port, kShrinkPort);
  size_t before = log.times("send file failed: ret -198").size();
  ASSERT_TRUE(log.waitFor("send file failed: ret -198", before + 1));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(sent.size(), 0u);

  // Whole again, it goes out from the queue, and only then is deleted.
  writeBytes(path, whole.data(), whole.size());
  auto j = peer.process.readJson();
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["size"], 8192);
  EXPECT_EQ(readBytes(peerDir.file("msg0.bin")), whole);
  ASSERT_TRUE(sent.waitFor(1));
  BusiClient_Free(&client);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(BusiFileSend, FileEndingBeforeItsLengthIsAShortTransmission) {
  TempDir dir;
  const std::string path = dir.file("f");
  std::vector<uint8_t> bytes(8192, 0x11);
  writeBytes(path, bytes.data(), bytes.size());
  int file = open(path.c_str(), O_RDONLY);
  int sv[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, sv), 0);
  EXPECT_EQ(ostrel::push::sendFileAll(sv[0], file, 16384, -1, 1000), ostrel::push::Io::Closed);
  EXPECT_EQ(ostrel::push::sendFileAll(sv[0], file, 8192, -1, 1000), ostrel::push::Io::Done);
  close(file);
  close(sv[0]);
  close(sv[1]);
}

TEST_F(BusiPush, ServerSavesAStreamMessageThatOpensAsARecording) {
  // A two-frame 160 x 120 recording as the payload of a type-1 message from the peer.
  TempStreamGeometry g;
  ASSERT_EQ(TempStream_Geometry(160, 120, TF_MIN_PIXELS, TF_MAX_PIXELS, &g), 0);
  TempFileHead fh{};
  fh.fpsNum = 25;
  fh.fpsDiv = 1;
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  ASSERT_EQ(TempStream_BuildHeadArea(&g, &fh, area.data(), g.firstFrame), 0);
  const std::string stream = dir.file("payload.stream");
  {
    ostrel::files::StreamWriter w;
    ASSERT_EQ(w.create(stream.c_str(), g, area.data()), 0);
    for (int f = 0; f < 2; ++f) {
      TestFrame frame = rampFrame(160, 120, static_cast<int16_t>(2000 + f), 3);
      ASSERT_EQ(w.appendFrame(&frame.head, frame.codes.data()), 0);
    }
    ASSERT_EQ(w.close(), 0);
  }
  TempDir saved;
  BusiServer* server = BusiServer_Create();
  Inbox got;
  BusiServerConfig cfg = serverConfig(kSavePort, saved.path(), true);
  ASSERT_EQ(BusiServer_Start(server, &cfg, onBusi, &got), 0);
  const int64_t before = nowFileTimeForTest();
  ASSERT_TRUE(peerSend("busi", kSavePort,
                       {{"type", 1}, {"sender", "cam/7"}, {"time", 133500000000000000LL}, {"payload", stream},
                        {"out", dir.file("sent.msg")}}));
  ASSERT_TRUE(got.waitFor(1));
  const int64_t after = nowFileTimeForTest();
  PushEvent e = got.events()[0];
  std::vector<uint8_t> expect = readBytes(dir.file("sent.msg"));
  ASSERT_EQ(e.bytes.size(), expect.size());
  int64_t stamp;
  memcpy(&stamp, e.bytes.data() + 88, 8);
  const int64_t fiveSeconds = 50000000;  // FILETIME ticks
  EXPECT_TRUE(stamp > before - fiveSeconds && stamp < after + fiveSeconds) << stamp;
  std::fill(e.bytes.begin() + 88, e.bytes.begin() + 96, 0);
  EXPECT_TRUE(e.bytes == expect);

  std::vector<std::string> names = saved.names();
  ASSERT_EQ(names.size(), 1u);
  const std::string& n = names[0];
  EXPECT_EQ(n.rfind("cam_7-", 0), 0u) << n;
  ASSERT_EQ(n.size(), std::string("cam_7-YYYYMMDDhhmmss-YYYYMMDDhhmmss.stream").size()) << n;
  EXPECT_EQ(n.substr(n.size() - 7), ".stream");
  EXPECT_EQ(readBytes(saved.file(n)), readBytes(stream));
  TFContext* ctx = TF_Create();
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(TF_Open(ctx, saved.file(n).c_str(), TfOpenType_Stream), 0);
  TFFrame frame{};
  EXPECT_EQ(TF_ReadFrameHead(ctx, 1, &frame), 0);
  TF_Free(&ctx);
  BusiServer_Free(&server);
}

TEST_F(BusiPush, MinimalMessageIsKeptButNotSavedAsPayload) {
  TempDir saved;
  BusiServer* server = BusiServer_Create();
  Inbox got;
  BusiServerConfig cfg = serverConfig(kServerPort, saved.path(), true);
  ASSERT_EQ(BusiServer_Start(server, &cfg, onBusi, &got), 0);
  ASSERT_TRUE(peerSend("busi", kServerPort, {{"type", 0}, {"sender", "min"}, {"time", 0}, {"out", dir.file("m")}}));
  ASSERT_TRUE(got.waitFor(1));
  auto* m = static_cast<BusiMessage*>(got.events()[0].message);
  EXPECT_EQ(got.events()[0].bytes.size(), 512u);
  EXPECT_EQ(BusiData_Save(m, dir.path().c_str()), OSTREL_E_ARGUMENT);
  // Saved on receipt as the whole message under ".None".
  auto names = saved.names();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].substr(names[0].size() - 5), ".None");
  EXPECT_EQ(readBytes(saved.file(names[0])).size(), 512u);

  // A message with a payload saves it alone, under the type name and the receive time.
  BusiMessage* full = BusiData_Create(7, 512 + 100);
  ASSERT_NE(full, nullptr);
  memset(reinterpret_cast<uint8_t*>(full) + 512, 0x3C, 100);
  strcpy(full->sender, "x:y");
  EXPECT_EQ(BusiData_Save(full, saved.path().c_str()), 1);
  names = saved.names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1].rfind("unknown_x_y_", 0), 0u) << names[1];
  EXPECT_EQ(readBytes(saved.file(names[1])), std::vector<uint8_t>(100, 0x3C));
  EXPECT_EQ(BusiData_Save(full, (dir.path() + "/absent").c_str()), OSTREL_E_OPEN);
  free(full);
  EXPECT_EQ(BusiServer_FreeData(server, m), 0);
  BusiServer_Free(&server);
}

TEST_F(BusiPush, NetworkTextsNeverLeaveTheSaveFolder) {
  // A save folder that fills its 128-byte field without a terminator, a sender "../x" and a
  // sender that fills its 64 bytes.
  TempDir root;
  std::string folder = root.path() + "/";
  folder += std::string(128 - folder.size(), 'f');
  ASSERT_EQ(folder.size(), 128u);
  std::filesystem::create_directory(folder);
  BusiServer* server = BusiServer_Create();
  Inbox got;
  BusiServerConfig cfg = serverConfig(kFolderPort, folder, true);
  ASSERT_EQ(BusiServer_Start(server, &cfg, onBusi, &got), 0);
  ASSERT_TRUE(peerSend("busi", kFolderPort, {{"type", 2}, {"sender", "../x"}, {"time", 0}, {"size", 10},
                                             {"out", dir.file("a")}}));
  ASSERT_TRUE(peerSend("busi", kFolderPort, {{"type", 0}, {"sender", std::string(64, 'q')}, {"time", 0},
                                             {"out", dir.file("b")}}));
  ASSERT_TRUE(got.waitFor(2));
  EXPECT_EQ(root.names().size(), 1u);
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].rfind("_._x-", 0), 0u) << names[0];
  EXPECT_EQ(names[0].substr(names[0].size() - 8), ".unknown");
  EXPECT_EQ(names[1].rfind(std::string(64, 'q') + "-", 0), 0u) << names[1];
  // BusiData_Save reads the unterminated sender within its field too.
  auto* m = static_cast<BusiMessage*>(got.events()[0].message);
  memset(m->sender, 'r', sizeof m->sender);
  EXPECT_EQ(BusiData_Save(m, folder.c_str()), 1);
  BusiServer_Free(&server);
}

TEST_F(BusiPush, FailedSaveIsLoggedAndTheMessageStillHandedOn) {
  TempDir saved;
  BusiServer* server = BusiServer_Create();
  Inbox got;
  BusiServerConfig cfg = serverConfig(kFailPort, saved.path(), true);
  ASSERT_EQ(BusiServer_Start(server, &cfg, onBusi, &got), 0);
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool sentOk = peerSend("busi", kFailPort, {{"type", 0}, {"sender", "f"}, {"time", 0}, {"size", 20000},
                                              {"out", "/dev/null"}});
  bool handed = got.waitFor(1);
  setrlimit(RLIMIT_FSIZE, &old);
  ASSERT_TRUE(sentOk);
  ASSERT_TRUE(handed);
  EXPECT_EQ(got.events()[0].bytes.size(), 20512u);
  auto failed = log.times("failed: ret -197, File too large");
  EXPECT_EQ(failed.size(), 1u);
  EXPECT_TRUE(saved.names().empty());
  BusiServer_Free(&server);
}

TEST_F(BusiPush, MessageAndFileAreRetriedOnceASecondWhileTheServerIsDown) {
  const std::string path = dir.file("retry.msg");
  writeMessageFile(path, header(1, 2048, "r"), 2048);
  Inbox sent;
  BusiClient* client = BusiClient_Create();
  BusiClientConfig cfg = clientConfig(kDeadPort, 4, true);
  ASSERT_EQ(BusiClient_Start(client, &cfg, onBusiHeader, &sent), 0);
  BusiMessage* m = BusiData_Create(0, 4096);
  ASSERT_EQ(BusiClient_PostData(client, m), 0);
  ASSERT_EQ(BusiClient_PostFile(client, path.c_str()), 0);
  ASSERT_TRUE(log.waitFor("send data failed", 4));
  ASSERT_TRUE(log.waitFor("send file failed", 4));
  for (const char* what : {"send data failed", "send file failed"}) {
    auto t = log.times(what);
    ASSERT_GE(t.size(), 4u);
    // Three pauses of a second between the first and the fourth attempt, not a busy loop.
    EXPECT_GE(msBetween(t[0], t[3]), 2900) << what;
    EXPECT_LE(msBetween(t[0], t[3]), 6000) << what;
  }
  BusiClient_Free(&client);
  EXPECT_EQ(sent.size(), 0u);
  EXPECT_TRUE(std::filesystem::exists(path));  // never deleted when not delivered
  free(m);
}
