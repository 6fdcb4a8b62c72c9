// Push services on loopback: a message file pushed from disk by sendfile into a receiving server
// (MB/s), and 1000 alarms of 1 MiB from client to server (seconds; goal 3 s or less).
#include <benchmark/benchmark.h>
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OstrelSDK.h"
#include "foundation/Logger.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFilePort = 21361;
constexpr int kAlarmPort = 21362;

void quietLog(int, const char*, size_t) {}

// Counts server callbacks and frees each message at once, so memory stays flat.
struct Arrivals {
  std::mutex mutex;
  std::condition_variable cv;
  int count = 0;
  Clock::time_point last;
  void* server = nullptr;
  bool waitFor(int n) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, std::chrono::seconds(120), [&] { return count >= n; });
  }
};

void onBusiArrived(int, BusiMessage* m, void* user) {
  auto* a = static_cast<Arrivals*>(user);
  BusiServer_FreeData(static_cast<BusiServer*>(a->server), m);
  std::lock_guard<std::mutex> lock(a->mutex);
  ++a->count;
  a->last = Clock::now();
  a->cv.notify_all();
}

void onAlarmArrived(int, AlarmMessage* m, void* user) {
  auto* a = static_cast<Arrivals*>(user);
  AlarmServer_FreeData(static_cast<AlarmServer*>(a->server), m);
  std::lock_guard<std::mutex> lock(a->mutex);
  ++a->count;
  a->last = Clock::now();
  a->cv.notify_all();
}

void onBusiSent(int, BusiMessage*, void*) {}

// Client-side deliveries: a producer that finds the queue full waits for the next one.
struct Deliveries {
  std::mutex mutex;
  std::condition_variable cv;
  int count = 0;
};
void onAlarmSent(int result, AlarmMessage*, void* user) {
  auto* d = static_cast<Deliveries*>(user);
  if (result != 0) return;
  std::lock_guard<std::mutex> lock(d->mutex);
  ++d->count;
  d->cv.notify_all();
}

// A plain loopback reader that discards what arrives into one reused buffer: the client's
// sendfile path alone, without a receiver that has to fault in a fresh block per message.
struct DiscardSink {
  int listenFd = -1;
  int port = 0;
  std::thread thread;
  std::atomic<int64_t> received{0};
  DiscardSink() {
    listenFd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listenFd, 4);
    getsockname(listenFd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    thread = std::thread([this] {
      std::vector<char> buf(1 << 20);
      for (;;) {
        int fd = accept(listenFd, nullptr, nullptr);
        if (fd < 0) return;
        ssize_t n;
        while ((n = recv(fd, buf.data(), buf.size(), 0)) > 0) received += n;
        close(fd);
      }
    });
  }
  ~DiscardSink() {
    shutdown(listenFd, SHUT_RDWR);
    close(listenFd);
    thread.join();
  }
};

}  // namespace

