// Alarm push against the Python peer (built from the header table, not from our code) on
// loopback, and the saved files checked by Python.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>

#include "OstrelSDK.h"
#include "PushTestKit.h"

using namespace ostrel::test;

namespace {

// Ports of this suite's servers (outside the ephemeral range); nothing ever listens on kDeadPort
// except the peer started late on purpose.
constexpr int kServerPort = 21331;
constexpr int kRefusePort = 21332;
constexpr int kLatePort = 21351;
constexpr int kDeadPort = 21352;
constexpr int kMiB = 1 << 20;
constexpr int64_t kFiveSeconds = 50000000;  // FILETIME ticks

void onAlarm(int result, AlarmMessage* m, void* user) {
  static_cast<Inbox*>(user)->add(result, m, m ? static_cast<size_t>(m->totalSize) : 0);
}

AlarmMessage header(int type, const char* sender, int64_t time) {
  AlarmMessage h{};
  h.alarmType = type;
  memcpy(h.sender, sender, strnlen(sender, sizeof h.sender));
  h.alarmTime = time;
  for (size_t i = 0; i < sizeof h.reserved108; ++i) h.reserved108[i] = static_cast<uint8_t>(i * 13);
  return h;
}

AlarmClientConfig clientConfig(int port, uint16_t maxQueue = 16, uint16_t timeoutMs = 2000) {
  AlarmClientConfig c{};
  strcpy(c.ip, "127.0.0.1");
  c.port = static_cast<uint16_t>(port);
  c.timeoutMs = timeoutMs;
  c.maxQueue = maxQueue;
  return c;
}

// A message with the given attachments (built by AlarmData_Create); the caller frees it.
AlarmMessage* makeMessage(const AlarmMessage& h, std::vector<std::vector<uint8_t>>& parts, std::vector<uint8_t> kinds) {
  const void* data[4] = {};
  int lengths[4] = {};
  uint8_t k[4] = {};
  for (size_t i = 0; i < parts.size(); ++i) {
    data[i] = parts[i].data();
    lengths[i] = static_cast<int>(parts[i].size());
    k[i] = kinds[i];
  }
  return AlarmData_Create(&h, data, lengths, k);
}

std::vector<uint8_t> bytesOf(const AlarmMessage* m) {
  const auto* p = reinterpret_cast<const uint8_t*>(m);
  return std::vector<uint8_t>(p, p + m->totalSize);
}

class AlarmPush : public ::testing::Test {
 protected:
  LogTap log;
  TempDir dir;
};

}  // namespace

TEST_F(AlarmPush, ClientDeliversMessagesByteExactToThePeer) {
  ServingPeer peer("alarm", 0, 2, dir.path());
  ASSERT_GT(peer.port, 0);
  Inbox sent;
  AlarmClient* client = AlarmClient_Create();
  AlarmClientConfig cfg = clientConfig(peer.port);
  ASSERT_EQ(AlarmClient_Start(client, &cfg, onAlarm, &sent), 0);

  // The bare 512-byte message.
  std::vector<std::vector<uint8_t>> none;
  AlarmMessage* small = makeMessage(header(1, "cam-north", 133500000000000000LL), none, {});
  ASSERT_NE(small, nullptr);
  ASSERT_EQ(small->totalSize, 512);
  ASSERT_EQ(AlarmClient_PostData(client, small), 0);
  auto j = peer.process.readJson();
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["total"], 512);
  EXPECT_EQ(j["size"], 512);
  EXPECT_EQ(j["type"], 1);
  EXPECT_EQ(j["sender"], "cam-north");
  EXPECT_EQ(j["time"], 133500000000000000LL);
  EXPECT_EQ(readBytes(dir.file("msg0.bin")), bytesOf(small));
  ASSERT_TRUE(sent.waitFor(1));
  EXPECT_EQ(sent.events()[0].result, 0);

  // Four attachments that fill the 16 MiB limit exactly.
  std::vector<std::vector<uint8_t>> parts = {noise(4 * kMiB, 1), noise(4 * kMiB, 2), noise(4 * kMiB, 3),
                                             noise(4 * kMiB - 512, 4)};
  AlarmMessage* big = makeMessage(header(1, "cam-south", 133500000010000000LL), parts, {3, 2, 1, 4});
  ASSERT_NE(big, nullptr);
  ASSERT_EQ(big->totalSize, 16 * kMiB);
  ASSERT_EQ(AlarmClient_PostData(client, big), 0);
  j = peer.process.readJson();
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["size"], 16 * kMiB);
  EXPECT_EQ(j["sender"], "cam-south");
  EXPECT_EQ(readBytes(dir.file("msg1.bin")), bytesOf(big));
  ASSERT_TRUE(sent.waitFor(2));
  EXPECT_EQ(sent.events()[1].result, 0);
  EXPECT_EQ(sent.events()[1].bytes, bytesOf(big));

  // One byte more does not fit.
  parts[3].push_back(0);
  EXPECT_EQ(makeMessage(header(1, "x", 0), parts, {3, 2, 1, 4}), nullptr);

  AlarmClient_Free(&client);
  EXPECT_EQ(client, nullptr);
  free(small);
  free(big);
  EXPECT_EQ(peer.process.wait(), 0);
}

