#include "NetKit.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

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

}  // namespace ostrel::test
