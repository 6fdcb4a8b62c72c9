// The two message formats on the wire: header checks and the receiving of one whole message.
// Everything the servers learn from a peer passes through here.
#pragma once

#include "ostrel/OstrelPush.h"

namespace ostrel::push {

// totalSize within 512..16 MiB and equal to 512 + the four lengths, each of them >= 0 (negative
// lengths must not make up a total that looks right).
bool alarmHeaderValid(const AlarmMessage& h);
// busiType >= 0 and totalSize within 512..4 GiB.
bool busiHeaderValid(const BusiMessage& h);

// Receives one message from a connected non-blocking socket: the header, its check, then the
// rest into one malloc'd block whose receive-time field holds the current time. 0 and *out (the
// caller frees it with free()); -97 the peer stopped early, went silent or the wake fd fired;
// -95 header not valid; -5 no memory. *out is null on failure.
int receiveAlarm(int fd, int wakeFd, int timeoutMs, AlarmMessage** out);
int receiveBusi(int fd, int wakeFd, int timeoutMs, BusiMessage** out);

}  // namespace ostrel::push
