// TCP transfers of the push services. Every socket is non-blocking and every wait is a poll on
// the socket together with the owner's wake descriptor, so a stop cuts any exchange off at once.
// Time-outs apply to each wait (like SO_SNDTIMEO / SO_RCVTIMEO): a 4 GiB message may take longer
// than any one time-out, but the peer must make progress within it.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>

namespace ostrel::push {

// A time-out of 0 would let a silent peer hold a worker (and its stop) for ever.
constexpr int kDefaultTimeoutMs = 5000;
inline int effectiveTimeout(uint16_t ms) { return ms == 0 ? kDefaultTimeoutMs : ms; }

// Results of one transfer.
enum class Io { Done, TimedOut, Woken, Closed, Failed };

// An eventfd that stays readable once signalled; -1 when it cannot be made.
int makeWakeFd();
void signalWake(int wakeFd);

// Parses a dotted IPv4 address within `capacity` bytes (no NUL needed at the end of the field).
bool parseIpv4(const char* text, size_t capacity, in_addr* out);

// A non-blocking TCP socket (-100 when it cannot be made) connected within timeoutMs (-99 when
// the connection is refused, times out or is woken).
int connectTo(const in_addr& ip, uint16_t port, int timeoutMs, int wakeFd, int* fdOut);

// Listening socket on 0.0.0.0:port with SO_REUSEADDR and the given backlog; -96 on failure.
int listenOn(uint16_t port, int backlog, int* fdOut);

// Waits until fd has `events` or the wake fd is signalled. timeoutMs < 0 waits without limit.
Io waitFor(int fd, short events, int wakeFd, int timeoutMs);

Io sendAll(int fd, const void* data, uint64_t length, int wakeFd, int timeoutMs);
Io recvAll(int fd, void* data, uint64_t length, int wakeFd, int timeoutMs);
// Sends `length` bytes of fileFd from offset 0 by sendfile(2). Io::Closed when the file ends
// before `length` bytes (it shrank since it was checked).
Io sendFileAll(int fd, int fileFd, uint64_t length, int wakeFd, int timeoutMs);

// After a whole message: ends the sending direction and waits, up to timeoutMs, until the server
// has closed its end (it does once it holds the whole message). The message counts as delivered
// whatever this finds; the wait keeps a client from opening connection after connection while the
// server is still reading, which would overflow the server's accept queue and cost a second-long
// connect retry for every connection dropped.
void awaitPeerClose(int fd, int wakeFd, int timeoutMs);

}  // namespace ostrel::push
