#include "PushTestKit.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "foundation/Logger.h"

extern char** environ;

namespace ostrel::test {

TempDir::TempDir() {
  char tmpl[] = "/tmp/ostrel-push-XXXXXX";
  char* p = mkdtemp(tmpl);
  path_ = p ? p : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::names() const {
  std::vector<std::string> out;
  for (auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> noise(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  std::mt19937 rng(seed);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

int connectLoopback(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void writeBytes(const std::string& path, const void* data, size_t length) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
}

int runCommand(const std::string& cmd, std::string* output) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (output) *output = out;
  return status;
}

std::string pythonQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

int64_t nowFileTimeForTest() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return (static_cast<int64_t>(ts.tv_sec) + 11644473600LL) * 10000000LL + ts.tv_nsec / 100;
}

PeerProcess::PeerProcess(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  std::vector<std::string> all = {OSTREL_SYSTEM_PYTHON, std::string(OSTREL_TEST_SOURCE_DIR) + "/push_peer.py"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  fd_ = fds[0];
}

PeerProcess::~PeerProcess() {
  if (pid_ > 0 && wait(0) == -1) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (fd_ >= 0) close(fd_);
}

bool PeerProcess::readLine(std::string& line, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    size_t nl = pending_.find('\n');
    if (nl != std::string::npos) {
      line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return true;
    }
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
    if (fd_ < 0 || left <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, left) <= 0) continue;
    char buf[4096];
    ssize_t n = read(fd_, buf, sizeof buf);
    if (n <= 0) return false;
    pending_.append(buf, static_cast<size_t>(n));
  }
}

nlohmann::json PeerProcess::readJson(int timeoutMs) {
  std::string line;
  if (!readLine(line, timeoutMs)) return nlohmann::json::value_t::discarded;
  return nlohmann::json::parse(line, nullptr, false);
}

int PeerProcess::wait(int timeoutMs) {
  if (pid_ <= 0) return -1;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      return status;
    }
    if (Clock::now() >= deadline) return -1;
    // The child's end closes its standard output: wait for that rather than polling the pid.
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 50) > 0) {
      char buf[4096];
      ssize_t n = read(fd_, buf, sizeof buf);
      if (n > 0) pending_.append(buf, static_cast<size_t>(n));
    }
  }
}

ServingPeer::ServingPeer(const std::string& kind, int port_, int count, const std::string& dir)
    : process({"serve", kind, std::to_string(port_), std::to_string(count), dir}) {
  std::string line;
  if (process.readLine(line) && line.rfind("port ", 0) == 0) port = std::stoi(line.substr(5));
}

bool peerSend(const std::string& kind, int port, const nlohmann::json& message) {
  PeerProcess p({"send", kind, std::to_string(port), message.dump()});
  std::string line;
  return p.readLine(line) && line.rfind("sent ", 0) == 0 && p.wait() == 0;
}

void Inbox::add(int result, const void* message, size_t copyBytes) {
  PushEvent e{result, {}, const_cast<void*>(message), Clock::now()};
  if (message) {
    const auto* p = static_cast<const uint8_t*>(message);
    e.bytes.assign(p, p + copyBytes);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(e));
  }
  cv_.notify_all();
}

bool Inbox::waitFor(size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return events_.size() >= count; });
}

std::vector<PushEvent> Inbox::events() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

size_t Inbox::size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_.size();
}

namespace {

struct TapState {
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<std::pair<std::string, Clock::time_point>> lines;
};

TapState& tap() {
  static TapState s;
  return s;
}

void onLine(int, const char* line, size_t length) {
  {
    std::lock_guard<std::mutex> lock(tap().mutex);
    tap().lines.emplace_back(std::string(line, length), Clock::now());
  }
  tap().cv.notify_all();
}

}  // namespace

LogTap::LogTap() {
  {
    std::lock_guard<std::mutex> lock(tap().mutex);
    tap().lines.clear();
  }
  logSetCallback(logDefault(), onLine);
}

LogTap::~LogTap() { logSetCallback(logDefault(), nullptr); }

std::vector<Clock::time_point> LogTap::times(const std::string& needle) {
  std::lock_guard<std::mutex> lock(tap().mutex);
  std::vector<Clock::time_point> out;
  for (auto& [text, at] : tap().lines)
    if (text.find(needle) != std::string::npos) out.push_back(at);
  return out;
}

bool LogTap::waitFor(const std::string& needle, size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> lock(tap().mutex);
  return tap().cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    size_t n = 0;
    for (auto& l : tap().lines) n += l.first.find(needle) != std::string::npos;
    return n >= count;
  });
}

}  // namespace ostrel::test
