// The two message formats on the wire: header checks and the receiving of one whole message.
// Everything the servers learn from a peer passes through here.
#pragma once

#include <cstdint>

#include "ostrel/OstrelPush.h"
#include "push/PushBlocks.h"

namespace ostrel::push {

// totalSize within 512..16 MiB and equal to 512 + the four lengths, each of them >= 0 (negative
// lengths must not make up a total that looks right).
bool alarmHeaderValid(const AlarmMessage& h);
// busiType >= 0 and totalSize within 512..4 GiB.
bool busiHeaderValid(const BusiMessage& h);

// What differs between the formats for a receiver: the header check, the announced size and the
// field that takes the receive time. Both headers are PUSH_HEADER_SIZE bytes.
struct WireFormat {
  bool (*valid)(const uint8_t* head);
  uint64_t (*totalSize)(const uint8_t* head);  // only for a valid header
  void (*stamp)(uint8_t* head, int64_t now);
};
extern const WireFormat kAlarmFormat;
extern const WireFormat kBusiFormat;

// Takes one message from a non-blocking socket as its bytes arrive: the header, its check, then
// the rest into one block whose receive-time field holds the time the header was whole.
// Nothing is allocated before the header has passed its check.
class MessageReader {
 public:
  enum class State { Reading, Whole, Failed };

  // The message's block comes from `blocks` when given, from malloc otherwise.
  explicit MessageReader(const WireFormat& format, MessageBlocks* blocks = nullptr)
      : format_(&format), blocks_(blocks) {}
  ~MessageReader();
  MessageReader(const MessageReader&) = delete;
  MessageReader& operator=(const MessageReader&) = delete;

  // Reads what the socket holds now, at most about `budget` bytes (so one fast peer cannot keep
  // the caller from its other sockets). Reading: wait for the socket and call again. Whole: take
  // the message with release(). Failed: status() tells why.
  State readFrom(int fd, uint64_t budget);
  // -97 the peer closed early or the socket failed; -95 header not valid; -5 no memory.
  int status() const { return status_; }
  bool headerWhole() const { return message_ != nullptr; }
  // Bytes announced after the header (0 until the header is whole).
  uint64_t bodyBytes() const { return total_ > PUSH_HEADER_SIZE ? total_ - PUSH_HEADER_SIZE : 0; }
  uint64_t receivedBytes() const { return got_; }
  // The whole message (the caller gives it back to the blocks, or frees it with free() when the
  // reader had none); null unless readFrom returned Whole.
  void* release();

 private:
  State fail(int status);
  void drop();
  State headerArrived();

  const WireFormat* format_;
  MessageBlocks* blocks_;
  uint8_t head_[PUSH_HEADER_SIZE];
  uint8_t* message_ = nullptr;
  uint64_t total_ = 0;
  uint64_t got_ = 0;
  int status_ = 0;
  State state_ = State::Reading;
};

}  // namespace ostrel::push
