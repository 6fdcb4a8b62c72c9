#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "TestDir.h"
#include "foundation/Helpers.h"

using namespace ostrel;
using ostrel::test::TestDir;

TEST(FileTime, Goldens) {
  EXPECT_EQ(unixToFileTime(0, 0), 116444736000000000LL);
  EXPECT_EQ(kFileTimeUnixEpoch, 116444736000000000LL);
  EXPECT_EQ(unixToFileTime(946684800, 0), 125911584000000000LL);  // 2000-01-01T00:00:00Z
  EXPECT_EQ(unixToFileTime(-11644473600LL, 0), 0);                // 1601-01-01T00:00:00Z
  EXPECT_EQ(unixToFileTime(1, 999999999), 116444736019999999LL);  // 100-ns ticks, rest dropped
  int64_t before = unixToFileTime(time(nullptr), 0);
  int64_t now = nowFileTime();
  EXPECT_GE(now, before);
  EXPECT_LT(now - before, 5 * 10000000LL);
}

TEST(FileTime, LocalDatesMatchPythonUnderTwoZones) {
  // Instants around daylight-saving changes, a leap day, before 1970 and past 2038 (ms included).
  const std::vector<std::pair<int64_t, int>> instants = {
      {0, 0},           {946684800, 1},   {951782400, 999},   {1709164800, 500},
      {1710054000, 0},  {1710053999, 3},  {1730613600, 7},    {1730617200, 250},
      {-86400, 100},    {-1000000000, 0}, {2147483648LL, 42}, {4102444800LL, 999},
      {1767225599, 999}};
  for (const char* zone : {"EST5EDT,M3.2.0,M11.1.0", "NST3:30NDT,M3.2.0,M11.1.0"}) {
    std::string cmd = std::string("TZ='") + zone + "' " OSTREL_SYSTEM_PYTHON " -c '" +
                      "import sys, datetime\n"
                      "for a in sys.argv[1:]:\n"
                      "    s, ms = map(int, a.split(\":\"))\n"
                      "    d = datetime.datetime.fromtimestamp(s)\n"
                      "    print(d.year, d.month, d.day, d.hour, d.minute, d.second, ms)\n'";
    for (const auto& [s, ms] : instants) cmd += " " + std::to_string(s) + ":" + std::to_string(ms);
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    setenv("TZ", zone, 1);
    tzset();
    for (const auto& [s, ms] : instants) {
      LocalDate want{};
      ASSERT_EQ(fscanf(p, "%d %d %d %d %d %d %d", &want.year, &want.month, &want.day, &want.hour,
                       &want.minute, &want.second, &want.milliseconds),
                7)
          << zone;
      LocalDate got = filetimeToLocalDate(unixToFileTime(s, ms * 1000000LL + 123));
      EXPECT_EQ(std::vector<int>(
                    {got.year, got.month, got.day, got.hour, got.minute, got.second, got.milliseconds}),
                std::vector<int>({want.year, want.month, want.day, want.hour, want.minute, want.second,
                                  want.milliseconds}))
          << zone << " at " << s;
    }
    EXPECT_EQ(pclose(p), 0);
  }
}

TEST(FileTime, UnconvertibleTimesGiveAllZero) {
  for (int64_t ft : {int64_t{-1}, INT64_MIN, INT64_MAX}) {
    LocalDate d = filetimeToLocalDate(ft);
    EXPECT_EQ(d.year | d.month | d.day | d.hour | d.minute | d.second | d.milliseconds, 0) << ft;
  }
}

