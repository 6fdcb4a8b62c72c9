// A private scratch folder per test, removed with its content afterwards.
#pragma once

#include <string>
#include <vector>

namespace ostrel::test {

class TestDir {
 public:
  TestDir();
  ~TestDir();
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> list() const;

 private:
  std::string path_;
};

std::string readWhole(const std::string& path);
void writeWhole(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
long long fileSize(const std::string& path);

}  // namespace ostrel::test