// A 256 MiB message file from the page cache to a server that keeps it in memory.
static void BM_BusiFilePush256MiB(benchmark::State& state) {
  logSetCallback(ostrel::logDefault(), quietLog);
  const int64_t size = 256LL << 20;
  std::string path = "/tmp/ostrel-bench-push-" + std::to_string(getpid()) + ".msg";
  {
    FILE* f = fopen(path.c_str(), "wb");
    std::vector<uint8_t> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 131 + 17);
    BusiMessage h{};
    h.totalSize = size;
    memcpy(chunk.data(), &h, sizeof h);
    for (int64_t done = 0; f && done < size; done += static_cast<int64_t>(chunk.size())) {
      fwrite(chunk.data(), 1, chunk.size(), f);
      memset(chunk.data(), 0x5A, sizeof h);
    }
    if (f) fclose(f);
  }
  Arrivals arrived;
  BusiServer* server = BusiServer_Create();
  arrived.server = server;
  BusiServerConfig sc{};
  sc.port = kFilePort;
  if (BusiServer_Start(server, &sc, onBusiArrived, &arrived) != 0) {
    state.SkipWithError("server did not start");
    BusiServer_Free(&server);
    return;
  }
  BusiClientConfig cc{};
  strcpy(cc.ip, "127.0.0.1");
  cc.port = kFilePort;
  cc.maxQueue = 4;
  double seconds = 0, firstSeconds = 0;
  int n = 0;
  for (auto _ : state) {
    // A fresh client per push: its first pass starts at the post, not after a pass's pause.
    BusiClient* client = BusiClient_Create();
    BusiClient_Start(client, &cc, onBusiSent, nullptr);
    auto t0 = Clock::now();
    BusiClient_PostFile(client, path.c_str());
    if (!arrived.waitFor(++n)) {
      state.SkipWithError("file did not arrive");
      BusiClient_Free(&client);
      break;
    }
    double s = std::chrono::duration<double>(arrived.last - t0).count();
    state.SetIterationTime(s);
    seconds += s;
    if (n == 1) firstSeconds = s;
    BusiClient_Free(&client);
  }
  state.SetBytesProcessed(state.iterations() * size);
  if (seconds > 0) {
    state.counters["MB_per_s"] = static_cast<double>(size) * n / seconds / 1e6;
    // The first message lands in memory the process has never touched; the later ones reuse it.
    std::printf("file push: %.0f MB/s (%d x 256 MiB; the first %.0f MB/s, the later ones %.0f MB/s)\n",
                static_cast<double>(size) * n / seconds / 1e6, n, static_cast<double>(size) / firstSeconds / 1e6,
                n > 1 ? static_cast<double>(size) * (n - 1) / (seconds - firstSeconds) / 1e6 : 0.0);
  }
  BusiServer_Free(&server);
  unlink(path.c_str());
}
BENCHMARK(BM_BusiFilePush256MiB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// 1000 alarms of 1 MiB each (one connection per alarm), from the first post to the last arrival.
static void BM_Alarms1000x1MiB(benchmark::State& state) {
  logSetCallback(ostrel::logDefault(), quietLog);
  std::vector<uint8_t> payload((1 << 20) - 512, 0x33);
  int lengths[4] = {static_cast<int>(payload.size()), 0, 0, 0};
  uint8_t kinds[4] = {3, 0, 0, 0};
  const void* data[4] = {payload.data(), nullptr, nullptr, nullptr};
  AlarmMessage h{};
  strcpy(h.sender, "bench");
  AlarmMessage* m = AlarmData_Create(&h, data, lengths, kinds);
  Arrivals arrived;
  AlarmServer* server = AlarmServer_Create();
  arrived.server = server;
  AlarmServerConfig sc{};
  sc.port = kAlarmPort;
  AlarmClient* client = AlarmClient_Create();
  AlarmClientConfig cc{};
  strcpy(cc.ip, "127.0.0.1");
  cc.port = kAlarmPort;
  cc.maxQueue = 16;
  Deliveries delivered;
  if (!m || AlarmServer_Start(server, &sc, onAlarmArrived, &arrived) != 0 ||
      AlarmClient_Start(client, &cc, onAlarmSent, &delivered) != 0) {
    state.SkipWithError("set-up failed");
  } else {
    int target = 0;
    for (auto _ : state) {
      auto t0 = Clock::now();
      target += 1000;
      // A producer that keeps the queue filled: posting more than maxQueue waits for deliveries.
      for (int i = 0; i < 1000;) {
        std::unique_lock<std::mutex> lock(delivered.mutex);
        int seen = delivered.count;
        lock.unlock();
        if (AlarmClient_PostData(client, m) == 0) {
          ++i;
          continue;
        }
        lock.lock();
        delivered.cv.wait_for(lock, std::chrono::seconds(10), [&] { return delivered.count != seen; });
      }
      if (!arrived.waitFor(target)) {
        state.SkipWithError("alarms did not arrive");
        break;
      }
      double s = std::chrono::duration<double>(arrived.last - t0).count();
      state.SetIterationTime(s);
      std::printf("1000 alarms of 1 MiB: %.3f s\n", s);
    }
  }
  AlarmClient_Free(&client);
  AlarmServer_Free(&server);
  free(m);
}
BENCHMARK(BM_Alarms1000x1MiB)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
// The same file into the discarding reader: what the sending side alone moves.
static void BM_BusiFilePushToSink256MiB(benchmark::State& state) {
  logSetCallback(ostrel::logDefault(), quietLog);
  const int64_t size = 256LL << 20;
  std::string path = "/tmp/ostrel-bench-push-sink-" + std::to_string(getpid()) + ".msg";
  {
    FILE* f = fopen(path.c_str(), "wb");
    std::vector<uint8_t> chunk(1 << 20, 0x21);
    BusiMessage h{};
    h.totalSize = size;
    memcpy(chunk.data(), &h, sizeof h);
    for (int64_t done = 0; f && done < size; done += static_cast<int64_t>(chunk.size())) {
      fwrite(chunk.data(), 1, chunk.size(), f);
      memset(chunk.data(), 0x21, sizeof h);
    }
    if (f) fclose(f);
  }
  DiscardSink sink;
  BusiClientConfig cc{};
  strcpy(cc.ip, "127.0.0.1");
  cc.port = static_cast<uint16_t>(sink.port);
  cc.maxQueue = 4;
  Arrivals sent;
  double seconds = 0;
  int n = 0;
  for (auto _ : state) {
    BusiClient* client = BusiClient_Create();
    BusiClient_Start(client, &cc, [](int, BusiMessage*, void* u) {
      auto* a = static_cast<Arrivals*>(u);
      std::lock_guard<std::mutex> lock(a->mutex);
      ++a->count;
      a->last = Clock::now();
      a->cv.notify_all();
    }, &sent);
    auto t0 = Clock::now();
    BusiClient_PostFile(client, path.c_str());
    if (!sent.waitFor(++n)) {
      state.SkipWithError("file was not sent");
      BusiClient_Free(&client);
      break;
    }
    double s = std::chrono::duration<double>(sent.last - t0).count();
    state.SetIterationTime(s);
    seconds += s;
    BusiClient_Free(&client);
  }
  state.SetBytesProcessed(state.iterations() * size);
  if (seconds > 0)
    std::printf("file push to a discarding reader: %.0f MB/s (%d x 256 MiB)\n",
                static_cast<double>(size) * n / seconds / 1e6, n);
  unlink(path.c_str());
}
BENCHMARK(BM_BusiFilePushToSink256MiB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
