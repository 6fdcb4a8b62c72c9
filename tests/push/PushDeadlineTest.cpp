// Hostile and slow peers on loopback: a peer that trickles or stalls is closed by its
// whole-message deadline while the server goes on serving everyone else, a slow but steady large
// message still arrives whole, and whole messages reach the callback one at a time in the order
// they completed.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "OstrelSDK.h"
#include "PushTestKit.h"

using namespace ostrel::test;

namespace {

constexpr int kAlarmPort = 21335;
constexpr int kPacedPort = 21336;
constexpr int kBusiPort = 21346;
constexpr int kMiB = 1 << 20;
#ifdef OSTREL_PUSH_SLOW_LANE
constexpr double kSlackMs = 3000;
#else
constexpr double kSlackMs = 1500;
#endif

bool sendBytes(int fd, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (n > 0) {
    ssize_t k = send(fd, p, n, MSG_NOSIGNAL);
    if (k <= 0) return false;
    p += k;
    n -= static_cast<size_t>(k);
  }
  return true;
}

// Waits until the server has closed its end (end of stream or reset); the time it saw that.
bool waitClosed(int fd, Clock::time_point* at) {
  auto end = Clock::now() + std::chrono::milliseconds(kWaitMs);
  char sink[4096];
  while (Clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    ssize_t n = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
      *at = Clock::now();
      return true;
    }
  }
  return false;
}

AlarmMessage* alarmWith(const char* sender, const std::vector<uint8_t>& attachment) {
  AlarmMessage h{};
  h.alarmType = 1;
  strncpy(h.sender, sender, sizeof h.sender - 1);
  const void* data[4] = {attachment.data(), nullptr, nullptr, nullptr};
  int lengths[4] = {static_cast<int>(attachment.size()), 0, 0, 0};
  uint8_t kinds[4] = {3, 0, 0, 0};
  return AlarmData_Create(&h, data, lengths, kinds);
}

// The bytes a server hands over equal the bytes sent, apart from the receive time it stamps.
void expectSameAlarm(std::vector<uint8_t> got, const AlarmMessage* sent) {
  const auto* p = reinterpret_cast<const uint8_t*>(sent);
  std::vector<uint8_t> expect(p, p + sent->totalSize);
  ASSERT_EQ(got.size(), expect.size());
  std::fill(got.begin() + 80, got.begin() + 88, 0);
  std::fill(expect.begin() + 80, expect.begin() + 88, 0);
  EXPECT_TRUE(got == expect);
}

void onAlarm(int result, AlarmMessage* m, void* user) {
  static_cast<Inbox*>(user)->add(result, m, m ? static_cast<size_t>(m->totalSize) : 0);
}

// A running alarm server that puts what it receives into `inbox`; null when it cannot start.
AlarmServer* startAlarmServer(int port, uint16_t timeoutMs, Inbox& inbox) {
  AlarmServer* server = AlarmServer_Create();
  AlarmServerConfig cfg{};
  cfg.port = static_cast<uint16_t>(port);
  cfg.timeoutMs = timeoutMs;
  if (AlarmServer_Start(server, &cfg, onAlarm, &inbox) != 0) AlarmServer_Free(&server);
  return server;
}

// Sends `bytes` in steps of `step` bytes on a fixed schedule (rate bytes per second), on its own
// thread; stops early when the connection breaks or when told to.
class PacedPeer {
 public:
  PacedPeer(int port, std::vector<uint8_t> bytes, size_t step, double rate)
      : connected_(Clock::now()), fd_(connectLoopback(port)), bytes_(std::move(bytes)) {
    thread_ = std::thread([this, step, rate] {
      size_t done = 0;
      std::unique_lock<std::mutex> lock(mutex_);
      while (fd_ >= 0 && done < bytes_.size() && !quit_) {
        // The schedule of the test's own clock: byte `done` is due at done / rate seconds.
        auto due = connected_ + std::chrono::microseconds(static_cast<int64_t>(done / rate * 1e6));
        if (cv_.wait_until(lock, due, [this] { return quit_; })) break;
        size_t n = std::min(step, bytes_.size() - done);
        if (!sendBytes(fd_, bytes_.data() + done, n)) break;
        done += n;
      }
    });
  }
  ~PacedPeer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    cv_.notify_all();
    thread_.join();
    if (fd_ >= 0) close(fd_);
  }
  int fd() const { return fd_; }
  Clock::time_point connected() const { return connected_; }

 private:
  Clock::time_point connected_;  // taken before connecting, so no deadline can start earlier
  int fd_;
  std::vector<uint8_t> bytes_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace

