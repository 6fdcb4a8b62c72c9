// The simulator program as a user starts it (`ostrel-camsim --discover --observe FILE`) and the
// SDK pointed at loopback through OSTREL_DISCOVER_BROADCAST: cameras on their own addresses are
// found with their whole basic record, and everything a camera receives lands in the file in hex.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "discover/Discovery.h"

extern char** environ;

namespace {

// One ostrel-camsim process, started and waited for on its banner line; SIGTERM at the end.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    args.insert(args.begin(), OSTREL_CAMSIM_PROGRAM);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    if (posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    out_ = out[0];
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int st = 0;
      waitpid(pid_, &st, 0);
    }
    if (out_ >= 0) close(out_);
  }
  // Reads the program's output until a line holds `text`; false when the deadline passes first.
  bool waitFor(const std::string& text, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (output_.find(text) == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || out_ < 0) return false;
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, int(left.count())) <= 0) return false;
      char buf[512];
      ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      output_.append(buf, size_t(n));
    }
    return true;
  }
  // SIGTERM and the exit status (-1 when it did not exit normally).
  int terminate() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int st = 0;
    waitpid(pid_, &st, 0);
    pid_ = -1;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string output_;
};

std::string text32(const char* p) {
  return std::string(p, strnlen(p, 32));
}

class SimulatorProgram : public ::testing::Test {
 protected:
  void TearDown() override {
    Ostrel_FreeSDK();
    unsetenv("OSTREL_DISCOVER_BROADCAST");
  }
};

TEST_F(SimulatorProgram, DiscoveryOnLoopbackListsEachCameraWithItsWholeRecordAndOwnAddress) {
  setenv("OSTREL_DISCOVER_BROADCAST", "127.255.255.255", 1);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  const auto route = ostrel::sdk::discoverRoute();
  EXPECT_EQ(route.broadcastAddr, 0x7FFFFFFFu);
  EXPECT_TRUE(route.loopbackOnly);

  const std::map<std::string, std::string> cams = {{"C3", "127.0.0.43"}, {"A1", "127.0.0.41"}, {"B2", "127.0.0.42"}};
  std::vector<std::unique_ptr<SimProcess>> sims;
  for (const auto& [id, addr] : cams) {
    sims.push_back(std::make_unique<SimProcess>(
        std::vector<std::string>{"--addr", addr, "--id", id, "--size", "320x256", "--discover"}));
    ASSERT_TRUE(sims.back()->waitFor("temperature stream port")) << id;
  }
  DiscoverNode* list = Ostrel_DiscoverCameras(0);
  std::map<std::string, uint32_t> found;
  for (DiscoverNode* n = list; n; n = n->next) {
    found[text32(n->info.cameraId)] = n->ipv4;
    // Fields the reply carries only when it is the camera's whole basic record.
    EXPECT_EQ(text32(n->info.fpaId), "FPA-SIM");
    EXPECT_EQ(text32(n->info.hardwareId), "HW-SIM");
    EXPECT_EQ(n->info.dataWidth, 320);
    EXPECT_EQ(n->info.dataHeight, 256);
  }
  Ostrel_DiscoverCamerasFree(&list);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found["A1"], 0x7F000029u);
  EXPECT_EQ(found["B2"], 0x7F00002Au);
  EXPECT_EQ(found["C3"], 0x7F00002Bu);
  for (auto& s : sims) EXPECT_EQ(s->terminate(), 0);
}

TEST_F(SimulatorProgram, AnAddressThatIsNotIPv4KeepsTheDefaultRoute) {
  setenv("OSTREL_DISCOVER_BROADCAST", "127.255.255.256", 1);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  EXPECT_EQ(ostrel::sdk::discoverRoute().broadcastAddr, 0xFFFFFFFFu);
  EXPECT_FALSE(ostrel::sdk::discoverRoute().loopbackOnly);
}

TEST_F(SimulatorProgram, ObserveWritesEveryReceivedMessageInHex) {
  const std::string file = std::string(OSTREL_TEST_BINARY_DIR) + "/observe_" + std::to_string(getpid()) + ".hex";
  SimProcess sim({"--addr", "127.0.0.44", "--id", "OBS-1", "--observe", file});
  ASSERT_TRUE(sim.waitFor("temperature stream port"));
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  LoginInfo login{};
  std::strcpy(login.ip, "127.0.0.44");
  CameraBasicInfoRecord rec{};
  const int user = Ostrel_Login(&login, &rec);
  ASSERT_GE(user, 0);
  CameraBasicInfoRecord again{};
  ASSERT_EQ(Ostrel_GetCameraBasicInfo(user, &again), 0);
  ASSERT_EQ(Ostrel_SetCameraBasicInfo(user, &again), 0);
  Ostrel_Logout(user);
  EXPECT_EQ(sim.terminate(), 0);

  std::ifstream in(file);
  std::string line;
  std::vector<std::vector<uint8_t>> messages;
  while (std::getline(in, line)) {
    ASSERT_EQ(line.size() % 2, 0u) << line;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < line.size(); i += 2) bytes.push_back(uint8_t(std::stoul(line.substr(i, 2), nullptr, 16)));
    messages.push_back(std::move(bytes));
  }
  std::remove(file.c_str());
  ASSERT_GE(messages.size(), 3u);
  for (const auto& m : messages) {
    ASSERT_GE(m.size(), 4u);
    EXPECT_EQ(size_t(m[2] | m[3] << 8), m.size());  // the header's total size is the line's length
  }
  // The set is the last message of the record's size (the logout may or may not reach the log
  // before the simulator ends): its body is the record the camera sent, byte for byte.
  auto set = std::find_if(messages.rbegin(), messages.rend(),
                          [&](const std::vector<uint8_t>& m) { return m.size() == 4 + sizeof again; });
  ASSERT_NE(set, messages.rend());
  EXPECT_EQ(std::memcmp(set->data() + 4, &again, sizeof again), 0);
}

}  // namespace
