// Stop is prompt on both ends even when the other side has gone silent and the configured
// time-out is 0 (which stands for 5000 ms, not for waiting for ever).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "OstrelSDK.h"
#include "PushTestKit.h"

using namespace ostrel::test;

namespace {

constexpr int kAlarmPort = 21333;
constexpr int kBusiPort = 21343;
// Far below the 5000 ms a stop would take if it waited for the time-out; the sanitizer lanes on a
// loaded machine get more room for scheduling alone.
#ifdef OSTREL_PUSH_SLOW_LANE
constexpr double kStopLimitMs = 1500;
#else
constexpr double kStopLimitMs = 500;
#endif

void onAlarm(int, AlarmMessage*, void*) {}
void onBusi(int, BusiMessage*, void*) {}

// A connection to 127.0.0.1:port that sends a few header bytes and then nothing.
int silentClient(int port) {
  int fd = connectLoopback(port);
  if (fd >= 0) send(fd, "\x00\x02\x00\x00", 4, MSG_NOSIGNAL);
  return fd;
}

// A listener on an ephemeral loopback port that accepts and never reads.
struct SilentServer {
  SilentServer() {
    listenFd = socket(AF_INET, SOCK_STREAM, 0);
    // A small fixed receive buffer (inherited by the accepted socket) stops the window from
    // growing, so a few MiB are enough to keep the sender waiting.
    int small = 64 * 1024;
    setsockopt(listenFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listenFd, 4);
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
  }
  ~SilentServer() {
    if (connFd >= 0) close(connFd);
    close(listenFd);
  }
  // Accepts the client's connection and waits until its bytes have started to arrive.
  bool acceptAndSeeBytes() {
    pollfd p{listenFd, POLLIN, 0};
    if (poll(&p, 1, kWaitMs) != 1) return false;
    connFd = accept(listenFd, nullptr, nullptr);
    pollfd q{connFd, POLLIN, 0};
    return connFd >= 0 && poll(&q, 1, kWaitMs) == 1;
  }
  int listenFd = -1;
  int connFd = -1;
  int port = 0;
};

template <class F>
double timeMs(F&& f) {
  auto t0 = Clock::now();
  f();
  return msBetween(t0, Clock::now());
}

}  // namespace

TEST(PushStop, ServersStopAtOnceWithASilentPeerConnected) {
  LogTap log;
  AlarmServer* alarm = AlarmServer_Create();
  AlarmServerConfig ac{};
  ac.port = kAlarmPort;
  ac.timeoutMs = 0;
  ASSERT_EQ(AlarmServer_Start(alarm, &ac, onAlarm, nullptr), 0);
  BusiServer* busi = BusiServer_Create();
  BusiServerConfig bc{};
  bc.port = kBusiPort;
  bc.timeoutMs = 0;
  ASSERT_EQ(BusiServer_Start(busi, &bc, onBusi, nullptr), 0);

  int a = silentClient(kAlarmPort);
  int b = silentClient(kBusiPort);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  ASSERT_TRUE(log.waitFor("accept client", 2));  // both workers now wait inside a receive
  EXPECT_LT(timeMs([&] { EXPECT_EQ(AlarmServer_Stop(alarm), 0); }), kStopLimitMs);
  EXPECT_LT(timeMs([&] { EXPECT_EQ(BusiServer_Stop(busi), 0); }), kStopLimitMs);
  // The half-received message was dropped, and the servers start again on the same ports.
  EXPECT_EQ(log.times("recvData, ret -97").size(), 2u);
  ASSERT_EQ(AlarmServer_Start(alarm, &ac, onAlarm, nullptr), 0);
  ASSERT_EQ(BusiServer_Start(busi, &bc, onBusi, nullptr), 0);
  // Idle in accept: stop is just as prompt.
  EXPECT_LT(timeMs([&] { AlarmServer_Free(&alarm); }), kStopLimitMs);
  EXPECT_LT(timeMs([&] { BusiServer_Free(&busi); }), kStopLimitMs);
  close(a);
  close(b);
}

TEST(PushStop, ClientsStopAtOnceWhileTheServerDoesNotRead) {
  LogTap log;
  SilentServer alarmPeer, busiPeer;
  AlarmClient* alarm = AlarmClient_Create();
  AlarmClientConfig ac{};
  strcpy(ac.ip, "127.0.0.1");
  ac.port = static_cast<uint16_t>(alarmPeer.port);
  ac.maxQueue = 4;
  ASSERT_EQ(AlarmClient_Start(alarm, &ac, onAlarm, nullptr), 0);
  // 6 MiB cannot all sit in the socket buffers: the sender has to wait for the reader.
  int lengths[4] = {6 << 20, 0, 0, 0};
  uint8_t kinds[4] = {4, 0, 0, 0};
  std::vector<uint8_t> payload(static_cast<size_t>(lengths[0]), 0x42);
  const void* data[4] = {payload.data(), nullptr, nullptr, nullptr};
  AlarmMessage h{};
  AlarmMessage* m = AlarmData_Create(&h, data, lengths, kinds);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(AlarmClient_PostData(alarm, m), 0);
  ASSERT_TRUE(alarmPeer.acceptAndSeeBytes());
  EXPECT_LT(timeMs([&] { EXPECT_EQ(AlarmClient_Stop(alarm), 0); }), kStopLimitMs);

  TempDir dir;
  const std::string path = dir.file("m");
  {
    // A 64 MiB sparse message file.
    BusiMessage bh{};
    bh.totalSize = 64 << 20;
    writeBytes(path, &bh, sizeof bh);
    ASSERT_EQ(truncate(path.c_str(), bh.totalSize), 0);
  }
  BusiClient* busi = BusiClient_Create();
  BusiClientConfig bc{};
  strcpy(bc.ip, "127.0.0.1");
  bc.port = static_cast<uint16_t>(busiPeer.port);
  bc.maxQueue = 4;
  ASSERT_EQ(BusiClient_Start(busi, &bc, onBusi, nullptr), 0);
  ASSERT_EQ(BusiClient_PostFile(busi, path.c_str()), 0);
  ASSERT_TRUE(busiPeer.acceptAndSeeBytes());
  EXPECT_LT(timeMs([&] { BusiClient_Free(&busi); }), kStopLimitMs);
  // Idle between passes: stop ends the pause at once.
  ASSERT_EQ(AlarmClient_Start(alarm, &ac, onAlarm, nullptr), 0);
  EXPECT_LT(timeMs([&] { AlarmClient_Free(&alarm); }), kStopLimitMs);
  free(m);
}