TEST(PushDeadline, TricklingAndStalledPeersNeitherHoldTheServerNorOutliveTheirDeadline) {
  LogTap log;
  Inbox got;
  // A time-out longer than the trickler's pauses: only the whole-message deadline can close it.
  AlarmServer* server = startAlarmServer(kAlarmPort, 3000, got);
  ASSERT_NE(server, nullptr);

  // One peer sends a valid header one byte a second; ten send half a header and stall.
  AlarmMessage* header = alarmWith("trickle", noise(100, 1));
  std::vector<uint8_t> headerBytes(reinterpret_cast<uint8_t*>(header), reinterpret_cast<uint8_t*>(header) + 512);
  PacedPeer trickler(kAlarmPort, headerBytes, 1, 1.0);
  ASSERT_GE(trickler.fd(), 0);
  std::vector<int> stalled;
  std::vector<Clock::time_point> stalledAt;
  for (int i = 0; i < 10; ++i) {
    stalledAt.push_back(Clock::now());
    int fd = connectLoopback(kAlarmPort);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(sendBytes(fd, headerBytes.data(), 256));
    stalled.push_back(fd);
  }
  ASSERT_TRUE(log.waitFor("accept client", 11));

  // A valid alarm from yet another peer is handed over at once.
  std::vector<uint8_t> photo = noise(256 * 1024, 2);
  AlarmMessage* alarm = alarmWith("valid", photo);
  const auto sentAt = Clock::now();
  int fd = connectLoopback(kAlarmPort);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(sendBytes(fd, alarm, static_cast<size_t>(alarm->totalSize)));
  ASSERT_TRUE(got.waitFor(1));
  auto events = got.events();
  EXPECT_LT(msBetween(sentAt, events[0].at), 1000);
  EXPECT_EQ(events[0].result, 0);
  expectSameAlarm(events[0].bytes, alarm);
  close(fd);

  // Every slow peer is closed at its deadline: not before the time-out, and not much after it.
  Clock::time_point closedAt;
  ASSERT_TRUE(waitClosed(trickler.fd(), &closedAt));
  EXPECT_GE(msBetween(trickler.connected(), closedAt), 3000);
  EXPECT_LT(msBetween(trickler.connected(), closedAt), 3000 + kSlackMs);
  for (size_t i = 0; i < stalled.size(); ++i) {
    ASSERT_TRUE(waitClosed(stalled[i], &closedAt));
    EXPECT_GE(msBetween(stalledAt[i], closedAt), 3000);
    EXPECT_LT(msBetween(stalledAt[i], closedAt), 3000 + kSlackMs);
    close(stalled[i]);
  }
  ASSERT_TRUE(log.waitFor(", null", 11));
  EXPECT_EQ(log.times("too slow").size(), 11u);
  EXPECT_EQ(log.times("recvData, ret -97").size(), 11u);
  EXPECT_EQ(got.size(), 1u);

  // Stop ends every receive still open at once.
  std::vector<int> open;
  for (int i = 0; i < 12; ++i) {
    open.push_back(connectLoopback(kAlarmPort));
    ASSERT_TRUE(sendBytes(open.back(), "x", 1));
  }
  ASSERT_TRUE(log.waitFor("accept client", 11 + 1 + 12));
  const auto t0 = Clock::now();
  EXPECT_EQ(AlarmServer_Stop(server), 0);
  EXPECT_LT(msBetween(t0, Clock::now()), kSlackMs);
  EXPECT_EQ(log.times("recvData, ret -97").size(), 11u + 12u);
  for (int s : open) close(s);
  AlarmServer_Free(&server);
  free(header);
  free(alarm);
}

TEST(PushDeadline, SteadyLargeMessageArrivesWholeWhileOneBelowTheFloorRateIsCut) {
  LogTap log;
  Inbox got;
  AlarmServer* server = startAlarmServer(kPacedPort, 2000, got);
  ASSERT_NE(server, nullptr);

  // 16 MiB at 2 MiB/s takes 8 s; its deadline is 2 s + 16 s. Side by side, 4 MiB at 0.5 MiB/s
  // would take 8 s but has only 2 s + 4 s.
  AlarmMessage* big = alarmWith("steady", noise(16 * kMiB - 512, 3));
  AlarmMessage* small = alarmWith("dawdler", noise(4 * kMiB - 512, 4));
  auto bytesOf = [](const AlarmMessage* m) {
    const auto* p = reinterpret_cast<const uint8_t*>(m);
    return std::vector<uint8_t>(p, p + m->totalSize);
  };
  PacedPeer steady(kPacedPort, bytesOf(big), 64 * 1024, 2.0 * kMiB);
  PacedPeer dawdler(kPacedPort, bytesOf(small), 16 * 1024, 0.5 * kMiB);
  ASSERT_GE(steady.fd(), 0);
  ASSERT_GE(dawdler.fd(), 0);

  Clock::time_point closedAt;
  ASSERT_TRUE(waitClosed(dawdler.fd(), &closedAt));
  EXPECT_GE(msBetween(dawdler.connected(), closedAt), 5990);
  EXPECT_LT(msBetween(dawdler.connected(), closedAt), 6000 + kSlackMs);
  ASSERT_TRUE(got.waitFor(1));
  auto events = got.events();
  EXPECT_GE(msBetween(steady.connected(), events[0].at), 7900);  // it really came at 2 MiB/s
  expectSameAlarm(events[0].bytes, big);
  EXPECT_EQ(log.times("too slow").size(), 1u);
  AlarmServer_Free(&server);
  free(big);
  free(small);
}