TEST(Text, SafeSnprintfTruncatesLikeC99) {
  struct Case {
    const char* format;
    int value;
  };
  const Case cases[] = {{"%d", 123456}, {"abc%dxyz", -7}, {"%08x|", 0xbeef}, {"", 0}, {"%5d%%", 42}};
  for (const Case& c : cases) {
    char expect[64];
    int full = snprintf(expect, sizeof expect, c.format, c.value);
    for (size_t size : {size_t{0}, size_t{1}, size_t{2}, size_t{5}, static_cast<size_t>(full),
                        static_cast<size_t>(full) + 1, size_t{40}}) {
      char a[64], b[64];
      memset(a, 'Q', sizeof a);
      memset(b, 'Q', sizeof b);
      int ra = safeSnprintf(a, size, c.format, c.value);
      int rb = snprintf(b, size, c.format, c.value);
      EXPECT_EQ(ra, rb) << c.format << " size " << size;
      EXPECT_EQ(ra, full);
      EXPECT_EQ(memcmp(a, b, sizeof a), 0) << c.format << " size " << size;  // nothing past the buffer
      if (size) {
        EXPECT_EQ(strlen(a), std::min(size - 1, static_cast<size_t>(full)));
      }
    }
  }
  char small[4];
  EXPECT_EQ(safeSprintf(small, "%s", "overflowing"), 11);
  EXPECT_STREQ(small, "ove");
  EXPECT_EQ(safeSnprintf(nullptr, 0, "%d", 99), 2);  // measuring only
}

TEST(Text, StrCopyNBounds) {
  char buf[8];
  memset(buf, 'Z', sizeof buf);
  strCopyN(buf, "hello", 1);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(buf[1], 'Z');
  strCopyN(buf, "hello world", sizeof buf);
  EXPECT_STREQ(buf, "hello w");
  strCopyN(buf, nullptr, sizeof buf);
  EXPECT_STREQ(buf, "");
  memset(buf, 'Z', sizeof buf);
  strCopyN(buf, "abc", 0);  // n == 0 leaves the buffer alone
  EXPECT_EQ(buf[0], 'Z');
}

TEST(Files, ModuleDirIsTheExecutablesFolder) {
  char exe[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  exe[n] = '\0';
  std::string want(exe, strrchr(exe, '/'));
  char dir[1024];
  EXPECT_EQ(moduleDir(dir, sizeof dir), static_cast<int>(want.size()));
  EXPECT_EQ(std::string(dir), want);
  char tiny[5];
  EXPECT_EQ(moduleDir(tiny, sizeof tiny), 4);
  EXPECT_EQ(std::string(tiny), want.substr(0, 4));
  EXPECT_EQ(moduleDir(nullptr, 10), -8);
}

TEST(Files, ExactReaderCodes) {
  TestDir dir;
  std::string bytes(2000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  ostrel::test::writeWhole(dir.file("f.bin"), bytes);
  std::vector<char> buf(2068);
  EXPECT_EQ(fileReadExact(dir.file("f.bin").c_str(), buf.data(), 2068), -198);
  EXPECT_EQ(fileReadExact(dir.file("f.bin").c_str(), buf.data(), 2000), 0);
  EXPECT_EQ(memcmp(buf.data(), bytes.data(), 2000), 0);
  EXPECT_EQ(fileReadExact(dir.file("f.bin").c_str(), buf.data(), 100), 0);  // a longer file is fine
  EXPECT_EQ(fileReadExact(dir.file("missing").c_str(), buf.data(), 10), -200);
  EXPECT_EQ(fileReadExact(dir.path().c_str(), buf.data(), 10), -198);  // a folder has no bytes
}

TEST(Files, WriterReturnsOneAndNeverLeavesAHalfFile) {
  TestDir dir;
  const std::string path = dir.file("out.bin");
  EXPECT_EQ(fileWriteAll(path.c_str(), "first version", 13), 1);
  EXPECT_EQ(ostrel::test::readWhole(path), "first version");
  EXPECT_EQ(fileWriteAll(dir.file("no/such/folder").c_str(), "x", 1), -200);
  EXPECT_EQ(fileWriteAll(dir.path().c_str(), "x", 1), -200);  // a folder cannot be replaced

  // A write that runs into the file size limit is short: -197, and the old file stays whole.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &lim);
    std::string big(100000, 'b');
    _exit(fileWriteAll(path.c_str(), big.data(), big.size()) == -197 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ostrel::test::readWhole(path), "first version");
  EXPECT_EQ(dir.list(), std::vector<std::string>{"out.bin"});  // no temporary left behind
}
