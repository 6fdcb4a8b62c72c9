// Network facts tests decide on, and the loopback addresses a test run may use.
//
// Every address a test serves or dials lies in its build folder's own range 127.<run>.0.0/16:
// `run` (1..254) is derived by CMake from the build folder's path, so two build folders running
// their tests at once never share a simulator address. Inside the range each suite keeps its own
// third byte (the one it always had) and each case its own host byte.
#pragma once

#include <cstdint>
#include <string>

namespace ostrel::test {

// True when every IPv4 interface that is up is a loopback one (as inside `unshare -rn` with lo
// up): broadcasts then cannot leave the machine.
bool onlyLoopback();

// The second byte of this build folder's range.
int loopbackRun();
// "127.<run>.<suite>.<host>"; suite and host 0..255.
std::string loopbackAddress(int suite, int host);
// The same address as a number in host byte order.
uint32_t loopbackAddressValue(int suite, int host);

// The third byte of the end-to-end scenarios of the programs, and a scenario's own address
// "127.<run>.22.<host>": each scenario runs its program against a simulator of its own.
constexpr int kScenarioSuite = 22;
std::string scenarioAddress(int host);

}  // namespace ostrel::test
