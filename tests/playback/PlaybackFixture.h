// Golden files of the thermal-file struct script (tests/sdk_files/make_golden.py), generated once
// per test process, an initialised SDK (the palette table) and a player handle per case.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "OstrelSDK.h"

namespace playbacktest {

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline int runCommand(const std::string& cmd, std::string* output = nullptr) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  if (output) *output = out;
  return status;
}

// Pillow's view of an image file: "width height" of the decoded picture, or an error text.
inline std::string pillowSize(const std::string& path) {
  std::string out;
  const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) +
                          " -c 'import sys\nfrom PIL import Image\nim=Image.open(sys.argv[1])\nim.load()\n"
                          "print(im.size[0],im.size[1])' " + path + " 2>&1";
  runCommand(cmd, &out);
  return out;
}

class Golden {
 public:
  static Golden& get() {
    static Golden g;
    return g;
  }
  bool ok() const { return ok_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::vector<uint8_t> bytes(const std::string& name) const { return readFile(path(name)); }
  const nlohmann::json& manifest() const { return manifest_; }
  std::string scratch(const std::string& name) const { return dir_ + "/out-" + name; }

 private:
  Golden() {
    dir_ = std::string(OSTREL_TEST_BINARY_DIR) + "/golden-" + std::to_string(getpid());
    std::filesystem::remove_all(dir_);
    const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR +
                            "/../sdk_files/make_golden.py " + dir_;
    ok_ = runCommand(cmd) == 0;
    if (ok_) {
      std::ifstream in(dir_ + "/manifest.json");
      manifest_ = nlohmann::json::parse(in, nullptr, false);
      ok_ = !manifest_.is_discarded();
    }
  }
  ~Golden() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string dir_;
  nlohmann::json manifest_;
  bool ok_ = false;
};

class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    ASSERT_TRUE(Golden::get().ok());
    h = OstrelPlayback_Create();
    ASSERT_NE(h, nullptr);
  }
  void TearDown() override {
    OstrelPlayback_Free(&h);
    EXPECT_EQ(h, nullptr);
    Ostrel_FreeSDK();
  }
  const Golden& golden() const { return Golden::get(); }
  PlaybackContext* h = nullptr;
};

}  // namespace playbacktest
