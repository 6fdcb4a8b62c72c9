#include "push/PushWire.h"

#include <errno.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/Helpers.h"
#include "ostrel/OstrelTypes.h"

namespace ostrel::push {

namespace {

// Largest count one receive is given.
constexpr uint64_t kMaxChunk = 0x7ffff000;

template <class Message>
Message headOf(const uint8_t* head) {
  Message m;
  memcpy(&m, head, sizeof m);
  return m;
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

const WireFormat kAlarmFormat = {
    [](const uint8_t* head) { return alarmHeaderValid(headOf<AlarmMessage>(head)); },
    [](const uint8_t* head) { return static_cast<uint64_t>(headOf<AlarmMessage>(head).totalSize); },
    [](uint8_t* head, int64_t now) { memcpy(head + offsetof(AlarmMessage, alarmTime), &now, sizeof now); }};

const WireFormat kBusiFormat = {
    [](const uint8_t* head) { return busiHeaderValid(headOf<BusiMessage>(head)); },
    [](const uint8_t* head) { return static_cast<uint64_t>(headOf<BusiMessage>(head).totalSize); },
    [](uint8_t* head, int64_t now) { memcpy(head + offsetof(BusiMessage, receiveTime), &now, sizeof now); }};

MessageReader::~MessageReader() { drop(); }

void MessageReader::drop() {
  if (blocks_)
    blocks_->give(message_);
  else
    std::free(message_);
  message_ = nullptr;
}

void* MessageReader::release() {
  if (state_ != State::Whole) return nullptr;
  void* m = message_;
  message_ = nullptr;
  return m;
}

MessageReader::State MessageReader::fail(int status) {
  drop();
  status_ = status;
  return state_ = State::Failed;
}

MessageReader::State MessageReader::headerArrived() {
  if (!format_->valid(head_)) return fail(OSTREL_E_SNAP_HEAD);
  total_ = format_->totalSize(head_);
  message_ = static_cast<uint8_t*>(blocks_ ? blocks_->take(total_) : std::malloc(static_cast<size_t>(total_)));
  if (!message_) return fail(OSTREL_E_NO_MEMORY);
  format_->stamp(head_, nowFileTime());
  memcpy(message_, head_, sizeof head_);
  return State::Reading;
}

MessageReader::State MessageReader::readFrom(int fd, uint64_t budget) {
  uint64_t taken = 0;
  while (state_ == State::Reading) {
    if (message_ && got_ == total_) return state_ = State::Whole;
    uint8_t* at = message_ ? message_ + got_ : head_ + got_;
    const uint64_t left = message_ ? total_ - got_ : sizeof head_ - got_;
    ssize_t n = recv(fd, at, static_cast<size_t>(std::min(left, kMaxChunk)), 0);
    if (n > 0) {
      got_ += static_cast<uint64_t>(n);
      taken += static_cast<uint64_t>(n);
      if (!message_ && got_ == sizeof head_ && headerArrived() != State::Reading) return state_;
      if (taken >= budget && !(message_ && got_ == total_)) return state_;
      continue;
    }
    if (n == 0) return fail(OSTREL_E_REPLY);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return state_;
    return fail(OSTREL_E_REPLY);
  }
  return state_;
}

}  // namespace ostrel::push
