// The SDK's two discovery sockets and the broadcast helpers behind Ostrel_DiscoverCameras and
// Ostrel_DiscoverConfigIP.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::sdk {

// Makes the search socket (broadcast allowed, replies come back to it) and the listener bound to
// 0.0.0.0:55511. 0, or -1 when the search socket cannot be made; a listener that cannot be made
// or bound is logged and left out (0 is still returned). Already open: 0. Ostrel_InitSDK calls it
// after the time-outs are reset; the receive time-out of that moment bounds every later pass.
int discoverOpen();
// Closes both sockets; waits for a running discovery call. Safe when not open.
void discoverClose();
bool discoverSearchSocketOpen();
bool discoverListenerOpen();

// Where broadcasts go. The default is the limited broadcast 255.255.255.255 on every local IPv4
// interface that is up; a host whose only network is loopback can use 127.255.255.255 on the
// loopback interface instead, which keeps every datagram on the machine. discoverOpen takes the
// address from the environment variable OSTREL_DISCOVER_BROADCAST when it holds a dotted IPv4
// address (127.255.255.255 for simulated cameras): an address in 127.0.0.0/8 also limits the
// broadcasts to the loopback interface.
struct DiscoverRoute {
  uint32_t broadcastAddr = 0xFFFFFFFFu;  // first octet in the most significant byte
  bool loopbackOnly = false;
};
void discoverSetRoute(const DiscoverRoute& route);
DiscoverRoute discoverRoute();

// Sends the datagram from a socket bound to each local IPv4 address (port 55501) to the broadcast
// address, port 55501. Returns the number of interfaces it went out on, or -1 when the local
// addresses cannot be listed.
int broadcastSendAll(const void* data, size_t length);

// Reads and discards the datagrams already waiting on the socket (zero wait). Stops after a bound
// number of reads so that a flood arriving as fast as it is read cannot hold the caller.
void drainSocket(int fd);

}  // namespace ostrel::sdk
