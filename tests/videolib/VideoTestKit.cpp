#include "VideoTestKit.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vltest {

int run(const std::string& cmd, std::string* out, int seconds) {
  std::string full = "timeout " + std::to_string(seconds) + " " + cmd + " 2>&1";
  FILE* p = popen(full.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ffmpeg() {
  return std::string(OSTREL_FFMPEG_CMD) + " -nostdin -hide_banner";
}
std::string ffprobe() {
  return std::string(OSTREL_FFPROBE_CMD) + " -hide_banner";
}

std::string scratchDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string dir =
      std::string(OSTREL_TEST_BINARY_DIR) + "/scratch/" + info->test_suite_name() + "." + info->name();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

std::vector<std::vector<uint8_t>> splitAccessUnits(const std::vector<uint8_t>& s) {
  // Start-code positions (the position of the first zero of 00 00 01 or 00 00 00 01).
  std::vector<size_t> starts;
  for (size_t i = 0; i + 3 <= s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
      starts.push_back(i > 0 && s[i - 1] == 0 ? i - 1 : i);
      i += 2;
    }
  }
  std::vector<std::vector<uint8_t>> units;
  std::vector<uint8_t> cur;
  bool haveSlice = false;
  for (size_t k = 0; k < starts.size(); ++k) {
    size_t b = starts[k];
    size_t e = k + 1 < starts.size() ? starts[k + 1] : s.size();
    size_t hdr = s[b + 2] == 1 ? b + 3 : b + 4;
    if (hdr >= e) continue;
    int type = s[hdr] & 0x1f;
    bool vcl = type == 1 || type == 5;
    bool firstSlice = vcl && hdr + 1 < e && (s[hdr + 1] & 0x80);
    bool startsUnit = (type == 9 || type == 7 || type == 8 || type == 6) || firstSlice;
    if (startsUnit && haveSlice) {
      units.push_back(cur);
      cur.clear();
      haveSlice = false;
    }
    cur.insert(cur.end(), s.begin() + static_cast<long>(b), s.begin() + static_cast<long>(e));
    if (vcl) haveSlice = true;
  }
  if (!cur.empty()) units.push_back(cur);
  return units;
}

std::string probeValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "";
}

std::vector<uint8_t> movingGradient(int width, int height, int frame) {
  std::vector<uint8_t> p(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* q = &p[(static_cast<size_t>(y) * width + x) * 4];
      q[0] = static_cast<uint8_t>((x + 2 * frame) * 255 / (width + 200));
      q[1] = static_cast<uint8_t>((y + frame) * 255 / (height + 100));
      q[2] = static_cast<uint8_t>((x + y) * 150 / (width + height) + frame);
      q[3] = 255;
    }
  }
  return p;
}

bool isListening(const std::string& address, int port) {
  in_addr a{};
  if (inet_pton(AF_INET, address.c_str(), &a) != 1) return false;
  // The kernel prints the address as the 32-bit word it stores (network order read natively).
  char want[32];
  snprintf(want, sizeof want, "%08X:%04X", a.s_addr, port);
  std::ifstream f("/proc/net/tcp");
  std::string line;
  while (std::getline(f, line)) {
    std::istringstream in(line);
    std::string sl, local, remote, state;
    in >> sl >> local >> remote >> state;
    if (local == want && state == "0A") return true;
  }
  return false;
}

int boundLoopbackSocket(bool listening, int* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = 0;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || (listening && listen(fd, 4) != 0) ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(a.sin_port);
  return fd;
}

}  // namespace vltest
