// The golden files of the struct script, generated once per test process into its own folder.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "files/ThermalFile.h"

namespace ostrel::test {

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs a command line; returns its exit status and stdout.
inline int runCommand(const std::string& cmd, std::string* output = nullptr) {
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

class Golden {
 public:
  static Golden& get() {
    static Golden g;
    return g;
  }
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::vector<uint8_t> bytes(const std::string& name) const { return readBytes(path(name)); }
  const nlohmann::json& manifest() const { return manifest_; }
  bool ok() const { return ok_; }
  // A scratch folder of this process for files the tests write.
  std::string scratch(const std::string& name) const { return dir_ + "/out-" + name; }

 private:
  Golden() {
    dir_ = std::string(OSTREL_TEST_BINARY_DIR) + "/golden-" + std::to_string(getpid());
    std::filesystem::remove_all(dir_);
    std::string cmd =
        std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/make_golden.py " + dir_;
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

// A file handle for the duration of a test.
struct Handle {
  Handle() : ctx(TF_Create()) {}
  ~Handle() { TF_Free(&ctx); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  TFContext* ctx;
};

}  // namespace ostrel::test
