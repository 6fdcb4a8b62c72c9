#include "camsim/CommandServer.h"

#include <sys/socket.h>

#include <cstring>
#include <vector>

#include "camsim/ControlReplies.h"
#include "camsim/Wire.h"

namespace camsim {

namespace {

constexpr size_t kHeader = 4;
constexpr size_t kMaxMessage = 4096;
constexpr int kIdleMs = 30000;  // a connection without a request for this long is dropped

// Get types whose set type is get + 2 (every record pair of the channel except the plug-in).
bool isGetType(uint16_t t) {
  return t != 48 && CameraState::recordSize(t) != 0;
}
bool isSetType(uint16_t t) {
  return t >= 2 && isGetType(uint16_t(t - 2));
}

}  // namespace

CommandServer::CommandServer(const std::string& address, CameraState& state, ObservationLog& log,
                             uint16_t port)
    : state_(state), log_(log), server_(address, port, [this](int fd) { serve(fd); }) {}

void CommandServer::setFaults(const CommandFaults& f) {
  std::lock_guard<std::mutex> lock(faultMutex_);
  faults_ = f;
}

CommandFaults CommandServer::faults() const {
  std::lock_guard<std::mutex> lock(faultMutex_);
  return faults_;
}

bool CommandServer::answer(int fd, uint8_t* reply, size_t size, const CommandFaults& f) {
  if (f.replyDelayMs > 0 && !server_.sleepFor(f.replyDelayMs)) return false;
  putU16(reply, uint16_t(readU16(reply, size, 0) + f.replyTypeDelta));
  if (f.shortReplyBytes >= 0) {
    server_.sendAll(fd, reply, std::min(size, size_t(f.shortReplyBytes)));
    return false;
  }
  return server_.sendAll(fd, reply, size, f.splitReply ? 1 : 0);
}

void CommandServer::serve(int fd) {
  std::vector<uint8_t> msg(kMaxMessage);
  for (;;) {
    if (!server_.recvAll(fd, msg.data(), kHeader, kIdleMs)) return;
    const uint16_t type = readU16(msg.data(), kHeader, 0);
    const uint16_t size = readU16(msg.data(), kHeader, 2);
    if (size < kHeader || size > kMaxMessage) return;
    if (!server_.recvAll(fd, msg.data() + kHeader, size - kHeader, kIdleMs)) return;
    log_.add(Observation{std::chrono::system_clock::now(), type, size,
                         std::vector<uint8_t>(msg.begin(), msg.begin() + size)});
    if (TransferService::isRequest(type)) {
      transfers_.serve(server_, fd, msg.data(), size);  // one exchange per connection
      return;
    }
    const CommandFaults f = faults();
    if (f.closeEarly) return;
    if (type == 6 || type == 41) continue;  // one-way: logged, no reply
    if (f.noReply) {
      // Hold the connection until the peer gives up or the server stops.
      while (server_.waitReadable(fd, -1)) {
        uint8_t sink[256];
        if (::recv(fd, sink, sizeof sink, 0) <= 0) return;
      }
      return;
    }

    std::vector<uint8_t> reply;
    if (isGetType(type) && size == kHeader) {
      std::vector<uint8_t> rec = state_.record(type);
      reply.resize(kHeader + rec.size());
      std::memcpy(&reply[kHeader], rec.data(), rec.size());
    } else if (isSetType(type)) {
      const uint16_t getType = uint16_t(type - 2);
      if (size != kHeader + CameraState::recordSize(getType)) return;  // a camera drops malformed sets
      state_.setRecord(getType, std::vector<uint8_t>(msg.begin() + kHeader, msg.begin() + size));
      reply.resize(kHeader);
    } else if (type == 48 && size == 72) {
      // Plug-in record behind an operation word: 0 read, 2 write; the answer echoes the word.
      const int32_t op = readI32(msg.data(), size, 4);
      if (op == 2) state_.setRecord(48, std::vector<uint8_t>(msg.begin() + 8, msg.begin() + 72));
      std::vector<uint8_t> rec = state_.record(48);
      reply.resize(72);
      putI32(&reply[4], f.pluginReplyWord >= 0 ? f.pluginReplyWord : op);
      std::memcpy(&reply[8], rec.data(), rec.size());
    } else if (type == 56 && size == 72) {
      // ControlInfoX: the answer carries the request's record, updated per command type.
      reply.assign(msg.begin(), msg.begin() + 72);
      const int32_t cmd = readI32(msg.data(), size, 4);
      if (cmd == 2) putI32(&reply[8], state_.gearLevel());
      if (cmd == 3) state_.setGearLevel(readI32(msg.data(), size, 8));
      // The clock and the outputs first, then the records of their own, else the motors echo.
      if (!clockGpio_.apply(&reply[kHeader]) && !answerControlX(state_, &reply[kHeader]) && !xcali_.apply(&reply[kHeader]))
        motors_.apply(&reply[kHeader]);
      if (auto d = f.controlXDelayMs.find(cmd); d != f.controlXDelayMs.end() && !server_.sleepFor(d->second)) return;
      if (f.controlXReplyType >= 0) putI32(&reply[4], f.controlXReplyType);
    } else if ((type == 2 || type == 4 || type == 46) && size == kHeader) {
      reply.assign(type == 2 ? 24 : type == 4 ? 4 : 8, 0);
    } else {
      return;  // unknown request: a camera closes without an answer
    }
    putU16(&reply[0], uint16_t(type + 1));
    putU16(&reply[2], uint16_t(reply.size()));
    if (!answer(fd, reply.data(), reply.size(), f)) return;
  }
}

}  // namespace camsim