TEST_F(AlarmPush, ServerReceivesPeerMessagesWithItsOwnTime) {
  AlarmServer* server = AlarmServer_Create();
  Inbox got;
  AlarmServerConfig cfg = clientConfig(kServerPort);
  ASSERT_EQ(AlarmServer_Start(server, &cfg, onAlarm, &got), 0);
  EXPECT_EQ(AlarmServer_Start(server, &cfg, onAlarm, &got), OSTREL_E_STATE);

  nlohmann::json specs[] = {
      {{"type", 0}, {"sender", "peer-small"}, {"time", 1234567}, {"out", dir.file("sent0.bin")}},
      {{"type", 1}, {"sender", "peer-full"}, {"time", 7654321}, {"seed", 9},
       {"lens", {8 * kMiB, 4 * kMiB, 4 * kMiB - 1024, 512}}, {"kinds", {3, 2, 4, 1}}, {"out", dir.file("sent1.bin")}}};
  for (size_t i = 0; i < 2; ++i) {
    const int64_t before = nowFileTimeForTest();
    ASSERT_TRUE(peerSend("alarm", kServerPort, specs[i]));
    ASSERT_TRUE(got.waitFor(i + 1));
    const int64_t after = nowFileTimeForTest();
    PushEvent e = got.events()[i];
    std::vector<uint8_t> expect = readBytes(specs[i]["out"]);
    ASSERT_EQ(e.bytes.size(), expect.size());
    EXPECT_EQ(e.result, 0);
    // Everything arrives as sent except alarmTime, which is the receiver's clock.
    int64_t stamp;
    memcpy(&stamp, e.bytes.data() + 80, 8);
    EXPECT_TRUE(stamp > before - kFiveSeconds && stamp < after + kFiveSeconds) << stamp;
    std::fill(e.bytes.begin() + 80, e.bytes.begin() + 88, 0);
    std::fill(expect.begin() + 80, expect.begin() + 88, 0);
    EXPECT_TRUE(e.bytes == expect) << "message " << i << " differs";
  }
  // Kept until freed; freeing an unknown or already freed message changes nothing.
  auto events = got.events();
  EXPECT_EQ(AlarmServer_FreeData(server, static_cast<AlarmMessage*>(events[0].message)), 0);
  EXPECT_EQ(AlarmServer_FreeData(server, static_cast<AlarmMessage*>(events[0].message)), 0);
  AlarmMessage stranger{};
  EXPECT_EQ(AlarmServer_FreeData(server, &stranger), 0);
  EXPECT_EQ(AlarmServer_FreeData(nullptr, &stranger), OSTREL_E_HANDLE);
  EXPECT_EQ(AlarmServer_Stop(server), 0);
  EXPECT_EQ(AlarmServer_Stop(server), 0);
  AlarmServer_Free(&server);
}

