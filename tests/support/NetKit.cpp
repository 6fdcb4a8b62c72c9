#include "NetKit.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include "LoopbackRun.h"

namespace ostrel::test {

bool onlyLoopback() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool only = true;
  for (ifaddrs* it = list; it; it = it->ifa_next)
    if (it->ifa_addr && it->ifa_addr->sa_family == AF_INET && (it->ifa_flags & IFF_UP) &&
        !(it->ifa_flags & IFF_LOOPBACK))
      only = false;
  freeifaddrs(list);
  return only;
}

int loopbackRun() { return OSTREL_TEST_LOOPBACK_RUN; }

std::string loopbackAddress(int suite, int host) {
  return "127." + std::to_string(loopbackRun()) + "." + std::to_string(suite & 0xFF) + "." +
         std::to_string(host & 0xFF);
}

uint32_t loopbackAddressValue(int suite, int host) {
  return 0x7F000000u | static_cast<uint32_t>(loopbackRun()) << 16 | static_cast<uint32_t>(suite & 0xFF) << 8 |
         static_cast<uint32_t>(host & 0xFF);
}

std::string scenarioAddress(int host) { return loopbackAddress(kScenarioSuite, host); }

}  // namespace ostrel::test
