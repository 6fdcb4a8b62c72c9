#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "OstrelSDK.h"
#include "TestDir.h"
#include "foundation/Logger.h"
#include "frame/SdkLifecycle.h"
#include "frame/SdkState.h"

using namespace ostrel::sdk;
using ostrel::test::TestDir;

namespace {

// What the library looked like when Ostrel_FreeSDK ran its shutdown hooks.
struct HookSeen {
  int calls = 0;
  bool initialised = false;
  bool loggerAlive = false;
  uint32_t flags = 0;
} g_hookSeen;

void recordHook() {
  ++g_hookSeen.calls;
  g_hookSeen.initialised = sdkInitialised();
  g_hookSeen.loggerAlive = ostrel::logDefault() != nullptr;
  g_hookSeen.flags = sdkFlags();
}
const ShutdownHook g_hook(50, &recordHook);

// The names of the folder's entries that start with `prefix`.
std::string findOne(const TestDir& dir, const std::string& prefix) {
  for (const auto& name : dir.list())
    if (name.rfind(prefix, 0) == 0) return dir.file(name);
  return "";
}

}  // namespace

TEST(SdkFrame, InitFreeInitCycle) {
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    EXPECT_EQ(Ostrel_InitSDK(), 0);  // a second init keeps the state
    EXPECT_TRUE(sdkInitialised());
    EXPECT_EQ(sdkFlags(), kFlagInitialised | kFlagLogger | kFlagSockets | kFlagDiscovery | kFlagVideo | kFlagPalette | kFlagLock);
    Ostrel_FreeSDK();
    EXPECT_FALSE(sdkInitialised());
    EXPECT_EQ(sdkFlags(), 0u);
    EXPECT_EQ(ostrel::logDefault(), nullptr);  // closed, and not re-created by a stray line
    Ostrel_FreeSDK();                          // freeing twice does nothing
  }
}

TEST(SdkFrame, EveryStatusCodeHasAName) {
  for (int code : {0,   -1,  -2,  -4,  -5,  -6,  -7,   -8,   -10,  -11,  -12,  -13,  -14, -17,
                   -18, -95, -96, -97, -98, -99, -100, -193, -194, -195, -197, -198, -200})
    EXPECT_STRNE(errorName(code), "unknown") << code;
  EXPECT_STREQ(errorName(-3), "unknown");
  EXPECT_STREQ(errorName(-10), "OSTREL_E_HANDLE");
}

TEST(SdkFrame, FreeRunsShutdownHooksFirstAndClosesTheLogLast) {
  g_hookSeen = {};
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  Ostrel_FreeSDK();
  EXPECT_EQ(g_hookSeen.calls, 1);
  EXPECT_TRUE(g_hookSeen.initialised);
  EXPECT_TRUE(g_hookSeen.loggerAlive);
  EXPECT_EQ(g_hookSeen.flags & kFlagLock, static_cast<uint32_t>(kFlagLock));
  Ostrel_FreeSDK();
  EXPECT_EQ(g_hookSeen.calls, 1);  // nothing to free when not initialised
}

TEST(SdkFrame, FailedStepIsUndoneAndALaterInitStartsClean) {
  for (uint32_t step : {static_cast<uint32_t>(kFlagSockets), static_cast<uint32_t>(kFlagLock)}) {
    g_hookSeen = {};
    sdkFailInitStepForTest(step, -5);
    EXPECT_EQ(Ostrel_InitSDK(), -5);
    EXPECT_FALSE(sdkInitialised());
    EXPECT_EQ(sdkFlags(), 0u);
    EXPECT_EQ(ostrel::logDefault(), nullptr);
    std::unique_lock<std::mutex> lk;
    EXPECT_EQ(sdkLockInitialised(lk), -4);
    Ostrel_FreeSDK();
    EXPECT_EQ(g_hookSeen.calls, 0);
    sdkFailInitStepForTest(0, 0);
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    EXPECT_TRUE(sdkInitialised());
    Ostrel_FreeSDK();
  }
}

TEST(SdkFrame, TimeoutRanges) {
  Ostrel_SetTimeout(3000, 3000, 3000);  // works before init
  EXPECT_EQ(sdkConnectTimeout(), 3000);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  EXPECT_EQ(sdkConnectTimeout(), 2000);  // init resets all three
  EXPECT_EQ(sdkSendTimeout(), 2000);
  EXPECT_EQ(sdkRecvTimeout(), 2000);
  Ostrel_SetTimeout(1000, 5000, 9000);
  EXPECT_EQ(sdkConnectTimeout(), 2000);
  EXPECT_EQ(sdkSendTimeout(), 5000);
  EXPECT_EQ(sdkRecvTimeout(), 2000);
  Ostrel_SetTimeout(2000, 8000, 7999);
  EXPECT_EQ(sdkSendTimeout(), 8000);
  EXPECT_EQ(sdkRecvTimeout(), 7999);
  Ostrel_SetTimeout(1999, 8001, INT_MIN);
  EXPECT_EQ(sdkConnectTimeout(), 2000);
  EXPECT_EQ(sdkSendTimeout(), 8000);
  EXPECT_EQ(sdkRecvTimeout(), 7999);
  EXPECT_EQ(Ostrel_InitSDK(), 0);  // already initialised: the state stays
  EXPECT_EQ(sdkSendTimeout(), 8000);
  Ostrel_FreeSDK();
}