TEST_F(AlarmPush, ServerRefusesHeadersWhoseLengthsDoNotAddUp) {
  AlarmServer* server = AlarmServer_Create();
  Inbox got;
  AlarmServerConfig cfg = clientConfig(kRefusePort);
  ASSERT_EQ(AlarmServer_Start(server, &cfg, onAlarm, &got), 0);
  // 600 announced, 100 in the slots; then negative lengths that add up to a plausible total;
  // then a total below the header.
  nlohmann::json bad[] = {
      {{"type", 1}, {"sender", "short"}, {"time", 1}, {"total", 600}, {"lens", {100, 0, 0, 0}}},
      {{"type", 1}, {"sender", "negative"}, {"time", 1}, {"lens", {-100, 188, 0, 0}}},
      {{"type", 1}, {"sender", "tiny"}, {"time", 1}, {"total", 511}}};
  for (size_t i = 0; i < 3; ++i) {
    bad[i]["out"] = dir.file("bad" + std::to_string(i));
    ASSERT_TRUE(peerSend("alarm", kRefusePort, bad[i]));
    ASSERT_TRUE(log.waitFor("recvData, ret -95", i + 1));
  }
  EXPECT_EQ(readBytes(dir.file("bad1")).size(), 700u);  // the peer did send the 188 bytes
  ASSERT_TRUE(peerSend("alarm", kRefusePort, {{"type", 0}, {"sender", "fine"}, {"time", 1}, {"out", dir.file("ok")}}));
  ASSERT_TRUE(got.waitFor(1));
  auto events = got.events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_STREQ(reinterpret_cast<const char*>(events[0].bytes.data() + 8), "fine");
  AlarmServer_Free(&server);
}

TEST_F(AlarmPush, QueuedMessagesGoNewestFirstOnceTheServerIsUpAndFailuresPause) {
  Inbox sent;
  AlarmClient* client = AlarmClient_Create();
  AlarmClientConfig cfg = clientConfig(kLatePort, 8, 1000);
  ASSERT_EQ(AlarmClient_Start(client, &cfg, onAlarm, &sent), 0);
  std::vector<std::vector<uint8_t>> none;
  AlarmMessage* m[3];
  const char* senders[3] = {"first", "second", "third"};
  for (int i = 0; i < 3; ++i) {
    m[i] = makeMessage(header(1, senders[i], i), none, {});
    ASSERT_EQ(AlarmClient_PostData(client, m[i]), 0);
  }
  // Every failed attempt is reported, and the next one waits a second instead of spinning.
  ASSERT_TRUE(sent.waitFor(3));
  auto failures = sent.events();
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(failures[i].result, OSTREL_E_CONNECT);
  EXPECT_GE(msBetween(failures[0].at, failures[1].at), 900);
  EXPECT_GE(msBetween(failures[1].at, failures[2].at), 900);

  ServingPeer peer("alarm", kLatePort, 3, dir.path());
  ASSERT_EQ(peer.port, kLatePort);
  for (int i = 2; i >= 0; --i) {
    auto j = peer.process.readJson();
    ASSERT_FALSE(j.is_discarded());
    EXPECT_EQ(j["sender"], senders[i]);
  }
  AlarmClient_Free(&client);
  for (auto* p : m) free(p);
}

