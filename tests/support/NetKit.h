// Network facts tests decide on.
#pragma once

namespace ostrel::test {

// True when every IPv4 interface that is up is a loopback one (as inside `unshare -rn` with lo
// up): broadcasts then cannot leave the machine.
bool onlyLoopback();

}  // namespace ostrel::test
