// The camera command channel: one request/reply exchange per TCP connection on the camera's
// command port. Every exchange goes through cmdTransact.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/ByteOrder.h"
#include "link/CommandTypes.h"
#include "link/TcpDeadline.h"

namespace ostrel::sdk {

constexpr uint16_t kDefaultCmdPort = 55502;
// Receive bound of ControlInfoX exchanges (cmd::kControlX), whose commands may move motors.
constexpr int kControlXRecvTimeoutMs = 10000;

// Writes the 4-byte header (type, total size) at the start of msg.
inline void cmdPutHeader(uint8_t* msg, uint16_t type, uint16_t totalSize) {
  bytes::putU16(msg, type);
  bytes::putU16(msg + 2, totalSize);
}

// A connected socket in `s` for one exchange with ip (host order):port, Nagle off so a request
// leaves at once. 0, or -99 (no socket, or no connection before deadline).
int connectTo(tcp::Socket& s, uint32_t ip, uint16_t port, tcp::Clock::time_point deadline);

// One exchange with the camera at cameraIp (host order):port.
// request holds the whole message; its header type must be in the table and its header size
// equal the table's request size (else -2 / -8, before any connection). reply must hold
// replyCapacity >= the table's reply size bytes (else -8); on success it holds the reply
// (header included), on failure it is zeroed.
// Bounds: connect within the connect time-out, the whole request within the send time-out, the
// whole reply within the receive time-out (recvTimeoutMs > 0 replaces it), all under one overall
// deadline. Returns 0, -99 (socket or connect), -98 (send), -97 (reply missing, short or of the
// wrong type), -2, -8.
int cmdTransact(uint32_t cameraIp, uint16_t port, const uint8_t* request, size_t requestSize, uint8_t* reply,
                size_t replyCapacity, int recvTimeoutMs = 0);

// Sends a message without waiting for any reply (the login's clock message): connect, send the
// whole message, close. Same codes as cmdTransact.
int cmdSendOnly(uint32_t cameraIp, uint16_t port, const uint8_t* request, size_t requestSize);

}  // namespace ostrel::sdk