TEST_F(AlarmPush, PostingChecksStateQueueLimitAndHeader) {
  AlarmClient* client = AlarmClient_Create();
  std::vector<std::vector<uint8_t>> none;
  AlarmMessage* m = makeMessage(header(0, "q", 0), none, {});
  Inbox sent;
  EXPECT_EQ(AlarmClient_PostData(client, m), OSTREL_E_STATE);
  AlarmClientConfig cfg = clientConfig(kDeadPort, 2);
  EXPECT_EQ(AlarmClient_Start(client, &cfg, nullptr, nullptr), OSTREL_E_ARGUMENT);
  AlarmClientConfig badIp = cfg;
  strcpy(badIp.ip, "300.1.2.3");
  EXPECT_EQ(AlarmClient_Start(client, &badIp, onAlarm, &sent), OSTREL_E_ARGUMENT);
  ASSERT_EQ(AlarmClient_Start(client, &cfg, onAlarm, &sent), 0);
  EXPECT_EQ(AlarmClient_Start(client, &cfg, onAlarm, &sent), OSTREL_E_STATE);

  // The queue holds maxQueue messages, including the one out for a (failing) delivery.
  EXPECT_EQ(AlarmClient_PostData(client, m), 0);
  EXPECT_EQ(AlarmClient_PostData(client, m), 0);
  EXPECT_EQ(AlarmClient_PostData(client, m), OSTREL_E_STATE);

  AlarmMessage bad = *m;
  bad.totalSize = 511;
  EXPECT_EQ(AlarmClient_PostData(client, &bad), OSTREL_E_ARGUMENT);
  bad = *m;
  bad.totalSize = 600;
  bad.attachLen[0] = -100;
  bad.attachLen[1] = 188;
  EXPECT_EQ(AlarmClient_PostData(client, &bad), OSTREL_E_ARGUMENT);
  EXPECT_EQ(AlarmClient_PostData(client, nullptr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(AlarmClient_PostData(nullptr, m), OSTREL_E_HANDLE);

  EXPECT_EQ(AlarmClient_Stop(client), 0);
  EXPECT_EQ(AlarmClient_PostData(client, m), OSTREL_E_STATE);
  AlarmClient_Free(&client);
  AlarmClient_Free(&client);
  AlarmClient_Free(nullptr);
  free(m);
}

TEST_F(AlarmPush, CreateDropsEmptySlotsAndChecksTheTotal) {
  AlarmMessage h = header(1, "c", 5);
  uint8_t a[10], b[7];
  memset(a, 0xAA, sizeof a);
  memset(b, 0xBB, sizeof b);
  const void* data[4] = {a, nullptr, nullptr, b};
  int lengths[4] = {10, -5, 0, 7};
  uint8_t kinds[4] = {3, 3, 3, 2};
  AlarmMessage* m = AlarmData_Create(&h, data, lengths, kinds);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(lengths[1], 0);
  EXPECT_EQ(kinds[1], 0);
  EXPECT_EQ(kinds[2], 0);
  EXPECT_EQ(m->totalSize, 529);
  EXPECT_EQ(m->attachLen[0], 10);
  EXPECT_EQ(m->attachLen[3], 7);
  EXPECT_EQ(m->attachKind[3], 2);
  const uint8_t* body = reinterpret_cast<const uint8_t*>(m) + 512;
  EXPECT_EQ(body[9], 0xAA);
  EXPECT_EQ(body[10], 0xBB);
  EXPECT_EQ(memcmp(m->sender, "c", 2), 0);
  free(m);
  int missing[4] = {4, 0, 0, 0};
  const void* none[4] = {};
  EXPECT_EQ(AlarmData_Create(&h, none, missing, kinds), nullptr);
  EXPECT_STREQ(AlarmDataType_num2str(0), "None");
  EXPECT_STREQ(AlarmDataType_num2str(1), "SmokeFirePerson");
  EXPECT_STREQ(AlarmDataType_num2str(2), "unknown");
  EXPECT_STREQ(AlarmDataType_num2str(-1), "unknown");
}

TEST_F(AlarmPush, SaveWritesWholeMessageOrAttachmentsAsPythonReadsThem) {
  // 2026-03-04 05:06:07 UTC as FILETIME; Python finds the local time on its own.
  const int64_t when = (1772600767LL + 11644473600LL) * 10000000LL;
  std::vector<std::vector<uint8_t>> parts = {noise(1000, 7), noise(300, 8)};
  AlarmMessage* m = makeMessage(header(1, "cam-east", when), parts, {3, 2});
  ASSERT_NE(m, nullptr);
  char name[256];
  ASSERT_EQ(AlarmData_Save(m, dir.path().c_str(), 0, name, sizeof name), 0);
  ASSERT_EQ(AlarmData_Save(m, dir.path().c_str(), 1, name, sizeof name), 0);
  std::string check = std::string(OSTREL_SYSTEM_PYTHON) + " -c " + pythonQuote(R"(
import os, struct, sys, time
d, t = sys.argv[1], int(sys.argv[2])
base = "SmokeFirePerson_cam-east_" + time.strftime("%Y%m%d_%H%M%S", time.localtime((t - 116444736000000000) // 10**7))
msg = open(f"{d}/{base}.alarm", "rb").read()
v = struct.unpack("<ii72sq4i4B404x", msg[:512])
assert v[0] == len(msg) == 512 + v[4] + v[5] and v[4:8] == (1000, 300, 0, 0) and v[8:10] == (3, 2), v
assert open(f"{d}/{base}.jpg", "rb").read() == msg[512:1512]
assert open(f"{d}/{base}.txt", "rb").read() == msg[1512:]
assert sorted(os.listdir(d)) == sorted([base + e for e in (".alarm", ".jpg", ".txt")]), os.listdir(d)
print(base, end="")
)") + " " + dir.path() + " " + std::to_string(when);
  std::string out;
  ASSERT_EQ(runCommand(check, &out), 0);
  EXPECT_EQ(std::string(name), dir.path() + "/" + out);

  EXPECT_EQ(AlarmData_Save(m, dir.path().c_str(), 0, name, 127), OSTREL_E_ARGUMENT);
  EXPECT_EQ(AlarmData_Save(m, nullptr, 0, name, 256), OSTREL_E_ARGUMENT);
  EXPECT_EQ(AlarmData_Save(m, (dir.path() + "/absent").c_str(), 0, name, 256), OSTREL_E_OPEN);
  AlarmMessage bad = *m;
  bad.totalSize = 600;  // lengths say 1812
  EXPECT_EQ(AlarmData_Save(&bad, dir.path().c_str(), 0, name, 256), OSTREL_E_MISMATCH);
  free(m);
}

TEST_F(AlarmPush, SaveReportsAFailedWriteAndLeavesNoPartialFile) {
  std::vector<std::vector<uint8_t>> parts = {noise(64 * 1024, 3)};
  AlarmMessage* m = makeMessage(header(0, "big", 0), parts, {4});
  ASSERT_NE(m, nullptr);
  // Files of this process may not grow past 4 KiB: the write fails part-way.
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  char name[256];
  int flag0 = AlarmData_Save(m, dir.path().c_str(), 0, name, sizeof name);
  int flag1 = AlarmData_Save(m, dir.path().c_str(), 1, name, sizeof name);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(flag0, OSTREL_E_WRITE);
  EXPECT_EQ(flag1, OSTREL_E_WRITE);
  EXPECT_TRUE(dir.names().empty());
  free(m);
}

TEST_F(AlarmPush, SenderTextsNeverLeaveTheFolder) {
  std::filesystem::create_directory(dir.file("inner"));
  const std::string inner = dir.file("inner");
  std::vector<std::vector<uint8_t>> none;
  char name[512];

  AlarmMessage* m = makeMessage(header(0, "../x", 0), none, {});
  ASSERT_EQ(AlarmData_Save(m, inner.c_str(), 0, name, sizeof name), 0);
  free(m);
  // Every unsafe character, and a sender that fills its field with no terminator.
  AlarmMessage h = header(0, "a/b\\c:d\ne", 0);
  m = makeMessage(h, none, {});
  ASSERT_EQ(AlarmData_Save(m, inner.c_str(), 0, name, sizeof name), 0);
  memset(h.sender, 's', sizeof h.sender);
  free(m);
  m = makeMessage(h, none, {});
  ASSERT_EQ(AlarmData_Save(m, inner.c_str(), 0, name, sizeof name), 0);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"inner"});
  std::vector<std::string> saved;
  for (auto& e : std::filesystem::directory_iterator(inner)) saved.push_back(e.path().filename().string());
  std::sort(saved.begin(), saved.end());
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved[0].rfind("None__._x_", 0), 0u) << saved[0];
  EXPECT_EQ(saved[1].rfind("None_a_b_c_d_e_", 0), 0u) << saved[1];
  EXPECT_EQ(saved[2].rfind("None_" + std::string(72, 's') + "_", 0), 0u) << saved[2];

  // A folder too long for the caller's name buffer is refused before anything is written.
  std::string deep = inner + "/" + std::string(150, 'd');
  std::filesystem::create_directory(deep);
  EXPECT_EQ(AlarmData_Save(m, deep.c_str(), 0, name, 160), OSTREL_E_ARGUMENT);
  EXPECT_EQ(name[0], '\0');
  EXPECT_TRUE(std::filesystem::is_empty(deep));
  free(m);
}