namespace {

// Holds the first callback until released; counts callbacks running at the same time.
struct GatedInbox {
  Inbox inbox;
  std::mutex mutex;
  std::condition_variable cv;
  bool open = false;
  std::atomic<int> inside{0};
  std::atomic<int> most{0};
};

void onBusiGated(int result, BusiMessage* m, void* user) {
  auto* g = static_cast<GatedInbox*>(user);
  int now = ++g->inside;
  g->most = std::max(g->most.load(), now);
  {
    std::unique_lock<std::mutex> lock(g->mutex);
    g->cv.wait(lock, [g] { return g->open; });
  }
  g->inbox.add(result, m, static_cast<size_t>(m->totalSize));
  --g->inside;
}

std::vector<uint8_t> busiBytes(const char* sender, size_t payload, uint32_t seed) {
  std::vector<uint8_t> bytes = noise(512 + payload, seed);
  BusiMessage h{};
  h.totalSize = static_cast<int64_t>(bytes.size());
  h.busiType = 0;
  strncpy(h.sender, sender, sizeof h.sender - 1);
  memcpy(bytes.data(), &h, sizeof h);
  return bytes;
}

}  // namespace

TEST(PushDeadline, WholeMessagesReachTheCallbackOneAtATimeInTheOrderTheyCompleted) {
  LogTap log;
  GatedInbox gate;
  BusiServer* server = BusiServer_Create();
  BusiServerConfig cfg{};
  cfg.port = kBusiPort;
  cfg.timeoutMs = 5000;
  ASSERT_EQ(BusiServer_Start(server, &cfg, onBusiGated, &gate), 0);

  // "first" completes first and blocks the callback; meanwhile "late" starts before "early" but
  // completes after it. All of them are received while the callback is held.
  std::vector<uint8_t> first = busiBytes("first", 1000, 5);
  std::vector<uint8_t> late = busiBytes("late", 6 * kMiB, 6);
  std::vector<uint8_t> early = busiBytes("early", 2 * kMiB, 7);
  int a = connectLoopback(kBusiPort);
  ASSERT_TRUE(sendBytes(a, first.data(), first.size()));
  ASSERT_TRUE(log.waitFor("recvData, ret 0", 1));
  int b = connectLoopback(kBusiPort);
  ASSERT_TRUE(sendBytes(b, late.data(), late.size() / 2));
  int c = connectLoopback(kBusiPort);
  ASSERT_TRUE(sendBytes(c, early.data(), early.size()));
  ASSERT_TRUE(log.waitFor("recvData, ret 0", 2));
  ASSERT_TRUE(sendBytes(b, late.data() + late.size() / 2, late.size() - late.size() / 2));
  ASSERT_TRUE(log.waitFor("recvData, ret 0", 3));
  EXPECT_EQ(gate.inbox.size(), 0u);
  {
    std::lock_guard<std::mutex> lock(gate.mutex);
    gate.open = true;
  }
  gate.cv.notify_all();
  ASSERT_TRUE(gate.inbox.waitFor(3));
  auto events = gate.inbox.events();
  const std::vector<uint8_t>* order[] = {&first, &early, &late};
  for (size_t i = 0; i < 3; ++i) {
    std::vector<uint8_t> bytes = events[i].bytes;
    std::vector<uint8_t> expect = *order[i];
    ASSERT_EQ(bytes.size(), expect.size()) << i;
    std::fill(bytes.begin() + 88, bytes.begin() + 96, 0);  // the server's receive time
    std::fill(expect.begin() + 88, expect.begin() + 96, 0);
    EXPECT_TRUE(bytes == expect) << "message " << i;
  }
  EXPECT_EQ(gate.most.load(), 1);
  for (int fd : {a, b, c}) close(fd);
  BusiServer_Free(&server);
}
