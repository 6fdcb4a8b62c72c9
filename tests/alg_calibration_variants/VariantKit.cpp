#include "VariantKit.h"

#include <cstdlib>
#include <filesystem>

namespace ostrel::test {

TempFile::TempFile(const std::string& name, const std::vector<uint8_t>& bytes) : path(tempPath(name)) {
  writeBytes(path, bytes);
}

TempFile::~TempFile() {
  std::remove(path.c_str());
}

TempDir::TempDir(const std::string& name) : path(tempPath(name)) {
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

CaliContext* createCali(const CaliModel& m, const std::string& name) {
  TempFile f(name, caliBytes(m));
  const FixInfoRecord fix = neutralFixInfo();
  return Cali_Create(f.path.c_str(), nullptr, &fix, 100000);
}

bool runPython(const std::string& script, const std::string& args) {
  const std::string cmd =
      std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/" + script + " " + args;
  return std::system(cmd.c_str()) == 0;
}

int32_t bbCode(double tBb, double ambient, int scale, int c0) {
  const double eps = tBb < 601.0 ? 0.97 : 0.998;
  return int32_t(FixEmi_CalcTemp(ambient, tBb, eps, 1.0, 0) * scale + c0);
}

}  // namespace ostrel::test
