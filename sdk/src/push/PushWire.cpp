#include "push/PushWire.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/Helpers.h"
#include "push/PushSocket.h"

namespace ostrel::push {

namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

// Header first, checked before anything is allocated, then the rest behind it.
template <class Message, class Valid, class Stamp>
int receiveMessage(int fd, int wakeFd, int timeoutMs, Message** out, Valid valid, Stamp stamp) {
  *out = nullptr;
  Message head;
  if (recvAll(fd, &head, sizeof head, wakeFd, timeoutMs) != Io::Done) return OSTREL_E_REPLY;
  if (!valid(head)) return OSTREL_E_SNAP_HEAD;
  const uint64_t total = static_cast<uint64_t>(head.totalSize);
  std::unique_ptr<Message, FreeDeleter> message(static_cast<Message*>(std::malloc(static_cast<size_t>(total))));
  if (!message) return OSTREL_E_NO_MEMORY;
  stamp(head, nowFileTime());
  memcpy(message.get(), &head, sizeof head);
  if (recvAll(fd, reinterpret_cast<uint8_t*>(message.get()) + sizeof head, total - sizeof head, wakeFd, timeoutMs) !=
      Io::Done)
    return OSTREL_E_REPLY;
  *out = message.release();
  return 0;
}

}  // namespace

bool alarmHeaderValid(const AlarmMessage& h) {
  if (h.totalSize < PUSH_HEADER_SIZE || h.totalSize > ALARM_MAX_TOTAL_SIZE) return false;
  int64_t sum = PUSH_HEADER_SIZE;
  for (int32_t len : h.attachLen) {
    if (len < 0) return false;
    sum += len;
  }
  return sum == h.totalSize;
}

bool busiHeaderValid(const BusiMessage& h) {
  return h.busiType >= 0 && h.totalSize >= PUSH_HEADER_SIZE && h.totalSize <= BUSI_MAX_TOTAL_SIZE;
}

int receiveAlarm(int fd, int wakeFd, int timeoutMs, AlarmMessage** out) {
  return receiveMessage(fd, wakeFd, timeoutMs, out, alarmHeaderValid,
                        [](AlarmMessage& h, int64_t now) { h.alarmTime = now; });
}

int receiveBusi(int fd, int wakeFd, int timeoutMs, BusiMessage** out) {
  return receiveMessage(fd, wakeFd, timeoutMs, out, busiHeaderValid,
                        [](BusiMessage& h, int64_t now) { h.receiveTime = now; });
}

}  // namespace ostrel::push
