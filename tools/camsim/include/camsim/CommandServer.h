// The camera's side of the command channel (TCP, port 55502 by default): one request per
// message, reply type = request type + 1, fixed sizes per type, stored records per get/set pair.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "camsim/CameraState.h"
#include "camsim/ClockGpio.h"
#include "camsim/MotorState.h"
#include "camsim/ObservationLog.h"
#include "camsim/TcpServer.h"
#include "camsim/TransferService.h"
#include "camsim/XCaliSim.h"

namespace camsim {

constexpr uint16_t kCommandPort = 55502;

// Misbehaviour on demand; may be changed between test steps while the server runs.
struct CommandFaults {
  bool noReply = false;            // read the request, never answer (hold the connection)
  int replyDelayMs = 0;            // wait this long before answering
  int replyTypeDelta = 0;          // added to the reply's type (wrong type when non-zero)
  int shortReplyBytes = -1;        // >= 0: send only this many bytes of the reply, then close
  bool closeEarly = false;         // close right after reading the request
  bool splitReply = false;         // send the reply in 1-byte writes
  int32_t controlXReplyType = -1;  // >= 0: ControlInfoX answers carry this command type
  int32_t pluginReplyWord = -1;    // >= 0: plug-in answers carry this operation word
  std::map<int32_t, int> controlXDelayMs;  // request-reply command type -> extra wait before answering
};

class CommandServer {
 public:
  CommandServer(const std::string& address, CameraState& state, ObservationLog& log,
                uint16_t port = kCommandPort);

  int start() { return server_.start(); }
  void stop() { server_.stop(); }
  bool running() const { return server_.running(); }
  uint64_t connectionCount() const { return server_.connectionCount(); }

  void setFaults(const CommandFaults& f);
  CommandFaults faults() const;
  MotorState& motors() { return motors_; }
  ClockGpio& clockGpio() { return clockGpio_; }
  XCaliControls& xcali() { return xcali_; }

  // The file and memory transfer exchanges of this port.
  TransferService& transfers() { return transfers_; }

 private:
  void serve(int fd);
  bool answer(int fd, uint8_t* reply, size_t size, const CommandFaults& f);

  CameraState& state_;
  ObservationLog& log_;
  mutable std::mutex faultMutex_;
  CommandFaults faults_;  // guarded by faultMutex_
  TransferService transfers_;
  XCaliControls xcali_{transfers_};
  ClockGpio clockGpio_;
  MotorState motors_;  // before the server: its threads use it until the server is gone
  TcpServer server_;
};

}  // namespace camsim
