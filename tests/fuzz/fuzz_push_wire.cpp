// One pushed message read from a peer's bytes: alarm and business-data headers, their checks and
// the receive of the rest, through a local socket that ends where the input ends.
// ctest-labels: push
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "push/PushFiles.h"
#include "push/PushWire.h"

using namespace ostrel::push;

namespace {

// The input as a peer that sends it and then closes; -1 when the socket cannot take it whole.
int feed(const uint8_t* data, size_t size) {
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, sv) != 0) abort();
  int big = 4 << 20;
  setsockopt(sv[0], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
  setsockopt(sv[1], SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  size_t done = 0;
  while (done < size) {
    ssize_t n = send(sv[0], data + done, size - done, MSG_NOSIGNAL);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(sv[0]);
  if (done < size) {
    close(sv[1]);
    return -1;
  }
  return sv[1];
}

// Reads one message as the servers do, a small budget at a time. The sending end is closed, so
// the socket never runs dry; a read that takes nothing and does not end would be a fault.
template <class Message>
int receiveWhole(int fd, const WireFormat& format, Message** out) {
  MessageReader reader(format);
  MessageReader::State s;
  uint64_t before = 0;
  while ((s = reader.readFrom(fd, 333)) == MessageReader::State::Reading) {
    if (reader.receivedBytes() == before) abort();
    before = reader.receivedBytes();
  }
  *out = static_cast<Message*>(reader.release());
  return s == MessageReader::State::Whole ? 0 : reader.status();
}

void checkSender(const char* field, size_t capacity) {
  std::string s = cleanSender(field, capacity);
  if (s.size() > capacity) abort();
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7f || (i == 0 && c == '.')) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AlarmMessage ah{};
  BusiMessage bh{};
  if (size) {
    memcpy(&ah, data, size < sizeof ah ? size : sizeof ah);
    memcpy(&bh, data, size < sizeof bh ? size : sizeof bh);
  }
  checkSender(ah.sender, sizeof ah.sender);
  checkSender(bh.sender, sizeof bh.sender);

  int fd = feed(data, size);
  if (fd >= 0) {
    AlarmMessage* m = nullptr;
    int rc = receiveWhole(fd, kAlarmFormat, &m);
    if ((rc == 0) != (m != nullptr)) abort();
    if (rc == 0 && (!alarmHeaderValid(*m) || static_cast<size_t>(m->totalSize) > size)) abort();
    if (rc != 0 && rc != -97 && rc != -95) abort();
    free(m);
    close(fd);
  }
  // A business header may announce 4 GiB: receive only what the input could hold.
  if (busiHeaderValid(bh) && static_cast<uint64_t>(bh.totalSize) <= size + 4096 && (fd = feed(data, size)) >= 0) {
    BusiMessage* m = nullptr;
    int rc = receiveWhole(fd, kBusiFormat, &m);
    if ((rc == 0) != (m != nullptr)) abort();
    if (rc == 0 && static_cast<size_t>(m->totalSize) > size) abort();
    if (rc != 0 && rc != -97) abort();
    free(m);
    close(fd);
  }
  return 0;
}