TEST(SdkFrame, LockNeedsInitAndIdsAreRangeChecked) {
  std::unique_lock<std::mutex> lk;
  EXPECT_EQ(sdkLockInitialised(lk), -4);
  EXPECT_FALSE(lk.owns_lock());
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  EXPECT_EQ(sdkLockInitialised(lk), 0);
  EXPECT_TRUE(lk.owns_lock());
  lk.unlock();
  Ostrel_FreeSDK();
  EXPECT_EQ(sdkLockInitialised(lk), -4);

  for (int bad : {-1, 256, 257, INT_MIN, INT_MAX}) EXPECT_FALSE(sdkSlotIdValid(bad)) << bad;
  for (int good : {0, 1, 128, 255}) EXPECT_TRUE(sdkSlotIdValid(good)) << good;
}

TEST(SdkFrame, LogSettingGivesDayFilesUnderTheModuleFolder) {
  TestDir dir;
  ASSERT_EQ(mkdir(dir.file("logs").c_str(), 0755), 0);
  ostrel::test::writeWhole(
      dir.file("OstrelSDK.json"),
      R"({"log":"logs/sdk.log","encoder":"cuda","syncTime":0,"previewEnableThread2":1})");
  sdkSetModuleDirForTest(dir.path().c_str());
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  EXPECT_EQ(sdkConfig().encoder, 2);
  EXPECT_EQ(std::string(sdkConfig().logPath), dir.path() + "/logs/sdk.log");
  Ostrel_FreeSDK();
  sdkSetModuleDirForTest(nullptr);

  std::string found;
  for (const auto& e : std::filesystem::directory_iterator(dir.file("logs"))) found = e.path().string();
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(std::filesystem::path(found).filename().string().rfind("sdk_", 0), 0u) << found;  // ".log" cut
  std::string text = ostrel::test::readWhole(found);
  EXPECT_NE(text.find(",Ostrel_InitSDK:\nencoder: 2, decoder: 0, syncTime: 0, previewEnableInterProcess: 1, "
                      "previewEnableThread2: 1\n\n"),
            std::string::npos)
      << text;
}

TEST(SdkFrame, WithoutLogSettingNothingIsWritten) {
  TestDir dir;
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);  // where default day files would appear
  sdkSetModuleDirForTest(dir.path().c_str());
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  EXPECT_GT(OSTREL_LOG("swallowed %d", 1), 0);
  Ostrel_FreeSDK();
  EXPECT_EQ(OSTREL_LOG("after free %d", 2), 0);
  sdkSetModuleDirForTest(nullptr);
  EXPECT_TRUE(dir.list().empty());
  ASSERT_EQ(chdir(cwd), 0);
}

TEST(SdkFrame, SharedLibraryKeepsItsOwnLoggerAndReadsSettingsBesideTheProgram) {
  TestDir dir;
  const std::string probe = dir.file("probe");
  std::filesystem::copy_file(OSTREL_SDK_FRAME_PROBE, probe);
  const std::string run = "cd '" + dir.path() + "' && '" + probe + "' '" + dir.file("prog") + "'";

  // No settings: the library is silent, the program's own log keeps every line.
  FILE* p = popen(run.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char out[64] = {};
  ASSERT_NE(fgets(out, sizeof out, p), nullptr);
  EXPECT_EQ(pclose(p), 0);
  EXPECT_STREQ(out, "0 0\n");
  std::string prog = ostrel::test::readWhole(findOne(dir, "prog_"));
  EXPECT_NE(prog.find("before init"), std::string::npos) << prog;
  EXPECT_NE(prog.find("after init 0"), std::string::npos) << prog;
  EXPECT_NE(prog.find("after free"), std::string::npos) << prog;
  EXPECT_EQ(prog.find("encoder:"), std::string::npos) << prog;
  EXPECT_EQ(findOne(dir, "zv_"), "");

  // With a "log" value the library writes its own day file beside the program.
  ostrel::test::writeWhole(dir.file("OstrelSDK.json"), R"({"log":"sdk.log","decoder":"qsv"})");
  p = popen(run.c_str(), "r");
  ASSERT_NE(p, nullptr);
  ASSERT_NE(fgets(out, sizeof out, p), nullptr);
  EXPECT_EQ(pclose(p), 0);
  std::string sdk = ostrel::test::readWhole(findOne(dir, "sdk_"));
  EXPECT_NE(sdk.find("encoder: 0, decoder: 5,"), std::string::npos) << sdk;
  EXPECT_EQ(sdk.find("before init"), std::string::npos) << sdk;
  prog = ostrel::test::readWhole(findOne(dir, "prog_"));
  EXPECT_EQ(prog.find("encoder:"), std::string::npos) << prog;
}
