// The facts the independent Python reader (check_stream.py) reports about a recorder's file.
#pragma once

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace rectest {

inline std::map<std::string, std::string> pythonFacts(const std::string& mode, const std::string& path) {
  std::map<std::string, std::string> facts;
  const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/check_stream.py " + mode +
                          " '" + path + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return facts;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  std::istringstream in(out);
  std::string word;
  while (in >> word) {
    const size_t eq = word.find('=');
    if (eq == std::string::npos) {
      facts["unparsed"] += word + " ";
      continue;
    }
    facts[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return facts;
}

inline long long num(const std::map<std::string, std::string>& f, const std::string& key) {
  auto it = f.find(key);
  return it == f.end() ? -999999 : std::stoll(it->second);
}

}  // namespace rectest
